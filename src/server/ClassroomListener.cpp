#include "server/ClassroomListener.h"

#include "server/ServerAddress.h"

#include <QHostAddress>

#include <utility>

#include <sys/socket.h>
#include <unistd.h>

ClassroomListener::ClassroomListener(Admission admit, QObject* parent)
    : QTcpServer(parent)
    , m_admit(std::move(admit)) { }

void ClassroomListener::incomingConnection(qintptr descriptor) {
    sockaddr_storage peer {};
    socklen_t size = sizeof peer;
    QHostAddress address;
    if (::getpeername(static_cast<int>(descriptor), reinterpret_cast<sockaddr*>(&peer), &size) == 0)
        address.setAddress(reinterpret_cast<const sockaddr*>(&peer));
    // A peer that is gone already has no address: its connection goes the
    // usual way, and ends at once.
    if (!address.isNull() && !m_admit(AddressText(address))) {
        ::close(static_cast<int>(descriptor));
        return;
    }
    QTcpServer::incomingConnection(descriptor);
}
