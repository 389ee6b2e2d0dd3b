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

    painter.setRenderHint(QPainter::Antialiasing);
    // A fixed anchor: the caption sits where the bar's 30 x 110 buttons have
    // room for it, whatever the button's size, and reads upwards.
    painter.translate(15, 50);
    painter.rotate(-90);
    DrawCaption(painter);
}

void MyPushButton::DrawCaption(QPainter& painter) const {
    QFont font(QStringLiteral("Times New Roman"));
    font.setPointSize(18);
    font.setPixelSize(18);
    font.setStyleHint(QFont::AnyStyle, QFont::PreferDefault);
    const QRect bounds = QFontMetrics(font).boundingRect(m_sCaption);
    painter.setFont(font);
    // The caption is centred on the anchor. Starting it at its own centre
    // instead would put half of it above the button and its glyphs left of
    // the bar's edge.
    painter.drawText(-bounds.center(), m_sCaption);
}
