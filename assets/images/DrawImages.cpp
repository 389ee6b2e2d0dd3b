// Draws the pictures the programs show (the splash screen, ...) into a
// program folder. Everything is painted here, so no picture comes from
// elsewhere and the same sources always give the same pictures.

#include <QCoreApplication>
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>

namespace {

void DrawRobot(QPainter& p, QPointF centre, double size) {
    const double u = size / 10.0;
    p.save();
    p.translate(centre);
    p.setPen(QPen(QColor(20, 40, 60), u * 0.25));
    // Wheels.
    p.setBrush(QColor(40, 40, 46));
    p.drawRoundedRect(QRectF(-4.6 * u, -1.0 * u, 1.6 * u, 4.0 * u), 0.4 * u, 0.4 * u);
    p.drawRoundedRect(QRectF(3.0 * u, -1.0 * u, 1.6 * u, 4.0 * u), 0.4 * u, 0.4 * u);
    // Body.
    QLinearGradient body(QPointF(0, -3 * u), QPointF(0, 3 * u));
    body.setColorAt(0, QColor(60, 160, 230));
    body.setColorAt(1, QColor(0, 105, 166));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(-3.0 * u, -3.0 * u, 6.0 * u, 6.5 * u), u, u);
    // Sensor eyes.
    p.setBrush(QColor(250, 210, 60));
    p.drawEllipse(QPointF(-1.3 * u, -1.6 * u), 0.7 * u, 0.7 * u);
    p.drawEllipse(QPointF(1.3 * u, -1.6 * u), 0.7 * u, 0.7 * u);
    // Light on top.
    p.setBrush(QColor(230, 70, 60));
    p.drawEllipse(QPointF(0, -3.6 * u), 0.6 * u, 0.6 * u);
    p.restore();
}

bool DrawSplash(const QString& path) {
    QImage image(640, 380, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, 0, image.height());
    sky.setColorAt(0, QColor(18, 40, 70));
    sky.setColorAt(1, QColor(6, 16, 30));
    p.fillRect(image.rect(), sky);

    // A playground floor in perspective.
    p.setPen(QPen(QColor(60, 110, 160, 150), 1.2));
    const double horizon = 250, vanishX = 470;
    for (int i = -12; i <= 12; ++i)
        p.drawLine(QPointF(vanishX + i * 8, horizon), QPointF(vanishX + i * 90, image.height()));
    for (int j = 0; j < 8; ++j) {
        const double y = horizon + (image.height() - horizon) * (j * j) / 49.0;
        p.drawLine(QPointF(0, y), QPointF(image.width(), y));
    }
    // The line a line-following robot would take.
    QPainterPath track;
    track.moveTo(300, image.height());
    track.cubicTo(380, 320, 520, 300, 560, horizon + 4);
    p.setPen(QPen(QColor(240, 240, 240), 5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(track);

    DrawRobot(p, QPointF(470, 270), 120);

    p.setPen(QColor(240, 246, 255));
    QFont title(QStringLiteral("DejaVu Sans"), 40, QFont::Bold);
    p.setFont(title);
    p.drawText(QPointF(40, 110), QStringLiteral("Morvane"));
    QFont subtitle(QStringLiteral("WenQuanYi Micro Hei"), 18);
    p.setFont(subtitle);
    p.setPen(QColor(170, 205, 240));
    p.drawText(QPointF(44, 150), QStringLiteral("机器人仿真教学平台"));
    QFont english(QStringLiteral("DejaVu Sans"), 12);
    p.setFont(english);
    p.drawText(QPointF(44, 178), QStringLiteral("3-D robot simulator for the classroom"));
    p.end();
    return image.save(path, "PNG");
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <program folder>\n", argv[0]);
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(root + QStringLiteral("/images"));
    if (!DrawSplash(root + QStringLiteral("/images/splash.png"))) {
        std::fprintf(stderr, "cannot write the splash picture\n");
        return 1;
    }
    return 0;
}
