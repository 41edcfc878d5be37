#include <windows.h>

#include "obex/NameValueTable.h"

int CompareAnsiText(const char* a, const char* b)
{
    return lstrcmpA(a, b);
}
