// The working folder "Temp" as Morvanes started from one program folder
// share it: each holds it while it runs, and only one that finds no other
// there empties it.

#include "foundation/WorkFolder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using testsupport::TempDir;

TEST(WorkFolder, IsEmptiedAtStartOnlyWhenNoOtherMorvaneWorksInIt) {
    TempDir programDir;
    const QString temp = programDir.qpath() + QStringLiteral("/Temp");
    programDir.write("Temp/left.png", "from an earlier run");
    {
        const WorkFolder first(temp);
        EXPECT_TRUE(first.Emptied());
        EXPECT_TRUE(fs::is_empty(programDir.path() / "Temp"));
        programDir.write("Temp/tempEmuApp-1-1.png", "the first one's picture");
        {
            // A second Morvane on the same folder, while the first runs.
            const WorkFolder second(temp);
            EXPECT_FALSE(second.Emptied());
            EXPECT_EQ(programDir.read("Temp/tempEmuApp-1-1.png"), "the first one's picture");
        }
        // The second's end leaves the first its files too.
        EXPECT_TRUE(programDir.exists("Temp/tempEmuApp-1-1.png"));
    }
    // Once none runs, the next start empties it again.
    const WorkFolder third(temp);
    EXPECT_TRUE(third.Emptied());
    EXPECT_TRUE(fs::is_empty(programDir.path() / "Temp"));
}
