#pragma once

#include <osg/Node>
#include <osg/Vec3>
#include <osg/ref_ptr>

#include <vector>

namespace scene {

class Camera;
class SceneObject;

// One surface under a window point.
struct PickHit {
    osg::NodePath nodePath; // from the node searched down to the drawable hit
    osg::Vec3 worldPoint;
    osg::Vec3 worldNormal;
    double ratio = 0.0; // along the view ray: smaller is nearer
};

// Every surface of root's subgraph under the window pixel (x from the left,
// y from the bottom of the camera's viewport), nearest first. Switched-off
// objects are not hit; overlays drawn by cameras of their own (the compass,
// screen-space rectangles) are skipped. traversalMask selects nodes by mask;
// the default takes every node that is drawn.
std::vector<PickHit> PickAll(const Camera& camera, osg::Node* root, float pixelX, float pixelY,
    osg::Node::NodeMask traversalMask = 0xffffffffu);

// True when node lies on the hit's node path.
bool IsOnPath(const PickHit& hit, const osg::Node* node);

struct PickResult {
    SceneObject* object = nullptr;
    osg::Vec3 worldPoint;
    explicit operator bool() const { return object != nullptr; }
};

// The nearest hit that belongs to one of the candidates: the hits are tried
// nearest first, and for each hit the candidates in their order; the first
// candidate whose node is on the hit's path wins. A hit on a child object
// thus belongs to its parent when only the parent is a candidate.
PickResult FindPickedObject(const std::vector<PickHit>& hits, const std::vector<SceneObject*>& candidates);

} // namespace scene
