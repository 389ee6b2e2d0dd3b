#pragma once

#include "elements/CPoint.h"

#include <osg/Vec3f>
#include <osg/Vec4f>

#include <array>
#include <string>
#include <vector>

struct CModelData;

// One collision box of a model description: a centre and three half-axis
// vectors in the part's own frame (the box spans centre +- each vector).
struct SBoxDesc {
    osg::Vec3f m_vCenter;
    std::vector<osg::Vec3f> m_vecAxes;
};

// The port tables file the points of a description by side (female, male),
// capture range, kind and direction. A port of a grid point lists its rows,
// and each row its cells; every number is an index into the description's
// point list.
struct SPortRow {
    int m_nRow = -1;
    std::vector<int> m_vecCells;
};

struct SPort {
    int m_nPoint = -1;
    std::vector<SPortRow> m_vecRows;
};

struct SPortDir {
    osg::Vec3f m_vDir;
    osg::Vec3f m_vDir2;
    std::vector<SPort> m_vecPorts;
};

struct SPortGroup {
    static constexpr int kKinds = 5;
    double m_dRange = 0.0;
    std::array<std::vector<SPortDir>, kKinds> m_vecDirs;
};

// What a part knows of its model beyond the visual model: its address (which
// keys its entry in the model database), type codes, connection points with
// their port tables, collision boxes, its own bounding box as a point with
// eight corners, and a brick's colour.
//
// A copied description has no owner: its points answer in the part's own
// frame until the copy sits in a part's record. Assigning into a description
// keeps the description's owner and points every copied point at it.
struct CModelDesc {
    enum Side { Female = 0, Male = 1 };

    std::string m_strAddress;
    int m_nType = 0;
    int m_nSubType = 0;
    std::vector<CPoint> m_vecPoints;
    std::array<std::vector<SPortGroup>, 2> m_vecPortTable;
    std::vector<SBoxDesc> m_vecBoxes;
    CPoint m_ownBox;
    osg::Vec4f m_vColor { 0.0f, 0.0f, 0.0f, 0.0f };

    CModelDesc() = default;
    CModelDesc(const CModelDesc& other);
    CModelDesc& operator=(const CModelDesc& other);

    const CModelData* Owner() const { return m_pOwner; }
    // Gives the description and every point of it this owner.
    void SetOwner(const CModelData* owner);

    void ClearPorts();

private:
    const CModelData* m_pOwner = nullptr;
};
