#include "window/MatchClock.h"

#include <algorithm>

namespace {

constexpr qint64 kMostMinutes = 60;

} // namespace

std::optional<int> MatchMinutesLeft(const QDateTime& now, const QDateTime& end) {
    // The day count compares calendar dates, which only mean the same in
    // one time zone.
    const QDateTime localNow = now.toLocalTime();
    const QDateTime localEnd = end.toLocalTime();
    const qint64 days = localNow.daysTo(localEnd);
    if (days > 0)
        return static_cast<int>(kMostMinutes);
    if (days < 0)
        return std::nullopt;
    const qint64 minutes = localNow.secsTo(localEnd) / 60;
    if (minutes < 1)
        return std::nullopt;
    return static_cast<int>(std::min(minutes, kMostMinutes));
}
