#pragma once

#include "elements/CModelDesc.h"
#include "elements/CModelState.h"

// A description with the current state: the unit that clipboards, object
// groups and the playground reader hold.
struct CModelInfo {
    CModelDesc m_desc;
    CModelState m_state;
};

// A part's id (robot and playground files' "id"/"ID"), its description and
// current state, and its state as of its last placement or undo step.
//
// The record owns the points of its description: a record built or assigned
// from another points every point at itself, so that world positions always
// follow this record's current state.
struct CModelData {
    int m_nId = 0;
    CModelInfo m_info;
    CModelState m_placed;

    CModelData() { m_info.m_desc.SetOwner(this); }
    CModelData(const CModelData& other)
        : m_nId(other.m_nId)
        , m_info(other.m_info)
        , m_placed(other.m_placed) {
        m_info.m_desc.SetOwner(this);
    }
    // The description keeps this record as its owner (see CModelDesc).
    CModelData& operator=(const CModelData& other) = default;
};

// Everything a part records of itself: its data, the saved state (the pose
// editors put it back to) and a backup of the current state before a trial
// move.
struct CModelRecord {
    CModelData m_data;
    CModelState m_saved;
    CModelState m_backup;
};
