#pragma once

#include <QHostAddress>
#include <QList>
#include <QString>

// The address the server window shows as its own: of the machine's
// addresses in the order the system lists them, the last IPv4 one that is
// not the loopback address; a null text when there is none.
QString ShownServerAddress(const QList<QHostAddress>& addresses);

// An address as people write it: a peer on IPv4 is "192.168.1.5", never
// "::ffff:192.168.1.5", which would also put colons into file names.
QString AddressText(const QHostAddress& address);
