#include "elements/CSlope.h"

#include "collision/CDrawableVisitor.h"
#include "physics/ShapeDesc.h"
#include "physics/Solid.h"
#include "scene/NodeMasks.h"

namespace {

constexpr physics::Material kSlopeMaterial { 1.0, 1.0, 0.0 };

} // namespace

CSlope::CSlope(PartContextPtr context, const std::string& address)
    : CModel(std::move(context), address) {
    SetType(ModelTypeSlope);
}

CSlope::CSlope(PartContextPtr context, const std::string& address, const osg::Vec3f& scale)
    : CModel(std::move(context), address, scale) {
    SetType(ModelTypeSlope);
}

void CSlope::CreateSolid(physics::PhysicsWorld* world, int contactGroup) {
    physics::Solid* solid = BeginSolid(world, contactGroup);
    if (!solid)
        return;
    CDrawableVisitor visitor;
    visitor.setTraversalMask(scene::kMeasuredBit);
    GetOSGNode()->accept(visitor);
    // The triangles came through the pose node's matrix; the mesh belongs in
    // the part's own frame, whatever pose the part has now. The solid keeps
    // its own copy of the arrays.
    const osg::Matrixd toOwn = osg::Matrixd::inverse(GetOSGNode()->getMatrix());
    const std::vector<osg::Vec3f>& collected = visitor.record().m_vVertices;
    std::vector<physics::Vec3> vertices;
    std::vector<std::array<int, 3>> triangles;
    vertices.reserve(collected.size());
    triangles.reserve(collected.size() / 3);
    for (std::size_t i = 0; i + 2 < collected.size(); i += 3) {
        const int first = int(vertices.size());
        for (std::size_t k = 0; k < 3; ++k) {
            const osg::Vec3d v = osg::Vec3d(collected[i + k]) * toOwn;
            vertices.emplace_back(v.x(), v.y(), v.z());
        }
        triangles.push_back({ first, first + 1, first + 2 });
    }
    physics::ShapeDesc mesh = physics::ShapeDesc::mesh(std::move(vertices), std::move(triangles));
    mesh.material = kSlopeMaterial;
    mesh.contactGroup = contactGroup;
    solid->addShape(mesh);
}
