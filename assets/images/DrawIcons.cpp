// Draws the main window's pictures (tool-bar and menu icons, the model
// picture mask) into one folder, next to the resource file that lists them.
// Every picture is painted here in one style: 64 x 64 pixels on a
// transparent ground, flat colours, dark outlines and strokes thick enough to
// read at the tool bars' 40 pixels. The same sources always give the same
// pictures.
//
// usage: morvane_drawicons <output folder>

#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <cmath>
#include <cstdio>
#include <functional>
#include <utility>
#include <vector>

namespace {

constexpr int kSize = 64;
constexpr double kStroke = 3.5;

// The palette all pictures share.
const QColor kInk(36, 48, 62);
const QColor kBlue(0, 105, 166);
const QColor kLightBlue(96, 172, 226);
const QColor kOrange(242, 148, 36);
const QColor kYellow(250, 208, 64);
const QColor kGreen(46, 160, 78);
const QColor kRed(212, 58, 48);
const QColor kPaper(252, 252, 246);
const QColor kGrey(150, 160, 170);
const QColor kLightGrey(214, 220, 226);
const QColor kBrown(160, 106, 58);

QPen Outline(double width = kStroke * 0.7) {
    return QPen(kInk, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

QPen Stroke(const QColor& colour, double width = kStroke) {
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void Letter(QPainter& p, const QString& text, const QRectF& box, const QColor& colour, int pixels) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(pixels);
    p.setFont(font);
    p.setPen(colour);
    p.drawText(box, Qt::AlignCenter, text);
}

// An arrow head at `tip`, pointing along `direction` (radians, screen axes).
void ArrowHead(QPainter& p, QPointF tip, double direction, const QColor& colour, double size = 11) {
    const QPointF back(std::cos(direction), std::sin(direction));
    const QPointF side(-back.y(), back.x());
    QPolygonF head;
    head << tip << tip - back * size + side * size * 0.6 << tip - back * size - side * size * 0.6;
    p.setPen(Outline(1.5));
    p.setBrush(colour);
    p.drawPolygon(head);
}

void StraightArrow(QPainter& p, QPointF from, QPointF to, const QColor& colour, double width = kStroke + 1) {
    const QPointF d = to - from;
    const double direction = std::atan2(d.y(), d.x());
    const double length = std::hypot(d.x(), d.y());
    const QPointF shaftEnd = from + d * ((length - 8) / length);
    p.setPen(Stroke(colour, width));
    p.drawLine(from, shaftEnd);
    ArrowHead(p, to, direction, colour);
}

// An arc of a circle (degrees, counter-clockwise from 3 o'clock as Qt
// counts) with an arrow head at its end.
void ArcArrow(
    QPainter& p, QPointF centre, double radius, double startDeg, double spanDeg, const QColor& colour) {
    const QRectF box(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    p.setPen(Stroke(colour, kStroke + 0.5));
    p.setBrush(Qt::NoBrush);
    p.drawArc(box, int(startDeg * 16), int((spanDeg - (spanDeg > 0 ? 14 : -14)) * 16));
    const double end = (startDeg + spanDeg) * M_PI / 180.0;
    const QPointF tip(centre.x() + radius * std::cos(end), centre.y() - radius * std::sin(end));
    // Tangent in screen coordinates (y down), in the direction of travel.
    const double sign = spanDeg > 0 ? 1.0 : -1.0;
    const double tangent = std::atan2(-std::cos(end) * sign, -std::sin(end) * sign);
    ArrowHead(p, tip, tangent, colour, 12);
}

void Sheet(QPainter& p, const QRectF& r, bool lines = true) {
    const double fold = r.width() * 0.3;
    QPainterPath page;
    page.moveTo(r.topLeft());
    page.lineTo(r.right() - fold, r.top());
    page.lineTo(r.right(), r.top() + fold);
    page.lineTo(r.bottomRight());
    page.lineTo(r.bottomLeft());
    page.closeSubpath();
    p.setPen(Outline());
    p.setBrush(kPaper);
    p.drawPath(page);
    QPainterPath corner;
    corner.moveTo(r.right() - fold, r.top());
    corner.lineTo(r.right() - fold, r.top() + fold);
    corner.lineTo(r.right(), r.top() + fold);
    p.setBrush(kLightGrey);
    p.drawPath(corner);
    if (!lines)
        return;
    p.setPen(Stroke(kGrey, 2));
    for (double y = r.top() + fold + 6; y < r.bottom() - 5; y += 7)
        p.drawLine(QPointF(r.left() + 6, y), QPointF(r.right() - 6, y));
}

// A round badge in a corner: the plus of "new", the folder of "load", ...
void Badge(QPainter& p, QPointF centre, const QColor& colour, const std::function<void(QPainter&)>& glyph) {
    p.setPen(Outline(2));
    p.setBrush(colour);
    p.drawEllipse(centre, 12, 12);
    p.save();
    p.translate(centre);
    glyph(p);
    p.restore();
}

void PlusGlyph(QPainter& p) {
    p.setPen(Stroke(Qt::white, 4));
    p.drawLine(QPointF(-6, 0), QPointF(6, 0));
    p.drawLine(QPointF(0, -6), QPointF(0, 6));
}

void Folder(QPainter& p, const QRectF& r, bool open) {
    QPainterPath back;
    back.moveTo(r.left(), r.bottom());
    back.lineTo(r.left(), r.top() + 4);
    back.lineTo(r.left() + r.width() * 0.35, r.top() + 4);
    back.lineTo(r.left() + r.width() * 0.45, r.top() + 10);
    back.lineTo(r.right(), r.top() + 10);
    back.lineTo(r.right(), r.bottom());
    back.closeSubpath();
    p.setPen(Outline());
    p.setBrush(kOrange);
    p.drawPath(back);
    QPolygonF front;
    if (open)
        front << QPointF(r.left() + 8, r.top() + 18) << QPointF(r.right() + 4, r.top() + 18)
              << r.bottomRight() << r.bottomLeft();
    else
        front << QPointF(r.left(), r.top() + 16) << QPointF(r.right(), r.top() + 16) << r.bottomRight()
              << r.bottomLeft();
    p.setBrush(kYellow);
    p.drawPolygon(front);
}

void FolderGlyph(QPainter& p) {
    Folder(p, QRectF(-8, -7, 16, 13), false);
}

void Robot(QPainter& p, const QRectF& r) {
    const double u = r.width() / 10.0;
    p.save();
    p.translate(r.topLeft());
    p.setPen(Outline(2));
    // Wheels.
    p.setBrush(kInk);
    p.drawRoundedRect(QRectF(0, 4 * u, 1.6 * u, 5 * u), 0.5 * u, 0.5 * u);
    p.drawRoundedRect(QRectF(8.4 * u, 4 * u, 1.6 * u, 5 * u), 0.5 * u, 0.5 * u);
    // Body, eyes and lamp.
    p.setBrush(kBlue);
    p.drawRoundedRect(QRectF(1.6 * u, 2 * u, 6.8 * u, 7.5 * u), 1.2 * u, 1.2 * u);
    p.setBrush(kYellow);
    p.drawEllipse(QPointF(3.6 * u, 4.6 * u), 0.9 * u, 0.9 * u);
    p.drawEllipse(QPointF(6.4 * u, 4.6 * u), 0.9 * u, 0.9 * u);
    p.setBrush(kRed);
    p.drawEllipse(QPointF(5 * u, 1.2 * u), 0.8 * u, 0.8 * u);
    p.restore();
}

void Magnifier(QPainter& p, bool plus) {
    p.setPen(Stroke(kInk, 7));
    p.drawLine(QPointF(38, 38), QPointF(56, 56));
    p.setPen(Outline(3));
    p.setBrush(kLightBlue);
    p.drawEllipse(QPointF(26, 26), 18, 18);
    p.setPen(Stroke(kInk, 4.5));
    p.drawLine(QPointF(17, 26), QPointF(35, 26));
    if (plus)
        p.drawLine(QPointF(26, 17), QPointF(26, 35));
}

// An isometric cube; face 0 top, 1 left side, 2 right side; the highlighted
// face is blue, the others light.
void Cube(QPainter& p, QPointF centre, double size, int highlighted, bool shadeAll = false) {
    const double h = size * 0.5;
    const QPointF top = centre + QPointF(0, -size);
    const QPointF left = centre + QPointF(-size * 0.87, -h);
    const QPointF right = centre + QPointF(size * 0.87, -h);
    const QPointF bottom = centre + QPointF(0, size);
    const QPointF bottomLeft = left + QPointF(0, size);
    const QPointF bottomRight = right + QPointF(0, size);
    const QPolygonF faces[3] = {
        QPolygonF() << top << right << centre << left,
        QPolygonF() << left << centre << bottom << bottomLeft,
        QPolygonF() << centre << right << bottomRight << bottom,
    };
    const QColor shades[3] = { QColor(170, 210, 238), QColor(120, 180, 222), QColor(80, 150, 205) };
    p.setPen(Outline(2.2));
    for (int i = 0; i < 3; ++i) {
        p.setBrush(shadeAll ? shades[i] : (i == highlighted ? kBlue : kLightGrey));
        p.drawPolygon(faces[i]);
    }
}

// ---- the pictures --------------------------------------------------------------

void Open(QPainter& p) {
    Folder(p, QRectF(6, 14, 46, 38), true);
    StraightArrow(p, QPointF(44, 40), QPointF(44, 8), kGreen);
}

void Floppy(QPainter& p) {
    p.setPen(Outline(3));
    p.setBrush(kBlue);
    QPainterPath body;
    body.moveTo(8, 8);
    body.lineTo(48, 8);
    body.lineTo(56, 16);
    body.lineTo(56, 56);
    body.lineTo(8, 56);
    body.closeSubpath();
    p.drawPath(body);
    p.setBrush(kLightGrey);
    p.drawRect(QRectF(18, 8, 26, 16));
    p.setBrush(kInk);
    p.drawRect(QRectF(34, 11, 6, 10));
    p.setBrush(kPaper);
    p.drawRect(QRectF(15, 33, 34, 23));
}

void Save(QPainter& p) {
    Floppy(p);
}

void SaveAs(QPainter& p) {
    Floppy(p);
    p.save();
    p.translate(46, 46);
    p.rotate(-45);
    p.setPen(Outline(2));
    p.setBrush(kOrange);
    p.drawRect(QRectF(-4, -18, 8, 24));
    p.setBrush(kPaper);
    QPolygonF tip;
    tip << QPointF(-4, 6) << QPointF(4, 6) << QPointF(0, 13);
    p.drawPolygon(tip);
    p.restore();
}

void New(QPainter& p) {
    Sheet(p, QRectF(10, 6, 36, 48));
    Badge(p, QPointF(46, 46), kGreen, PlusGlyph);
}

void Quit(QPainter& p) {
    p.setPen(Stroke(kRed, 6));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(10, 12, 44, 44), 120 * 16, 300 * 16);
    p.drawLine(QPointF(32, 6), QPointF(32, 32));
}

void RotateAbout(QPainter& p, const QString& axis, const QColor& colour) {
    ArcArrow(p, QPointF(32, 32), 22, 90, 280, colour);
    Letter(p, axis, QRectF(14, 14, 36, 36), colour, 24);
}

void TurnAboutPort(QPainter& p, const QString& axis, const QColor& colour) {
    ArcArrow(p, QPointF(28, 30), 18, 200, 290, colour);
    p.setPen(Outline(2));
    p.setBrush(kOrange);
    p.drawEllipse(QPointF(28, 30), 6, 6);
    Badge(p, QPointF(49, 49), colour,
        [axis](QPainter& q) { Letter(q, axis, QRectF(-10, -10, 20, 20), Qt::white, 15); });
}

void ResetTurn(QPainter& p) {
    ArcArrow(p, QPointF(32, 32), 21, 60, -300, kBlue);
    Letter(p, QStringLiteral("0"), QRectF(14, 14, 36, 36), kInk, 24);
}

void Move(QPainter& p) {
    const QPointF c(32, 32);
    StraightArrow(p, c, QPointF(32, 4), kBlue);
    StraightArrow(p, c, QPointF(32, 60), kBlue);
    StraightArrow(p, c, QPointF(4, 32), kBlue);
    StraightArrow(p, c, QPointF(60, 32), kBlue);
    p.setPen(Outline(2));
    p.setBrush(kOrange);
    p.drawEllipse(c, 6, 6);
}

void Delete(QPainter& p) {
    p.setPen(Outline(3));
    p.setBrush(kLightGrey);
    QPolygonF bin;
    bin << QPointF(14, 18) << QPointF(50, 18) << QPointF(46, 58) << QPointF(18, 58);
    p.drawPolygon(bin);
    p.setBrush(kGrey);
    p.drawRoundedRect(QRectF(10, 11, 44, 7), 2, 2);
    p.drawRect(QRectF(26, 6, 12, 5));
    p.setPen(Stroke(kRed, 5));
    p.drawLine(QPointF(23, 28), QPointF(41, 48));
    p.drawLine(QPointF(41, 28), QPointF(23, 48));
}

void Copy(QPainter& p) {
    Sheet(p, QRectF(6, 4, 32, 42));
    Sheet(p, QRectF(24, 18, 32, 42));
}

void Paste(QPainter& p) {
    p.setPen(Outline(3));
    p.setBrush(kBrown);
    p.drawRoundedRect(QRectF(8, 8, 40, 50), 4, 4);
    p.setBrush(kGrey);
    p.drawRoundedRect(QRectF(18, 4, 20, 10), 3, 3);
    Sheet(p, QRectF(26, 22, 30, 38));
}

void About(QPainter& p) {
    p.setPen(Outline(3));
    p.setBrush(kBlue);
    p.drawEllipse(QPointF(32, 32), 27, 27);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(32, 18), 4.5, 4.5);
    p.drawRoundedRect(QRectF(28, 27, 8, 22), 2, 2);
}

void Manual(QPainter& p) {
    p.setPen(Outline(3));
    p.setBrush(kBlue);
    p.drawRoundedRect(QRectF(10, 6, 40, 52), 3, 3);
    p.setBrush(kPaper);
    p.drawRect(QRectF(16, 50, 34, 8));
    p.setBrush(kInk);
    p.drawRect(QRectF(10, 6, 6, 52));
    Letter(p, QStringLiteral("?"), QRectF(16, 8, 34, 40), Qt::white, 32);
}

void ToSimulation(QPainter& p) {
    Robot(p, QRectF(4, 14, 32, 36));
    StraightArrow(p, QPointF(38, 32), QPointF(60, 32), kGreen, kStroke + 2);
}

void Farther(QPainter& p) {
    Magnifier(p, false);
}

void Nearer(QPainter& p) {
    Magnifier(p, true);
}

void RobotData(QPainter& p) {
    p.setPen(Outline(3));
    p.setBrush(kPaper);
    p.drawRoundedRect(QRectF(6, 8, 52, 44), 4, 4);
    p.setBrush(kBlue);
    p.drawRect(QRectF(6, 8, 52, 10));
    p.setPen(Stroke(kGreen, 3.5));
    p.drawLine(QPointF(13, 27), QPointF(30, 27));
    p.drawLine(QPointF(13, 35), QPointF(40, 35));
    p.drawLine(QPointF(13, 43), QPointF(25, 43));
    p.setPen(Stroke(kOrange, 3.5));
    p.drawLine(QPointF(36, 27), QPointF(51, 27));
    p.drawLine(QPointF(31, 43), QPointF(51, 43));
}

void Ground(QPainter& p, const QRectF& area) {
    const QPointF c = area.center();
    const double w = area.width() / 2, h = area.height() / 2;
    QPolygonF tile;
    tile << QPointF(c.x(), c.y() - h) << QPointF(c.x() + w, c.y()) << QPointF(c.x(), c.y() + h)
         << QPointF(c.x() - w, c.y());
    p.setPen(Outline(2.5));
    p.setBrush(QColor(120, 190, 110));
    p.drawPolygon(tile);
    p.setPen(Stroke(Qt::white, 3));
    QPainterPath track;
    track.moveTo(c.x() - w * 0.5, c.y() + h * 0.1);
    track.cubicTo(c.x() - w * 0.1, c.y() - h * 0.6, c.x() + w * 0.2, c.y() + h * 0.5, c.x() + w * 0.55,
        c.y() - h * 0.1);
    p.setBrush(Qt::NoBrush);
    p.drawPath(track);
}

void TopView(QPainter& p) {
    Cube(p, QPointF(32, 44), 17, 0);
    StraightArrow(p, QPointF(32, 0), QPointF(32, 24), kRed, kStroke + 1.5);
}

void LeftView(QPainter& p) {
    Cube(p, QPointF(40, 32), 17, 1);
    StraightArrow(p, QPointF(0, 40), QPointF(22, 40), kRed, kStroke + 1.5);
}

void FrontView(QPainter& p) {
    Cube(p, QPointF(24, 32), 17, 2);
    StraightArrow(p, QPointF(64, 40), QPointF(42, 40), kRed, kStroke + 1.5);
}

// The whole scene from above and in front: a block on the playground.
void OverView(QPainter& p) {
    Ground(p, QRectF(2, 28, 60, 34));
    Cube(p, QPointF(32, 30), 15, -1, true);
}

void UndoRedo(QPainter& p, bool redo) {
    if (redo) {
        p.translate(kSize, 0);
        p.scale(-1, 1);
    }
    QPainterPath hook;
    hook.moveTo(48, 54);
    hook.cubicTo(64, 34, 46, 14, 16, 20);
    p.setPen(Stroke(kBlue, kStroke + 2.5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(hook);
    ArrowHead(p, QPointF(8, 21), M_PI + 0.18, kBlue, 14);
}

void Undo(QPainter& p) {
    UndoRedo(p, false);
}

void Redo(QPainter& p) {
    UndoRedo(p, true);
}

void SelectAll(QPainter& p) {
    QPen dashed = Stroke(kInk, 3);
    dashed.setStyle(Qt::DashLine);
    dashed.setCapStyle(Qt::FlatCap);
    p.setPen(dashed);
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(6, 6, 52, 52));
    p.setPen(Outline(2));
    p.setBrush(kBlue);
    p.drawRect(QRectF(14, 14, 14, 14));
    p.setBrush(kOrange);
    p.drawRect(QRectF(36, 20, 14, 14));
    p.setBrush(kGreen);
    p.drawRect(QRectF(20, 36, 14, 14));
}

void Colour(QPainter& p) {
    QPainterPath palette;
    palette.addEllipse(QRectF(4, 8, 56, 46));
    QPainterPath thumb;
    thumb.addEllipse(QRectF(34, 34, 13, 11));
    p.setPen(Outline(3));
    p.setBrush(QColor(236, 214, 170));
    p.drawPath(palette.subtracted(thumb));
    const std::pair<QPointF, QColor> dots[] = {
        { QPointF(18, 24), kRed },
        { QPointF(32, 18), kYellow },
        { QPointF(46, 24), kGreen },
        { QPointF(17, 39), kBlue },
    };
    p.setPen(Outline(1.5));
    for (const auto& [centre, colour] : dots) {
        p.setBrush(colour);
        p.drawEllipse(centre, 6, 6);
    }
}

void Start(QPainter& p) {
    p.setPen(Outline(3));
    p.setBrush(kGreen);
    p.drawEllipse(QPointF(32, 32), 27, 27);
    QPolygonF play;
    play << QPointF(25, 18) << QPointF(47, 32) << QPointF(25, 46);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPolygon(play);
}

void Stop(QPainter& p) {
    p.setPen(Outline(3));
    p.setBrush(kRed);
    p.drawEllipse(QPointF(32, 32), 27, 27);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(21, 21, 22, 22), 2, 2);
}

void LoadPlayground(QPainter& p) {
    Ground(p, QRectF(2, 12, 52, 36));
    Badge(p, QPointF(49, 49), kLightBlue, FolderGlyph);
}

void LoadRobot(QPainter& p) {
    Robot(p, QRectF(6, 6, 40, 46));
    Badge(p, QPointF(49, 49), kLightBlue, FolderGlyph);
}

void LoadProgram(QPainter& p) {
    p.setPen(Stroke(kGrey, 3));
    for (int i = 0; i < 4; ++i) {
        const double t = 16 + i * 8;
        p.drawLine(QPointF(t, 4), QPointF(t, 10));
        p.drawLine(QPointF(t, 44), QPointF(t, 50));
        p.drawLine(QPointF(4, t - 2), QPointF(10, t - 2));
        p.drawLine(QPointF(44, t - 2), QPointF(50, t - 2));
    }
    p.setPen(Outline(2.5));
    p.setBrush(kInk);
    p.drawRoundedRect(QRectF(9, 9, 36, 36), 3, 3);
    Letter(p, QStringLiteral("{}"), QRectF(9, 9, 36, 34), kYellow, 20);
    Badge(p, QPointF(49, 49), kLightBlue, FolderGlyph);
}

void Follow(QPainter& p) {
    QPainterPath eye;
    eye.moveTo(4, 32);
    eye.quadTo(32, 4, 60, 32);
    eye.quadTo(32, 60, 4, 32);
    p.setPen(Outline(3));
    p.setBrush(kPaper);
    p.drawPath(eye);
    p.setBrush(kOrange);
    p.drawEllipse(QPointF(32, 32), 11, 11);
    p.setBrush(kInk);
    p.drawEllipse(QPointF(32, 32), 5, 5);
}

void UserModels(QPainter& p) {
    Cube(p, QPointF(28, 30), 20, -1, true);
    Badge(p, QPointF(49, 49), kGreen, PlusGlyph);
}

void GroundPicture(QPainter& p) {
    p.setPen(Outline(3));
    p.setBrush(QColor(190, 226, 250));
    p.drawRect(QRectF(5, 10, 54, 44));
    p.setPen(Outline(2));
    p.setBrush(kYellow);
    p.drawEllipse(QPointF(44, 22), 6, 6);
    QPolygonF hills;
    hills << QPointF(6, 53) << QPointF(22, 28) << QPointF(34, 42) << QPointF(42, 34) << QPointF(58, 53);
    p.setBrush(kGreen);
    p.drawPolygon(hills);
}

void Submit(QPainter& p) {
    Sheet(p, QRectF(8, 12, 34, 46));
    Badge(p, QPointF(46, 18), kGreen, [](QPainter& q) {
        q.setPen(Stroke(Qt::white, 3.5));
        q.drawLine(QPointF(0, 7), QPointF(0, -5));
        q.drawLine(QPointF(-5, 0), QPointF(0, -6));
        q.drawLine(QPointF(5, 0), QPointF(0, -6));
    });
}

void OnlineMatch(QPainter& p) {
    p.setPen(Outline(3));
    p.setBrush(kYellow);
    QPainterPath cup;
    cup.moveTo(16, 8);
    cup.lineTo(48, 8);
    cup.cubicTo(48, 30, 40, 38, 32, 38);
    cup.cubicTo(24, 38, 16, 30, 16, 8);
    p.drawPath(cup);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(6, 12, 14, 16), 90 * 16, 180 * 16);
    p.drawArc(QRectF(44, 12, 14, 16), -90 * 16, 180 * 16);
    p.setBrush(kYellow);
    p.drawRect(QRectF(28, 38, 8, 8));
    p.setBrush(kBrown);
    p.drawRoundedRect(QRectF(18, 46, 28, 10), 2, 2);
}

bool Paint(const QString& path, const std::function<void(QPainter&)>& draw) {
    QImage image(kSize, kSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    draw(p);
    p.end();
    return image.save(path, "PNG");
}

// The model pictures' mask: opaque inside, transparent where it rounds the
// corners of a 60 x 60 picture.
bool PaintMask(const QString& path) {
    QImage image(60, 60, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(0, 0, 60, 60), 8, 8);
    p.end();
    return image.save(path, "PNG");
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    const std::vector<std::pair<const char*, std::function<void(QPainter&)>>> pictures = {
        { "38.png", Open },
        { "31.png", Save },
        { "32.png", SaveAs },
        { "34.png", New },
        { "5.png", Quit },
        { "53.png", [](QPainter& p) { RotateAbout(p, QStringLiteral("X"), kRed); } },
        { "54.png", [](QPainter& p) { RotateAbout(p, QStringLiteral("Y"), kGreen); } },
        { "55.png", [](QPainter& p) { RotateAbout(p, QStringLiteral("Z"), kBlue); } },
        { "49.png", [](QPainter& p) { TurnAboutPort(p, QStringLiteral("X"), kRed); } },
        { "50.png", [](QPainter& p) { TurnAboutPort(p, QStringLiteral("Y"), kGreen); } },
        { "51.png", [](QPainter& p) { TurnAboutPort(p, QStringLiteral("Z"), kBlue); } },
        { "45.png", ResetTurn },
        { "47.png", Move },
        { "44.png", Delete },
        { "40.png", Copy },
        { "41.png", Paste },
        { "25.png", About },
        { "29.png", Manual },
        { "48.png", ToSimulation },
        { "28.png", Farther },
        { "27.png", Nearer },
        { "58.png", RobotData },
        { "trace.png", TopView },
        { "62.png", LeftView },
        { "61.png", FrontView },
        { "42.png", OverView },
        { "Undo.png", Undo },
        { "Redo.png", Redo },
        { "AllSel.png", SelectAll },
        { "56-.png", Colour },
        { "35.png", Start },
        { "36.png", Stop },
        { "37.png", LoadPlayground },
        { "22.png", LoadRobot },
        { "57.png", LoadProgram },
        { "30-.png", Follow },
        { "52.png", UserModels },
        { "39.png", GroundPicture },
        { "63.png", Submit },
        { "64.png", OnlineMatch },
    };
    for (const auto& [name, draw] : pictures) {
        if (!Paint(folder + QLatin1Char('/') + QLatin1String(name), draw)) {
            std::fprintf(stderr, "cannot write %s\n", name);
            return 1;
        }
    }
    if (!PaintMask(folder + QStringLiteral("/11.png"))) {
        std::fprintf(stderr, "cannot write 11.png\n");
        return 1;
    }
    return 0;
}
