#include "core/TimeConv.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "core/Sync.h"

namespace {

CriticalSection& TimeLock()
{
    // localtime/gmtime share one static result in both C libraries.
    static CriticalSection section;
    return section;
}

void Fill(const std::tm& tm, CalendarTime* out)
{
    out->year = tm.tm_year + 1900;
    out->month = tm.tm_mon + 1;
    out->day = tm.tm_mday;
    out->hour = tm.tm_hour;
    out->minute = tm.tm_min;
    out->second = tm.tm_sec;
}

bool Break(int32_t seconds, CalendarTime* out)
{
    ScopedLock g(TimeLock());
    std::time_t t = (std::time_t)seconds;
    const std::tm* tm = std::localtime(&t);
    if (!tm) return false;
    Fill(*tm, out);
    return true;
}

}  // namespace

bool LocalCalendarToSeconds(const CalendarTime& local, int32_t* seconds)
{
    std::tm tm = {};
    tm.tm_year = local.year - 1900;
    tm.tm_mon = local.month - 1;
    tm.tm_mday = local.day;
    tm.tm_hour = local.hour;
    tm.tm_min = local.minute;
    tm.tm_sec = local.second;
    tm.tm_isdst = 0;
    std::time_t t;
    {
        ScopedLock g(TimeLock());
        t = std::mktime(&tm);
    }
    if (t == (std::time_t)-1) return false;
    const long long wide = (long long)t;  // time_t is 32 bits in some C libraries, 64 in others
    if (wide > 0x7FFFFFFFLL || wide < -0x7FFFFFFFLL - 1) return false;
    *seconds = (int32_t)t;
    return true;
}

bool SecondsToLocalCalendar(int32_t seconds, CalendarTime* local) { return Break(seconds, local); }
bool SecondsToUtcCalendar(int32_t seconds, CalendarTime* utc)
{
    // Worked out here rather than with gmtime: the Windows C library refuses times before 1970,
    // which are valid 32-bit times all the same.
    const int64_t s = seconds;
    int64_t days = s / 86400;
    int64_t rest = s % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    // Days since 1970-01-01 to a proleptic Gregorian date, with years starting in March so
    // that the leap day falls at the end.
    const int64_t z = days + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t dayOfEra = z - era * 146097;
    const int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t mp = (5 * dayOfYear + 2) / 153;
    const int64_t month = mp < 10 ? mp + 3 : mp - 9;
    utc->year = (int)(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
    utc->month = (int)month;
    utc->day = (int)(dayOfYear - (153 * mp + 2) / 5 + 1);
    utc->hour = (int)(rest / 3600);
    utc->minute = (int)(rest / 60 % 60);
    utc->second = (int)(rest % 60);
    return true;
}

bool UtcCalendarToSeconds(const CalendarTime& utc, int32_t* seconds)
{
    // Days since 1970-01-01 of a proleptic Gregorian date, years again starting in March.
    const int64_t year = (int64_t)utc.year - (utc.month <= 2);
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (utc.month + (utc.month > 2 ? -3 : 9)) + 2) / 5 + utc.day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    const int64_t days = era * 146097 + dayOfEra - 719468;
    const int64_t instant = days * 86400 + utc.hour * 3600 + utc.minute * 60 + utc.second;
    if (instant > 0x7FFFFFFFLL || instant < -0x7FFFFFFFLL - 1) return false;
    *seconds = (int32_t)instant;
    return true;
}

long TimeZoneOffsetWest()
{
    ScopedLock g(TimeLock());
#ifdef _WIN32
    _tzset();
    return _timezone;
#else
    tzset();
    return timezone;
#endif
}

bool CompactDateTimeToSeconds(const char* text, bool utc, int32_t* seconds)
{
    auto field = [text](int at, int count) {
        char digits[8] = {};
        std::memcpy(digits, text + at, (size_t)count);
        return std::atoi(digits);
    };
    const CalendarTime fields = {field(0, 4), field(4, 2),  field(6, 2),
                                 field(9, 2), field(11, 2), field(13, 2)};
    int32_t local = 0;
    if (!LocalCalendarToSeconds(fields, &local)) return false;
    const long long instant = utc ? (long long)local - TimeZoneOffsetWest() : local;
    if (instant > 0x7FFFFFFFLL || instant < -0x7FFFFFFFLL - 1) return false;
    *seconds = (int32_t)instant;
    return true;
}

std::string FormatCompactUtc(const CalendarTime& utc)
{
    char text[64];
    std::snprintf(text, sizeof text, "%04d%02d%02dT%02d%02d%02dZ", utc.year, utc.month, utc.day,
                  utc.hour, utc.minute, utc.second);
    return text;
}
