#pragma once

#include <string>
#include <string_view>

namespace simulation {

// Playground and robot files name their parts' models by address ("models/
// brick/brick_2x2.ive"), which the program reads below its own folder. A
// file comes from anywhere (a classmate, a download), so an address that is
// absolute, names a drive or steps up with ".." could make it read any file
// on the machine: such an address makes the whole file unreadable. Both
// files' readers use this one rule.
bool IsSafeModelAddress(std::string_view address);

// Why a file with that address is refused, for the reader's message:
// the model address "/etc/passwd" leaves the program folder.
std::string UnsafeModelAddressReason(std::string_view address);

} // namespace simulation
