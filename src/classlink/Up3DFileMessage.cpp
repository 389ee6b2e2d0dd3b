#include "classlink/Up3DFileMessage.h"

#include <QDataStream>
#include <QIODevice>
#include <QtEndian>

QByteArray BuildUp3DFileMessage(const QString& name, const QByteArray& data) {
    QByteArray message;
    message.reserve(kUp3DFileHeaderSize + 4 + name.size() * 2 + data.size());
    QDataStream out(&message, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_4_6);
    out << quint32(0) << static_cast<quint32>(data.size()) << name;
    const auto nameLength = static_cast<quint32>(message.size() - kUp3DFileHeaderSize);
    out.writeRawData(data.constData(), static_cast<int>(data.size()));
    qToBigEndian(nameLength, message.data());
    return message;
}

Up3DFileHeader ReadUp3DFileHeader(const char* header) {
    Up3DFileHeader h;
    h.nameLength = qFromBigEndian<qint32>(header);
    h.dataLength = qFromBigEndian<qint32>(header + 4);
    return h;
}

std::optional<QString> ReadUp3DFileName(const QByteArray& block) {
    if (block.size() < 4)
        return std::nullopt;
    const quint32 count = qFromBigEndian<quint32>(block.constData());
    if (count == 0xFFFFFFFFu)
        return block.size() == 4 ? std::optional<QString>(QString()) : std::nullopt;
    if (count % 2 != 0 || static_cast<qint64>(count) != block.size() - 4)
        return std::nullopt;
    QString name(static_cast<qsizetype>(count / 2), Qt::Uninitialized);
    const char* units = block.constData() + 4;
    for (qsizetype i = 0; i < name.size(); ++i)
        name[i] = QChar(qFromBigEndian<char16_t>(units + 2 * i));
    return name;
}
