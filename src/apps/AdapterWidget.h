#pragma once

#include <QOpenGLWidget>

#include <osg/ref_ptr>

namespace osgViewer {
class GraphicsWindowEmbedded;
}

// A Qt OpenGL widget hosting an embedded OpenSceneGraph graphics window: the
// base of the model preview. It passes size changes, presses and pointer
// movements into the graphics window's event queue, where a viewer drawing
// into it takes them. A right press is button 1, every other press button 0.
class AdapterWidget : public QOpenGLWidget {
    Q_OBJECT

public:
    explicit AdapterWidget(
        QWidget* parent = nullptr, const QOpenGLWidget* shareWidget = nullptr, Qt::WindowFlags flags = {});
    ~AdapterWidget() override;

    osgViewer::GraphicsWindowEmbedded* getGraphicsWindow() const { return m_gw.get(); }

protected:
    void resizeGL(int width, int height) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

    osg::ref_ptr<osgViewer::GraphicsWindowEmbedded> m_gw;
    // The last pressed button: 1 right, 0 any other.
    int m_nButton = 0;
};
