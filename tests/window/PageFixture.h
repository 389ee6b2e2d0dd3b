#pragma once

// The builder pages' tests (the robot page, the playground page) drive the
// main window as its user does, under Xvfb: in English, in the education
// mode, on the page under test, with the file dialogs and other dialogs
// answered by the test and the mouse moved over the page's 3-D view.

#include "support/ModalWatcher.h"
#include "window/CMainDlg.h"

#include <QDialog>
#include <QEvent>
#include <QFileDialog>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <osg/Vec3f>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>

class QAction;

namespace scene {
class SceneApp;
class SceneView;
} // namespace scene

namespace windowtest {

class PageFixture : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Shows the page under test; the widget that holds its 3-D view.
    virtual QWidget* OpenPage() = 0;
    // The page's application, whose camera the view shows.
    virtual scene::SceneApp& PageApp() const = 0;

    Ui::CMainDlg& W() { return *m_window; }

    // One tick of the frame timer: the scenes' frame, then the page's controls.
    void Step();

    // ---- what the user answers the window's dialogs ------------------------------------------
    // A file dialog takes the next of m_files (each dialog one); any other
    // dialog goes to m_dialogHandler once.
    void Answer(QWidget* modal);

    // ---- the 3-D view, as the mouse moves over it ----------------------------------------------
    QPoint PixelOf(const osg::Vec3f& world) const;
    void Send(QEvent::Type type, const QPoint& at, Qt::MouseButton button, Qt::MouseButtons held);
    void Click(const QPoint& at, Qt::MouseButton button = Qt::LeftButton);

    // A menu command, triggered from the event loop as a click on it is.
    void Press(QAction* action);
    // A key as the user presses it, in the window (which a closed dialog
    // may have left inactive for a moment: shortcuts go to the active one).
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

    std::unique_ptr<Ui::CMainDlg> m_window;
    scene::SceneView* m_view = nullptr;
    testsupport::ModalWatcher m_watcher;
    std::deque<QString> m_files;
    QStringList m_fileFolders;
    QPointer<QFileDialog> m_lastFiles;
    QPointer<QDialog> m_lastDialog;
    std::function<void(QDialog*)> m_dialogHandler;
};

} // namespace windowtest
