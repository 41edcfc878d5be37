#include <windows.h>

#include "core/NameValueTable.h"

int CompareAnsiText(const char* a, const char* b)
{
    return lstrcmpA(a, b);
}
