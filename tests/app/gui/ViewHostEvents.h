// Names of the events through which a GUI test drives the view host's worker.
#pragma once
#include <windows.h>

#include <string>

inline std::string ViewHostEventName(const char* what, DWORD pid)
{
    return std::string("ZorvexViewHost.") + what + "." + std::to_string(pid);
}
