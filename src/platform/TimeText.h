#pragma once

#include <QDateTime>
#include <QString>

namespace lockleaf
{

// "1 hr(s) 5 min(s) 3 sec(s) ": whole hours/minutes/seconds between two instants,
// truncated; units that are 0 are left out and each unit ends with a blank.
// "" when either date is invalid (absent), or the interval is under one second
// or negative.
QString timeTakenString(const QDateTime &start, const QDateTime &end);

} // namespace lockleaf
