#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace platform {

// How WriteWholeFile treats the file it writes.
struct WholeFileOptions {
    // The permission bits of a new file, less the process's umask. A file
    // that is replaced keeps its own bits, unless ownerOnly is set.
    unsigned mode = 0666;
    // The file is its owner's alone (read and write), new or replaced: the
    // settings, which hold a scrambled password.
    bool ownerOnly = false;
    // The bytes (and the new name) are made to reach the disk before the
    // call returns. Work files that the program writes afresh each time it
    // needs them (copies in "Temp") may skip it: a full disk is still told
    // by the writes and the close.
    bool sync = true;
};

// Writes `bytes` as the whole content of the file at `path`, or changes
// nothing there. The bytes go to a new file beside it, every write, the
// sync and the close are checked, and only then does the new file take the
// old one's name, in one step: a failure at any point (a full disk, a disk
// quota, a file-size limit, a folder that refuses writes) leaves the file at
// `path` byte for byte as it was, and no new file behind. A path that is a
// symbolic link writes the file the link points to.
//
// Qt's QSaveFile is not used for this: Debian 12's Qt 6.4.2 reports a
// commit as done when its final flush failed, and then puts the cut file in
// place of the old one.
//
// Returns 0, or the errno value of the first failure (SystemReason says it
// in words).
int WriteWholeFile(
    const std::filesystem::path& path, std::string_view bytes, const WholeFileOptions& options = {});

// The system's own words for an errno value ("No space left on device").
std::string SystemReason(int errorNumber);

} // namespace platform
