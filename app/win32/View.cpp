#include "app/win32/View.h"

#include <commctrl.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/ViewLayout.h"
#include "app/win32/CurrentContent.h"
#include "res/resource.h"

namespace View {
namespace {

struct Bitmap {
    int id;
    HBITMAP handle = nullptr;
    int width = 0, height = 0;
};

enum BitmapSlot {
    kStartup, kFilmTile, kMovieMask, kMovie, kClef, kNote1Low, kNote1High, kNote2Low,
    kNote2High, kMelodyMask, kMelody, kMidiMask, kMidi, kBitmapCount
};

struct State {
    ViewMode mode = ViewMode::Free;
    int hPos = 0, vPos = 0, hMax = 0, vMax = 0;
    bool updating = false;  // scroll bars being recomputed
    bool pending = false;   // a request came in meanwhile
    StaffSequence staff{};
    Bitmap bitmaps[kBitmapCount] = {
        {IDB_STARTUP}, {IDB_FILM_TILE}, {IDB_MOVIE_MASK}, {IDB_MOVIE}, {IDB_CLEF},
        {IDB_NOTE1_LOW}, {IDB_NOTE1_HIGH}, {IDB_NOTE2_LOW}, {IDB_NOTE2_HIGH},
        {IDB_MELODY_MASK}, {IDB_MELODY}, {IDB_MIDI_MASK}, {IDB_MIDI},
    };
};

State g_view;

// The current picture, or nullptr.
const DecodedPicture* Picture()
{
    const ViewContent* content = Shown();
    return content ? content->picture.get() : nullptr;
}

void FillWindowColour(HDC dc, int l, int t, int r, int b)
{
    RECT rc{l, t, r, b};
    FillRect(dc, &rc, (HBRUSH)(COLOR_WINDOW + 1));
}

void Blit(HDC dc, HDC mem, const Bitmap& bitmap, int x, int y, DWORD rop)
{
    HGDIOBJ old = SelectObject(mem, bitmap.handle);
    BitBlt(dc, x, y, bitmap.width, bitmap.height, mem, 0, 0, rop);
    SelectObject(mem, old);
}

// An emblem over whatever is below it: the mask clears its shape, the bitmap fills it in.
void DrawEmblem(HDC dc, HDC mem, const Bitmap& mask, const Bitmap& image, int width, int height)
{
    Point p = CentreIn(width, height, image.width, image.height);
    Blit(dc, mem, mask, p.x, p.y, SRCAND);
    Blit(dc, mem, image, p.x, p.y, SRCPAINT);
}

void PaintStartup(HDC dc, HDC mem, int width, int height)
{
    const Bitmap& b = g_view.bitmaps[kStartup];
    Point p = CentreIn(width, height, kStartupWidth, kStartupHeight);
    Blit(dc, mem, b, p.x, p.y, SRCCOPY);
    for (const Rect& r : StripsAround(width, height,
                                      Rect{p.x, p.y, p.x + kStartupWidth, p.y + kStartupHeight})) {
        FillWindowColour(dc, r.left, r.top, r.right, r.bottom);
    }
}

void PaintMovie(HDC dc, HDC mem, int width, int height)
{
    const Bitmap& tile = g_view.bitmaps[kFilmTile];
    const int top = height / 2 - kBandTileHeight / 2;
    for (int x = 0; x < width; x += kBandTileWidth) Blit(dc, mem, tile, x, top, SRCCOPY);
    FillWindowColour(dc, 0, 0, width, top);
    FillWindowColour(dc, 0, top + kBandTileHeight, width, height);
    DrawEmblem(dc, mem, g_view.bitmaps[kMovieMask], g_view.bitmaps[kMovie], width, height);
}

void PaintStaff(HDC dc, HDC mem, int width, int height, bool midi)
{
    FillWindowColour(dc, 0, 0, width, height);
    HPEN pen = CreatePen(PS_SOLID, 0, RGB(200, 200, 200));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    for (const StaffItem& item : LayoutStaff(g_view.staff, width, height)) {
        int slot = -1;
        switch (item.glyph) {
        case StaffGlyph::Clef: slot = kClef; break;
        case StaffGlyph::OneBeatLow: slot = kNote1Low; break;
        case StaffGlyph::OneBeatHigh: slot = kNote1High; break;
        case StaffGlyph::TwoBeatLow: slot = kNote2Low; break;
        case StaffGlyph::TwoBeatHigh: slot = kNote2High; break;
        case StaffGlyph::Line:
            MoveToEx(dc, item.x, item.y, nullptr);
            LineTo(dc, item.x2, item.y2);
            break;
        }
        if (slot >= 0) Blit(dc, mem, g_view.bitmaps[slot], item.x, item.y, SRCCOPY);
    }
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    if (midi) {
        DrawEmblem(dc, mem, g_view.bitmaps[kMidiMask], g_view.bitmaps[kMidi], width, height);
    } else {
        DrawEmblem(dc, mem, g_view.bitmaps[kMelodyMask], g_view.bitmaps[kMelody], width, height);
    }
}

void ComputeScrollBarsOnce(HWND hwnd);

// Showing or hiding a bar sends WM_SIZE, which asks for the computation again: such a nested
// request returns at once, but is remembered and run once the outer one is done, so that the
// bars always match the window's final size (bounded, as a size can flip-flop).
void UpdateScrollBars(HWND hwnd)
{
    if (g_view.updating) {
        g_view.pending = true;
        return;
    }
    g_view.updating = true;
    for (int round = 0; round < 4; ++round) {
        g_view.pending = false;
        ComputeScrollBarsOnce(hwnd);
        if (!g_view.pending) break;
    }
    g_view.pending = false;
    g_view.updating = false;
}

void ComputeScrollBarsOnce(HWND hwnd)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    const LONG style = GetWindowLongA(hwnd, GWL_STYLE);
    ScrollInput in;
    in.clientWidth = rc.right;
    in.clientHeight = rc.bottom;
    in.styleHBar = (style & WS_HSCROLL) != 0;
    in.styleVBar = (style & WS_VSCROLL) != 0;
    in.hBarHeight = GetSystemMetrics(SM_CYHSCROLL);
    in.vBarWidth = GetSystemMetrics(SM_CXVSCROLL);
    in.scrollMode = g_view.mode == ViewMode::Scroll;
    const DecodedPicture* picture = Picture();
    in.hasPicture = picture != nullptr;
    in.pictureWidth = picture ? picture->width : 0;
    in.pictureHeight = picture ? picture->height : 0;
    in.hPos = g_view.hPos;
    in.vPos = g_view.vPos;
    in.hMax = g_view.hMax;
    in.vMax = g_view.vMax;
    const ScrollLayout out = ComputeScrollBars(in);
    g_view.hPos = out.hPos;
    g_view.vPos = out.vPos;
    g_view.hMax = out.hMax;
    g_view.vMax = out.vMax;

    if (out.hBar != in.styleHBar || out.vBar != in.styleVBar) {
        if (out.hBar && out.vBar) {
            ShowScrollBar(hwnd, SB_BOTH, TRUE);
        } else if (!out.hBar && !out.vBar) {
            ShowScrollBar(hwnd, SB_BOTH, FALSE);
        } else {
            ShowScrollBar(hwnd, SB_VERT, out.vBar);
            ShowScrollBar(hwnd, SB_HORZ, out.hBar);
        }
    }
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_POS;
    if (out.hBar) {
        si.nMax = out.hMax;
        si.nPos = out.hPos;
        SetScrollInfo(hwnd, SB_HORZ, &si, TRUE);
    }
    if (out.vBar) {
        si.nMax = out.vMax;
        si.nPos = out.vPos;
        SetScrollInfo(hwnd, SB_VERT, &si, TRUE);
    }
}

void FitWindowToPicture(HWND hwnd)
{
    const DecodedPicture* picture = Picture();
    if (!picture || IsZoomed(hwnd)) {
        InvalidateRect(hwnd, nullptr, FALSE);
        return;
    }
    RECT desk;
    GetWindowRect(GetDesktopWindow(), &desk);
    Size s = FitToDesktop(picture->width, picture->height, desk.right - desk.left,
                          desk.bottom - desk.top);
    SetClientSize(hwnd, s.width, s.height);
}

}  // namespace

void OnCreate(HWND hwnd, HINSTANCE instance)
{
    for (Bitmap& b : g_view.bitmaps) {
        b.handle = LoadBitmapA(instance, MAKEINTRESOURCEA(b.id));
        BITMAP info{};
        if (b.handle && GetObjectA(b.handle, sizeof info, &info)) {
            b.width = info.bmWidth;
            b.height = info.bmHeight;
        }
    }
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_DATE_CLASSES};
    InitCommonControlsEx(&icc);
    SetMode(hwnd, ViewMode::Free);
    g_view.staff = GenerateStaff();
}

void OnDestroy(HWND)
{
    // Content still on its way is freed with the window; later deliveries are refused.
    DropContent();
    for (Bitmap& b : g_view.bitmaps) {
        if (b.handle) DeleteObject(b.handle);
        b.handle = nullptr;
    }
}

void Refit(HWND hwnd)
{
    if (Picture()) {
        g_view.hPos = g_view.vPos = 0;
        if (g_view.mode == ViewMode::Scroll) UpdateScrollBars(hwnd);
        FitWindowToPicture(hwnd);
    } else {
        SetClientSize(hwnd, 320, 200);
    }
    InvalidateRect(hwnd, nullptr, FALSE);
}

void SetClientSize(HWND hwnd, int width, int height)
{
    // Twice: the first move can change the client area's shape (a menu bar that wraps).
    for (int pass = 0; pass < 2; ++pass) {
        RECT wr, cr;
        GetWindowRect(hwnd, &wr);
        GetClientRect(hwnd, &cr);
        MoveWindow(hwnd, wr.left, wr.top, (wr.right - wr.left) - cr.right + width,
                   (wr.bottom - wr.top) - cr.bottom + height, TRUE);
    }
}

void SetMode(HWND hwnd, ViewMode mode)
{
    HMENU menu = GetMenu(hwnd);
    const struct {
        ViewMode mode;
        UINT id;
    } items[] = {{ViewMode::Free, IDM_VIEW_FREE}, {ViewMode::Scroll, IDM_VIEW_SCROLL},
                 {ViewMode::Stretch, IDM_VIEW_STRETCH}};
    for (const auto& item : items) {
        CheckMenuItem(menu, item.id, MF_BYCOMMAND | (item.mode == mode ? MF_CHECKED : MF_UNCHECKED));
    }
    g_view.mode = mode;
    UpdateScrollBars(hwnd);
    FitWindowToPicture(hwnd);
}

LRESULT OnSize(HWND hwnd, WPARAM type, int width, int height)
{
    UpdateScrollBars(hwnd);
    const DecodedPicture* picture = Picture();
    if (type == SIZE_RESTORED && g_view.mode == ViewMode::Scroll && picture) {
        Size s;
        if (ClampClientToPicture(width, height, picture->width, picture->height, &s)) {
            SetClientSize(hwnd, s.width, s.height);
            UpdateScrollBars(hwnd);
        }
        return 0;
    }
    if (type == SIZE_MAXIMIZED) {
        g_view.hPos = g_view.vPos = 0;
        UpdateScrollBars(hwnd);
        InvalidateRect(hwnd, nullptr, FALSE);
    }
    return 1;
}

LRESULT OnSizing(HWND hwnd, WPARAM edge, RECT* rect)
{
    const DecodedPicture* picture = Picture();
    if (g_view.mode != ViewMode::Stretch || !picture) return 0;
    RECT wr, cr;
    GetWindowRect(hwnd, &wr);
    GetClientRect(hwnd, &cr);
    const Size nonClient{(wr.right - wr.left) - cr.right, (wr.bottom - wr.top) - cr.bottom};
    Rect r{rect->left, rect->top, rect->right, rect->bottom};
    if (!KeepProportions((int)edge, nonClient, picture->width, picture->height, &r)) return 0;
    rect->right = r.right;
    rect->bottom = r.bottom;
    return TRUE;
}

void OnPaint(HWND hwnd, HDC dc)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    const int w = rc.right, h = rc.bottom;
    if (const DecodedPicture* picture = Picture()) {
        const int pw = picture->width, ph = picture->height;
        const auto* info = reinterpret_cast<const BITMAPINFO*>(picture->bmp.data() + 14);
        const uint8_t* bits = picture->bmp.data() + 54;
        if (g_view.mode == ViewMode::Scroll) {
            // Unscaled, moved left and up by the scroll positions.
            SetDIBitsToDevice(dc, -g_view.hPos, -g_view.vPos, pw, ph, 0, 0, 0, ph, bits, info,
                              DIB_RGB_COLORS);
            if (w > pw) FillWindowColour(dc, pw, 0, w, h);
            if (h > ph) FillWindowColour(dc, 0, ph, pw, h);
        } else {
            StretchDIBits(dc, 0, 0, w, h, 0, 0, pw, ph, bits, info, DIB_RGB_COLORS, SRCCOPY);
        }
        return;
    }
    HDC mem = CreateCompatibleDC(dc);
    // Two-colour bitmaps take these colours for their 0 and 1 bits.
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    const MediaObject* object = Shown() ? Shown()->object.get() : nullptr;
    if (!object) {
        PaintStartup(dc, mem, w, h);
    } else if (object->GetKind() == MEDIA_MOVIE) {
        PaintMovie(dc, mem, w, h);
    } else if (object->GetKind() == MEDIA_IMELODY || object->GetKind() == MEDIA_SMF) {
        PaintStaff(dc, mem, w, h, object->GetKind() == MEDIA_SMF);
    } else {
        FillWindowColour(dc, 0, 0, w, h);
    }
    DeleteDC(mem);
}

void OnScroll(HWND hwnd, int bar, WPARAM wParam)
{
    const int request = LOWORD(wParam);
    int thumb = HIWORD(wParam);
    const int max = bar == SB_HORZ ? g_view.hMax : g_view.vMax;
    if ((request == SB_THUMBTRACK || request == SB_THUMBPOSITION) && max > 0xFFFF) {
        // The message carries only 16 bits of the position; the bar has all of it.
        SCROLLINFO si{};
        si.cbSize = sizeof si;
        si.fMask = SIF_TRACKPOS;
        if (GetScrollInfo(hwnd, bar, &si)) thumb = si.nTrackPos;
    }
    int& position = bar == SB_HORZ ? g_view.hPos : g_view.vPos;
    if (!ApplyScrollRequest(request, thumb, max, &position)) return;
    UpdateScrollBars(hwnd);
    InvalidateRect(hwnd, nullptr, FALSE);
}

void OnKeyDown(HWND hwnd, WPARAM key)
{
    if (g_view.mode != ViewMode::Scroll || !Picture()) return;
    const KeyScroll k = ScrollForKey((unsigned)key);
    const LONG style = GetWindowLongA(hwnd, GWL_STYLE);
    if (k.vertical >= 0 && (style & WS_VSCROLL)) OnScroll(hwnd, SB_VERT, MAKEWPARAM(k.vertical, 0));
    if (k.horizontal >= 0 && (style & WS_HSCROLL)) OnScroll(hwnd, SB_HORZ, MAKEWPARAM(k.horizontal, 0));
}

}  // namespace View
