#include "elements/CModelDesc.h"

CModelDesc::CModelDesc(const CModelDesc& other)
    : m_strAddress(other.m_strAddress)
    , m_nType(other.m_nType)
    , m_nSubType(other.m_nSubType)
    , m_vecPoints(other.m_vecPoints)
    , m_vecPortTable(other.m_vecPortTable)
    , m_vecBoxes(other.m_vecBoxes)
    , m_ownBox(other.m_ownBox)
    , m_vColor(other.m_vColor) {
    SetOwner(nullptr);
}

CModelDesc& CModelDesc::operator=(const CModelDesc& other) {
    if (this == &other)
        return *this;
    m_strAddress = other.m_strAddress;
    m_nType = other.m_nType;
    m_nSubType = other.m_nSubType;
    m_vecPoints = other.m_vecPoints;
    m_vecPortTable = other.m_vecPortTable;
    m_vecBoxes = other.m_vecBoxes;
    m_ownBox = other.m_ownBox;
    m_vColor = other.m_vColor;
    SetOwner(m_pOwner);
    return *this;
}

void CModelDesc::SetOwner(const CModelData* owner) {
    m_pOwner = owner;
    for (CPoint& p : m_vecPoints)
        p.m_pOwner = owner;
    m_ownBox.m_pOwner = owner;
}

void CModelDesc::ClearPorts() {
    m_vecPoints.clear();
    m_vecPortTable[Female].clear();
    m_vecPortTable[Male].clear();
}
