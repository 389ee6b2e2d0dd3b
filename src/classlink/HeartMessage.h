#pragma once

#include <QByteArray>
#include <QString>

// The classroom server's keep-alive on the link. Its body is one QString,
// the marker text, so the simulator can tell it from every other message.

// The marker: "a?啊？" four times, separated by a tab, a space and a line
// feed (19 UTF-16 code units).
QString HeartMarker();

// The complete message as the server sends it before scrambling: quint32
// length 42, then the marker as QDataStream writes it (46 bytes).
QByteArray HeartMessage();

// Whether a received body (the frame's length removed) is the keep-alive.
bool IsHeartBody(const QByteArray& body);
