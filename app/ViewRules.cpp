#include "app/ViewRules.h"

#include <algorithm>

namespace {

int Clamp(int position, int max) { return position >= max ? max : position; }

}  // namespace

ScrollLayout ComputeScrollBars(const ScrollInput& in)
{
    ScrollLayout out;
    out.hMax = in.hMax;
    out.vMax = in.vMax;
    // The client size the window would have without any bar.
    int cw = in.clientWidth + (in.styleVBar ? in.vBarWidth : 0);
    int ch = in.clientHeight + (in.styleHBar ? in.hBarHeight : 0);

    if (!in.scrollMode || !in.hasPicture) return out;
    const int pw = in.pictureWidth, ph = in.pictureHeight;
    if (cw >= pw && ch >= ph) return out;

    // A bar narrows the other direction, which may then need its own bar: two passes settle it.
    // Each bar takes its room once, also when it first turns out to be needed in the second pass,
    // and positions are limited only by the final ranges: either way the far edge of the
    // picture could otherwise not be scrolled into view.
    bool hTaken = false, vTaken = false;
    for (int pass = 0; pass < 2; ++pass) {
        out.hBar = out.vBar = false;
        if (cw < pw) {
            out.hBar = true;
            if (!hTaken) {
                ch -= in.hBarHeight;
                hTaken = true;
            }
            out.hMax = pw - cw;
        }
        if (ch < ph) {
            out.vBar = true;
            if (!vTaken) {
                cw -= in.vBarWidth;
                vTaken = true;
            }
            out.vMax = ph - ch;
        }
    }
    out.hPos = out.hBar ? std::max(0, Clamp(in.hPos, out.hMax)) : 0;
    out.vPos = out.vBar ? std::max(0, Clamp(in.vPos, out.vMax)) : 0;
    return out;
}

Size FitToDesktop(int pictureWidth, int pictureHeight, int desktopWidth, int desktopHeight)
{
    Size s;
    s.width = std::min(pictureWidth, desktopWidth * 3 / 4);
    s.height = std::min(pictureHeight, desktopHeight * 3 / 4);
    return s;
}

bool ClampClientToPicture(int clientWidth, int clientHeight, int pictureWidth, int pictureHeight,
                          Size* out)
{
    if (clientWidth <= pictureWidth && clientHeight <= pictureHeight) return false;
    out->width = std::min(clientWidth, pictureWidth);
    out->height = std::min(clientHeight, pictureHeight);
    return true;
}

bool KeepProportions(int edge, const Size& nonClient, int pictureWidth, int pictureHeight,
                     Rect* r)
{
    if (pictureWidth <= 0 || pictureHeight <= 0) return false;
    if (edge == kEdgeTop || edge == kEdgeBottom) {
        int clientHeight = (r->bottom - r->top) - nonClient.height;
        int clientWidth = MulDivRound(pictureWidth, clientHeight, pictureHeight);
        r->right = r->left + clientWidth + nonClient.width;
    } else {
        int clientWidth = (r->right - r->left) - nonClient.width;
        int clientHeight = MulDivRound(pictureHeight, clientWidth, pictureWidth);
        r->bottom = r->top + clientHeight + nonClient.height;
    }
    return true;
}

bool ApplyScrollRequest(int request, int thumb, int max, int* position)
{
    int p = *position;
    switch (request) {
    case kLineUp:
        if (p == 0) return false;
        p -= 1;
        break;
    case kLineDown:
        if (p > max) return false;
        p += 1;
        break;
    case kPageUp: p = std::max(0, p - kPageStep); break;
    case kPageDown: p = std::min(max, p + kPageStep); break;
    case kThumbPosition:
    case kThumbTrack: p = thumb; break;
    case kTop: p = 0; break;
    case kBottom: p = max; break;
    default: return false;
    }
    *position = p;
    return true;
}

KeyScroll ScrollForKey(unsigned vk)
{
    // Virtual-key codes, spelled out so the rule needs no Windows header.
    enum : unsigned { kPrior = 0x21, kNext = 0x22, kEnd = 0x23, kHome = 0x24,
                      kLeft = 0x25, kUp = 0x26, kRight = 0x27, kDown = 0x28 };
    KeyScroll k;
    switch (vk) {
    case kPrior: k.vertical = kPageUp; break;
    case kNext: k.vertical = kPageDown; break;
    case kEnd: k.vertical = kBottom; k.horizontal = kBottom; break;
    case kHome: k.vertical = kTop; k.horizontal = kTop; break;
    case kLeft: k.horizontal = kLineUp; break;
    case kRight: k.horizontal = kLineDown; break;
    case kUp: k.vertical = kLineUp; break;
    case kDown: k.vertical = kLineDown; break;
    default: break;
    }
    return k;
}
