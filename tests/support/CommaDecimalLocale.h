#pragma once

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <locale>
#include <string>

namespace testsupport {

// While it lives, the process writes numbers with a decimal comma, as it does
// for a user whose locale has one: the C library's locale is such a locale
// (Qt sets the C library's from the user's at start), and the C++ global
// locale has a comma for its decimal point. Where the system has no compiled
// locale with a comma, one is built from the system's sources into `folder`;
// without those the C library keeps its own and Active() is false, so the
// test can say it could only change the C++ locale.
class CommaDecimalLocale {
public:
    explicit CommaDecimalLocale(const std::string& folder)
        : m_savedC(std::setlocale(LC_ALL, nullptr))
        , m_savedCpp() {
        std::locale::global(std::locale(std::locale::classic(), new CommaPunct));
        for (const char* name : { "de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "de_DE" }) {
            if (std::setlocale(LC_ALL, name)) {
                m_active = true;
                break;
            }
        }
        if (!m_active && std::filesystem::exists("/usr/share/i18n/locales/de_DE")) {
            const std::string built = folder + "/de_DE.UTF-8";
            if (!std::filesystem::exists(built + "/LC_NUMERIC")) {
                const std::string command = "mkdir -p '" + folder + "' && localedef -i de_DE -f UTF-8 '"
                    + built + "' >/dev/null 2>&1";
                static_cast<void>(std::system(command.c_str()));
            }
            setenv("LOCPATH", folder.c_str(), 1);
            m_active = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
            unsetenv("LOCPATH");
        }
        if (m_active) {
            // The locale is what it is meant to be: the C library writes a comma.
            char probe[32];
            std::snprintf(probe, sizeof probe, "%.1f", 1.5);
            m_active = std::string(probe) == "1,5";
        }
    }

    ~CommaDecimalLocale() {
        std::setlocale(LC_ALL, m_savedC.c_str());
        std::locale::global(m_savedCpp);
    }

    CommaDecimalLocale(const CommaDecimalLocale&) = delete;
    CommaDecimalLocale& operator=(const CommaDecimalLocale&) = delete;

    bool Active() const { return m_active; }

private:
    struct CommaPunct : std::numpunct<char> {
        char do_decimal_point() const override { return ','; }
    };

    std::string m_savedC;
    std::locale m_savedCpp;
    bool m_active = false;
};

} // namespace testsupport
