#include "foundation/WorkFolder.h"

#include "foundation/FoundationLog.h"

#include <filesystem>
#include <system_error>

bool RecreateWorkFolder(const QString& path) {
    const std::filesystem::path folder = path.toStdString();
    if (folder.empty() || folder == folder.root_path()) {
        qCWarning(lcFoundation, "Work folder: refusing to clear '%s'", folder.c_str());
        return false;
    }
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    if (ec)
        qCWarning(lcFoundation, "Work folder: cannot clear %s: %s", folder.c_str(), ec.message().c_str());
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        qCWarning(lcFoundation, "Work folder: cannot create %s: %s", folder.c_str(), ec.message().c_str());
        return false;
    }
    return true;
}
