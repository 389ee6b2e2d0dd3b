// Both ends' link decoder fed any stream in pieces of any size: a frame or an
// upload comes out whole and unchanged wherever the pieces are cut, exactly
// as the message layouts say, and a broken message stops the stream at the
// point where it breaks.
//
// The input is the unscrambled stream: the target scrambles each message from
// the key's start, as the sender does, so that the fuzzer works on the
// messages themselves. Its last bytes choose the layout, the limits and the
// cuts.

#include "FuzzCheck.h"
#include "classlink/LinkDecoder.h"
#include "classlink/Up3DFileMessage.h"
#include "classlink/XorWithLinkKey.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QtEndian>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

using fuzzsupport::Check;

struct Limits {
    bool uploads = false;
    qint64 maxFirst = 0; // body, or name block
    qint64 maxData = 0;
};

// What a decoder made of a stream, one line per event; consecutive pieces of
// one upload's data are one line.
struct Transcript {
    std::vector<std::string> lines;
    bool inMessage = false;

    void Add(const std::string& line) { lines.push_back(line); }
    void AddData(const char* data, qsizetype size) {
        if (!lines.empty() && lines.back().rfind("data:", 0) == 0)
            lines.back().append(data, static_cast<std::size_t>(size));
        else
            lines.push_back("data:" + std::string(data, static_cast<std::size_t>(size)));
    }
    bool operator==(const Transcript&) const = default;
};

std::string Bytes(const QByteArray& bytes) {
    return bytes.toStdString();
}

std::string NameLine(const QString& name, qint64 dataLength) {
    return "name:" + std::string(name.isNull() ? "<null>" : name.toStdString()) + ":"
        + std::to_string(dataLength);
}

std::string ErrorLine(LinkDecoder::Error error, qint64 value) {
    return "error:" + std::to_string(static_cast<int>(error)) + ":" + std::to_string(value);
}

// The layouts read straight from their description, on the unscrambled
// stream; the message boundaries found go to `ends` for the scrambling.
Transcript Reference(const QByteArray& plain, const Limits& limits, std::vector<qsizetype>& ends) {
    Transcript t;
    qsizetype at = 0;
    const qsizetype size = plain.size();
    while (at < size) {
        const char* p = plain.constData() + at;
        const qsizetype left = size - at;
        if (!limits.uploads) {
            if (left < 4) {
                t.inMessage = true;
                break;
            }
            const quint32 length = qFromBigEndian<quint32>(p);
            if (length > limits.maxFirst) {
                t.Add(ErrorLine(LinkDecoder::Error::BodyLength, length));
                break;
            }
            if (left < 4 + qint64(length)) {
                t.inMessage = true;
                break;
            }
            if (length > 0)
                t.Add("frame:" + std::string(p + 4, length));
            at += 4 + static_cast<qsizetype>(length);
            ends.push_back(at);
            continue;
        }
        if (left < 8) {
            t.inMessage = true;
            break;
        }
        const qint32 nameLength = qFromBigEndian<qint32>(p);
        const qint32 dataLength = qFromBigEndian<qint32>(p + 4);
        if (nameLength < 4 || nameLength > limits.maxFirst) {
            t.Add(ErrorLine(LinkDecoder::Error::NameLength, nameLength));
            break;
        }
        if (dataLength < 1 || dataLength > limits.maxData) {
            t.Add(ErrorLine(LinkDecoder::Error::DataLength, dataLength));
            break;
        }
        if (left < 8 + qint64(nameLength)) {
            t.inMessage = true;
            break;
        }
        const std::optional<QString> name = ReadUp3DFileName(QByteArray(p + 8, nameLength));
        if (!name) {
            t.Add(ErrorLine(LinkDecoder::Error::NameFormat, nameLength));
            break;
        }
        t.Add(NameLine(*name, dataLength));
        const qint64 data = std::min<qint64>(dataLength, left - 8 - nameLength);
        if (data > 0)
            t.AddData(p + 8 + nameLength, static_cast<qsizetype>(data));
        if (data < dataLength) {
            t.inMessage = true;
            break;
        }
        t.Add("end");
        at += 8 + nameLength + dataLength;
        ends.push_back(at);
    }
    return t;
}

LinkDecoder MakeDecoder(const Limits& limits) {
    return limits.uploads ? LinkDecoder::Uploads(limits.maxFirst, limits.maxData)
                          : LinkDecoder::Frames(limits.maxFirst);
}

// Feeds the scrambled stream in pieces of the given sizes (the last size
// repeating), as a receive loop does.
Transcript Decode(QByteArray wire, const Limits& limits, const std::vector<qsizetype>& cuts) {
    LinkDecoder decoder = MakeDecoder(limits);
    Transcript t;
    qsizetype at = 0;
    std::size_t cut = 0;
    bool broken = false;
    while (!broken) {
        const qsizetype piece = std::min(cuts[std::min(cut++, cuts.size() - 1)], wire.size() - at);
        char* bytes = wire.data() + at;
        qsizetype used = 0;
        for (;;) {
            const LinkDecoder::Result r = decoder.Feed(bytes + used, piece - used);
            Check(r.taken >= 0 && used + r.taken <= piece, "took bytes it was not given");
            if (r.event == LinkDecoder::Event::UploadData)
                Check(r.piece >= bytes + used && r.piece + r.pieceSize <= bytes + used + r.taken,
                    "a data piece outside the bytes taken");
            used += r.taken;
            switch (r.event) {
            case LinkDecoder::Event::NeedMore:
                Check(used == piece, "asked for more before taking everything");
                break;
            case LinkDecoder::Event::Frame:
                t.Add("frame:" + Bytes(decoder.TakeBody()));
                continue;
            case LinkDecoder::Event::UploadName:
                t.Add(NameLine(decoder.Name(), decoder.DataLength()));
                continue;
            case LinkDecoder::Event::UploadData:
                t.AddData(r.piece, r.pieceSize);
                continue;
            case LinkDecoder::Event::UploadEnd:
                t.Add("end");
                continue;
            case LinkDecoder::Event::Error:
                t.Add(ErrorLine(decoder.LastError(), decoder.ErrorValue()));
                broken = true;
                break;
            }
            break;
        }
        at += piece;
        if (at == wire.size())
            break;
    }
    t.inMessage = !broken && decoder.InMessage();
    return t;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    Limits limits;
    limits.uploads = input.ConsumeBool();
    const bool realLimits = input.ConsumeBool();
    limits.maxFirst
        = realLimits ? (limits.uploads ? 4 + 2 * 1024 : 16 << 20) : input.ConsumeIntegralInRange<int>(0, 64);
    limits.maxData = realLimits ? 512 << 20 : input.ConsumeIntegralInRange<int>(1, 256);
    const std::uint32_t cutSeed = input.ConsumeIntegral<std::uint32_t>();
    const QByteArray plain = QByteArray::fromStdString(input.ConsumeRemainingBytesAsString());

    std::vector<qsizetype> ends;
    const Transcript expected = Reference(plain, limits, ends);
    QByteArray wire = plain;
    qsizetype start = 0;
    for (qsizetype end : ends) {
        XorWithLinkKey(wire.data() + start, end - start, 0);
        start = end;
    }
    XorWithLinkKey(wire.data() + start, wire.size() - start, 0);

    std::mt19937 random(cutSeed);
    std::vector<qsizetype> cuts;
    for (qsizetype total = 0; total < wire.size();) {
        cuts.push_back(std::uniform_int_distribution<qsizetype>(1, 1 + (random() % 3 == 0 ? 64 : 7))(random));
        total += cuts.back();
    }
    if (cuts.empty())
        cuts.push_back(1);
    const qsizetype whole = std::max<qsizetype>(wire.size(), 1);

    const auto compare = [&](const std::vector<qsizetype>& pieces, const char* how) {
        const Transcript got = Decode(wire, limits, pieces);
        if (got == expected)
            return;
        std::string text
            = std::string(how) + ", the stream decodes otherwise than its layout says.\nDecoded:";
        for (const std::string& line : got.lines)
            text += "\n  " + line;
        text += got.inMessage ? "\n  (in a message)" : "";
        text += "\nLayout:";
        for (const std::string& line : expected.lines)
            text += "\n  " + line;
        text += expected.inMessage ? "\n  (in a message)" : "";
        Check(false, text);
    };
    compare({ whole }, "Whole");
    compare({ 1 }, "Byte by byte");
    compare(cuts, "In pieces");
    return 0;
}
