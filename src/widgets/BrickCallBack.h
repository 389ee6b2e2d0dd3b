#pragma once

#include <osg/NodeCallback>

// Turns a model preview on its turntable: every update traversal sets the
// transform to a turn by the same angle about X and about Z, then advances
// the angle by 0.015 radians. The turning speed follows the frame rate.
class BrickCallBack : public osg::NodeCallback {
public:
    static constexpr double kStep = 0.015;

    BrickCallBack() = default;

    void operator()(osg::Node* node, osg::NodeVisitor* nv) override;

    double GetAngle() const { return m_dAngle; }

private:
    double m_dAngle = 0.0;
};
