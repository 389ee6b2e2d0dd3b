#pragma once

#include <string>

namespace scene {

// The font file the scene's texts use, as an absolute path: WenQuanYi Micro
// Hei (Latin and Chinese), else DejaVu Sans, else empty for osgText's own
// built-in font. OSG's font search does not look in Debian's font folders,
// so texts must name the file.
std::string DefaultFontFile();

} // namespace scene
