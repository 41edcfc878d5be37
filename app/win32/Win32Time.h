// Calendar times and seconds as the Windows controls and file times take them.
#pragma once
#include <windows.h>

#include "core/TimeConv.h"

// Day of week and milliseconds 0.
inline SYSTEMTIME ToSystemTime(const CalendarTime& t)
{
    SYSTEMTIME st{};
    st.wYear = (WORD)t.year;
    st.wMonth = (WORD)t.month;
    st.wDay = (WORD)t.day;
    st.wHour = (WORD)t.hour;
    st.wMinute = (WORD)t.minute;
    st.wSecond = (WORD)t.second;
    return st;
}

// Seconds since 1970 UTC (1901 to 2038) as a file time.
inline FILETIME ToFileTime(int32_t seconds)
{
    const ULONGLONG ticks = (ULONGLONG)((LONGLONG)seconds + 11644473600LL) * 10000000ULL;
    return FILETIME{(DWORD)ticks, (DWORD)(ticks >> 32)};
}
