#pragma once

// What the user sees of a widget's text, measured the way the widget lays
// it out and on its pixels: whether it shows whole, and whether it stands
// out from its ground.

#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>

class QWidget;

namespace testsupport {

// The contrast ratio of two colours as accessibility guides define it: 1
// for one colour against itself, 21 for black against white; text reads
// well from 4.5 on.
double ContrastRatio(const QColor& a, const QColor& b);

// The contrast of the text drawn in `area` of `image`: between the area's
// commonest colour (its ground) and the colour that stands out most from it
// (the glyphs' full ink). 1 when the area holds one colour only.
double TextContrast(const QImage& image, const QRect& area);

// What of a label's, line edit's or button's text the user does not see:
// empty when the text shows whole in the widget's own text area (width and
// height, after frame, padding and margins), else what is cut and by how
// much. Other widgets show nothing cut.
QString CutText(const QWidget& widget);

// Saves a picture into the build's folder of test artefacts as `name`
// (a PNG file name); false when it could not be written.
bool SaveArtefact(const QImage& image, const QString& name);

} // namespace testsupport
