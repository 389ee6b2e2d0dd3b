#include "widgets/CExWidget.h"
#include "widgets/MyPushButton.h"

#include <QApplication>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <QWheelEvent>

#include <osgGA/EventQueue>
#include <osgGA/GUIEventAdapter>
#include <osgViewer/GraphicsWindow>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

class ApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override { m_application = std::make_unique<QApplication>(m_argc, m_argv); }
    void TearDown() override { m_application.reset(); }

private:
    int m_argc = 1;
    char m_name[16] = "widgets_test";
    char* m_argv[2] = { m_name, nullptr };
    std::unique_ptr<QApplication> m_application;
};

[[maybe_unused]] ::testing::Environment* const g_applicationEnvironment
    = ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

// What a host widget sends, in order: "L", "R" or the key code.
class SignalLog {
public:
    explicit SignalLog(CExWidget& widget) {
        QObject::connect(
            &widget, &CExWidget::signal_Ui_Key, [this](int code) { log.push_back(std::to_string(code)); });
        QObject::connect(&widget, &CExWidget::signal_Ui_Left, [this] { log.push_back("L"); });
        QObject::connect(&widget, &CExWidget::signal_Ui_Right, [this] { log.push_back("R"); });
    }
    std::vector<std::string> Take() { return std::exchange(log, {}); }
    std::vector<std::string> log;
};

using Codes = std::vector<std::string>;

std::vector<osgGA::GUIEventAdapter::ScrollingMotion> TakeScrolls(osgViewer::GraphicsWindow& window) {
    osgGA::EventQueue::Events events;
    window.getEventQueue()->takeEvents(events);
    std::vector<osgGA::GUIEventAdapter::ScrollingMotion> scrolls;
    for (const auto& event : events) {
        const osgGA::GUIEventAdapter* adapter = event->asGUIEventAdapter();
        if (adapter && adapter->getEventType() == osgGA::GUIEventAdapter::SCROLL)
            scrolls.push_back(adapter->getScrollingMotion());
    }
    return scrolls;
}

void Wheel(QWidget& widget, int delta) {
    QWheelEvent event(QPointF(10, 10), widget.mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, delta),
        Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&widget, &event);
}

// One key event exactly as given, without the modifier presses QTest adds.
void Press(QWidget& widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent event(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(&widget, &event);
}

void Release(QWidget& widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent event(QEvent::KeyRelease, key, modifiers);
    QApplication::sendEvent(&widget, &event);
}

QImage Render(QWidget& widget) {
    QImage image(widget.size(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    widget.render(&image);
    return image;
}

} // namespace

TEST(CExWidget, TurnsTheEditorKeysIntoCodes) {
    CExWidget widget;
    SignalLog sent(widget);
    // The keys reach it once the view is clicked, not on the way of Tab.
    EXPECT_EQ(widget.focusPolicy(), Qt::ClickFocus);

    Press(widget, Qt::Key_Escape);
    EXPECT_EQ(sent.Take(), Codes({ "14" }));
    // The five chords of the menus' shortcuts are left to the menus.
    for (Qt::Key key : { Qt::Key_Z, Qt::Key_Y, Qt::Key_A, Qt::Key_C, Qt::Key_V })
        Press(widget, key, Qt::ControlModifier);
    EXPECT_EQ(sent.Take(), Codes());
    Press(widget, Qt::Key_K, Qt::ControlModifier);
    // A Control press carries the state before it; Qt reports it with
    // Control held, as the window system's own press does.
    Press(widget, Qt::Key_Control);
    EXPECT_EQ(sent.Take(), Codes({ "12", "12" }));
    // Control with another modifier is no Control chord: it is an arrow.
    Press(widget, Qt::Key_Up, Qt::ControlModifier | Qt::ShiftModifier);
    Press(widget, Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(sent.Take(), Codes({ "15" }));

    Press(widget, Qt::Key_Up);
    Press(widget, Qt::Key_Down);
    Press(widget, Qt::Key_Left);
    Press(widget, Qt::Key_Right);
    Press(widget, Qt::Key_Space);
    EXPECT_EQ(sent.Take(), Codes({ "15", "16", "L", "17", "R", "18" }));

    Release(widget, Qt::Key_Control);
    Release(widget, Qt::Key_Up, Qt::ShiftModifier);
    Release(widget, Qt::Key_Down);
    Release(widget, Qt::Key_Left);
    Release(widget, Qt::Key_Right);
    Release(widget, Qt::Key_Escape);
    EXPECT_EQ(sent.Take(), Codes({ "13", "19", "20", "21", "22" }));
}

TEST(CExWidget, PostsWheelTurnsIntoItsWindowOnly) {
    CExWidget widget;
    widget.resize(100, 100);
    Wheel(widget, 120); // no window yet: nowhere to go, and no crash
    osg::ref_ptr<osgViewer::GraphicsWindowEmbedded> window
        = new osgViewer::GraphicsWindowEmbedded(0, 0, 100, 100);
    widget.SetGraphicsWindow(window.get());
    Wheel(widget, 120);
    Wheel(widget, -120);
    Wheel(widget, 0);
    using S = osgGA::GUIEventAdapter::ScrollingMotion;
    const std::vector<S> expected { osgGA::GUIEventAdapter::SCROLL_UP, osgGA::GUIEventAdapter::SCROLL_DOWN,
        osgGA::GUIEventAdapter::SCROLL_DOWN };
    EXPECT_EQ(TakeScrolls(*window), expected);
}

TEST(CExWidget, StaysOpenWhenClosed) {
    CExWidget widget;
    widget.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
    EXPECT_FALSE(widget.close());
    EXPECT_TRUE(widget.isVisible());
    EXPECT_EQ(widget.windowOpacity(), 1.0);
    widget.slot_Cloce(4);
    EXPECT_DOUBLE_EQ(widget.windowOpacity(), 0.4);
    // The last frame of a fade asks to close, which the host declines.
    widget.slot_Cloce(0);
    EXPECT_TRUE(widget.isVisible());
    EXPECT_DOUBLE_EQ(widget.windowOpacity(), 0.4);
}

// The pixels where a captioned button differs from a plain one of its size.
std::vector<QPoint> CaptionPixels(MyPushButton& button, QPushButton& plain) {
    const QImage ordinary = Render(plain);
    const QImage captioned = Render(button);
    std::vector<QPoint> pixels;
    for (int y = 0; y < captioned.height(); ++y) {
        for (int x = 0; x < captioned.width(); ++x) {
            if (captioned.pixel(x, y) != ordinary.pixel(x, y))
                pixels.emplace_back(x, y);
        }
    }
    return pixels;
}

TEST(MyPushButton, PaintsItsCaptionUpwardsAtAFixedPlace) {
    QWidget parent;
    auto* plain = new QPushButton(&parent);
    auto* button = new MyPushButton(&parent);
    for (QPushButton* b : { plain, static_cast<QPushButton*>(button) }) {
        b->resize(30, 110);
        b->setFocusPolicy(Qt::NoFocus);
    }
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    // Without a caption it is an ordinary button.
    EXPECT_TRUE(CaptionPixels(*button, *plain).empty());

    // A caption turned upwards: taller than wide, centred on (15, 50).
    button->SetText(QStringLiteral("Sensors"));
    EXPECT_EQ(button->GetCaption(), QStringLiteral("Sensors"));
    const std::vector<QPoint> pixels = CaptionPixels(*button, *plain);
    ASSERT_GT(pixels.size(), 30u);
    QRect area(pixels.front(), QSize(1, 1));
    for (const QPoint& pixel : pixels)
        area |= QRect(pixel, QSize(1, 1));
    EXPECT_GT(area.height(), 2 * area.width());
    EXPECT_NEAR(area.center().x(), 15, 3);
    EXPECT_NEAR(area.center().y(), 50, 3);
    EXPECT_GE(area.left(), 2);
    EXPECT_LE(area.right(), 27);

    // A taller button draws it at the same place.
    button->resize(30, 200);
    plain->resize(30, 200);
    EXPECT_EQ(CaptionPixels(*button, *plain), pixels);
}
