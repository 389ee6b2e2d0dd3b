#pragma once

#include "valuedoc/XmlRpcItem.h"

#include <optional>
#include <string>

namespace valuedoc_test {

// Reads text as one value from offset 0; empty when the reader refuses it.
std::optional<XmlRpc::XmlRpcItem> Parse(const std::string& text);

// Writes, reads back and writes again; the two texts must be equal.
std::string RoundTrip(const XmlRpc::XmlRpcItem& value);

// Every byte value 0..255 in order, then the text's special characters.
std::string AllBytes();

// A small playground-like document touching every value type.
XmlRpc::XmlRpcItem SampleDocument();

} // namespace valuedoc_test
