#pragma once

#include "elements/CModelRecord.h"

#include <vector>

class TiXmlElement;

// Reads object group n of the set-up file's group library (the view's
// "group" element): the "obj" element under "group<n>" and the elements
// after it, each an object with its "address", model "type" (the one before
// it when absent), size "s_x" .. "s_z" (1), position "x" .. "z" (0),
// rotation "q_x" .. "q_w" (0: none), "trigger" kind, "triggermode" and
// "score" (0). An object without an address is skipped; one with a number
// that cannot be read, is not finite or lies beyond what a playground file
// may hold is left out with a warning. False when the group or its first
// "obj" is missing.
bool ReadObjectGroup(const TiXmlElement* library, int n, std::vector<CModelInfo>& records);
