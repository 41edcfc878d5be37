// The C library's time conversions, as the program uses them. Times are seconds since
// 1970-01-01 00:00 UTC in 32 bits; 0 means "no time".
#pragma once
#include <cstdint>
#include <string>

struct CalendarTime {
    int year = 0;    // e.g. 2008
    int month = 0;   // 1..12
    int day = 0;     // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Local calendar time to seconds, daylight-saving flag 0 (mktime). Returns false when the
// C library cannot represent it (mktime's -1) or it does not fit 32 bits.
bool LocalCalendarToSeconds(const CalendarTime& local, int32_t* seconds);

// Seconds to local calendar time (localtime; false on failure) or UTC calendar time (worked out
// without the C library, so every 32-bit time converts, 1901 to 2038).
bool SecondsToLocalCalendar(int32_t seconds, CalendarTime* local);
bool SecondsToUtcCalendar(int32_t seconds, CalendarTime* utc);
// Its inverse, for a valid calendar time; false when the instant does not fit 32 bits.
bool UtcCalendarToSeconds(const CalendarTime& utc, int32_t* seconds);

// The date and time fields of "YYYYMMDDTHHMMSS" (each read like atoi; the caller has checked the
// length and the 'T') to seconds: as local time, or as UTC when `utc` is set (mktime's local
// result moved by the zone offset). False when the C library cannot convert it or the instant
// does not fit 32 bits.
bool CompactDateTimeToSeconds(const char* text, bool utc, int32_t* seconds);

// A UTC calendar time as "YYYYMMDDTHHMMSSZ" (the OBEX Time header, the vNote DATE).
std::string FormatCompactUtc(const CalendarTime& utc);

// The C library's time-zone offset: seconds west of UTC (the `timezone` variable after tzset).
long TimeZoneOffsetWest();
