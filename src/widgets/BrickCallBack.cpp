#include "widgets/BrickCallBack.h"

#include <osg/MatrixTransform>

void BrickCallBack::operator()(osg::Node* node, osg::NodeVisitor* nv) {
    if (auto* transform = dynamic_cast<osg::MatrixTransform*>(node)) {
        transform->setMatrix(
            osg::Matrixd::rotate(m_dAngle, osg::X_AXIS) * osg::Matrixd::rotate(m_dAngle, osg::Z_AXIS));
        m_dAngle += kStep;
    }
    traverse(node, nv);
}
