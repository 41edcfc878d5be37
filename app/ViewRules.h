// The view's arithmetic, free of windows: scroll bar passes, fitting and sizing rules, scroll
// requests and keys. The Win32 view feeds these with what it reads from its window.
#pragma once
#include <cstdint>

#include "core/MulDiv.h"

enum class ViewMode { Free, Scroll, Stretch };

// What one scroll bar computation starts from.
struct ScrollInput {
    int clientWidth = 0, clientHeight = 0;  // current client area (bars already taken off)
    bool styleHBar = false, styleVBar = false;  // bars the window style shows now
    int hBarHeight = 0;   // SM_CYHSCROLL
    int vBarWidth = 0;    // SM_CXVSCROLL
    bool scrollMode = false;
    bool hasPicture = false;
    int pictureWidth = 0, pictureHeight = 0;
    int hPos = 0, vPos = 0;
    int hMax = 0, vMax = 0;  // as last computed
};

struct ScrollLayout {
    bool hBar = false, vBar = false;
    int hPos = 0, vPos = 0;
    int hMax = 0, vMax = 0;  // ranges are 0..max
};

// Which bars the picture needs in the client area and the positions they allow.
ScrollLayout ComputeScrollBars(const ScrollInput& in);

struct Size {
    int width = 0, height = 0;
};

// The client size that shows the picture, each side limited to three quarters of the desktop's.
Size FitToDesktop(int pictureWidth, int pictureHeight, int desktopWidth, int desktopHeight);

// After WM_SIZE (restored, scroll mode): a client area larger than the picture in either
// direction shrinks to it. Returns false when the size may stay.
bool ClampClientToPicture(int clientWidth, int clientHeight, int pictureWidth, int pictureHeight,
                          Size* out);

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// WMSZ_* edge codes of WM_SIZING.
enum SizingEdge {
    kEdgeLeft = 1, kEdgeRight = 2, kEdgeTop = 3, kEdgeTopLeft = 4, kEdgeTopRight = 5,
    kEdgeBottom = 6, kEdgeBottomLeft = 7, kEdgeBottomRight = 8,
};

// Stretch mode: keeps the dragged window's client area in the picture's proportions. `nonClient`
// is window size minus client size. Returns false (rectangle untouched) for an empty picture.
bool KeepProportions(int edge, const Size& nonClient, int pictureWidth, int pictureHeight,
                     Rect* rect);

// Scroll bar requests (SB_*); 8 and above are ignored.
enum ScrollRequest {
    kLineUp = 0, kLineDown = 1, kPageUp = 2, kPageDown = 3, kThumbPosition = 4, kThumbTrack = 5,
    kTop = 6, kBottom = 7,
};
constexpr int kPageStep = 12;

// New position for a request; false when nothing changes hands (unknown request or a line up at
// 0). A line down may step one past the maximum; the next computation brings it back.
bool ApplyScrollRequest(int request, int thumb, int max, int* position);

// Scroll requests a key makes in scroll mode, -1 for a direction it does not scroll.
struct KeyScroll {
    int vertical = -1, horizontal = -1;
};
KeyScroll ScrollForKey(unsigned virtualKey);
