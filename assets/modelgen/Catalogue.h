#pragma once

#include "ModelSpec.h"

#include <vector>

// Every model of the library, in the order of the set-up file: robot parts
// (control unit, bricks, wheels and motor, sensors, coloured light), then
// playground objects, trigger zones and effects. Within each part bar the
// order of this list is the order of its buttons; for the sensor bar it is
// also the index of the playground rules' part limits, so it must stay put.
std::vector<ModelSpec> BuildCatalogue();
