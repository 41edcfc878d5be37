#include "core/TimeConv.h"

#include <ctime>
#include <mutex>

namespace {

std::mutex& TimeLock()
{
    // localtime/gmtime share one static result in both C libraries.
    static std::mutex m;
    return m;
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

bool Break(int32_t seconds, CalendarTime* out, bool utc)
{
    std::lock_guard<std::mutex> g(TimeLock());
    std::time_t t = (std::time_t)seconds;
    const std::tm* tm = utc ? std::gmtime(&t) : std::localtime(&t);
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
        std::lock_guard<std::mutex> g(TimeLock());
        t = std::mktime(&tm);
    }
    if (t == (std::time_t)-1) return false;
    const long long wide = (long long)t;  // time_t is 32 bits in some C libraries, 64 in others
    if (wide > 0x7FFFFFFFLL || wide < -0x7FFFFFFFLL - 1) return false;
    *seconds = (int32_t)t;
    return true;
}

bool SecondsToLocalCalendar(int32_t seconds, CalendarTime* local) { return Break(seconds, local, false); }
bool SecondsToUtcCalendar(int32_t seconds, CalendarTime* utc) { return Break(seconds, utc, true); }

long TimeZoneOffsetWest()
{
    std::lock_guard<std::mutex> g(TimeLock());
#ifdef _WIN32
    _tzset();
    return _timezone;
#else
    tzset();
    return timezone;
#endif
}
