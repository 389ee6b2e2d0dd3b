#include "support/LinkTestClient.h"

#include "classlink/C3DFile.h"
#include "classlink/Up3DFileMessage.h"
#include "classlink/XorWithLinkKey.h"

#include <QTextCodec>
#include <QtEndian>

#include <cstring>
#include <stdexcept>
#include <string>

namespace testsupport {

void FillPseudoRandom(char* data, qsizetype size, quint64 seed) {
    quint64 state = seed * 0x9E3779B97F4A7C15ull + 1;
    qsizetype i = 0;
    for (; i + 8 <= size; i += 8) {
        // splitmix64
        quint64 z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        z ^= z >> 31;
        std::memcpy(data + i, &z, 8);
    }
    for (; i < size; ++i)
        data[i] = static_cast<char>(i * 131 + seed);
}

QByteArray MakeBundle(quint64 seed, qsizetype size, const QString& text) {
    const QByteArray textBytes = QTextCodec::codecForName("GBK")->fromUnicode(text);
    // The header's own length depends on the program length: settle it. A
    // size the header's digits step over (the program one byte too long for
    // one header and one too short for the next) takes a robot file a byte
    // longer.
    for (const qint64 robotLength : { 256, 257 }) {
        qint64 programLength = size - textBytes.size() - robotLength;
        QByteArray header;
        for (int round = 0; round < 4 && programLength >= 0; ++round) {
            header = C3DFile::MakeHeader(textBytes.size(), robotLength, programLength, 0);
            programLength = size - header.size() - textBytes.size() - robotLength;
        }
        if (programLength < 0)
            break;
        if (header != C3DFile::MakeHeader(textBytes.size(), robotLength, programLength, 0))
            continue;
        QByteArray bundle(size, Qt::Uninitialized);
        char* at = bundle.data();
        std::memcpy(at, header.constData(), static_cast<size_t>(header.size()));
        at += header.size();
        std::memcpy(at, textBytes.constData(), static_cast<size_t>(textBytes.size()));
        at += textBytes.size();
        std::memset(at, 'r', static_cast<size_t>(robotLength));
        std::memcpy(at, "<?xml version=\"1.0\"?><data>", 27);
        at += robotLength;
        FillPseudoRandom(at, programLength, seed);
        return bundle;
    }
    throw std::invalid_argument("MakeBundle: " + std::to_string(size)
        + " bytes cannot hold a bundle's header, its result text and a robot file");
}

QByteArray WireUpload(const QString& name, const QByteArray& bundle) {
    QByteArray message = BuildUp3DFileMessage(name, bundle);
    XorWithLinkKey(message);
    return message;
}

QByteArray WireHeader(qint32 nameLength, qint32 dataLength) {
    QByteArray header(8, Qt::Uninitialized);
    qToBigEndian(nameLength, header.data());
    qToBigEndian(dataLength, header.data() + 4);
    XorWithLinkKey(header);
    return header;
}

QByteArray WireKeepAlive() {
    static const unsigned char bytes[46]
        = { 0x4B, 0x70, 0x37, 0x7D, 0x64, 0x32, 0x51, 0x5E, 0x39, 0x37, 0x6E, 0x0B, 0x19, 0x3E, 0xC9, 0x4D,
              0x4B, 0x79, 0x37, 0x36, 0x64, 0x0D, 0x04, 0x32, 0xC6, 0x49, 0x6E, 0x14, 0x4C, 0x15, 0x36, 0x6D,
              0x1E, 0x3A, 0xC8, 0x48, 0x64, 0x38, 0x51, 0x19, 0x39, 0x69, 0x3B, 0x7E, 0xB3, 0x6B };
    return QByteArray(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

QByteArray WireReceipt(const QString& listedName) {
    const auto count = [](quint32 value) {
        QByteArray bytes(4, Qt::Uninitialized);
        qToBigEndian(value, bytes.data());
        return bytes;
    };
    const auto utf16 = [&](const QString& text) {
        QByteArray bytes = count(static_cast<quint32>(2 * text.size()));
        for (const QChar c : text) {
            bytes += static_cast<char>(c.unicode() >> 8);
            bytes += static_cast<char>(c.unicode() & 0xFF);
        }
        return bytes;
    };
    const QByteArray rest = utf16(QStringLiteral("Up3DFileStored")) + utf16(listedName);
    QByteArray message = count(static_cast<quint32>(rest.size())) + rest;
    static const char key[] = "Kp7Wd2Qx9Vn4Lt6R";
    for (qsizetype i = 0; i < message.size(); ++i)
        message[i] = static_cast<char>(message[i] ^ key[i % 16]);
    return message;
}

} // namespace testsupport
