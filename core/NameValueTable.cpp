#include "core/NameValueTable.h"

void NameValueTable::Set(const char* name, const char* value)
{
    int32_t i = Find(name);
    if (i >= 0) {
        entries_[(size_t)i].second = value;
    } else {
        entries_.emplace_back(name, value);
    }
}

const char* NameValueTable::Get(const char* name) const
{
    int32_t i = Find(name);
    return i >= 0 ? entries_[(size_t)i].second.c_str() : nullptr;
}

bool NameValueTable::Remove(const char* name)
{
    int32_t i = Find(name);
    if (i < 0) return false;
    entries_.erase(entries_.begin() + i);
    return true;
}

int32_t NameValueTable::GetCount() const
{
    return (int32_t)entries_.size();
}

int32_t NameValueTable::GetNames(const char** array, int32_t capacity) const
{
    int32_t count = GetCount();
    if (capacity >= count) {
        for (int32_t i = 0; i < count; ++i) array[i] = entries_[(size_t)i].first.c_str();
    }
    return count;
}

int32_t NameValueTable::GetValues(const char** array, int32_t capacity) const
{
    int32_t count = GetCount();
    if (capacity >= count) {
        for (int32_t i = 0; i < count; ++i) array[i] = entries_[(size_t)i].second.c_str();
    }
    return count;
}

int32_t NameValueTable::Find(const char* name) const
{
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (CompareAnsiText(entries_[i].first.c_str(), name) == 0) return (int32_t)i;
    }
    return -1;
}
