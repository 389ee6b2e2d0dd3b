#pragma once

#include <QByteArray>
#include <QtGlobal>

// The simulator's link frames every message as a big-endian quint32 body
// length followed by the body; the whole frame is scrambled from key
// position 0.
inline constexpr qsizetype kLinkFrameHeaderSize = 4;

// The frame of a body, unscrambled: length header, then the body.
QByteArray MakeLinkFrame(const QByteArray& body);

// The body length of a frame from its first four (unscrambled) bytes.
quint32 ReadLinkFrameLength(const char* header);
