// The user's settings file ("XML/Settings.dat"), whatever it holds: it reads
// without harm in bounded time and memory, and the studio and language it
// names are taken as the program takes them at start-up.

#include "ScratchFolder.h"
#include "foundation/CConfig.h"

#include <QDir>
#include <QFile>

#include <cstdint>
#include <memory>

namespace {

struct Fixture {
    fuzzsupport::ScratchFolder folder;
    std::unique_ptr<CConfig> config;

    Fixture() {
        QDir().mkpath(folder.In(QStringLiteral("XML")));
        QFile::copy(QStringLiteral(MORVANE_SOURCE_DIR "/assets/XML/SetUp_View.xml"),
            folder.In(QStringLiteral("XML/SetUp_View.xml")));
        config = std::make_unique<CConfig>(folder.Path());
    }
};

Fixture& TheFixture() {
    static Fixture fixture;
    return fixture;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Fixture& f = TheFixture();
    f.folder.Write(QStringLiteral("XML/Settings.dat"), QByteArray(reinterpret_cast<const char*>(data), size));
    CConfig& config = *f.config;
    config.SetDefaults();
    config.LoadSettings();
    config.SetStudio(config.m_nStudio, false);
    config.GetStudioName();
    config.GetText("main", "f_SplashScreen", "s");
    return 0;
}
