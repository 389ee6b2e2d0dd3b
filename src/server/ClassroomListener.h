#pragma once

#include <QString>
#include <QTcpServer>

#include <functional>

// The listener of the classroom port. Each connection the system hands over
// is put to the window's admission rule by its peer's address first; one it
// refuses is closed at once, before a socket object is made for it, so that a
// flood of connections costs a descriptor for a moment and nothing more.
class ClassroomListener : public QTcpServer {
public:
    // Whether a connection from this address (as AddressText writes it) is
    // taken.
    using Admission = std::function<bool(const QString& address)>;

    ClassroomListener(Admission admit, QObject* parent);

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    Admission m_admit;
};
