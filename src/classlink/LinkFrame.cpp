#include "classlink/LinkFrame.h"

#include <QtEndian>

QByteArray MakeLinkFrame(const QByteArray& body) {
    QByteArray frame(kLinkFrameHeaderSize, Qt::Uninitialized);
    qToBigEndian(static_cast<quint32>(body.size()), frame.data());
    frame.append(body);
    return frame;
}

quint32 ReadLinkFrameLength(const char* header) {
    return qFromBigEndian<quint32>(header);
}
