#pragma once

#include <osg/Node>

namespace scene {

// Node masks that the scene layer gives meaning to.
//
// Every node the layer makes carries all bits, except:
// - a switched-off object's top node carries none, so drawing and picking
//   skip it;
// - a helper node (selection boxes, overlays, the compass: things drawn to
//   help the user, not things in the world) lacks kMeasuredBit, so bounding
//   boxes and other measurements leave it out while it is still drawn and
//   picked.
// Measuring visitors use kMeasuredBit as their traversal mask.
constexpr osg::Node::NodeMask kAllBits = 0xffffffffu;
constexpr osg::Node::NodeMask kMeasuredBit = 0x40000000u;
constexpr osg::Node::NodeMask kHelperMask = kAllBits & ~kMeasuredBit;
constexpr osg::Node::NodeMask kSwitchedOffMask = 0u;

inline void MarkAsHelper(osg::Node& node) {
    node.setNodeMask(kHelperMask);
}

inline bool IsHelper(const osg::Node& node) {
    return node.getNodeMask() != kSwitchedOffMask && (node.getNodeMask() & kMeasuredBit) == 0;
}

} // namespace scene
