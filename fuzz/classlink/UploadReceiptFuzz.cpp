// A body from the classroom server that may be a receipt: what reads as one
// is the marker and a name within the limit, agreeing with Qt's own reader,
// and written again it is the body's start, byte for byte. Bytes after it
// change nothing it read.

#include "FuzzCheck.h"
#include "classlink/UploadReceipt.h"

#include <QDataStream>
#include <QIODevice>

#include <cstdint>

using fuzzsupport::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray body(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::optional<QString> name = ReadUploadReceipt(body);
    if (!name)
        return 0;
    const std::optional<QString> longer = ReadUploadReceipt(body + QByteArray("\0\x01\xff\xfe", 4));
    Check(longer && *longer == *name, "bytes after the receipt changed what it read");
    Check(!name->isEmpty() && name->size() <= kMaxReceiptName, "a name that is empty or past the limit");
    QDataStream in(body);
    in.setVersion(QDataStream::Qt_4_6);
    QString marker;
    QString qtName;
    in >> marker >> qtName;
    Check(in.status() == QDataStream::Ok && marker == QLatin1String(kUploadReceiptMarker) && qtName == *name,
        "a receipt Qt reads otherwise");
    Check(body.startsWith(UploadReceipt(*name).mid(4)), "written again, another receipt");
    return 0;
}
