#pragma once

#include "elements/CModel.h"
#include "scene/Transform.h"
#include "simulation/RobotFile.h"
#include "simulation/SRobotFileState.h"

#include <optional>
#include <string>

// The robot builder's robot file: the writer, which saves the part list, and
// the readers of both layouts, which turn a file back into placed parts
// through the part factory. They run in the builder's file worker (CThread)
// and report only through their results, which are also the busy state's.

// The builder's busy states that the jobs end with.
inline constexpr int kRobotLoadFailed = 3;
inline constexpr int kRobotLoaded = 4;
inline constexpr int kRobotSaved = 5;
inline constexpr int kRobotSaveFailed = 6;

// The robot file of a part list: every control unit, brick, wheel, motor,
// sensor and light with its wiring, and the joins that the parts' ports
// make, as the builder's join search finds them. Progress runs from 1 to 100.
RobotFileData CollectRobotFile(const std::vector<osg::ref_ptr<CModel>>& parts, std::atomic<int>* progress);

// The motors of a robot file that turn no wheel in a run, by their place
// among the file's motors: a motor that no wheel is joined to, one whose
// wheel an earlier motor already drives, and one whose wheel's axle does not
// lie along the robot's x axis (within the port limit), since a run turns
// wheels about x only.
std::vector<int> IdleMotors(const RobotFileData& data, double portLimit);
// The same of the builder's part list, whose joins the writer's search finds;
// the snapping state is left as it was. GUI thread, while nothing is carried.
std::vector<const CModel*> IdleMotorParts(const std::vector<osg::ref_ptr<CModel>>& parts);

// Saves the state's part list to its robot file: 5 saved, 6 when there is
// nothing to save or the file could not be written (an earlier file then
// stays as it was).
int SaveRobotFile(SRobotFileState& state);

// Loads the state's robot file into its part list (which the builder has
// emptied): 4 loaded, 3 when the file cannot be read in either layout. A
// failed load leaves no part of the file in the list.
int LoadRobotFile(SRobotFileState& state);

// The part factory of the loaders: a part of kind 0 control unit, 1 brick, 2
// wheel, 3 motor, 4 sensor (of sensorKind) or 12 coloured light from the
// model address. A loaded part takes its wiring (port, and for motors the
// opposite flag), its ray distance, a brick that shows a colour the colour,
// and the id; it is appended to the part list at the transform and placed
// into the builder. Null for any other kind, or when the model does not load.
CModel* MakeBuilderPart(SRobotFileState& state, int kind, const std::string& address,
    const scene::Transform& transform, const std::optional<osg::Vec4f>& colour, int id, int port,
    int sensorKind, int opposite, int rayDistance);
