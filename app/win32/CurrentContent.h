// The current content (object and decoded picture) and its hand-over from workers. The
// interface thread alone makes content current; any thread may read it or hand content over.
#pragma once
#include <windows.h>

#include <memory>

#include "app/TransferSession.h"
#include "app/ViewContent.h"
#include "core/MediaObject.h"

namespace View {

// Posted to the main window when a worker has handed content over (no parameters).
constexpr UINT kContentReady = WM_APP + 1;

// Interface thread: decodes `object` and makes it current. When its picture cannot be decoded
// nothing changes, the caller keeps the object and false is returned.
bool InstallObject(HWND hwnd, std::unique_ptr<MediaObject>& object);

// Interface thread: makes decoded content current, refitting the window and redrawing.
void Install(HWND hwnd, std::unique_ptr<ViewContent> content);

// Any thread: hands decoded content to the interface thread of `hwnd`, which installs it.
// False when the window is gone or could not be told; the content is then freed.
bool Deliver(HWND hwnd, std::unique_ptr<ViewContent> content);

// Interface thread, on kContentReady: installs what was handed over.
void OnContentReady(HWND hwnd);

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

// Interface thread: what is shown, read without the lock (this thread is the only writer).
const ViewContent* Shown();
// Interface thread, as the window goes: frees the content and refuses later deliveries.
void DropContent();

}  // namespace View
