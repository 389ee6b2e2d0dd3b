#pragma once

#include <string>
#include <string_view>

namespace XmlRpc {

// Replaces < > & ' " by their five XML entities. Each character is mapped
// once, so the ampersand of an entity just written is never encoded again.
std::string EntityEncode(std::string_view text);

// The reverse, in one left-to-right pass; an ampersand that starts none of
// the five entities stays as it is.
std::string EntityDecode(std::string_view text);

} // namespace XmlRpc
