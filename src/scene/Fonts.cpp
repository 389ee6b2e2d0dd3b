#include "scene/Fonts.h"

#include "platform/Warnings.h"

#include <filesystem>

namespace scene {

std::string DefaultFontFile() {
    static const char* const candidates[] = {
        "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc",
        "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    };
    for (const char* file : candidates) {
        std::error_code error;
        if (std::filesystem::is_regular_file(file, error))
            return file;
    }
    platform::Warn("scene", "no font for labels found (fonts-wqy-microhei or fonts-dejavu-core)");
    return {};
}

} // namespace scene
