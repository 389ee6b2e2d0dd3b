#pragma once

#include <string>
#include <string_view>

namespace platform {

// The name of a file of its owner's own in the working folder "Temp" of the
// program folder: "Temp/<stem>-<process id>-<number><extension>". Morvanes
// started from one program folder share "Temp", and one program may hold
// several owners (a builder and a simulation, or tests' scenes), so a fixed
// name would have them write over each other's file between its writing
// and its reading. The file, once written, goes with its owner; one that a
// program which ended without its owners left behind goes with the next
// emptying of "Temp".
class OwnWorkFile {
public:
    OwnWorkFile(std::string_view stem, std::string_view extension);
    ~OwnWorkFile();
    OwnWorkFile(const OwnWorkFile&) = delete;
    OwnWorkFile& operator=(const OwnWorkFile&) = delete;

    // Relative to the program folder, as the system's paths are.
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

} // namespace platform
