#pragma once

// What a test needs to play a simulator towards ClassServer: bundles with
// known bytes and the upload message as it travels on the wire.

#include <QByteArray>
#include <QString>

namespace testsupport {

// Pseudo-random bytes, cheap to make and to make again from the same seed.
void FillPseudoRandom(char* data, qsizetype size, quint64 seed);

// A result bundle of exactly `size` bytes: the header, the result text in
// GBK, a robot file of 256 bytes starting with "<" and a pseudo-random
// program; the same seed gives the same bundle. A size too small for all
// but the program throws std::invalid_argument.
QByteArray MakeBundle(
    quint64 seed, qsizetype size, const QString& text = QStringLiteral("得分:100,完成时间:12.5秒"));

// The whole upload of a bundle, scrambled.
QByteArray WireUpload(const QString& name, const QByteArray& bundle);

// Only the eight-byte header of an upload, scrambled.
QByteArray WireHeader(qint32 nameLength, qint32 dataLength);

// ClassServer's keep-alive as the link carries it, byte for byte: length 42,
// the marker "a?啊？" TAB "a?啊？" SPACE "a?啊？" LF "a?啊？" as 19 UTF-16
// code units, every byte i XORed with byte i mod 16 of "Kp7Wd2Qx9Vn4Lt6R".
// Written out, not built by the code under test.
QByteArray WireKeepAlive();

// ClassServer's receipt for a stored bundle as the link carries it: a
// quint32 length of the rest, the marker "Up3DFileStored" and the listed
// name, each as a quint32 byte count and UTF-16 big-endian code units,
// every byte i XORed with byte i mod 16 of the key. Put together here byte
// by byte, not by the code under test.
QByteArray WireReceipt(const QString& listedName);

} // namespace testsupport
