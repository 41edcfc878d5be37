#include "core/Sync.h"

#include <windows.h>

CriticalSection::CriticalSection() : impl_(new CRITICAL_SECTION)
{
    InitializeCriticalSection(static_cast<CRITICAL_SECTION*>(impl_));
}

CriticalSection::~CriticalSection()
{
    DeleteCriticalSection(static_cast<CRITICAL_SECTION*>(impl_));
    delete static_cast<CRITICAL_SECTION*>(impl_);
}

void CriticalSection::Enter() { EnterCriticalSection(static_cast<CRITICAL_SECTION*>(impl_)); }
void CriticalSection::Leave() { LeaveCriticalSection(static_cast<CRITICAL_SECTION*>(impl_)); }
