#include "widgets/CExWidget.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QWheelEvent>

#include <osgGA/EventQueue>
#include <osgGA/GUIEventAdapter>
#include <osgViewer/GraphicsWindow>

namespace {

enum KeyCode {
    kControlPressed = 12,
    kControlReleased = 13,
    kEscape = 14,
    kUpPressed = 15,
    kDownPressed = 16,
    kLeftPressed = 17,
    kRightPressed = 18,
    kUpReleased = 19,
    kDownReleased = 20,
    kLeftReleased = 21,
    kRightReleased = 22,
};

// The five Control chords that belong to the menus' shortcuts (undo, redo,
// select all, copy, paste).
bool IsMenuChord(int key) {
    return key == Qt::Key_Z || key == Qt::Key_Y || key == Qt::Key_A || key == Qt::Key_C || key == Qt::Key_V;
}

} // namespace

CExWidget::CExWidget(QWidget* parent)
    : QWidget(parent) {
    setFocusPolicy(Qt::ClickFocus);
    setMouseTracking(true);
}

CExWidget::~CExWidget() = default;

void CExWidget::SetGraphicsWindow(osgViewer::GraphicsWindow* window) {
    m_window = window;
}

void CExWidget::slot_Cloce(int frame) {
    if (frame <= 0)
        close();
    else
        setWindowOpacity(frame / 10.0);
}

void CExWidget::mouseDoubleClickEvent(QMouseEvent*) {
    // A double click is not a second press for the editors.
}

void CExWidget::wheelEvent(QWheelEvent* event) {
    // Before the page has its 3-D window there is nowhere to post the turn.
    if (!m_window)
        return;
    const int delta = event->angleDelta().y();
    m_window->getEventQueue()->mouseScroll(
        delta <= 0 ? osgGA::GUIEventAdapter::SCROLL_DOWN : osgGA::GUIEventAdapter::SCROLL_UP);
}

void CExWidget::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Escape) {
        emit signal_Ui_Key(kEscape);
        return;
    }
    if (event->modifiers() == Qt::ControlModifier) {
        if (!IsMenuChord(key))
            emit signal_Ui_Key(kControlPressed);
        return;
    }
    switch (key) {
    case Qt::Key_Up:
        emit signal_Ui_Key(kUpPressed);
        break;
    case Qt::Key_Down:
        emit signal_Ui_Key(kDownPressed);
        break;
    case Qt::Key_Left:
        emit signal_Ui_Left();
        emit signal_Ui_Key(kLeftPressed);
        break;
    case Qt::Key_Right:
        emit signal_Ui_Right();
        emit signal_Ui_Key(kRightPressed);
        break;
    default:
        break;
    }
}

void CExWidget::keyReleaseEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Control:
        emit signal_Ui_Key(kControlReleased);
        break;
    case Qt::Key_Up:
        emit signal_Ui_Key(kUpReleased);
        break;
    case Qt::Key_Down:
        emit signal_Ui_Key(kDownReleased);
        break;
    case Qt::Key_Left:
        emit signal_Ui_Key(kLeftReleased);
        break;
    case Qt::Key_Right:
        emit signal_Ui_Key(kRightReleased);
        break;
    default:
        break;
    }
}

void CExWidget::closeEvent(QCloseEvent* event) {
    // A fade-out that closes at its end would come back here and fade
    // again; the host of a 3-D view simply stays.
    event->ignore();
}
