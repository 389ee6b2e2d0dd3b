#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QtGlobal>

#include <optional>

// Reads the fields of one message body the way QDataStream (version 4.6)
// writes them: big-endian integers; a string as a quint32 byte count and
// that many bytes of UTF-16 code units (FFFFFFFF for a null string); a
// date-time as a quint32 Julian day, quint32 milliseconds since midnight
// and a qint8 time spec.
//
// The bytes come from a peer, so every read checks what is left before it
// takes anything: a field that is cut off, or that names more bytes than
// the body holds, fails instead of reading past the body or reserving the
// memory it names. After one failure every further read fails too. The
// reader holds no copy: the body must outlive it.
class LinkRecordReader {
public:
    LinkRecordReader(const char* data, qsizetype size);
    explicit LinkRecordReader(const QByteArray& body);

    std::optional<quint32> ReadUInt32();
    std::optional<qint32> ReadInt32();
    // A string of at most maxUnits UTF-16 code units; a longer one, an odd
    // byte count or one past the end fails. A null string reads as a null
    // QString.
    std::optional<QString> ReadString(qsizetype maxUnits);
    // Spec -1, 0 and 1 are local time; 2, 3 and 4 were written as UTC.
    // A null date or time reads as an invalid QDateTime; a time of day past
    // midnight or an unknown spec fails.
    std::optional<QDateTime> ReadDateTime();

    bool Failed() const { return m_failed; }
    qsizetype Remaining() const { return m_size - m_at; }

private:
    // The next `count` bytes, or null (and failed) when fewer are left.
    const char* Take(qsizetype count);

    const char* m_data;
    qsizetype m_size;
    qsizetype m_at = 0;
    bool m_failed = false;
};
