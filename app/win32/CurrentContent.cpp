#include "app/win32/CurrentContent.h"

#include "app/Handover.h"
#include "app/win32/View.h"
#include "core/Sync.h"

namespace View {
namespace {

// Written on the interface thread only, under g_lock; other threads copy it under the lock.
std::shared_ptr<const ViewContent> g_content;
CriticalSection g_lock;
// Content decoded by workers, waiting for the interface thread.
HandoverQueue<ViewContent> g_handover;

void Swap(std::shared_ptr<const ViewContent>& content)
{
    ScopedLock lock(g_lock);
    g_content.swap(content);
}

}  // namespace

void Install(HWND hwnd, std::unique_ptr<ViewContent> content)
{
    std::shared_ptr<const ViewContent> next(std::move(content));
    Swap(next);  // `next` now holds the previous content, freed on return
    Refit(hwnd);
}

bool InstallObject(HWND hwnd, std::unique_ptr<MediaObject>& object)
{
    std::unique_ptr<ViewContent> content = DecodeContent(object);
    if (!content) return false;
    Install(hwnd, std::move(content));
    return true;
}

bool Deliver(HWND hwnd, std::unique_ptr<ViewContent> content)
{
    const uint64_t ticket = g_handover.Put(std::move(content));
    if (ticket == 0) return false;
    if (PostMessageA(hwnd, kContentReady, 0, 0)) return true;
    // Not told: take it back unless an earlier notice already delivered it.
    return !g_handover.Withdraw(ticket);
}

void OnContentReady(HWND hwnd)
{
    if (std::unique_ptr<ViewContent> content = g_handover.Take()) Install(hwnd, std::move(content));
}

bool ReplaceObject(std::unique_ptr<MediaObject> object)
{
    if (!g_content) return false;
    std::unique_ptr<ViewContent> replaced = WithObject(*g_content, std::move(object));
    if (!replaced) return false;
    std::shared_ptr<const ViewContent> next(std::move(replaced));
    Swap(next);
    return true;
}

std::shared_ptr<const ViewContent> Current()
{
    ScopedLock lock(g_lock);
    return g_content;
}

std::shared_ptr<const MediaObject> CurrentObject()
{
    const std::shared_ptr<const ViewContent> content = Current();
    return content ? content->object : nullptr;
}

bool PictureSize(int* width, int* height)
{
    const std::shared_ptr<const ViewContent> content = Current();
    if (!content || !content->picture) return false;
    *width = content->picture->width;
    *height = content->picture->height;
    return true;
}

const ViewContent* Shown() { return g_content.get(); }

void DropContent()
{
    g_handover.Close();
    std::shared_ptr<const ViewContent> none;
    Swap(none);
}

}  // namespace View
