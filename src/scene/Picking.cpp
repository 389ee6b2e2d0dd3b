#include "scene/Picking.h"

#include "scene/Camera.h"
#include "scene/SceneObject.h"

#include <osg/Viewport>
#include <osgUtil/IntersectionVisitor>
#include <osgUtil/LineSegmentIntersector>

#include <algorithm>

namespace scene {

namespace {

// Cameras inside the graph draw overlays in screen space; what the user
// points at is the world behind them.
class WorldOnlyIntersectionVisitor : public osgUtil::IntersectionVisitor {
public:
    using osgUtil::IntersectionVisitor::IntersectionVisitor;

    void apply(osg::Camera& camera) override {
        if (camera.getRenderOrder() != osg::Camera::NESTED_RENDER
            || camera.getReferenceFrame() != osg::Transform::RELATIVE_RF)
            return;
        osgUtil::IntersectionVisitor::apply(camera);
    }

    // Searches root as the camera sees it, as accepting the camera itself
    // would, without making root the camera's child.
    void SearchFrom(const osg::Camera& camera, osg::Node& root) {
        pushWindowMatrix(const_cast<osg::Viewport*>(camera.getViewport()));
        pushProjectionMatrix(new osg::RefMatrix(camera.getProjectionMatrix()));
        pushViewMatrix(new osg::RefMatrix(camera.getViewMatrix()));
        pushModelMatrix(new osg::RefMatrix());
        push_clone();
        root.accept(*this);
        pop_clone();
        popModelMatrix();
        popViewMatrix();
        popProjectionMatrix();
        popWindowMatrix();
    }
};

} // namespace

std::vector<PickHit> PickAll(
    const Camera& camera, osg::Node* root, float pixelX, float pixelY, osg::Node::NodeMask traversalMask) {
    std::vector<PickHit> hits;
    const osg::Camera* osgCamera = camera.GetOSGCamera();
    if (!root || !osgCamera->getViewport())
        return hits;

    osg::ref_ptr<osgUtil::LineSegmentIntersector> intersector
        = new osgUtil::LineSegmentIntersector(osgUtil::Intersector::WINDOW, pixelX, pixelY);
    WorldOnlyIntersectionVisitor visitor(intersector.get());
    visitor.setTraversalMask(traversalMask);
    visitor.SearchFrom(*osgCamera, *root);

    for (const auto& intersection : intersector->getIntersections()) {
        PickHit hit;
        hit.nodePath = intersection.nodePath;
        hit.worldPoint = intersection.getWorldIntersectPoint();
        hit.worldNormal = intersection.getWorldIntersectNormal();
        hit.ratio = intersection.ratio;
        hits.push_back(std::move(hit));
    }
    return hits;
}

bool IsOnPath(const PickHit& hit, const osg::Node* node) {
    return node && std::find(hit.nodePath.begin(), hit.nodePath.end(), node) != hit.nodePath.end();
}

PickResult FindPickedObject(const std::vector<PickHit>& hits, const std::vector<SceneObject*>& candidates) {
    for (const PickHit& hit : hits) {
        for (SceneObject* candidate : candidates) {
            if (candidate && IsOnPath(hit, candidate->GetOSGNode()))
                return { candidate, hit.worldPoint };
        }
    }
    return {};
}

} // namespace scene
