#pragma once

#include "elements/PlaygroundRobot.h"
#include "elements/RobotRoster.h"
#include "physics/Material.h"

#include <osg/BoundingBox>

class CModel;

namespace physics {
struct ShapeDesc;
} // namespace physics

// What the playground objects' rules share: a robot that stays near an
// object long enough completes the object's rule (switches an alarm off, puts
// a candle out, rescues a wounded figure, picks an object up).
namespace elements {

// Steps a robot must stay near an alarm, a candle or a wounded figure (it
// completes the rule in the step after), and the points it earns then.
constexpr int kStayLimit = 300;
constexpr int kStayScore = 10;
// Steps a robot must stay near an object it picks up.
constexpr int kPickUpLimit = 10;
// The contact group that meets nothing: hidden, rescued and carried objects
// go there, so they neither push nor block robots, nor meet any ray.
constexpr int kHiddenGroup = 31;

// Hard, with almost no friction: alarms and loaded models slide when pushed.
inline constexpr physics::Material kSlipperyMaterial { 1.0, 0.002, 0.0 };

// Both tests use world bounding boxes: the object's own, and the robot's
// control unit with every part below it.
// The boxes' centres are less than 50 apart.
bool IsNear(const osg::BoundingBox& a, const osg::BoundingBox& b);
// The boxes overlap on all three axes, touching faces included.
bool Touches(const osg::BoundingBox& a, const osg::BoundingBox& b);
// The robot's box; false for a robot without a control unit, which takes
// part in no rule.
bool RobotBounds(const PlaygroundRobot& robot, osg::BoundingBox& box);

struct ProximityEvent {
    enum Kind {
        Nothing, // no robot ended the step
        Touched, // the robot touches the object (only where touches count)
        Completed, // the robot stayed near for more than the limit
    };
    Kind kind = Nothing;
    PlaygroundRobot* robot = nullptr;
};

// One step of the rule for object. Robots are looked at in list order, those
// for which takesPart holds: a touching robot ends the step at once (when
// testTouch); a near one counts the step and ends it, completing the rule once
// the count is above limit (the count then starts again from 0); a far one is
// passed over. The count goes back to 0 only in a step in which robots take
// part and none of them is near, so one robot elsewhere does not undo the
// stay of another; a step in which no robot takes part leaves it alone.
template <class TakesPart>
ProximityEvent ProximityStep(const CModel& object, const RobotRoster& robots, int& counter, int limit,
    bool testTouch, TakesPart takesPart);

// One box round the model, measured in the part's own frame so that its
// present pose does not matter; centred on the model's bounds when centred is
// set, else on the part's origin. False for a model with nothing to measure.
bool OwnBoundsBox(const CModel& part, physics::ShapeDesc& box, bool centred);

osg::BoundingBox ObjectBounds(const CModel& object);

} // namespace elements

template <class TakesPart>
elements::ProximityEvent elements::ProximityStep(const CModel& object, const RobotRoster& robots,
    int& counter, int limit, bool testTouch, TakesPart takesPart) {
    const int count = robots.GetRobotCount();
    if (count <= 0)
        return {};
    const osg::BoundingBox own = ObjectBounds(object);
    bool anyTookPart = false;
    for (int i = 0; i < count; ++i) {
        PlaygroundRobot* robot = robots.GetRobot(i);
        osg::BoundingBox body;
        if (!robot || !takesPart(*robot) || !RobotBounds(*robot, body))
            continue;
        anyTookPart = true;
        if (testTouch && Touches(own, body)) {
            counter = 0;
            return { ProximityEvent::Touched, robot };
        }
        if (IsNear(own, body)) {
            if (++counter > limit) {
                counter = 0;
                return { ProximityEvent::Completed, robot };
            }
            return {};
        }
    }
    if (anyTookPart)
        counter = 0;
    return {};
}
