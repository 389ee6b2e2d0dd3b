#include "widgets/MyPushButton.h"

#include <QFontMetrics>
#include <QStyleOptionButton>
#include <QStylePainter>

MyPushButton::MyPushButton(QWidget* parent)
    : QPushButton(parent) { }

void MyPushButton::SetText(QString caption) {
    m_sCaption = std::move(caption);
}

void MyPushButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    painter.drawControl(QStyle::CE_PushButton, option);
    if (m_sCaption.isEmpty())
        return;

    painter.setRenderHint(QPainter::Antialiasing);
    // A fixed anchor: the caption sits where the bar's 30 x 110 buttons have
    // room for it, whatever the button's size, and reads upwards.
    painter.translate(15, 50);
    painter.rotate(-90);
    DrawCaption(painter, option);
}

void MyPushButton::DrawCaption(QStylePainter& painter, QStyleOptionButton option) const {
    QFont font(QStringLiteral("Times New Roman"));
    font.setPointSize(18);
    font.setPixelSize(18);
    font.setStyleHint(QFont::AnyStyle, QFont::PreferDefault);
    const QFontMetrics metrics(font);
    painter.setFont(font);
    // The caption is drawn as the button's own label, so that it takes the
    // label's colour for the button's state (light on a pressed button),
    // centred on the anchor. Starting it at the anchor instead would put half
    // of it above the button and its glyphs left of the bar's edge.
    const QSize size(metrics.horizontalAdvance(m_sCaption) + 2, metrics.height());
    option.rect = QRect(QPoint(-size.width() / 2, -size.height() / 2), size);
    option.text = m_sCaption;
    option.icon = QIcon();
    option.fontMetrics = metrics;
    painter.drawControl(QStyle::CE_PushButtonLabel, option);
}
