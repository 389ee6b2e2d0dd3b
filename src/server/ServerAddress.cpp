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

QString AddressText(const QHostAddress& address) {
    bool isIPv4 = false;
    const quint32 ipv4 = address.toIPv4Address(&isIPv4);
    return isIPv4 ? QHostAddress(ipv4).toString() : address.toString();
}
