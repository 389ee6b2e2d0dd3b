#include "platform/OwnWorkFile.h"

#include "platform/ProgramDir.h"

#include <atomic>
#include <filesystem>
#include <system_error>

#include <unistd.h>

namespace platform {

OwnWorkFile::OwnWorkFile(std::string_view stem, std::string_view extension) {
    // Process ids are unique among running programs, the number among the
    // owners of one program.
    static std::atomic<unsigned> owners { 0 };
    m_path = "Temp/" + std::string(stem) + "-" + std::to_string(getpid()) + "-" + std::to_string(++owners)
        + std::string(extension);
}

OwnWorkFile::~OwnWorkFile() {
    std::error_code ignored;
    std::filesystem::remove(InProgramDir(m_path), ignored);
}

} // namespace platform
