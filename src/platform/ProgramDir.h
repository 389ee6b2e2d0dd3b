#pragma once

#include <filesystem>

namespace platform {

// The folder that holds the running executable. Every relative path of the
// system ("XML", "Temp", "models", ...) is resolved against it, never against
// the current directory, which on Linux can be anything.
std::filesystem::path ProgramDir();

// The one rule for paths the system is given: an absolute path stands as it
// is, a relative one lies under `folder`; both come back in normal form
// ("a/./b/../c" is "a/c", no trailing separator).
std::filesystem::path ResolveInFolder(const std::filesystem::path& folder, const std::filesystem::path& path);

// ResolveInFolder against ProgramDir().
std::filesystem::path InProgramDir(const std::filesystem::path& relative);

// Points ProgramDir() at another folder. Tests use it to run the system
// against a program folder of their own; call it before anything reads it.
void OverrideProgramDir(const std::filesystem::path& dir);

} // namespace platform
