#include "scene/Fonts.h"

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
    return {};
}

} // namespace scene
