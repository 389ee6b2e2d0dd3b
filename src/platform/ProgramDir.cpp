#include "platform/ProgramDir.h"

#include <system_error>

namespace platform {

namespace {

std::filesystem::path& OverriddenDir() {
    static std::filesystem::path dir;
    return dir;
}

} // namespace

void OverrideProgramDir(const std::filesystem::path& dir) {
    OverriddenDir() = dir;
}

std::filesystem::path ProgramDir() {
    if (!OverriddenDir().empty())
        return OverriddenDir();
    static const std::filesystem::path dir = [] {
        std::error_code ec;
        std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
        if (ec || exe.empty())
            return std::filesystem::current_path(ec);
        return exe.parent_path();
    }();
    return dir;
}

std::filesystem::path ResolveInFolder(
    const std::filesystem::path& folder, const std::filesystem::path& path) {
    std::filesystem::path resolved = (path.is_absolute() ? path : folder / path).lexically_normal();
    // "StuFile/" and "StuFile" are one folder.
    if (!resolved.has_filename() && resolved.has_relative_path())
        resolved = resolved.parent_path();
    return resolved;
}

std::filesystem::path InProgramDir(const std::filesystem::path& relative) {
    return ResolveInFolder(ProgramDir(), relative);
}

} // namespace platform
