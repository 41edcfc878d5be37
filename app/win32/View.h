// The main window's client area: the current content (object and decoded picture) and how it is
// shown. The view belongs to the user-interface thread: only that thread installs, paints and
// scrolls. A worker decodes on its own thread and hands the finished content over with Deliver.
#pragma once
#include <windows.h>

#include <memory>

#include "app/TransferSession.h"
#include "app/ViewContent.h"
#include "app/ViewRules.h"
#include "core/MediaObject.h"

namespace View {

// Posted to the main window when a worker has handed content over (no parameters).
constexpr UINT kContentReady = WM_APP + 1;

// Main window handlers (routed from the window procedure).
void OnCreate(HWND hwnd, HINSTANCE instance);
void OnDestroy(HWND hwnd);
LRESULT OnSize(HWND hwnd, WPARAM type, int width, int height);
LRESULT OnSizing(HWND hwnd, WPARAM edge, RECT* rect);
void OnPaint(HWND hwnd, HDC dc);
void OnKeyDown(HWND hwnd, WPARAM key);
void OnScroll(HWND hwnd, int bar, WPARAM wParam);
void OnContentReady(HWND hwnd);
void SetMode(HWND hwnd, ViewMode mode);

// Interface thread: decodes `object` and makes it current. When its picture cannot be decoded
// nothing changes, the caller keeps the object and false is returned.
bool InstallObject(HWND hwnd, std::unique_ptr<MediaObject>& object);

// Interface thread: makes decoded content current, refitting the window and redrawing.
void Install(HWND hwnd, std::unique_ptr<ViewContent> content);

// Any thread: hands decoded content to the interface thread of `hwnd`, which installs it.
// False when the window is gone or could not be told; the content is then freed.
bool Deliver(HWND hwnd, std::unique_ptr<ViewContent> content);

// A worker's received content, handed to the interface thread of `mainWindow` with Deliver.
class Handover : public ContentSink {
public:
    explicit Handover(HWND mainWindow) : mainWindow_(mainWindow) {}
    bool Deliver(std::unique_ptr<ViewContent> content) override
    {
        return View::Deliver(mainWindow_, std::move(content));
    }

private:
    HWND mainWindow_;
};

// Interface thread: replaces the current object by one with the same kind and body (a sent
// object's format, texts and time) without decoding again; the picture, mode and window size
// stay and nothing is redrawn. False (object freed) when there is no current object or the
// kind or body differs.
bool ReplaceObject(std::unique_ptr<MediaObject> object);

// Any thread: the current content, object or picture size. What is returned stays valid
// however the view changes afterwards.
std::shared_ptr<const ViewContent> Current();
std::shared_ptr<const MediaObject> CurrentObject();
bool PictureSize(int* width, int* height);

// Resizes the window so that its client area is width × height.
void SetClientSize(HWND hwnd, int width, int height);

}  // namespace View
