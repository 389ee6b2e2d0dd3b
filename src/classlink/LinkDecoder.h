#pragma once

#include "classlink/XorWithLinkKey.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <string>
#include <string_view>

// Cuts the bytes of the classroom link into messages as they arrive, in
// pieces of any size: it unscrambles them (every message from key position
// 0) and reads the lengths that tell where each message ends. Both ends of
// the link feed one: the simulator's link its frames, each of ClassServer's
// receivers the uploads. It holds no socket and no timer, so what it does
// with any split of the bytes can be tested byte by byte.
//
// Feed() takes bytes until something happens and says what; the caller acts
// on it and feeds the rest. A broken message (a length out of bounds, a name
// block that is not one string) stops the decoder for good: nothing after it
// can be trusted, and the caller closes the connection.
class LinkDecoder {
public:
    enum class Event {
        NeedMore, // every byte given was taken; feed more
        Frame, // a frame's body is complete: TakeBody()
        UploadName, // an upload's name is complete: Name(), DataLength()
        UploadData, // a piece of an upload's data: Result::piece
        UploadEnd, // the upload's last data byte has been handed out
        Error, // the stream is broken: LastError(), ErrorValue()
    };

    enum class Error {
        None,
        BodyLength, // a frame announced more than the largest body
        NameLength, // an upload's name block is shorter than 4 bytes or too long
        DataLength, // an upload's data is empty, negative or too long
        NameFormat, // an upload's name block is not exactly one string
    };

    struct Result {
        Event event = Event::NeedMore;
        // Bytes of the input used up (on UploadData, the piece included).
        qsizetype taken = 0;
        // UploadData: the unscrambled piece, inside the caller's input.
        const char* piece = nullptr;
        qsizetype pieceSize = 0;
    };

    // The simulator's side: a frame is a quint32 body length (big-endian)
    // and the body, handed out whole. A frame of length 0 is skipped.
    static LinkDecoder Frames(qint64 maxBody, std::string_view key = kLinkKey);

    // ClassServer's side: Up3DFileMessage, a qint32 name-block length, a
    // qint32 data length, the name block and the data. The data is handed
    // out in pieces as it comes, so a bundle never has to fit in memory.
    static LinkDecoder Uploads(qint64 maxNameBlock, qint64 maxData, std::string_view key = kLinkKey);

    // Takes bytes off the front of the input (scrambled, as they came off
    // the wire) until an event or the end of the input, unscrambling them in
    // place. Call it again with the rest while the event is not NeedMore or
    // Error: an event may be due with no input left (UploadEnd).
    Result Feed(char* bytes, qsizetype size);

    // The body of the frame just completed, moved out.
    QByteArray TakeBody();
    // The name of the upload under way; a null text when the simulator sent
    // a null string.
    const QString& Name() const { return m_name; }
    qint64 DataLength() const { return m_dataLength; }

    Error LastError() const { return m_error; }
    // The length that broke the stream (for a NameFormat error, the block's).
    qint64 ErrorValue() const { return m_errorValue; }

    // Whether part of a message has been taken and the rest is still due.
    bool InMessage() const;
    // Forgets the message under way and any error: the next byte fed is the
    // first of a new message.
    void Reset();

private:
    enum class Layout { Frame, Upload };
    enum class State { Header, Body, Name, Data, DataDone, Broken };

    LinkDecoder(Layout layout, qint64 maxFirst, qint64 maxSecond, std::string_view key);

    // Copies up to `wanted` bytes of the input into `into`, unscrambled.
    qsizetype Take(char* bytes, qsizetype size, qsizetype wanted, char* into);
    void Unscramble(char* bytes, qsizetype size);
    void TakeHeader();
    void Fail(Error error, qint64 value);
    void StartNextMessage();

    Layout m_layout;
    qint64 m_maxFirst; // largest body (frames) or name block (uploads)
    qint64 m_maxSecond; // largest data (uploads)
    std::string m_key;

    State m_state = State::Header;
    // Position of the next byte within its message: the key position.
    qint64 m_keyPos = 0;
    char m_header[8] = {};
    qsizetype m_headerGot = 0;

    qint64 m_bodyLength = 0;
    QByteArray m_body;

    qint64 m_nameLength = 0;
    QByteArray m_nameBlock;
    QString m_name;
    qint64 m_dataLength = 0;
    qint64 m_dataRead = 0;

    Error m_error = Error::None;
    qint64 m_errorValue = 0;
};
