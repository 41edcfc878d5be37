// Linux stand-in for lstrcmpA. Names compare equal exactly when their bytes are equal, which is
// all the table relies on; the ordering itself is not used.
#include <cstring>

#include "core/NameValueTable.h"

int CompareAnsiText(const char* a, const char* b)
{
    return std::strcmp(a, b);
}
