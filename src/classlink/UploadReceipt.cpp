#include "classlink/UploadReceipt.h"

#include "classlink/LinkRecordReader.h"

#include <QDataStream>
#include <QIODevice>

QByteArray UploadReceipt(const QString& listedName) {
    QByteArray message;
    QDataStream out(&message, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_4_6);
    out << quint32(0) << QString::fromLatin1(kUploadReceiptMarker) << listedName;
    out.device()->seek(0);
    out << static_cast<quint32>(message.size() - 4);
    return message;
}

std::optional<QString> ReadUploadReceipt(const QByteArray& body) {
    LinkRecordReader in(body);
    const std::optional<QString> marker = in.ReadString(sizeof kUploadReceiptMarker);
    if (!marker || *marker != QLatin1String(kUploadReceiptMarker))
        return std::nullopt;
    std::optional<QString> name = in.ReadString(kMaxReceiptName);
    if (!name || name->isEmpty())
        return std::nullopt;
    return name;
}
