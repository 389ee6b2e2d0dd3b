#include "platform/WholeFile.h"

#include "support/FileSizeLimit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class Folder {
public:
    Folder() {
        std::string pattern = (fs::temp_directory_path() / "morvane-wholefile-XXXXXX").string();
        m_path = mkdtemp(pattern.data());
    }
    ~Folder() {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    const fs::path& path() const { return m_path; }

private:
    fs::path m_path;
};

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void Write(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

unsigned Mode(const fs::path& path) {
    struct stat s { };
    stat(path.c_str(), &s);
    return s.st_mode & 07777;
}

// The file a student saved over: a robot file of 2,070 bytes, and the
// playground of 7,230 that should replace it. Both fit in Qt's write buffer,
// where a failure shows only at the final flush.
const std::string kOld(2070, 'o');
const std::string kNew(7230, 'n');

} // namespace

// Whatever stops a write, the file keeps its old bytes and nothing is left
// beside it; the caller learns the system's reason.
TEST(WholeFile, AFailedWriteLeavesTheOldFileAsItWas) {
    struct Case {
        const char* what;
        rlim_t sizeLimit; // 0: none
        bool missingFolder;
        int error;
    };
    const Case cases[] = {
        { "a file-size limit below the new bytes", 4096, false, EFBIG },
        { "a file-size limit that lets no byte in", 1, false, EFBIG },
        { "a folder that does not exist", 0, true, ENOENT },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Folder folder;
        const fs::path file = folder.path() / (c.missingFolder ? "gone/rover.rob" : "rover.rob");
        if (!c.missingFolder)
            Write(file, kOld);
        int error = 0;
        {
            std::optional<testsupport::FileSizeLimit> limit;
            if (c.sizeLimit)
                limit.emplace(c.sizeLimit);
            error = platform::WriteWholeFile(file, kNew);
        }
        EXPECT_EQ(error, c.error) << platform::SystemReason(error);
        if (c.missingFolder) {
            EXPECT_TRUE(Names(folder.path()).empty());
        } else {
            EXPECT_EQ(Read(file), kOld);
            EXPECT_EQ(Names(folder.path()), std::vector<std::string> { "rover.rob" });
        }
    }
    EXPECT_EQ(platform::SystemReason(EFBIG), "File too large");
    EXPECT_EQ(platform::SystemReason(ENOSPC), "No space left on device");
}

// A real full disk: a file system of 64 KiB, filled to the last page. Only
// root may mount one; anyone else skips this case.
TEST(WholeFile, AFullDiskLeavesTheOldFileAsItWas) {
    Folder folder;
    if (mount("tmpfs", folder.path().c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64k") != 0)
        GTEST_SKIP() << "no small file system can be mounted here: " << platform::SystemReason(errno);
    struct Unmount {
        const fs::path& at;
        ~Unmount() { umount2(at.c_str(), MNT_DETACH); }
    } unmount { folder.path() };

    const fs::path file = folder.path() / "first_run.pla";
    Write(file, kOld);
    // One page is left free: the new bytes need two.
    {
        std::ofstream filler(folder.path() / "filler", std::ios::binary);
        const std::string page(4096, 'f');
        while (filler.write(page.data(), std::streamsize(page.size())) && filler.flush())
            ;
    }
    std::error_code ignored;
    fs::resize_file(folder.path() / "filler", fs::file_size(folder.path() / "filler") - 4096, ignored);
    ASSERT_EQ(fs::space(folder.path()).available, 4096u);

    const int error = platform::WriteWholeFile(file, kNew);
    EXPECT_EQ(error, ENOSPC) << platform::SystemReason(error);
    EXPECT_EQ(Read(file), kOld);
    EXPECT_EQ(Names(folder.path()), (std::vector<std::string> { "filler", "first_run.pla" }));
    // And what fits is written whole.
    EXPECT_EQ(platform::WriteWholeFile(file, std::string(3000, 's')), 0);
    EXPECT_EQ(Read(file), std::string(3000, 's'));
}

// A write that works replaces the bytes and nothing else: the file keeps its
// mode and a link stays a link; the settings are their owner's alone.
TEST(WholeFile, AWriteReplacesTheBytesAndKeepsTheFile) {
    Folder folder;
    const fs::path file = folder.path() / "rover.rob";
    Write(file, kOld);
    chmod(file.c_str(), 0640);
    ASSERT_EQ(platform::WriteWholeFile(file, kNew), 0);
    EXPECT_EQ(Read(file), kNew);
    EXPECT_EQ(Mode(file), 0640u);

    const fs::path link = folder.path() / "link.rob";
    fs::create_symlink(file, link);
    ASSERT_EQ(platform::WriteWholeFile(link, "via the link"), 0);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Read(file), "via the link");

    const fs::path settings = folder.path() / "settings.dat";
    ASSERT_EQ(platform::WriteWholeFile(settings, "secret", { .ownerOnly = true }), 0);
    EXPECT_EQ(Mode(settings), 0600u);
    chmod(settings.c_str(), 0644);
    ASSERT_EQ(platform::WriteWholeFile(settings, "secret", { .ownerOnly = true }), 0);
    EXPECT_EQ(Mode(settings), 0600u);

    const mode_t mask = umask(022);
    ASSERT_EQ(platform::WriteWholeFile(folder.path() / "new.pla", "", { .sync = false }), 0);
    umask(mask);
    EXPECT_EQ(Mode(folder.path() / "new.pla"), 0644u);
    EXPECT_EQ(Read(folder.path() / "new.pla"), "");
    EXPECT_EQ(Names(folder.path()),
        (std::vector<std::string> { "link.rob", "new.pla", "rover.rob", "settings.dat" }));
}
