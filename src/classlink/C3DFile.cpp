#include "classlink/C3DFile.h"

C3DFile::Header C3DFile::ParseHeader(const QByteArray& start, qint64 fileSize) {
    Header header;
    qint64* const fields[4]
        = { &header.textLength, &header.robotLength, &header.programLength, &header.groundLength };
    const qint64 end = qMin<qint64>(start.size(), qMax<qint64>(fileSize, 0));
    qint64 at = 0;
    for (qint64* field : fields) {
        int digits = 0;
        while (at < end) {
            const char c = start.at(at++);
            if (c < '0' || c > '9')
                break;
            if (++digits > kMaxFieldDigits) {
                header.overlong = true;
            } else {
                *field = *field * 10 + (c - '0');
            }
        }
    }
    header.headerLength = at;
    return header;
}

bool C3DFile::IsValid(const Header& header, qint64 fileSize, Reader reader) {
    if (header.overlong)
        return false;
    switch (reader) {
    case Reader::Upload:
        if (fileSize < 9 || header.textLength < 1 || header.robotLength < 1)
            return false;
        break;
    case Reader::Load:
        if (fileSize < 14 || header.robotLength < 1 || header.programLength < 1)
            return false;
        break;
    case Reader::Server:
        if (fileSize <= 14 || header.robotLength < 1 || header.programLength < 1)
            return false;
        break;
    }
    // Each field has at most ten digits, so the sum cannot overflow.
    return header.headerLength + header.textLength + header.robotLength + header.programLength
        + header.groundLength
        == fileSize;
}

QByteArray C3DFile::MakeHeader(
    qint64 textLength, qint64 robotLength, qint64 programLength, qint64 groundLength) {
    QByteArray header = QByteArray::number(textLength) + '_' + QByteArray::number(robotLength) + '_'
        + QByteArray::number(programLength) + '_';
    if (groundLength > 0)
        header += QByteArray::number(groundLength);
    header += '_';
    return header;
}

QByteArray C3DFile::Pack(const Sections& sections) {
    QByteArray bundle = MakeHeader(
        sections.text.size(), sections.robot.size(), sections.program.size(), sections.ground.size());
    bundle.reserve(bundle.size() + sections.text.size() + sections.robot.size() + sections.program.size()
        + sections.ground.size());
    bundle += sections.text;
    bundle += sections.robot;
    bundle += sections.program;
    bundle += sections.ground;
    return bundle;
}

std::optional<C3DFile::Sections> C3DFile::Unpack(const QByteArray& bundle, Reader reader) {
    const Header header = ParseHeader(bundle.left(kMaxHeaderSize), bundle.size());
    if (!IsValid(header, bundle.size(), reader))
        return std::nullopt;
    // Valid means the header and the four lengths add up to the bundle's
    // size, so every section lies inside it.
    Sections sections;
    qsizetype at = qsizetype(header.headerLength);
    const auto take = [&](qint64 length) {
        const QByteArray section = bundle.mid(at, qsizetype(length));
        at += qsizetype(length);
        return section;
    };
    sections.text = take(header.textLength);
    sections.robot = take(header.robotLength);
    sections.program = take(header.programLength);
    sections.ground = take(header.groundLength);
    return sections;
}
