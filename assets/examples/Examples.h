#pragma once

#include "ExampleRobot.h"

#include "simulation/PlaygroundFile.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace examplegen {

// What an example is made of: its robots, in the order of its set-up
// entry's "rob" children (robot i starts in the playground's i-th start
// zone), and its playground.
struct ExampleContent {
    std::vector<std::unique_ptr<ExampleRobot>> robots;
    PlaygroundFile playground;
};

using RobotFactory = std::function<std::unique_ptr<ExampleRobot>()>;
// Fills content; false when a part could not be made.
using ExampleBuilder = bool (*)(const RobotFactory& newRobot, ExampleContent& content);

// Every example, by its folder name (the "file" of its set-up entry).
const std::map<std::string, ExampleBuilder>& ExampleCatalogue();

} // namespace examplegen
