#pragma once

// The playgrounds of the whole-run tests, written by the playground's writer.

#include "EmuFixture.h"
#include "simulation/CTrigger.h"

#include <filesystem>
#include <string>

namespace emutest {

// One robot starting at the origin facing +y, a score zone (10) 50 ahead of
// it and an end zone (5) 110 ahead, both 60 wide: a robot driving straight
// ahead scores 15 and stops the run.
inline std::string WriteScoreAndEndPlayground(const std::filesystem::path& folder) {
    PlaygroundFile file;
    file.Add(StartZone(osg::Vec3f(0.0f, 0.0f, 0.0f)).info, 0);
    file.Add(Zone(TriggerScore, osg::Vec3f(0.0f, 50.0f, 0.0f), osg::Vec2f(60.0f, 10.0f), 1, 10).info, 1);
    file.Add(Zone(TriggerEnd, osg::Vec3f(0.0f, 110.0f, 0.0f), osg::Vec2f(60.0f, 10.0f), 1, 5).info, 2);
    return WritePlayground(file, folder / "score_and_end.pla");
}

} // namespace emutest
