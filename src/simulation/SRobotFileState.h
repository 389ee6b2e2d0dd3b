#pragma once

#include "elements/CModel.h"
#include "elements/PartContext.h"
#include "elements/SPartOwner.h"

#include <osg/ref_ptr>

#include <atomic>
#include <string>
#include <vector>

class CConfig;

// Why the builder's file worker failed, for a message in the user's
// language.
enum class RobotFileFault {
    None,
    Unreadable, // the file cannot be read (the errno value says why; EFBIG: too large)
    NotARobot, // neither layout of a robot file
    NoControlUnit, // a robot file without a control unit, or without parts
    UnsafeAddress, // a part's model address leaves the program folder
    NoModel, // the control unit's model cannot be loaded (the place names it)
    Nothing, // a save with no part to save
    Unwritable, // the file cannot be written (the errno value says why)
};

// The part of the robot builder's editing state that its file worker works
// on: the robot file, the busy state and progress (atomic: the builder polls
// them in every frame while the worker writes them), the list of all parts
// and the build-order counter, and what loaded parts are made from and
// placed into.
//
// Busy states: 0 idle, 1 loading, 2 saving while the worker runs; then 3
// load failed, 4 loaded, 5 saved (the builder then marks its undo history
// clean, in its own thread), 6 save failed, until the builder's end slot
// sets 0 again. The builder leaves the rest of the state alone until the
// worker has finished.
struct SRobotFileState {
    std::string m_strRobotFile;
    std::atomic<int> m_nBusy { 0 };
    std::atomic<int> m_nProgress { 0 };
    // Every part of the robot, in the order added.
    std::vector<osg::ref_ptr<CModel>> m_vecAllParts;
    // The id the next added part gets.
    int m_nBuildCounter = 0;
    // The builder that loaded parts are placed into (not owned), the
    // configuration (the studio and its colour objects) and the model
    // database.
    SPartOwner* m_pPartOwner = nullptr;
    const CConfig* m_pConfig = nullptr;
    PartContextPtr m_pPartContext;
    // After a save: the saved robot's motors that drive no wheel, by their
    // place among its motors (IdleMotors).
    std::vector<int> m_vecIdleMotors;
    // Why the last job failed: the fault, the errno value where the system
    // refused, and the place in the file (a model address).
    RobotFileFault m_fault = RobotFileFault::None;
    int m_nFileError = 0;
    std::string m_strFaultPlace;
};
