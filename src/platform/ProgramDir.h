#pragma once

#include <filesystem>

namespace platform {

// The folder that holds the running executable. Every relative path of the
// system ("XML", "Temp", "models", ...) is resolved against it, never against
// the current directory, which on Linux can be anything.
std::filesystem::path ProgramDir();

// Resolves a relative path of the system against ProgramDir(); absolute paths
// are returned unchanged.
std::filesystem::path InProgramDir(const std::filesystem::path& relative);

// Points ProgramDir() at another folder. Tests use it to run the system
// against a program folder of their own; call it before anything reads it.
void OverrideProgramDir(const std::filesystem::path& dir);

} // namespace platform
