#include "classlink/LinkRecordReader.h"

#include <QDate>
#include <QTime>
#include <QtEndian>

namespace {

constexpr quint32 kNullString = 0xFFFFFFFFu;
constexpr quint32 kNullTime = 0xFFFFFFFFu;
constexpr quint32 kMsecsPerDay = 24u * 60u * 60u * 1000u;

} // namespace

LinkRecordReader::LinkRecordReader(const char* data, qsizetype size)
    : m_data(data)
    , m_size(size < 0 ? 0 : size) { }

LinkRecordReader::LinkRecordReader(const QByteArray& body)
    : LinkRecordReader(body.constData(), body.size()) { }

const char* LinkRecordReader::Take(qsizetype count) {
    if (m_failed || count < 0 || count > Remaining()) {
        m_failed = true;
        return nullptr;
    }
    const char* at = m_data + m_at;
    m_at += count;
    return at;
}

std::optional<quint32> LinkRecordReader::ReadUInt32() {
    const char* bytes = Take(4);
    if (!bytes)
        return std::nullopt;
    return qFromBigEndian<quint32>(bytes);
}

std::optional<qint32> LinkRecordReader::ReadInt32() {
    const char* bytes = Take(4);
    if (!bytes)
        return std::nullopt;
    return qFromBigEndian<qint32>(bytes);
}

std::optional<QString> LinkRecordReader::ReadString(qsizetype maxUnits) {
    const std::optional<quint32> count = ReadUInt32();
    if (!count)
        return std::nullopt;
    if (*count == kNullString)
        return QString();
    // The count is checked against the body before anything is reserved.
    if (*count % 2 != 0 || static_cast<qint64>(*count) / 2 > maxUnits) {
        m_failed = true;
        return std::nullopt;
    }
    const char* units = Take(static_cast<qsizetype>(*count));
    if (!units)
        return std::nullopt;
    QString text(static_cast<qsizetype>(*count / 2), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        text[i] = QChar(qFromBigEndian<char16_t>(units + 2 * i));
    return text;
}

std::optional<QDateTime> LinkRecordReader::ReadDateTime() {
    const std::optional<quint32> julianDay = ReadUInt32();
    const std::optional<quint32> msecs = ReadUInt32();
    const char* spec = Take(1);
    if (!julianDay || !msecs || !spec)
        return std::nullopt;
    if (*msecs != kNullTime && *msecs >= kMsecsPerDay) {
        m_failed = true;
        return std::nullopt;
    }
    Qt::TimeSpec timeSpec = Qt::LocalTime;
    switch (static_cast<qint8>(*spec)) {
    case -1:
    case 0:
    case 1:
        timeSpec = Qt::LocalTime;
        break;
    case 2:
    case 3:
    case 4:
        timeSpec = Qt::UTC;
        break;
    default:
        m_failed = true;
        return std::nullopt;
    }
    if (*julianDay == 0 || *msecs == kNullTime)
        return QDateTime();
    const QDate date = QDate::fromJulianDay(*julianDay);
    const QTime time = QTime::fromMSecsSinceStartOfDay(static_cast<int>(*msecs));
    return QDateTime(date, time, timeSpec);
}
