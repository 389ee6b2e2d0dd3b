#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace XmlRpc {

// Standard alphabet with "=" padding, a line feed after every 72 characters
// (also after the last line when it is full).
std::string Base64Encode(std::string_view bytes);

// Skips every character outside the alphabet (line breaks among them) and
// stops at the first "=". Bits that do not make up a whole byte are dropped.
std::vector<char> Base64Decode(std::string_view text);

} // namespace XmlRpc
