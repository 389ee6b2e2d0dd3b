#include "foundation/WorkFolder.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

bool RecreateWorkFolder(const QString& path) {
    const std::filesystem::path folder = path.toStdString();
    if (folder.empty() || folder == folder.root_path()) {
        std::fprintf(stderr, "Work folder: refusing to clear '%s'\n", folder.c_str());
        return false;
    }
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    if (ec)
        std::fprintf(stderr, "Work folder: cannot clear %s: %s\n", folder.c_str(), ec.message().c_str());
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        std::fprintf(stderr, "Work folder: cannot create %s: %s\n", folder.c_str(), ec.message().c_str());
        return false;
    }
    return true;
}
