// Paints the classroom server's icon: a teacher's screen that collects the
// pupils' results. Built and run at build time, so the picture is ours and
// the same sources always give the same picture.

#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: DrawServerIcon <output.png>\n");
        return 2;
    }
    QGuiApplication app(argc, argv);
    QImage image(64, 64, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    // The screen.
    QLinearGradient screen(0, 6, 0, 44);
    screen.setColorAt(0, QColor(60, 160, 230));
    screen.setColorAt(1, QColor(0, 105, 166));
    p.setPen(QPen(QColor(20, 40, 60), 2));
    p.setBrush(screen);
    p.drawRoundedRect(QRectF(5, 6, 54, 38), 5, 5);
    p.setBrush(QColor(40, 40, 46));
    p.drawRect(QRectF(26, 44, 12, 7));
    p.drawRoundedRect(QRectF(16, 51, 32, 6), 2, 2);

    // Three bundles coming in, one lit.
    p.setPen(Qt::NoPen);
    const QColor colours[3] = { QColor(250, 210, 60), QColor(235, 240, 245), QColor(235, 240, 245) };
    for (int i = 0; i < 3; ++i) {
        p.setBrush(colours[i]);
        p.drawRoundedRect(QRectF(12 + i * 14, 14, 11, 22), 2, 2);
    }
    p.setBrush(QColor(230, 70, 60));
    p.drawEllipse(QPointF(52, 13), 3.5, 3.5);
    p.end();

    if (!image.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "DrawServerIcon: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
