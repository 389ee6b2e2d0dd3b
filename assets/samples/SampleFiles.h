#pragma once

#include <filesystem>
#include <string>

class CConfig;

namespace samples {

// The robot and playground files that come with Morvane for a first run,
// written by the robot builder's and the playground's own writers. The
// simulation page's tests run the same files.

// A two-wheeled rover: the control unit, a motor with a wheel on each side
// (ports 1 and 2, the right motor turned round and reversed, so that equal
// values drive straight ahead), two caster balls and a compass on port 3.
// The models come from config's program folder. False, with the reason in
// error, when a part or the file cannot be made.
bool WriteRover(const CConfig& config, const std::filesystem::path& file, std::string& error);

// A playground for robots facing +y from the origin: a start zone for each
// robot (the second 60 to the right; a start zone that no robot starts in
// stops a run), a score zone of zoneScore 30 ahead and, with endZone, an end
// zone of 5 points 55 ahead, which ends the run. A rover driving straight
// ahead scores zoneScore + 5.
bool WriteFirstRun(
    const std::filesystem::path& file, int zoneScore, bool endZone, int robots, std::string& error);

} // namespace samples
