#include "platform/WholeFile.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <random>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// The file the bytes are for: a symbolic link is followed, so that the link
// stays and its file gets the bytes.
std::filesystem::path Target(const std::filesystem::path& path) {
    std::error_code failure;
    if (!std::filesystem::is_symlink(path, failure))
        return path;
    const std::filesystem::path followed = std::filesystem::canonical(path, failure);
    return failure ? path : followed;
}

// A new file beside target, under a hidden name of its own: its descriptor
// and name, or -1 with errno set.
int CreateBeside(const std::filesystem::path& target, mode_t mode, std::string& name) {
    static std::atomic<unsigned> counter { 0 };
    thread_local std::mt19937_64 random { std::random_device {}() };
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
    for (int attempt = 0; attempt < 16; ++attempt) {
        name = (folder
            / ("." + target.filename().string() + "." + std::to_string(getpid()) + "-"
                + std::to_string(++counter) + "-" + std::to_string(random() % 1000000)))
                   .string();
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

int WriteAll(int fd, std::string_view bytes) {
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        // A write that takes nothing and says nothing would loop for ever.
        if (written == 0)
            return EIO;
        data += written;
        left -= std::size_t(written);
    }
    return 0;
}

// Makes the folder's entry for the new name reach the disk.
int SyncFolder(const std::filesystem::path& target) {
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    int error = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    // Some file systems cannot sync a folder at all; the file itself is
    // written and in place.
    if (error == EINVAL)
        error = 0;
    return error;
}

} // namespace

int WriteWholeFile(
    const std::filesystem::path& path, std::string_view bytes, const WholeFileOptions& options) {
    const std::filesystem::path target = Target(path);
    struct stat old { };
    const bool replacing = ::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode);

    std::string partName;
    const int fd = CreateBeside(target, options.ownerOnly ? 0600 : mode_t(options.mode), partName);
    if (fd < 0)
        return errno;
    int error = WriteAll(fd, bytes);
    if (error == 0 && (options.ownerOnly || replacing)) {
        // A new file is made with the mode less the umask; a replaced one
        // keeps its bits, as an editor's save does.
        const mode_t mode = options.ownerOnly ? 0600 : (old.st_mode & 07777);
        if (::fchmod(fd, mode) != 0)
            error = errno;
    }
    if (error == 0 && options.sync && ::fsync(fd) != 0)
        error = errno;
    // Some file systems (network ones, quotas) report what did not fit only
    // here. Linux releases the descriptor even when close is interrupted.
    if (::close(fd) != 0 && error == 0 && errno != EINTR)
        error = errno;
    if (error == 0 && ::rename(partName.c_str(), target.c_str()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(partName.c_str());
        return error;
    }
    return options.sync ? SyncFolder(target) : 0;
}

std::string SystemReason(int errorNumber) {
    char buffer[256];
    // The GNU strerror_r returns its text, which may not be in the buffer.
    const char* text = strerror_r(errorNumber, buffer, sizeof buffer);
    return text ? std::string(text) : "error " + std::to_string(errorNumber);
}

} // namespace platform
