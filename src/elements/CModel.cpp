#include "elements/CModel.h"

#include "collision/CollisionModel3D.h"
#include "elements/CModelBox.h"
#include "elements/Geometry.h"

#include <algorithm>

CModel::CModel(PartContextPtr context, const std::string& address)
    : CModel(std::move(context), address, osg::Vec3f(1.0f, 1.0f, 1.0f)) { }

CModel::CModel(PartContextPtr context, const std::string& address, const osg::Vec3f& scale)
    : CElement(ElementKindModel)
    , m_pContext(context ? std::move(context)
                         : std::make_shared<const PartContext>(PartConstants(), ModelDatabase())) {
    Init(address, scale);
}

CModel::~CModel() {
    DestroySolid();
}

void CModel::Init(const std::string& address, const osg::Vec3f& scale) {
    DestroySolid();
    m_cLocked = 0;
    m_record.m_data.m_nId = 0;
    m_pSimulator.reset();
    m_cJoined = 0;
    CModelDesc& desc = GetDesc();
    desc.m_strAddress = address;
    desc.m_nSubType = 0;
    m_pCollision.reset();
    CModelState& state = GetState();
    state.m_vScale = scale;
    state.m_nTriggerMode = 0;
    state.m_nScore = 10;
    state.m_nPort = 0;
    state.m_nOpposite = 0;
    SetRayDis(255);
    std::fill(std::begin(state.m_cFlag), std::end(state.m_cFlag), 0);
    m_record.m_saved = state;
}

bool CModel::LoadModel() {
    if (!LoadFile(GetAddress(), GetType() != ModelTypeColoredLight))
        return false;
    SetScale(GetState().m_vScale);
    return true;
}

bool CModel::Rotate(const osg::Quat& q) {
    scene::Transform t;
    GetTransform(t, scene::CoordSys::Absolute);
    t.SetRotation(t.GetQuat() * q);
    SetTransform(t, scene::CoordSys::Absolute);
    return CElement::Rotate(q);
}

// ---- model description and ports ------------------------------------------------------

bool CModel::ReadBoxes() {
    const ModelEntry* entry = Context().Database().Find(GetAddress());
    if (!entry)
        return false;
    // Boxes are written for the model at its own size; a scaled part gets
    // them scaled with it, so its collision and physics boxes fit its model.
    const osg::Vec3f& scale = GetState().m_vScale;
    auto scaled = [&](const osg::Vec3f& v) {
        return osg::Vec3f(v.x() * scale.x(), v.y() * scale.y(), v.z() * scale.z());
    };
    std::vector<SBoxDesc>& boxes = GetDesc().m_vecBoxes;
    boxes.clear();
    for (const SBoxDesc& box : entry->boxes) {
        SBoxDesc b;
        b.m_vCenter = scaled(box.m_vCenter);
        for (const osg::Vec3f& a : box.m_vecAxes)
            b.m_vecAxes.push_back(scaled(a));
        boxes.push_back(b);
    }
    return !boxes.empty();
}

void CModel::ReadPoints() {
    CModelDesc& desc = GetDesc();
    desc.ClearPorts();
    const ModelEntry* entry = Context().Database().Find(GetAddress());
    if (!entry)
        return;
    const osg::Vec3f& scale = GetState().m_vScale;
    for (CPoint p : entry->points) {
        p.m_vPos.set(p.m_vPos.x() * scale.x(), p.m_vPos.y() * scale.y(), p.m_vPos.z() * scale.z());
        std::vector<SPortGroup>& table
            = desc.m_vecPortTable[p.m_nMale == 1 ? CModelDesc::Male : CModelDesc::Female];
        auto group = std::find_if(
            table.begin(), table.end(), [&](const SPortGroup& g) { return g.m_dRange == p.m_dRange; });
        if (group == table.end()) {
            SPortGroup g;
            g.m_dRange = p.m_dRange;
            table.push_back(g);
            group = table.end() - 1;
        }
        std::vector<SPortDir>& dirs = group->m_vecDirs[p.m_nKind];
        auto matches = [&](const SPortDir& d) {
            if (p.m_nKind == 0)
                return !(CosAngle3D(d.m_vDir, p.m_vDir, true) < 1.0f);
            if (p.m_nKind == 2)
                return !(CosAngle3D(d.m_vDir, p.m_vDir) < 1.0f) && !(CosAngle3D(d.m_vDir2, p.m_vDir2) < 1.0f);
            return !(CosAngle3D(d.m_vDir, p.m_vDir) < 1.0f);
        };
        auto dir = std::find_if(dirs.begin(), dirs.end(), matches);
        if (dir == dirs.end()) {
            SPortDir d;
            d.m_vDir = p.m_vDir;
            d.m_vDir2 = p.m_vDir2;
            dirs.push_back(d);
            dir = dirs.end() - 1;
        }
        AddPortPoint(p, *dir);
    }
    desc.SetOwner(&m_record.m_data);
}

void CModel::AddPortPoint(const CPoint& point, SPortDir& dir) {
    // A copy: the caller's point may live in the list that grows below.
    const CPoint p = point;
    const PartConstants& k = Constants();
    std::vector<CPoint>& points = GetDesc().m_vecPoints;
    const int a = int(points.size());
    points.push_back(p);
    points.back().m_pOwner = &m_record.m_data;
    points.back().BuildPoints(k);
    dir.m_vecPorts.push_back(SPort { a, {} });
    SPort& port = dir.m_vecPorts.back();
    if (p.GridCount() == 1) {
        port.m_vecRows.push_back(SPortRow { a, { a } });
        return;
    }
    const osg::Matrixd r = p.Frame();
    const osg::Vec3f ex = RotateVec3(osg::Vec3f(k.gridCell.x(), 0.0f, 0.0f), r);
    const osg::Vec3f ey = RotateVec3(osg::Vec3f(0.0f, k.gridCell.y(), 0.0f), r);
    osg::Vec3f rowStart = p.m_vPos - ex * ((p.m_nGridX - 1) / 2.0f);
    osg::Vec3f cellStart = rowStart - ey * ((p.m_nGridY - 1) / 2.0f);
    for (int i = 0; i < p.m_nGridX; ++i) {
        CPoint row = p;
        row.m_vPos = rowStart;
        row.m_nGridX = 1;
        row.m_pOwner = &m_record.m_data;
        row.BuildPoints(k);
        const int rowIndex = int(points.size());
        points.push_back(row);
        SPortRow portRow { rowIndex, {} };
        if (p.m_nGridY == 1) {
            portRow.m_vecCells.push_back(rowIndex);
        } else {
            osg::Vec3f at = cellStart;
            for (int j = 0; j < p.m_nGridY; ++j, at += ey) {
                CPoint cell = p;
                cell.m_vPos = at;
                cell.m_nGridX = 1;
                cell.m_nGridY = 1;
                cell.m_pOwner = &m_record.m_data;
                cell.BuildPoints(k);
                portRow.m_vecCells.push_back(int(points.size()));
                points.push_back(cell);
            }
        }
        port.m_vecRows.push_back(portRow);
        rowStart += ex;
        cellStart += ex;
    }
}

const CPoint* CModel::GetPoint(int i) const {
    const std::vector<CPoint>& points = GetDesc().m_vecPoints;
    return (i >= 0 && i < int(points.size())) ? &points[i] : nullptr;
}

int CModel::GetPointGrid(int i, int which) const {
    const CPoint* p = GetPoint(i);
    if (!p)
        return 0;
    if (which == 0)
        return p->m_nGridX;
    if (which == 1)
        return p->m_nGridY;
    return p->GridCount();
}

// ---- selection box ----------------------------------------------------------------------

void CModel::CreateBox(const osg::Vec3f& min, const osg::Vec3f& max) {
    if (m_pBox)
        RemoveChild(m_pBox.get());
    m_pBox = new CModelBox(this, min, max);
}

void CModel::ShowBox(bool show, int colour) {
    if (!m_pBox)
        return;
    m_pBox->SetColor(colour);
    m_pBox->SetActive(show);
}
