#include "apps/AdapterWidget.h"

AdapterWidget::AdapterWidget(QWidget* parent, const QOpenGLWidget*, Qt::WindowFlags flags)
    : SceneView(parent, flags) {
    SetButtonMapping(ButtonMapping::Adapter);
    setFocusPolicy(Qt::ClickFocus);
}
