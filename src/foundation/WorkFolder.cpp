#include "foundation/WorkFolder.h"

#include "foundation/FoundationLog.h"

#include <QFile>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

WorkFolder::WorkFolder(const QString& path) {
    const std::filesystem::path folder = QFile::encodeName(path).toStdString();
    if (folder.empty() || folder == folder.root_path()) {
        qCWarning(lcFoundation, "Work folder: refusing to clear '%s'", folder.c_str());
        return;
    }
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::symlink_status(folder, ec);
    if (std::filesystem::exists(status) && !std::filesystem::is_directory(status)) {
        std::filesystem::remove(folder, ec);
        if (ec)
            qCWarning(lcFoundation, "Work folder: cannot clear %s: %s", folder.c_str(), ec.message().c_str());
    }
    std::filesystem::create_directories(folder, ec);
    m_fd = ec ? -1 : ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (m_fd < 0) {
        qCWarning(lcFoundation, "Work folder: cannot create %s: %s", folder.c_str(),
            ec ? ec.message().c_str() : std::generic_category().message(errno).c_str());
        return;
    }
    // Only a Morvane that no other holds the folder against empties it; one
    // that finds it held leaves the other's files, waiting at most for the
    // other's own emptying.
    if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0) {
        for (const std::filesystem::directory_entry& entry :
            std::filesystem::directory_iterator(folder, ec)) {
            std::error_code entryError;
            std::filesystem::remove_all(entry.path(), entryError);
            if (entryError)
                qCWarning(lcFoundation, "Work folder: cannot clear %s: %s", entry.path().c_str(),
                    entryError.message().c_str());
        }
        if (ec)
            qCWarning(lcFoundation, "Work folder: cannot clear %s: %s", folder.c_str(), ec.message().c_str());
        m_bEmptied = true;
    }
    ::flock(m_fd, LOCK_SH);
}

WorkFolder::~WorkFolder() {
    if (m_fd >= 0)
        ::close(m_fd);
}
