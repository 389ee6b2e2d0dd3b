#pragma once

#include "scene/SceneView.h"

// The Qt widget hosting an embedded OpenSceneGraph graphics window that the
// model preview builds on: the scene layer's view with the adapter's button
// rule (a right press is button 1, any other press 0) and click focus. Size
// changes, presses and pointer movements go into the graphics window's event
// queue, where the viewer drawing into it takes them.
class AdapterWidget : public scene::SceneView {
    Q_OBJECT

public:
    // Qt 6 shares every widget's GL context with the others of its window,
    // so the share widget is not needed.
    explicit AdapterWidget(
        QWidget* parent = nullptr, const QOpenGLWidget* shareWidget = nullptr, Qt::WindowFlags flags = {});

    osgViewer::GraphicsWindowEmbedded* getGraphicsWindow() const { return GetGraphicsWindow(); }
};
