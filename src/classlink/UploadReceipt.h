#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <optional>

// ClassServer's answer to an upload it has stored, so that the student
// learns it arrived: the name under which the teacher's score table lists
// it. Laid out as the keep-alive is: a quint32 length of the rest, then, as
// QDataStream (version 4.6, big-endian) writes them, the marker QString
// "Up3DFileStored" and the listed name. The link scrambles it from key
// position 0. A simulator that knows no receipt takes it for a message it
// does not wait for, and leaves it.

inline constexpr char kUploadReceiptMarker[] = "Up3DFileStored";
// The longest name a receipt carries, in UTF-16 code units (as an upload's
// name).
inline constexpr qsizetype kMaxReceiptName = 1024;

// The whole message, before scrambling.
QByteArray UploadReceipt(const QString& listedName);

// The listed name of a received body (its length removed) that is a
// receipt; nothing for any other body, or one whose name is missing, empty
// or too long. Bytes after the name are left alone.
std::optional<QString> ReadUploadReceipt(const QByteArray& body);
