#pragma once

// The window tests' programs each run in a program folder of their own: the
// build's models, pictures, RobotHost and studios shared by links, and their
// own set-up file, settings and folders for what they write, so that no two
// test processes write into one place.

#include "support/TempDir.h"

#include <initializer_list>
#include <string_view>

namespace windowtest {

// Links the build's program folder into `folder` entry by entry, but for
// the `own` ones (by default every folder the window writes), and copies the
// given files of the build's XML folder into its own XML folder.
void MakeOwnProgramFolder(const testsupport::TempDir& folder, std::initializer_list<const char*> xmlFiles,
    std::initializer_list<std::string_view> own
    = { "Temp", "XML", "StuFile", "robot", "playground", "bmp", "UserModels" });

// Points the program at `folder`, makes the configuration and runs the
// tests under a QApplication (listing them needs none, and no display).
int RunTestsIn(const testsupport::TempDir& folder, int argc, char** argv);

} // namespace windowtest
