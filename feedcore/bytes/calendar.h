// calendar.h - day numbers and BCD fields of broadcast records.
#pragma once

#include <cstdint>

namespace jq::records {

struct CalendarDate {
    uint16_t year = 0;
    uint8_t month = 0;
    uint8_t day = 0;
};

// The Gregorian date `days` days after 17 November 1858 (Modified Julian
// Date 0).
constexpr CalendarDate dateFromMjd(uint32_t days) {
    // Days since 1 March of year 0 of the proleptic Gregorian calendar, then
    // the usual era / year-of-era split.
    const int64_t z = int64_t{days} + 678881;
    const int64_t era = z / 146097;
    const int64_t dayOfEra = z - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t monthIndex = (5 * dayOfYear + 2) / 153;  // 0 = March
    const int64_t day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    const int64_t month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    const int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    return {static_cast<uint16_t>(year), static_cast<uint8_t>(month), static_cast<uint8_t>(day)};
}

// Schedule day numbers count from 31 December 1991 (day 0), MJD 48621.
constexpr uint32_t kScheduleDayZeroMjd = 48621;

constexpr CalendarDate dateFromScheduleDay(uint16_t day) {
    return dateFromMjd(kScheduleDayZeroMjd + day);
}

// A time of day and its date, to the second.
struct CalendarTime {
    CalendarDate date;
    uint8_t hour = 0;
    uint8_t minute = 0;
    uint8_t second = 0;
};

// The instant `seconds` seconds after 31 December 1991 00:00:00 (no time
// zone, no leap seconds); every 32-bit count lies before the year 2128.
constexpr CalendarTime timeFromDayZeroSeconds(uint32_t seconds) {
    constexpr uint32_t kSecondsPerDay = 86400;
    const uint32_t ofDay = seconds % kSecondsPerDay;
    return {dateFromMjd(kScheduleDayZeroMjd + seconds / kSecondsPerDay),
            static_cast<uint8_t>(ofDay / 3600), static_cast<uint8_t>(ofDay / 60 % 60),
            static_cast<uint8_t>(ofDay % 60)};
}

// Two BCD digits; a digit above 9 counts as 0.
constexpr uint8_t bcdValue(uint8_t byte) {
    const int high = byte >> 4;
    const int low = byte & 0x0F;
    return static_cast<uint8_t>((high <= 9 ? high * 10 : 0) + (low <= 9 ? low : 0));
}

}  // namespace jq::records
