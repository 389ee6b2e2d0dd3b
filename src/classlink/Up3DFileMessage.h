#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <optional>

// The simulator's submission of one result bundle to the classroom server.
// Unscrambled it is: qint32 name-block length, qint32 data length (both
// big-endian), the name as QDataStream writes a QString (quint32 byte count,
// UTF-16 big-endian), then the bundle's bytes. It has no frame of its own:
// the receiver finds its end from the two lengths.

inline constexpr qsizetype kUp3DFileHeaderSize = 8;

struct Up3DFileHeader {
    qint32 nameLength = 0; // bytes of the serialised name
    qint32 dataLength = 0; // bytes of the bundle
};

// The whole message, unscrambled.
QByteArray BuildUp3DFileMessage(const QString& name, const QByteArray& data);

// The two lengths from the first eight (unscrambled) bytes.
Up3DFileHeader ReadUp3DFileHeader(const char* header);

// The name from a complete name block; none when the block is not one
// QString filling the block exactly. A null string (byte count FFFFFFFF in a
// block of four bytes) reads as an empty name.
std::optional<QString> ReadUp3DFileName(const QByteArray& block);
