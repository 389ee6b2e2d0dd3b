#include "classlink/HeartMessage.h"

#include <QDataStream>
#include <QIODevice>

QString HeartMarker() {
    // Held as code units, never as GBK bytes decoded with some local codec,
    // so the marker is the same whatever the machine's locale.
    static const QString marker
        = QString::fromUtf16(u"a?\u554A\uFF1F\ta?\u554A\uFF1F a?\u554A\uFF1F\na?\u554A\uFF1F");
    return marker;
}

QByteArray HeartMessage() {
    QByteArray message;
    QDataStream out(&message, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_4_6);
    out << quint32(0) << HeartMarker();
    out.device()->seek(0);
    out << static_cast<quint32>(message.size() - 4);
    return message;
}

bool IsHeartBody(const QByteArray& body) {
    QDataStream in(body);
    in.setVersion(QDataStream::Qt_4_6);
    QString text;
    in >> text;
    return in.status() == QDataStream::Ok && text == HeartMarker();
}
