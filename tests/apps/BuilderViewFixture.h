#pragma once

// A builder in a window under Xvfb, driven by real mouse events through its
// 3-D view: the robot builder's and the playground builder's tests share it.

#include "BuilderFixture.h"

#include "apps/CCam.h"
#include "apps/SEditState.h"
#include "scene/FrameLoop.h"
#include "scene/SceneView.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPoint>
#include <QTest>
#include <QWidget>

#include <osg/Vec3f>
#include <osg/ref_ptr>

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <vector>

namespace appstest {

// Widths that are powers of two keep pixel positions exact through the
// normalised coordinates the events travel in.
constexpr int kViewWidth = 1024;
constexpr int kViewHeight = 512;

template <class Builder> class BuilderViewFixture : public ::testing::Test {
protected:
    void SetUp() override {
        m_window.resize(kViewWidth, kViewHeight);
        m_view = new scene::SceneView(&m_window);
        m_view->resize(kViewWidth, kViewHeight);
        m_app = new Builder("config.xml", m_view, Config(), Context());
        m_loop.AddApp(m_app.get());
        m_loop.Start();
        m_window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_window));
        QApplication::processEvents();
        Step();
        Step();
    }

    void Step() {
        m_loop.Step();
        QApplication::processEvents();
    }

    Builder& App() { return *m_app; }
    const SEditState& Edit() const { return m_app->GetEditState(); }

    // The view's pixel (from its top left) where a world point is drawn.
    QPoint PixelOf(const osg::Vec3f& world) {
        const osg::Vec3d p = osg::Vec3d(world) * m_app->GetCamera()->GetWindowMatrix();
        return QPoint(int(std::lround(p.x())), kViewHeight - int(std::lround(p.y())));
    }

    // Mouse events as Qt hands them to the view, with the buttons held.
    void Send(QEvent::Type type, const QPoint& at, Qt::MouseButton button) {
        QMouseEvent event(
            type, QPointF(at), m_view->mapToGlobal(QPointF(at)), button, m_buttons, Qt::NoModifier);
        QApplication::sendEvent(m_view, &event);
        Step();
    }
    void MoveTo(const QPoint& at) { Send(QEvent::MouseMove, at, Qt::NoButton); }
    void Press(const QPoint& at, Qt::MouseButton button = Qt::LeftButton) {
        m_buttons |= button;
        Send(QEvent::MouseButtonPress, at, button);
    }
    void Release(const QPoint& at, Qt::MouseButton button = Qt::LeftButton) {
        m_buttons &= ~Qt::MouseButtons(button);
        Send(QEvent::MouseButtonRelease, at, button);
    }
    void Click(const QPoint& at, Qt::MouseButton button = Qt::LeftButton) {
        MoveTo(at);
        Press(at, button);
        Release(at, button);
    }
    // Drags with the left button through the given points.
    void Drag(const std::vector<QPoint>& path) {
        MoveTo(path.front());
        Press(path.front());
        for (std::size_t i = 1; i < path.size(); ++i)
            MoveTo(path[i]);
        Release(path.back());
    }

    QWidget m_window;
    scene::SceneView* m_view = nullptr;
    Qt::MouseButtons m_buttons;
    osg::ref_ptr<Builder> m_app;
    scene::FrameLoop m_loop;
};

} // namespace appstest
