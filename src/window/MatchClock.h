#pragma once

#include <QDateTime>

#include <optional>

// The minutes a match has left, as its clock shows them: 60 while the end
// lies on a later day or more than an hour away, else the whole minutes
// left (59.9 shows 59); none once less than a minute is left or the end has
// passed. Both times are compared as local times.
std::optional<int> MatchMinutesLeft(const QDateTime& now, const QDateTime& end);
