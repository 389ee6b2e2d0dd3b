// A robot file of the older one-line layout from anywhere: reading never
// fails badly (the structured-value reader's type errors included), and a
// file that reads saves as one of today's layout that reads back whole.

#include "FuzzCheck.h"
#include "simulation/RobotFile.h"

#include <cstdint>
#include <string>

using fuzzsupport::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    RobotFileData file;
    if (!simulation::ParseOlderRobotLayout(text, file)) {
        Check(!file.m_bHasRcu && file.m_vecBricks.empty() && file.m_vecSensors.empty(),
            "a refused file left parts behind");
        return 0;
    }
    Check(file.m_bHasRcu, "a file that reads without control unit");
    const std::size_t parts = 1 + file.m_vecBricks.size() + file.m_vecWheels.size() + file.m_vecMotors.size()
        + file.m_vecSensors.size();
    Check(file.m_nPartCount == int(parts), "the part count is not the number of parts");
    RobotFileData saved;
    const std::string xml = simulation::WriteRobotXml(file);
    Check(simulation::ParseRobotXml(xml, saved) == simulation::RobotFileStatus::Read,
        "saved in today's layout, it does not read:\n" + xml);
    Check(saved.m_vecSensors.size() == file.m_vecSensors.size()
            && saved.m_vecBricks.size() == file.m_vecBricks.size(),
        "saved in today's layout, parts are lost:\n" + xml);
    return 0;
}
