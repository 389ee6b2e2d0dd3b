#include "PageFixture.h"

#include "foundation/CConfig.h"
#include "scene/Camera.h"
#include "scene/SceneApp.h"
#include "scene/SceneView.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>

#include <cmath>

namespace windowtest {

void PageFixture::SetUp() {
    CConfig& config = CConfig::Instance();
    config.SetLanguage(1, false);
    config.m_nRunMode = RunModeEducation;
    m_watcher.SetHandler([this](QWidget* modal) { Answer(modal); });
    m_window = std::make_unique<Ui::CMainDlg>(config);
    m_window->FrameLoop().Start();
    m_window->showMaximized();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
    m_view = OpenPage()->findChild<scene::SceneView*>();
    ASSERT_NE(m_view, nullptr);
    Step();
    Step();
}

void PageFixture::TearDown() {
    m_watcher.SetHandler({});
    m_window.reset();
}

void PageFixture::Step() {
    W().slot_Update();
    QApplication::processEvents();
}

void PageFixture::Answer(QWidget* modal) {
    if (auto* files = qobject_cast<QFileDialog*>(modal)) {
        auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (m_files.empty() || !name || !files->isVisible() || files == m_lastFiles)
            return;
        m_lastFiles = files;
        m_fileFolders << files->directory().absolutePath();
        name->setText(m_files.front());
        m_files.pop_front();
        QTest::keyClick(name, Qt::Key_Return);
    } else if (auto* dialog = qobject_cast<QDialog*>(modal); dialog && m_dialogHandler) {
        if (dialog == m_lastDialog)
            return;
        m_lastDialog = dialog;
        m_dialogHandler(dialog);
    }
}

QPoint PageFixture::PixelOf(const osg::Vec3f& world) const {
    const osg::Vec3d p = osg::Vec3d(world) * PageApp().GetCamera()->GetWindowMatrix();
    return QPoint(int(std::lround(p.x())), m_view->height() - int(std::lround(p.y())));
}

void PageFixture::Send(QEvent::Type type, const QPoint& at, Qt::MouseButton button, Qt::MouseButtons held) {
    QMouseEvent event(type, QPointF(at), m_view->mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(m_view, &event);
    Step();
}

void PageFixture::Click(const QPoint& at, Qt::MouseButton button) {
    Send(QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton);
    Send(QEvent::MouseButtonPress, at, button, button);
    Send(QEvent::MouseButtonRelease, at, button, Qt::NoButton);
}

void PageFixture::Press(QAction* action) {
    QMetaObject::invokeMethod(action, &QAction::trigger, Qt::QueuedConnection);
    QTest::qWait(0);
}

void PageFixture::Key(Qt::Key key, Qt::KeyboardModifiers modifiers) {
    if (!m_window->isActiveWindow()) {
        m_window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
    }
    QTest::keyClick(m_window.get(), key, modifiers);
}

} // namespace windowtest
