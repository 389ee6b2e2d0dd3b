#include "dialogs/TypedNumber.h"

#include <algorithm>

namespace dialogs {

int TypedNumber(const QString& text, int lowest, int highest) {
    bool ok = false;
    // Beyond int the digits still say "too large" or "too small".
    const qlonglong value = text.trimmed().toLongLong(&ok, 10);
    if (!ok)
        return 0;
    return int(std::clamp<qlonglong>(value, lowest, highest));
}

} // namespace dialogs
