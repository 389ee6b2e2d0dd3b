// The start of a result bundle, as each reader sees it: any bytes and any
// file size. The header never reads past what it was given, and each reader
// accepts exactly the bundles its rule names.

#include "FuzzCheck.h"
#include "classlink/C3DFile.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>

namespace {

using fuzzsupport::Check;

bool RuleHolds(const C3DFile::Header& h, qint64 size, C3DFile::Reader reader) {
    switch (reader) {
    case C3DFile::Reader::Upload:
        return size >= 9 && h.textLength >= 1 && h.robotLength >= 1;
    case C3DFile::Reader::Load:
        return size >= 14 && h.robotLength >= 1 && h.programLength >= 1;
    case C3DFile::Reader::Server:
        return size > 14 && h.robotLength >= 1 && h.programLength >= 1;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The header's bytes first; the last bytes choose the file size: mostly
    // within two bytes of the size the header announces, sometimes any size.
    FuzzedDataProvider input(data, size);
    const bool anySize = input.ConsumeBool();
    const qint64 slack = input.ConsumeIntegral<qint64>();
    const QByteArray start
        = QByteArray::fromStdString(input.ConsumeRemainingBytesAsString()).left(C3DFile::kMaxHeaderSize);
    const C3DFile::Header announced = C3DFile::ParseHeader(start, start.size());
    const qint64 fileSize = anySize ? slack
                                    : announced.headerLength + announced.textLength + announced.robotLength
            + announced.programLength + announced.groundLength + slack % 3;

    const C3DFile::Header h = C3DFile::ParseHeader(start, fileSize);
    Check(h.headerLength >= 0 && h.headerLength <= start.size(), "header longer than its bytes");
    Check(h.headerLength <= qMax<qint64>(fileSize, 0), "header longer than the file");
    constexpr qint64 kLargest = 9999999999;
    for (qint64 field : { h.textLength, h.robotLength, h.programLength, h.groundLength })
        Check(field >= 0 && field <= kLargest, "a length outside ten digits");

    for (C3DFile::Reader reader :
        { C3DFile::Reader::Upload, C3DFile::Reader::Load, C3DFile::Reader::Server }) {
        const bool adds
            = h.headerLength + h.textLength + h.robotLength + h.programLength + h.groundLength == fileSize;
        const bool expected = !h.overlong && RuleHolds(h, fileSize, reader) && adds;
        Check(C3DFile::IsValid(h, fileSize, reader) == expected, "a reader's rule not kept");
    }

    // The header written for the lengths read gives them back.
    if (!h.overlong) {
        const QByteArray made
            = C3DFile::MakeHeader(h.textLength, h.robotLength, h.programLength, h.groundLength);
        const qint64 madeSize = made.size() + h.textLength + h.robotLength + h.programLength + h.groundLength;
        const C3DFile::Header back = C3DFile::ParseHeader(made, madeSize);
        Check(back.textLength == h.textLength && back.robotLength == h.robotLength
                && back.programLength == h.programLength && back.groundLength == h.groundLength
                && back.headerLength == made.size() && !back.overlong,
            "a made header reads back otherwise");
    }
    return 0;
}
