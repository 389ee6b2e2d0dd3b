#include "apps/AdapterWidget.h"

#include <QMouseEvent>

#include <osgGA/EventQueue>
#include <osgViewer/GraphicsWindow>

#include <cstdio>

AdapterWidget::AdapterWidget(QWidget* parent, const QOpenGLWidget*, Qt::WindowFlags flags)
    : QOpenGLWidget(parent, flags)
    , m_gw(new osgViewer::GraphicsWindowEmbedded(0, 0, qMax(1, width()), qMax(1, height()))) {
    // Qt 6 shares every widget's context with the others of the window, so
    // there is no share widget to pass on.
    setFocusPolicy(Qt::ClickFocus);
}

AdapterWidget::~AdapterWidget() {
    m_gw = nullptr;
}

void AdapterWidget::resizeGL(int width, int height) {
    m_gw->getEventQueue()->windowResize(0, 0, width, height);
    m_gw->resized(0, 0, width, height);
}

void AdapterWidget::mousePressEvent(QMouseEvent* event) {
    m_nButton = event->button() == Qt::RightButton ? 1 : 0;
    m_gw->getEventQueue()->mouseButtonPress(
        float(event->position().x()), float(event->position().y()), unsigned(m_nButton));
    if (m_nButton == 1) {
        std::fputs("right\n", stdout);
        std::fflush(stdout);
    }
}

void AdapterWidget::mouseMoveEvent(QMouseEvent* event) {
    m_gw->getEventQueue()->mouseMotion(float(event->position().x()), float(event->position().y()));
}
