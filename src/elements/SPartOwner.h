#pragma once

#include <osg/Matrixd>
#include <osg/Vec2f>
#include <osg/Vec3f>
#include <osg/observer_ptr>

#include <array>
#include <vector>

class CModel;

// Where a recorded port of one part sits in its description's port tables:
// table (female 0, male 1), group, kind, direction entry and port.
struct SPortPath {
    int table = -1;
    int group = -1;
    int kind = -1;
    int dir = -1;
    int port = -1;

    bool Valid() const { return port >= 0; }
};

// The port-snapping state that a search keeps between calls: the pair of
// parts and ports recorded last, with their distances and directions, the
// join search's results, and the search's settings.
struct SSnapState {
    // The pair recorded last; observer pointers, so a part that goes away
    // while recorded reads as none.
    osg::observer_ptr<CModel> m_pOtherPart;
    osg::observer_ptr<CModel> m_pDraggedPart;
    // -1 means none.
    double m_dPartDist = -1.0;
    double m_dOtherPortDist = -1.0;
    double m_dOwnPortDist = -1.0;
    // World directions of the recorded pair (for kind 2 the other second
    // direction is the other point's third direction, turned).
    osg::Vec3f m_vOwnDir;
    osg::Vec3f m_vOwnDir2;
    osg::Vec3f m_vOtherDir;
    osg::Vec3f m_vOtherDir2;
    // Indices into the two parts' point lists (-1 none).
    int m_nOwnPort = -1;
    int m_nOtherPort = -1;
    int m_nMatchedKind = 0;
    // The join search: ids of the parts found joined, the other port's world
    // position less the offset's previous value, and the own port direction.
    std::vector<int> m_vecJoinList;
    osg::Vec3f m_vJoinOffset;
    osg::Vec3f m_vJoinDir;
    // Set by the caller: only this part's male points are tried against the
    // other part's female points, and a meeting pair is recorded as a join.
    unsigned char m_cJoinFlag = 0;
    // The kind being compared (2 in the first pass).
    int m_nCurKind = 0;
    // 0 the interactive search (window space, nearest pair); otherwise the
    // join search (3-D, first pair that meets).
    int m_nMode = 0;
    // Sizes of this part's female and male tables and of the other part's
    // male and female tables.
    std::array<int, 4> m_nCount {};
    // The other part's distance from the camera in the current search.
    double m_dMeasuredDist = 0.0;
    // This part's side is male in the pairing being walked.
    unsigned char m_cMaleSide = 0;
    // The interactive search: the two parts' boxes do not meet in the
    // window, so only single ports that meet by their distance can pair.
    bool m_bBoxesApart = false;
    // Where the recorded pair's ports sit in the two parts' port tables.
    SPortPath m_ownCandidate;
    SPortPath m_otherCandidate;

    // Forget the recorded pair's ports and distances before a new search.
    void ResetSearch() {
        m_nOwnPort = -1;
        m_dPartDist = -1.0;
        m_dOtherPortDist = -1.0;
        m_dOwnPortDist = -1.0;
    }
};

// What a part reads of the editor it is placed into (the builders' editing
// state extends it): which builder it is, the height of its ground, the
// camera and window that snapping measures in, and the snapping state.
struct SPartOwner {
    // 1 robot builder, 2 playground builder.
    int m_nAppKind = 0;
    // The height that new parts are dropped onto.
    double m_dGroundHeight = 0.0;
    // The overlay camera's eye: the reference point of every snapping distance.
    osg::Vec3f m_vCameraPos;
    // World to window pixels (view x projection x viewport window matrix).
    osg::Matrixd m_mWindow;
    // The size in pixels of the viewport that m_mWindow maps onto; window
    // coordinates are clamped to it.
    osg::Vec2f m_vViewport { 1440.0f, 1440.0f };
    SSnapState m_snap;
};
