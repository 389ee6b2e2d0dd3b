#include "simulation/ModelAddress.h"

#include <algorithm>

namespace simulation {

bool IsSafeModelAddress(std::string_view address) {
    if (address.find('\0') != std::string_view::npos || address.find(':') != std::string_view::npos)
        return false;
    if (!address.empty() && (address.front() == '/' || address.front() == '\\'))
        return false;
    std::size_t start = 0;
    while (start <= address.size()) {
        const std::size_t end = std::min(address.find_first_of("/\\", start), address.size());
        if (address.substr(start, end - start) == "..")
            return false;
        start = end + 1;
    }
    return true;
}

std::string UnsafeModelAddressReason(std::string_view address) {
    return "the model address \"" + std::string(address) + "\" leaves the program folder";
}

} // namespace simulation
