// Windows critical sections are recursive; a recursive mutex behaves the same.
#include "core/Sync.h"

#include <mutex>

CriticalSection::CriticalSection() : impl_(new std::recursive_mutex) {}
CriticalSection::~CriticalSection() { delete static_cast<std::recursive_mutex*>(impl_); }
void CriticalSection::Enter() { static_cast<std::recursive_mutex*>(impl_)->lock(); }
void CriticalSection::Leave() { static_cast<std::recursive_mutex*>(impl_)->unlock(); }
