// A robot file from anywhere (a received bundle, a hand-edited file): reading
// never fails badly, a file that reads has a control unit and a part count,
// and what it holds is written as a text that reads back and writes the same
// text again.

#include "FuzzCheck.h"
#include "simulation/RobotFile.h"

#include <cstdint>
#include <string>

using fuzzsupport::Check;
using simulation::ParseRobotXml;
using simulation::RobotFileStatus;
using simulation::WriteRobotXml;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    RobotFileData file;
    if (ParseRobotXml(text, file) != RobotFileStatus::Read)
        return 0;
    Check(file.m_bHasRcu && file.m_nPartCount != 0, "a file that reads without control unit or part count");
    // Numbers that a first writing shortens to single precision settle
    // after it: the second and third texts are the same.
    RobotFileData again;
    const std::string first = WriteRobotXml(file);
    Check(ParseRobotXml(first, again) == RobotFileStatus::Read, "the written text does not read:\n" + first);
    const std::string second = WriteRobotXml(again);
    RobotFileData third;
    Check(ParseRobotXml(second, third) == RobotFileStatus::Read,
        "the rewritten text does not read:\n" + second);
    Check(WriteRobotXml(third) == second, "written again, another text:\n" + second);
    return 0;
}
