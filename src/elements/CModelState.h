#pragma once

#include <QString>

#include <osg/Matrixd>
#include <osg/Quat>
#include <osg/Vec3f>

#include <vector>

// The pose and settings of a part. Every part holds four (current, saved,
// placed and a backup for trial moves); loaders, editors and undo steps copy
// them whole.
struct CModelState {
    osg::Vec3f m_vPos;
    osg::Quat m_qRot;
    // Position minus a reference point (CModel::SetOffsetFrom).
    osg::Vec3f m_vOffset;
    // The part's bounding box relative to its position.
    osg::Vec3f m_vBoxMax;
    osg::Vec3f m_vBoxMin;
    // m_qRot as a matrix, refreshed whenever the rotation is set; a point's
    // world position is its local position times this, plus m_vPos.
    osg::Matrixd m_mRot;
    // Grid snapping: the adjustment of a part without a vertical port, the
    // index of the point used as grid anchor (-1 none) and the offset from
    // the position to the anchor grid's corner.
    osg::Vec3f m_vGridAdjust;
    int m_nGridAnchor = -1;
    osg::Vec3f m_vGridRefOffset;
    // Robot files: the control-unit port a motor, sensor or light is wired to
    // ("port", 0 none), the reversed-direction flag ("opposite") and the ray
    // distance ("raydis").
    int m_nPort = 0;
    int m_nOpposite = 0;
    int m_nRayDis = 255;
    // Applied by CModel::LoadModel; playground "Scale_x" .. "Scale_z".
    osg::Vec3f m_vScale { 1.0f, 1.0f, 1.0f };
    // Trigger zones (playground "TriggerMode", "Score" and the four astronaut flags).
    int m_nTriggerMode = 0;
    int m_nScore = 10;
    unsigned char m_cFlag[4] = {};
    // The display name of a loaded model (playground "N"; the playground's
    // "Name" is the model address).
    QString m_strObjName;
    // Ids of the objects assigned to a delivery zone (playground "Assign%d").
    std::vector<int> m_vecObjList;
    // Playground "Take" and "Only".
    unsigned char m_cTake = 0;
    unsigned char m_cOnly = 0;
};
