// day_zero_time.h - the clock of the index libraries: moments counted from
// 1991-12-31 00:00:00 UTC, the day zero of broadcast times.
#pragma once

#include <cstdint>

#include "platform.h"

namespace jq::index {

// A moment as 100-nanosecond units since day zero; negative before it.
using DayZeroTime = int64_t;

constexpr int64_t kDayZeroUnitsPerSecond = 10000000;
constexpr int64_t kDayZeroFileTime = 123386112000000000;  // day zero as a FILETIME

// A broadcast time, seconds since day zero, as a moment.
constexpr DayZeroTime dayZeroTime(uint32_t seconds) {
    return int64_t{seconds} * kDayZeroUnitsPerSecond;
}

inline DayZeroTime dayZeroTimeNow() {
    return static_cast<int64_t>(platform::utcNowFileTime()) - kDayZeroFileTime;
}

// Whether a broadcast time has passed: now is strictly later.
constexpr bool hasExpired(uint32_t seconds, DayZeroTime now) { return now > dayZeroTime(seconds); }

}  // namespace jq::index
