// The user's settings file ("XML/Settings.dat"), whatever it holds: it reads
// without harm in bounded time and memory, and the studio and language it
// names are taken as the program takes them at start-up.

#include "ConfigFixture.h"

#include <cstdint>

namespace {

fuzzsupport::ConfigFixture& TheFixture() {
    static fuzzsupport::ConfigFixture fixture(true);
    return fixture;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzsupport::ConfigFixture& f = TheFixture();
    f.folder.Write(QStringLiteral("XML/Settings.dat"), QByteArray(reinterpret_cast<const char*>(data), size));
    CConfig& config = *f.config;
    config.SetDefaults();
    config.LoadSettings();
    config.SetStudio(config.m_nStudio, false);
    config.GetStudioName();
    config.GetText("main", "f_SplashScreen", "s");
    return 0;
}
