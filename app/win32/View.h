// The main window's client area: the current object, its decoded picture and how it is shown.
#pragma once
#include <windows.h>

#include <memory>

#include "app/ViewRules.h"
#include "core/MediaObject.h"

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

// Makes `object` current. A picture is decoded first; when that fails nothing changes, the
// caller keeps the object and false is returned. On true the view owns it (object is empty).
// Callable from the user-interface thread or a worker thread.
bool InstallObject(HWND hwnd, std::unique_ptr<MediaObject>& object);

// Makes `object` current in place of an object with the same body: the decoded picture stays
// and nothing is redrawn. User-interface thread.
void ReplaceObject(std::unique_ptr<MediaObject> object);

// The current object (user-interface thread), or nullptr.
const MediaObject* CurrentObject();

// The decoded picture's pixel size; false when the current object has no picture.
bool PictureSize(int* width, int* height);

// Resizes the window so that its client area is width × height.
void SetClientSize(HWND hwnd, int width, int height);

}  // namespace View
