#pragma once

#include <QAbstractSocket>
#include <QString>

// Why something failed, as the teacher reads it in the window's log. The
// window speaks Chinese only, so the reasons are ours, in Chinese: Qt's and
// the C library's own texts would put English into every other line.

// The reason of a failed file operation, from its errno value: a full disk,
// a folder that refuses writes, ...; an unusual one by its number.
QString SystemReason(int errorNumber);

// The reason of a socket error (of a connection or the listener).
QString SocketReason(QAbstractSocket::SocketError error);
