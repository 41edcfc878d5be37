// The main window's client area: how the current content (app/win32/CurrentContent.h) is
// painted and scrolled. It belongs to the user-interface thread.
#pragma once
#include <windows.h>

#include "app/ViewRules.h"

namespace View {

// Main window handlers (routed from the window procedure).
void OnCreate(HWND hwnd, HINSTANCE instance);
void OnDestroy(HWND hwnd);
LRESULT OnSize(HWND hwnd, WPARAM type, int width, int height);
LRESULT OnSizing(HWND hwnd, WPARAM edge, RECT* rect);
void OnPaint(HWND hwnd, HDC dc);
void OnKeyDown(HWND hwnd, WPARAM key);
void OnScroll(HWND hwnd, int bar, WPARAM wParam);
void SetMode(HWND hwnd, ViewMode mode);

// Interface thread: shows newly installed content from its top left corner, fitting the window
// to its picture (or to the startup size), and redraws.
void Refit(HWND hwnd);

// Resizes the window so that its client area is width × height.
void SetClientSize(HWND hwnd, int width, int height);

}  // namespace View
