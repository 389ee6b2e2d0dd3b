#pragma once

#include <QWidget>

#include <osg/ref_ptr>

namespace osgViewer {
class GraphicsWindow;
}

// The plain widget a tab page hosts its 3-D view in. It turns the keys the
// editors use into small codes (signal_Ui_Key), and posts mouse-wheel turns
// into the 3-D window's event queue, where the page's scene application takes
// them as scroll events.
//
// Codes: 12 Control held, 13 Control released, 14 Escape, 15-18 arrow Up,
// Down, Left, Right pressed, 19-22 the same released. 0 is never sent.
class CExWidget : public QWidget {
    Q_OBJECT

public:
    explicit CExWidget(QWidget* parent = nullptr);
    ~CExWidget() override;

    // Keeps the page's 3-D window (replacing any earlier one).
    void SetGraphicsWindow(osgViewer::GraphicsWindow* window);
    osgViewer::GraphicsWindow* GetGraphicsWindow() const { return m_window.get(); }

signals:
    void signal_Ui_Key(int code);
    void signal_Ui_Left();
    void signal_Ui_Right();

public slots:
    // A fade frame: 0 or less closes the widget, more sets its opacity to
    // frame / 10.
    void slot_Cloce(int frame);

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    osg::ref_ptr<osgViewer::GraphicsWindow> m_window;
};
