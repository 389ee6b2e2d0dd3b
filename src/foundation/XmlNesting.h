#pragma once

#include <string_view>

// Whether the elements of an XML text nest no deeper than limit. TinyXML
// parses recursively, so every file read through it is scanned first: a
// damaged or hostile file must not exhaust the stack. The scan is cheap and
// errs on the side of "too deep" only for texts that are no sound XML anyway.
bool XmlNestingWithin(std::string_view text, int limit);
