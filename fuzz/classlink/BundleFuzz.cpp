// A whole result bundle as the simulation page and the upload read it: any
// bytes. A reader either refuses a bundle or gets four sections that are the
// bundle's own bytes after its header and add up to it exactly; the sections
// packed again read back the same.

#include "FuzzCheck.h"
#include "classlink/C3DFile.h"

#include <cstdint>

namespace {

using fuzzsupport::Check;

bool Same(const C3DFile::Sections& a, const C3DFile::Sections& b) {
    return a.text == b.text && a.robot == b.robot && a.program == b.program && a.ground == b.ground;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bundle(reinterpret_cast<const char*>(data), qsizetype(size));
    const C3DFile::Header header = C3DFile::ParseHeader(bundle.left(C3DFile::kMaxHeaderSize), bundle.size());
    for (C3DFile::Reader reader :
        { C3DFile::Reader::Upload, C3DFile::Reader::Load, C3DFile::Reader::Server }) {
        const std::optional<C3DFile::Sections> sections = C3DFile::Unpack(bundle, reader);
        Check(sections.has_value() == C3DFile::IsValid(header, bundle.size(), reader),
            "unpacked what the reader's rule refuses, or refused what it accepts");
        if (!sections)
            continue;
        const QByteArray body = sections->text + sections->robot + sections->program + sections->ground;
        Check(
            header.headerLength + body.size() == bundle.size(), "sections that do not add up to the bundle");
        Check(bundle.mid(qsizetype(header.headerLength)) == body, "sections that are not the bundle's bytes");

        const QByteArray packed = C3DFile::Pack(*sections);
        const C3DFile::Header again
            = C3DFile::ParseHeader(packed.left(C3DFile::kMaxHeaderSize), packed.size());
        Check(again.textLength == sections->text.size() && again.robotLength == sections->robot.size()
                && again.programLength == sections->program.size()
                && again.groundLength == sections->ground.size()
                && again.headerLength + body.size() == packed.size(),
            "a packed bundle's header does not give its sections");
        // Packed without leading zeros, a bundle may come out shorter than a
        // reader's least size; any it still accepts reads back the same.
        if (const std::optional<C3DFile::Sections> back = C3DFile::Unpack(packed, reader))
            Check(Same(*back, *sections), "a packed bundle unpacks otherwise");
    }
    return 0;
}
