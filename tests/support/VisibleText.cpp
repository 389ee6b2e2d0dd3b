#include "support/VisibleText.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QFontMetricsF>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionFrame>

#include <algorithm>
#include <cmath>

namespace testsupport {

namespace {

double Linear(int channel) {
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double Luminance(const QColor& colour) {
    const QColor rgb = colour.toRgb();
    return 0.2126 * Linear(rgb.red()) + 0.7152 * Linear(rgb.green()) + 0.0722 * Linear(rgb.blue());
}

QString Shortfall(const QString& text, const char* what, double needed, int has) {
    return QStringLiteral("\"%1\" needs %2 px of %3, has %4")
        .arg(text)
        .arg(needed)
        .arg(QLatin1String(what))
        .arg(has);
}

// The text of a label, laid out as QLabel paints plain text: in its contents
// rectangle less its margin and indent.
QString LabelCut(const QLabel& label) {
    const QString text = label.text();
    QRect area
        = label.contentsRect().adjusted(label.margin(), label.margin(), -label.margin(), -label.margin());
    const QFontMetrics metrics(label.font());
    int indent = label.indent();
    if (indent < 0 && label.frameWidth() > 0)
        indent = metrics.horizontalAdvance(QLatin1Char('x')) / 2;
    if (indent > 0) {
        const Qt::Alignment align = label.alignment();
        if (align & Qt::AlignLeft)
            area.setLeft(area.left() + indent);
        if (align & Qt::AlignRight)
            area.setRight(area.right() - indent);
        if (align & Qt::AlignTop)
            area.setTop(area.top() + indent);
        if (align & Qt::AlignBottom)
            area.setBottom(area.bottom() - indent);
    }
    const int wrap = label.wordWrap() ? int(Qt::TextWordWrap) : 0;
    const QRect room(0, 0, label.wordWrap() ? area.width() : 1 << 20, 1 << 20);
    const QSize needed = metrics.boundingRect(room, Qt::AlignLeft | Qt::AlignTop | wrap, text).size();
    if (needed.width() > area.width())
        return Shortfall(text, "width", needed.width(), area.width());
    if (needed.height() > area.height())
        return Shortfall(text, "height", needed.height(), area.height());
    return QString();
}

// The text of a line edit, laid out as QLineEdit paints it: in the style's
// contents rectangle less the text margins, two pixels of margin on either
// side and room for the cursor after the text; wider, it scrolls and shows
// only a part.
QString LineEditCut(const QLineEdit& edit) {
    const QString text = edit.displayText();
    QStyleOptionFrame option;
    option.initFrom(&edit);
    option.rect = edit.rect();
    option.lineWidth
        = edit.hasFrame() ? edit.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &edit) : 0;
    option.midLineWidth = 0;
    option.state |= QStyle::State_Sunken;
    if (edit.isReadOnly())
        option.state |= QStyle::State_ReadOnly;
    option.features = QStyleOptionFrame::None;
    const QRect contents = edit.style()
                               ->subElementRect(QStyle::SE_LineEditContents, &option, &edit)
                               .marginsRemoved(edit.textMargins());
    constexpr int kSideMargin = 2;
    const int cursor = edit.style()->pixelMetric(QStyle::PM_TextCursorWidth, nullptr, &edit);
    const QFontMetricsF metrics(edit.font());
    const double width = std::ceil(metrics.horizontalAdvance(text)) + 1 + cursor;
    const int room = contents.width() - 2 * kSideMargin;
    if (width > room)
        return Shortfall(text, "width", width, room);
    const double height = std::max(metrics.boundingRect(text).height(), metrics.height());
    if (std::ceil(height) > contents.height())
        return Shortfall(text, "height", std::ceil(height), contents.height());
    return QString();
}

// The caption of a push button, check box or radio button, in the style's
// contents rectangle for it.
QString ButtonCut(const QAbstractButton& button) {
    const QString text = button.text();
    QStyleOptionButton option;
    option.initFrom(&button);
    option.text = text;
    option.icon = button.icon();
    option.iconSize = button.iconSize();
    QStyle::SubElement element = QStyle::SE_PushButtonContents;
    if (qobject_cast<const QCheckBox*>(&button))
        element = QStyle::SE_CheckBoxContents;
    else if (qobject_cast<const QRadioButton*>(&button))
        element = QStyle::SE_RadioButtonContents;
    const QRect contents = button.style()->subElementRect(element, &option, &button);
    const QFontMetrics metrics(button.font());
    const QSize needed = metrics.size(Qt::TextShowMnemonic, text);
    if (needed.width() > contents.width())
        return Shortfall(text, "width", needed.width(), contents.width());
    if (needed.height() > contents.height())
        return Shortfall(text, "height", needed.height(), contents.height());
    return QString();
}

} // namespace

double ContrastRatio(const QColor& a, const QColor& b) {
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

double TextContrast(const QImage& image, const QRect& area) {
    const QRect inside = area & image.rect();
    QHash<QRgb, int> counts;
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x)
            ++counts[image.pixel(x, y) | 0xff000000u];
    }
    if (counts.isEmpty())
        return 1.0;
    QRgb ground = counts.constBegin().key();
    for (auto it = counts.constBegin(); it != counts.constEnd(); ++it) {
        if (it.value() > counts.value(ground))
            ground = it.key();
    }
    double best = 1.0;
    for (auto it = counts.constBegin(); it != counts.constEnd(); ++it)
        best = std::max(best, ContrastRatio(QColor(ground), QColor(it.key())));
    return best;
}

QString CutText(const QWidget& widget) {
    QString cut;
    if (const auto* label = qobject_cast<const QLabel*>(&widget))
        cut = label->text().isEmpty() ? QString() : LabelCut(*label);
    else if (const auto* edit = qobject_cast<const QLineEdit*>(&widget))
        cut = edit->displayText().isEmpty() ? QString() : LineEditCut(*edit);
    else if (const auto* button = qobject_cast<const QAbstractButton*>(&widget))
        cut = button->text().isEmpty() ? QString() : ButtonCut(*button);
    if (cut.isEmpty() && !widget.isVisible())
        cut = QStringLiteral("not shown");
    return cut.isEmpty() ? QString() : widget.metaObject()->className() + QStringLiteral(": ") + cut;
}

bool SaveArtefact(const QImage& image, const QString& name) {
    const QDir folder(QStringLiteral(MORVANE_ARTEFACT_DIR));
    return folder.mkpath(QStringLiteral(".")) && image.save(folder.filePath(name));
}

} // namespace testsupport
