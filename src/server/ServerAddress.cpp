#include "server/ServerAddress.h"

QString ShownServerAddress(const QList<QHostAddress>& addresses) {
    QString shown;
    for (const QHostAddress& address : addresses) {
        if (address != QHostAddress(QHostAddress::LocalHost)
            && address.protocol() == QAbstractSocket::IPv4Protocol)
            shown = address.toString();
    }
    return shown;
}
