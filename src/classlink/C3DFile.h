#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>

// The result bundle (.3d): an ASCII header "TL_RL_PL_GL_" followed by the
// result text (TL bytes), the robot file (RL), the robot program (PL) and the
// playground file (GL). GL is left out of the header when it is 0, which
// then ends in "__".
//
// One parser serves every reader; the readers differ only in which bundles
// they accept, so each names its rule.
class C3DFile {
public:
    enum class Reader {
        Upload, // the upload command: size >= 9, TL >= 1, RL >= 1
        Load, // the simulation page: size >= 14, RL >= 1, PL >= 1
        Server, // the classroom server's score table: size > 14, RL >= 1, PL >= 1
    };

    struct Header {
        qint64 textLength = 0;
        qint64 robotLength = 0;
        qint64 programLength = 0;
        qint64 groundLength = 0;
        qint64 headerLength = 0; // bytes up to and including the fourth separator
        bool overlong = false; // a field had more digits than any real length
    };

    // Longest decimal field taken as a length; longer ones make the header
    // invalid instead of overflowing.
    static constexpr int kMaxFieldDigits = 10;
    // The most bytes a header can take; readers need pass no more.
    static constexpr qsizetype kMaxHeaderSize = 4 * (kMaxFieldDigits + 1);

    // Parses the four fields from the start of a bundle of fileSize bytes,
    // of which `start` holds the first bytes (at least kMaxHeaderSize of
    // them, or all). Each field gathers decimal digits and ends at the first
    // other byte, which is skipped; a field without digits is 0; a field
    // also ends where the file ends.
    static Header ParseHeader(const QByteArray& start, qint64 fileSize);

    // Whether a bundle of fileSize bytes with this header is one that the
    // given reader accepts: the reader's size and length rule, and the
    // header and the four sections adding up to the file size exactly.
    static bool IsValid(const Header& header, qint64 fileSize, Reader reader);

    // The header for the given section lengths.
    static QByteArray MakeHeader(
        qint64 textLength, qint64 robotLength, qint64 programLength, qint64 groundLength);

    // The four sections of a bundle; an empty ground means the run had no
    // playground.
    struct Sections {
        QByteArray text;
        QByteArray robot;
        QByteArray program;
        QByteArray ground;
    };

    // The whole bundle: header, then the sections in order.
    static QByteArray Pack(const Sections& sections);
    // The sections of a whole bundle that the reader accepts; none for any
    // other bytes.
    static std::optional<Sections> Unpack(const QByteArray& bundle, Reader reader);
};
