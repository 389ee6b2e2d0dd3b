// A ground picture from anywhere (inside a received playground file, or a
// file a teacher chose): the check never fails badly, a refused picture
// leaves its bytes alone, and a picture taken is a PNG of the ground's size
// that is taken again unchanged.

#include "FuzzCheck.h"
#include "simulation/GroundPicture.h"

#include <QByteArray>
#include <QImage>

#include <cstdint>
#include <string>

using fuzzsupport::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string original(reinterpret_cast<const char*>(data), size);
    std::string bytes = original;
    const GroundPicture::Check check = GroundPicture::ToPng(bytes);
    if (check.fault != GroundPicture::Fault::None) {
        Check(
            check.fault == GroundPicture::Fault::NoPicture || check.fault == GroundPicture::Fault::WrongSize,
            "a picture refused for a reason bytes cannot have");
        Check(bytes == original, "a refused picture's bytes changed");
        Check(check.fault != GroundPicture::Fault::WrongSize || check.width != GroundPicture::kSide
                || check.height != GroundPicture::kSide,
            "a picture of the right size refused for its size");
        return 0;
    }
    Check(bytes.rfind("\x89PNG\r\n\x1a\n", 0) == 0, "a picture taken is no PNG");
    const QImage kept = QImage::fromData(QByteArray::fromStdString(bytes), "PNG");
    Check(kept.width() == GroundPicture::kSide && kept.height() == GroundPicture::kSide,
        "a picture taken is not of the ground's size");
    std::string again = bytes;
    Check(GroundPicture::ToPng(again).fault == GroundPicture::Fault::None && again == bytes,
        "a picture taken is not taken again as it is");
    return 0;
}
