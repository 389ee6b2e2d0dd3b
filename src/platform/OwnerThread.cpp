#include "platform/OwnerThread.h"

#include "platform/Warnings.h"

#include <cassert>
#include <string>

namespace platform {

bool OwnerThread::Check(std::string_view layer, std::string_view what) const {
    if (IsCurrent())
        return true;
    ReportWrongThread(layer, what);
    return false;
}

void ReportWrongThread(std::string_view layer, std::string_view what) {
    std::string text(what);
    text += " was called from a thread that may not change it (only the GUI thread may)";
    Warn(layer, text);
    assert(!"changed from the wrong thread");
}

} // namespace platform
