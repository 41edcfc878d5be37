// An ordered table of unique text names to text values (HTTP headers, the serial port list).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

class NameValueTable {
public:
    NameValueTable() = default;
    virtual ~NameValueTable() = default;

    virtual void Set(const char* name, const char* value);  // replaces in place when present
    virtual const char* Get(const char* name) const;        // nullptr when absent
    virtual bool Remove(const char* name);
    virtual int32_t GetCount() const;
    // Fill `array` in insertion order and return the count; when capacity < count nothing is
    // filled. The texts stay owned by the table.
    virtual int32_t GetNames(const char** array, int32_t capacity) const;
    virtual int32_t GetValues(const char** array, int32_t capacity) const;

private:
    int32_t Find(const char* name) const;
    std::vector<std::pair<std::string, std::string>> entries_;
};

// Case-sensitive, locale-aware comparison of ANSI texts (lstrcmpA on Windows).
int CompareAnsiText(const char* a, const char* b);
