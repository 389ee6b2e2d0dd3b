// The about box's headline: how it lays its text out, how the lens moves,
// and what the mouse does to it.

#include "support/QtPrint.h"
#include "widgets/ArthurFrame.h"
#include "widgets/CMagnifierText.h"

#include <QElapsedTimer>
#include <QImage>
#include <QLineF>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

TEST(CMagnifierText, LaysOutCharactersFromU04FFToU1E00AsOnePath) {
    CMagnifierText text(nullptr, false);
    text.setText(QStringLiteral("Morvane"));
    EXPECT_EQ(text.pathCount(), 7);
    text.setText(QStringLiteral("机器人仿真"));
    EXPECT_EQ(text.pathCount(), 5);
    // The limits of the range, each after two Latin letters.
    const std::pair<char16_t, qsizetype> cases[] = {
        { 1278, 3 },
        { 1279, 1 },
        { 0x05D0, 1 },
        { 7680, 1 },
        { 7681, 3 },
    };
    for (const auto& [unit, paths] : cases) {
        SCOPED_TRACE(int(unit));
        text.setText(QStringLiteral("ab") + QChar(unit));
        EXPECT_EQ(text.pathCount(), paths);
    }
    // The paths start at the corner, with room left of and above the text:
    // drawn at its size, the ink begins 10 pixels right and 3 down. (The
    // tiny lens rests far below, off the widget.)
    CMagnifierText shown(nullptr, false);
    shown.setAnimated(false);
    shown.setRadius(1);
    shown.setText(QStringLiteral("Ma"));
    shown.resize(shown.sizeHint());
    QImage image(shown.size(), QImage::Format_ARGB32);
    shown.render(&image);
    int left = image.width();
    int top = image.height();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 100) {
                left = std::min(left, x);
                top = std::min(top, y);
            }
        }
    }
    EXPECT_NEAR(left, 10, 1);
    EXPECT_NEAR(top, 3, 1);
}

TEST(CMagnifierText, TheLensDriftsWithinTheWidgetAndTheMouseCarriesIt) {
    CMagnifierText text(nullptr, false);
    text.setText(QStringLiteral("Morvane"));
    text.setRadius(10);
    text.resize(200, 40);
    text.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&text));
    EXPECT_TRUE(text.isAnimated());

    // Drifting for a while, bouncing off every edge, it never leaves, and
    // it gets somewhere.
    QPointF start(-1, -1);
    double farthest = 0;
    double top = 40;
    double bottom = 0;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 1500) {
        QTest::qWait(25);
        const QPointF at = text.lensPosition();
        if (start.x() < 0) {
            // Where it starts is put inside first.
            start = at;
            continue;
        }
        ASSERT_GE(at.x(), 10);
        ASSERT_LE(at.x(), 190);
        ASSERT_GE(at.y(), 10);
        ASSERT_LE(at.y(), 30);
        farthest = std::max(farthest, QLineF(start, at).length());
        top = std::min(top, at.y());
        bottom = std::max(bottom, at.y());
    }
    EXPECT_GT(farthest, 40);
    // Up and down between the edges, not along one of them.
    EXPECT_GT(bottom - top, 15);

    // A press stops it, a drag carries it; a click without a drag is a click.
    QSignalSpy clicks(&text, &CMagnifierText::clicked);
    QTest::mousePress(&text, Qt::LeftButton, {}, QPoint(50, 20));
    EXPECT_FALSE(text.isAnimated());
    QTest::mouseMove(&text, QPoint(80, 22));
    EXPECT_EQ(text.lensPosition(), QPointF(80, 22));
    QTest::mouseRelease(&text, Qt::LeftButton, {}, QPoint(80, 22));
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_TRUE(text.isAnimated());
    QTest::mouseClick(&text, Qt::LeftButton, {}, QPoint(100, 20));
    EXPECT_EQ(clicks.count(), 1);
}

TEST(ArthurFrame, SourceShowsAsColouredHtml) {
    const QString html = ArthurFrame::SourceToHtml(QStringLiteral(
        "#include <a.h>\nstatic int x = 42; // \"note\"\nconst char* s = \"a\" \"b\";\n#endif\n"));
    EXPECT_EQ(html,
        QStringLiteral(
            "<html><pre><font color=olive>#include </font>&lt;a.h&gt;\n"
            "<font color=olive>static</font><font color=olive> int </font>x = "
            "<font color=navy>42</font>; <font color=red>// <font color=green>\"note\"</font></font>\n"
            "<font color=olive>const</font> char* s = <font color=green>\"a\"</font> "
            "<font color=green>\"b\"</font>;\n"
            "<font color=navy>#endif</font>\n</pre></html>"));
    // An ampersand is text too: what the source says is what shows.
    EXPECT_EQ(ArthurFrame::SourceToHtml(QStringLiteral("b = a && c; // &lt;\n")),
        QStringLiteral("<html><pre>b = a &amp;&amp; c; <font color=red>// &amp;lt;</font>\n</pre></html>"));
}
