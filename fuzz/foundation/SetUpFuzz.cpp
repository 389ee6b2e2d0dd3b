// The set-up file ("XML/SetUp_View.xml"), whatever it holds: the guards in
// front of the XML reader keep it from harm, and every look-up the program
// makes in it answers without harm, for every studio and language it names.

#include "ConfigFixture.h"

#include <cstdint>

namespace {

fuzzsupport::ConfigFixture& TheFixture() {
    static fuzzsupport::ConfigFixture fixture(false);
    return fixture;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzsupport::ConfigFixture& f = TheFixture();
    f.folder.Write(
        QStringLiteral("XML/SetUp_View.xml"), QByteArray(reinterpret_cast<const char*>(data), size));
    CConfig& config = *f.config;
    config.LoadSetUpView();
    const int languages = static_cast<int>(config.m_vecLanguage.size());
    for (int studio = -1; studio <= 2; ++studio) {
        config.SetStudio(studio, false);
        for (int language = -1; language <= languages; ++language) {
            config.SetLanguage(language, false);
            config.GetText("main", "f_SplashScreen", "s");
            config.GetText("CConfig", "f_TipsDlg", "sOK");
            config.GetStudioName();
            config.GetStudioName(studio + 1);
            config.GetObjName("models/brick.ive");
            config.GetExampleName(QStringLiteral("1"));
        }
    }
    config.FindSetUpObj("models/brick.ive");
    config.FindExample(QStringLiteral("1"));
    config.IsColorObj("models/brick.ive");
    return 0;
}
