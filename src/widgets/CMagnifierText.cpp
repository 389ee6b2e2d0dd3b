#include "widgets/CMagnifierText.h"

#include <QFont>
#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <QRadialGradient>
#include <QTimerEvent>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kStepMs = 25;
constexpr int kLensMargin = 2;
// How far the mouse may move between press and release for a click.
constexpr double kClickSlop = 3.0;

double Length(const QPointF& p) {
    return std::hypot(p.x(), p.y());
}

bool NeedsWholeTextLayout(const QString& text) {
    return std::any_of(
        text.begin(), text.end(), [](QChar c) { return c.unicode() > 1278 && c.unicode() <= 7680; });
}

} // namespace

CMagnifierText::CMagnifierText(QWidget* parent, bool smallEffect)
    : ArthurFrame(parent)
    , m_lensPos(m_dRadius, m_dRadius)
    , m_direction(1, 1)
    , m_bSmallEffect(smallEffect) {
    m_timer.start(kStepMs, this);
    m_clock.start();
    GenerateLens();
}

QSize CMagnifierText::sizeHint() const {
    return m_pathBounds.size().toSize();
}

void CMagnifierText::setRadius(int radius) {
    const QRectF before = LensRect();
    m_dRadius = std::max(radius, 1);
    GenerateLens();
    update(before.united(LensRect()).toAlignedRect());
}

void CMagnifierText::setFontSize(int size) {
    m_nFontSize = size;
    setText(m_sText);
}

void CMagnifierText::setIntensity(int intensity) {
    m_dIntensity = intensity;
    update();
}

void CMagnifierText::setAnimated(bool animated) {
    m_bAnimated = animated;
    if (animated) {
        m_timer.start(kStepMs, this);
        m_clock.restart();
    } else {
        m_timer.stop();
    }
}

void CMagnifierText::setText(const QString& text) {
    m_sText = text;
    QFont font(QStringLiteral("times new roman,utopia"));
    font.setStyleStrategy(QFont::ForceOutline);
    font.setPointSize(m_nFontSize);
    font.setStyleHint(QFont::Serif);
    const QFontMetricsF metrics(font);

    m_listPaths.clear();
    m_pathBounds = QRectF();
    if (NeedsWholeTextLayout(text)) {
        QPainterPath path;
        path.addText(QPointF(0, 0), font, text);
        m_pathBounds = path.boundingRect();
        m_listPaths.append(path);
    } else {
        QPointF advance(0, 0);
        for (QChar c : text) {
            QPainterPath path;
            path.addText(advance, font, QString(c));
            m_pathBounds = m_pathBounds.united(path.boundingRect());
            m_listPaths.append(path);
            advance += QPointF(metrics.horizontalAdvance(c), 0);
        }
    }
    m_pathBounds.setLeft(m_pathBounds.left() - 10);
    m_pathBounds.setTop(m_pathBounds.top() - 3);
    const QPointF corner = m_pathBounds.topLeft();
    for (QPainterPath& path : m_listPaths)
        path.translate(-corner);
    m_pathBounds.translate(-corner);
    update();
}

void CMagnifierText::GenerateLens() {
    const int side = static_cast<int>(std::ceil(m_dRadius * 2)) + kLensMargin;
    QRadialGradient gradient(side / 2.0, side / 2.0, m_dRadius);
    gradient.setColorAt(0, QColor(255, 255, 255, 191));
    gradient.setColorAt(0.2, QColor(255, 255, 127, 191));
    gradient.setColorAt(0.9, QColor(150, 150, 200, 63));
    gradient.setColorAt(0.95, QColor(Qt::transparent));
    gradient.setColorAt(1, QColor(0, 0, 0, 0));
    auto draw = [&](QPaintDevice* device) {
        QPainter painter(device);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(gradient);
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(0, 0, side, side);
    };
    if (preferImage()) {
        m_lensImage = QImage(side, side, QImage::Format_ARGB32_Premultiplied);
        m_lensImage.fill(0);
        draw(&m_lensImage);
    } else {
        m_lensPixmap = QPixmap(side, side);
        m_lensPixmap.fill(Qt::transparent);
        draw(&m_lensPixmap);
    }
}

QRectF CMagnifierText::LensRect() const {
    const double half = m_dRadius + kLensMargin;
    return QRectF(m_lensPos - QPointF(half, half), QSizeF(2 * half, 2 * half));
}

QPainterPath CMagnifierText::Deformed(const QPainterPath& path, const QPointF& offset) const {
    QPainterPath moved = path;
    moved.translate(offset);
    const double strength = std::clamp(m_dIntensity / 100.0, 0.0, 1.0) * (m_bSmallEffect ? 0.5 : 1.0);
    for (int i = 0; i < moved.elementCount(); ++i) {
        const QPainterPath::Element& element = moved.elementAt(i);
        const QPointF point(element.x, element.y);
        const QPointF away = point - m_lensPos;
        const double distance = Length(away);
        if (distance >= m_dRadius)
            continue;
        // Grows the distance by up to `strength` times itself, and never
        // past the rim, so the glyph stays whole.
        const QPointF pushed = point + away * (strength * (1.0 - distance / m_dRadius));
        moved.setElementPositionAt(i, pushed.x(), pushed.y());
    }
    return moved;
}

void CMagnifierText::paint(QPainter* painter) {
    m_offset = QPointF((width() - m_pathBounds.width()) / 2, (height() - m_pathBounds.height()) / 2);
    painter->setPen(Qt::NoPen);
    painter->setBrush(palette().windowText());
    const QRectF lens = LensRect();
    for (const QPainterPath& path : m_listPaths) {
        if (path.boundingRect().translated(m_offset).intersects(lens))
            painter->drawPath(Deformed(path, m_offset));
        else
            painter->drawPath(path.translated(m_offset));
    }
    const QPointF corner = m_lensPos - QPointF(m_dRadius, m_dRadius) - QPointF(kLensMargin, kLensMargin) / 2;
    if (preferImage())
        painter->drawImage(corner, m_lensImage);
    else
        painter->drawPixmap(corner, m_lensPixmap);
}

void CMagnifierText::timerEvent(QTimerEvent* event) {
    if (event->timerId() != m_timer.timerId()) {
        ArthurFrame::timerEvent(event);
        return;
    }
    const QRectF before = LensRect();
    if (Length(m_direction) > 1)
        m_direction *= 0.995;
    const qint64 elapsed = m_clock.restart();
    if (elapsed > 0)
        m_lensPos += m_direction * static_cast<double>(elapsed) * 0.1;
    if (m_lensPos.x() - m_dRadius < 0 || m_lensPos.x() + m_dRadius > width()) {
        m_lensPos.setX(m_lensPos.x() - m_dRadius < 0 ? m_dRadius : width() - m_dRadius);
        m_direction.setX(-m_direction.x());
    }
    if (m_lensPos.y() - m_dRadius < 0 || m_lensPos.y() + m_dRadius > height()) {
        m_lensPos.setY(m_lensPos.y() - m_dRadius < 0 ? m_dRadius : height() - m_dRadius);
        m_direction.setY(-m_direction.y());
    }
    update(before.united(LensRect()).toAlignedRect());
}

void CMagnifierText::mousePressEvent(QMouseEvent* event) {
    setAnimated(false);
    m_mousePress = event->position();
    m_bMouseDrag = false;
}

void CMagnifierText::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton))
        return;
    if (Length(event->position() - m_mousePress) > kClickSlop)
        m_bMouseDrag = true;
    if (!m_bMouseDrag)
        return;
    const QRectF before = LensRect();
    m_lensPos = event->position();
    update(before.united(LensRect()).toAlignedRect());
}

void CMagnifierText::mouseReleaseEvent(QMouseEvent* event) {
    if (m_bMouseDrag) {
        // The lens drifts on the way it was carried, at its usual pace.
        const QPointF dragged = event->position() - m_mousePress;
        if (Length(dragged) > 0)
            m_direction = dragged / Length(dragged);
        m_bMouseDrag = false;
    } else {
        emit clicked();
    }
    setAnimated(true);
}
