#include "classlink/LinkDecoder.h"

#include "classlink/LinkFrame.h"
#include "classlink/Up3DFileMessage.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>

LinkDecoder LinkDecoder::Frames(qint64 maxBody, std::string_view key) {
    return LinkDecoder(Layout::Frame, maxBody, 0, key);
}

LinkDecoder LinkDecoder::Uploads(qint64 maxNameBlock, qint64 maxData, std::string_view key) {
    return LinkDecoder(Layout::Upload, maxNameBlock, maxData, key);
}

LinkDecoder::LinkDecoder(Layout layout, qint64 maxFirst, qint64 maxSecond, std::string_view key)
    : m_layout(layout)
    , m_maxFirst(maxFirst)
    , m_maxSecond(maxSecond)
    , m_key(key) { }

void LinkDecoder::Unscramble(char* bytes, qsizetype size) {
    XorWithLinkKey(bytes, size, m_keyPos, m_key);
    m_keyPos += size;
}

qsizetype LinkDecoder::Take(char* bytes, qsizetype size, qsizetype wanted, char* into) {
    const qsizetype n = std::min(size, wanted);
    Unscramble(bytes, n);
    std::memcpy(into, bytes, static_cast<size_t>(n));
    return n;
}

LinkDecoder::Result LinkDecoder::Feed(char* bytes, qsizetype size) {
    Result result;
    qsizetype at = 0;
    for (;;) {
        const qsizetype left = size - at;
        switch (m_state) {
        case State::Broken:
            result.event = Event::Error;
            result.taken = at;
            return result;

        case State::Header: {
            const qsizetype headerSize
                = m_layout == Layout::Frame ? kLinkFrameHeaderSize : kUp3DFileHeaderSize;
            if (left == 0) {
                result.taken = at;
                return result;
            }
            const qsizetype n = Take(bytes + at, left, headerSize - m_headerGot, m_header + m_headerGot);
            at += n;
            m_headerGot += n;
            if (m_headerGot == headerSize)
                TakeHeader();
            break;
        }

        case State::Body: {
            if (left == 0) {
                result.taken = at;
                return result;
            }
            const qsizetype before = m_body.size();
            const qsizetype wanted = static_cast<qsizetype>(m_bodyLength - before);
            m_body.resize(before + std::min(left, wanted));
            at += Take(bytes + at, left, wanted, m_body.data() + before);
            if (m_body.size() == m_bodyLength) {
                StartNextMessage();
                result.event = Event::Frame;
                result.taken = at;
                return result;
            }
            break;
        }

        case State::Name: {
            if (left == 0) {
                result.taken = at;
                return result;
            }
            const qsizetype before = m_nameBlock.size();
            const qsizetype wanted = static_cast<qsizetype>(m_nameLength - before);
            m_nameBlock.resize(before + std::min(left, wanted));
            at += Take(bytes + at, left, wanted, m_nameBlock.data() + before);
            if (m_nameBlock.size() < m_nameLength)
                break;
            const std::optional<QString> name = ReadUp3DFileName(m_nameBlock);
            if (!name) {
                Fail(Error::NameFormat, m_nameLength);
                break;
            }
            m_name = *name;
            m_state = State::Data;
            result.event = Event::UploadName;
            result.taken = at;
            return result;
        }

        case State::Data: {
            if (left == 0) {
                result.taken = at;
                return result;
            }
            const qsizetype n = static_cast<qsizetype>(std::min<qint64>(left, m_dataLength - m_dataRead));
            Unscramble(bytes + at, n);
            result.event = Event::UploadData;
            result.piece = bytes + at;
            result.pieceSize = n;
            at += n;
            m_dataRead += n;
            if (m_dataRead == m_dataLength)
                m_state = State::DataDone;
            result.taken = at;
            return result;
        }

        case State::DataDone:
            StartNextMessage();
            result.event = Event::UploadEnd;
            result.taken = at;
            return result;
        }
    }
}

void LinkDecoder::TakeHeader() {
    if (m_layout == Layout::Frame) {
        const quint32 length = ReadLinkFrameLength(m_header);
        if (length == 0) {
            // Nothing to hand out; the next frame starts at key position 0.
            StartNextMessage();
            return;
        }
        if (length > m_maxFirst) {
            Fail(Error::BodyLength, length);
            return;
        }
        m_bodyLength = length;
        m_body.clear();
        m_state = State::Body;
        return;
    }
    const Up3DFileHeader header = ReadUp3DFileHeader(m_header);
    if (header.nameLength < 4 || header.nameLength > m_maxFirst) {
        Fail(Error::NameLength, header.nameLength);
        return;
    }
    // A length of 0 would leave the receiver waiting for a header in the
    // middle of a message, taking the next bytes for one.
    if (header.dataLength < 1 || header.dataLength > m_maxSecond) {
        Fail(Error::DataLength, header.dataLength);
        return;
    }
    m_nameLength = header.nameLength;
    m_dataLength = header.dataLength;
    m_nameBlock.clear();
    m_state = State::Name;
}

void LinkDecoder::Fail(Error error, qint64 value) {
    m_error = error;
    m_errorValue = value;
    m_state = State::Broken;
}

void LinkDecoder::StartNextMessage() {
    m_state = State::Header;
    m_keyPos = 0;
    m_headerGot = 0;
    m_nameBlock.clear();
    m_nameLength = 0;
    m_dataRead = 0;
}

QByteArray LinkDecoder::TakeBody() {
    return std::exchange(m_body, QByteArray());
}

bool LinkDecoder::InMessage() const {
    switch (m_state) {
    case State::Header:
        return m_headerGot > 0;
    case State::Body:
    case State::Name:
    case State::Data:
    case State::DataDone:
        return true;
    case State::Broken:
        return false;
    }
    return false;
}

void LinkDecoder::Reset() {
    StartNextMessage();
    m_body.clear();
    m_bodyLength = 0;
    m_name.clear();
    m_dataLength = 0;
    m_error = Error::None;
    m_errorValue = 0;
}
