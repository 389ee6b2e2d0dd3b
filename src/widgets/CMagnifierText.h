#pragma once

#include "widgets/ArthurFrame.h"

#include <QBasicTimer>
#include <QElapsedTimer>
#include <QImage>
#include <QList>
#include <QPainterPath>
#include <QPixmap>
#include <QPointF>
#include <QRectF>
#include <QString>

// One line of text drawn as outlined glyphs, with a round lens drifting
// over it that enlarges the glyphs beneath. The lens moves on its own
// (every 25 ms, slowing to a steady drift and bouncing off the edges);
// the mouse can take it: a press stops it, dragging carries it, and the
// release lets it drift on in the direction it was dragged. A click
// without a drag emits clicked().
class CMagnifierText : public ArthurFrame {
    Q_OBJECT

public:
    // With smallEffect the lens enlarges half as much, for small text.
    CMagnifierText(QWidget* parent, bool smallEffect);

    QSize sizeHint() const override;
    void paint(QPainter* painter) override;

    const QString& text() const { return m_sText; }
    // One path per character, or one for the whole text.
    qsizetype pathCount() const { return m_listPaths.size(); }
    QPointF lensPosition() const { return m_lensPos; }
    double radius() const { return m_dRadius; }
    bool isAnimated() const { return m_timer.isActive(); }

public slots:
    void setRadius(int radius);
    void setFontSize(int size);
    // Characters from U+04FF to U+1E00 need the shaping of the whole text,
    // so such a text is laid out as one path; any other as one path per
    // character.
    void setText(const QString& text);
    void setIntensity(int intensity);
    void setAnimated(bool animated);

signals:
    void clicked();

protected:
    void timerEvent(QTimerEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void GenerateLens();
    QRectF LensRect() const;
    // The path with its points pushed away from the lens centre: by nothing
    // at the rim, most at the centre.
    QPainterPath Deformed(const QPainterPath& path, const QPointF& offset) const;

    QBasicTimer m_timer;
    QElapsedTimer m_clock;
    QList<QPainterPath> m_listPaths;
    QRectF m_pathBounds;
    QString m_sText;
    QPixmap m_lensPixmap;
    QImage m_lensImage;
    int m_nFontSize = 24;
    bool m_bAnimated = true;
    double m_dRadius = 100;
    double m_dIntensity = 100;
    QPointF m_lensPos;
    QPointF m_offset;
    QPointF m_direction;
    QPointF m_mousePress;
    bool m_bMouseDrag = false;
    bool m_bSmallEffect = false;
};
