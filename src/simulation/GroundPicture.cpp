#include "simulation/GroundPicture.h"

#include "platform/ProgramDir.h"
#include "platform/WholeFile.h"
#include "scene/ModelCache.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <QSize>

#include <filesystem>
#include <system_error>

GroundPicture::Check GroundPicture::ToPng(std::string& bytes) {
    Check check;
    QByteArray data = QByteArray::fromRawData(bytes.data(), qsizetype(bytes.size()));
    QBuffer in(&data);
    in.open(QIODevice::ReadOnly);
    // The format is told by the bytes, never by a file's name: a JPEG named
    // ".png" is a JPEG.
    QImageReader reader(&in);
    reader.setDecideFormatFromContent(true);
    if (!reader.canRead()) {
        check.fault = Fault::NoPicture;
        return check;
    }
    const QByteArray format = reader.format();
    // A picture of the wrong size is refused by its header, before any
    // pixel of it is decoded.
    const QSize announced = reader.size();
    if (announced.isValid() && announced != QSize(kSide, kSide)) {
        check = { Fault::WrongSize, announced.width(), announced.height() };
        return check;
    }
    const QImage picture = reader.read();
    if (picture.isNull()) {
        check.fault = Fault::NoPicture;
        return check;
    }
    check.width = picture.width();
    check.height = picture.height();
    if (picture.size() != QSize(kSide, kSide)) {
        check.fault = Fault::WrongSize;
        return check;
    }
    if (format == "png")
        return check;
    QByteArray png;
    QBuffer out(&png);
    out.open(QIODevice::WriteOnly);
    if (!picture.save(&out, "PNG")) {
        check.fault = Fault::NoPicture;
        return check;
    }
    bytes.assign(png.constData(), std::size_t(png.size()));
    return check;
}

GroundPicture::Check GroundPicture::Store(std::string& bytes, const std::string& copy) {
    Check check = ToPng(bytes);
    if (check.fault != Fault::None)
        return check;
    const std::filesystem::path file = platform::InProgramDir(copy);
    std::error_code ignored;
    std::filesystem::create_directories(file.parent_path(), ignored);
    // A working copy, written afresh whenever a picture is shown: it need
    // not outlive a crash, but it must be whole.
    check.systemError = platform::WriteWholeFile(file, bytes, { .sync = false });
    if (check.systemError != 0) {
        check.fault = Fault::NotStored;
        return check;
    }
    if (!scene::ModelCache::ReadImageFresh(file.string()))
        check.fault = Fault::NoPicture;
    return check;
}
