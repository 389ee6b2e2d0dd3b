#pragma once

#include "ModelSpec.h"

#include <string>
#include <vector>

// The parts of "XML/SetUp_View.xml" that follow from the model library, as
// one XML document whose sections are copied into the set-up file:
//   <set_up>         one "obj" per model: collision box and ports
//   <brick> <wheel> <sensor>       the robot builder's bars (view/studioN)
//   <dynamic> <trigger> <static>   the playground builder's bars (view)
//   <names language="...">         display names (language/view/obj)
// The test of the library checks the installed set-up file against it.
std::string SetUpFragment(const std::vector<ModelSpec>& catalogue);

// A number as the set-up file writes it: the shortest text that reads back
// as the value rounded to 1e-4, without a locale and without "-0".
std::string FormatNumber(double value);
