#pragma once

#include <QPushButton>
#include <QString>
#include <QStyleOptionButton>

// The button of the narrow side bars of the builder pages. Besides its own
// text it can carry a caption, which it paints turned by 90 degrees so that it
// reads upwards along the 40-pixel-wide bar, centred on the point (15, 50)
// whatever the button's size.
class QStylePainter;

class MyPushButton : public QPushButton {
    Q_OBJECT

public:
    explicit MyPushButton(QWidget* parent = nullptr);

    // Shows at the next paint; asks for none.
    void SetText(QString caption);
    const QString& GetCaption() const { return m_sCaption; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void DrawCaption(QStylePainter& painter, QStyleOptionButton option) const;

    QString m_sCaption;
};
