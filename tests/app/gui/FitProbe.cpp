// Loaded into zorvex.exe through a message hook that the text fit test sets on the program's
// window thread. On the probe message it measures, inside the program and with each control's
// own font, what the window's statics and buttons (or a main window's menu bar) draw against
// the room they have, and hands the rows to the test through shared memory.
#include <windows.h>

#include <cstdio>
#include <string>

#include "tests/app/gui/FitProbe.h"

namespace {

std::string Narrow(const std::wstring& text)
{
    char out[1024] = "";
    WideCharToMultiByte(932, 0, text.c_str(), -1, out, sizeof out, nullptr, nullptr);
    return out;
}

// The text as drawn: a mnemonic '&' underlines the next character, "&&" draws one '&'.
std::wstring WithoutMnemonics(const std::wstring& text)
{
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'&' && i + 1 < text.size()) ++i;
        out += text[i];
    }
    return out;
}

struct Row {
    int id;
    std::string what;  // control class
    FitRow size;
    std::wstring text;
};

void Append(std::string& out, const Row& r)
{
    char head[160];
    std::snprintf(head, sizeof head, "%d\t%s\t%d\t%d\t%d\t%d\t", r.id, r.what.c_str(), r.size.width,
                  r.size.room, r.size.height, r.size.roomHeight);
    out += head + Narrow(r.text) + "\n";
}

// Room a control's frame or box leaves for its text, as the controls lay themselves out.
int Margin(HWND control, HDC dc, bool isStatic, LONG style)
{
    if (isStatic) return 0;
    switch (style & BS_TYPEMASK) {
    case BS_CHECKBOX: case BS_AUTOCHECKBOX: case BS_RADIOBUTTON: case BS_AUTORADIOBUTTON:
    case BS_3STATE: case BS_AUTO3STATE: {
        // The box (12 pixels at 96 dpi, plus one) and a gap of half a digit's width.
        INT digit = 0;
        GetCharWidth32W(dc, L'0', L'0', &digit);
        return 12 * GetDeviceCaps(dc, LOGPIXELSX) / 96 + 1 + digit / 2;
    }
    case BS_GROUPBOX: return 2 * 7;         // the caption is inset from both frame edges
    case BS_DEFPUSHBUTTON: return 2 * 3;    // the default frame and the bevel
    default: (void)control; return 2 * 2;  // the bevel
    }
}

void MeasureControl(HWND control, std::string& out)
{
    if (!IsWindowVisible(control)) return;
    wchar_t cls[32] = L"";
    GetClassNameW(control, cls, 32);
    const bool isStatic = lstrcmpiW(cls, L"Static") == 0, isButton = lstrcmpiW(cls, L"Button") == 0;
    if (!isStatic && !isButton) return;
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    const LONG type = style & SS_TYPEMASK;
    if (isStatic && type > SS_RIGHT && type != SS_SIMPLE && type != SS_LEFTNOWORDWRAP) return;  // pictures, lines
    wchar_t buffer[512] = L"";
    GetWindowTextW(control, buffer, 512);
    if (!buffer[0]) return;
    const bool prefix = !(isStatic && (style & SS_NOPREFIX));
    const std::wstring text = prefix ? WithoutMnemonics(buffer) : std::wstring(buffer);

    HDC dc = GetDC(control);
    HFONT font = (HFONT)SendMessageW(control, WM_GETFONT, 0, 0);
    HGDIOBJ old = SelectObject(dc, font ? (HGDIOBJ)font : GetStockObject(SYSTEM_FONT));
    RECT client;
    GetClientRect(control, &client);
    Row row{GetDlgCtrlID(control), Narrow(cls), {}, text};
    row.size.room = client.right - Margin(control, dc, isStatic, style);
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.c_str(), (int)text.size(), &extent);
    row.size.width = extent.cx;
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    const bool wraps = isStatic && type <= SS_RIGHT && client.bottom >= 2 * tm.tmHeight;
    if (wraps) {
        // A static with room for several lines wraps its text, as it draws it.
        RECT r{0, 0, row.size.room, 0};
        DrawTextW(dc, buffer, -1, &r, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | (prefix ? 0 : DT_NOPREFIX));
        row.size.width = r.right;
        row.size.height = r.bottom;
        row.size.roomHeight = client.bottom;
    }
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    Append(out, row);
}

// The menu bar keeps all its items in one row (a wrapped bar takes height from the view).
void MeasureMenuBar(HWND window, HMENU menu, std::string& out)
{
    MENUBARINFO bar{};
    bar.cbSize = sizeof bar;
    if (!GetMenuBarInfo(window, OBJID_MENU, 0, &bar)) return;
    const int row = GetSystemMetrics(SM_CYMENU);
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        RECT item{};
        GetMenuItemRect(window, menu, (UINT)i, &item);
        wchar_t text[256] = L"";
        GetMenuStringW(menu, (UINT)i, text, 256, MF_BYPOSITION);
        Row r{i, "MenuBar", {}, WithoutMnemonics(text)};
        r.size.width = item.right - bar.rcBar.left;
        r.size.room = bar.rcBar.right - bar.rcBar.left;
        r.size.height = item.bottom - bar.rcBar.top;
        r.size.roomHeight = row;
        Append(out, r);
    }
}

BOOL CALLBACK Collect(HWND control, LPARAM out)
{
    MeasureControl(control, *reinterpret_cast<std::string*>(out));
    return TRUE;
}

void Measure(HWND window, DWORD driver)
{
    std::string out;
    HMENU menu = GetMenu(window);
    if (menu && !(GetWindowLongW(window, GWL_STYLE) & WS_CHILD)) MeasureMenuBar(window, menu, out);
    EnumChildWindows(window, Collect, reinterpret_cast<LPARAM>(&out));

    char name[64];
    std::snprintf(name, sizeof name, "%s%lu", kFitProbeName, (unsigned long)driver);
    HANDLE mapping = OpenFileMappingA(FILE_MAP_WRITE, FALSE, name);
    std::snprintf(name, sizeof name, "%s%lu.done", kFitProbeName, (unsigned long)driver);
    HANDLE done = OpenEventA(EVENT_MODIFY_STATE, FALSE, name);
    if (mapping && done) {
        if (char* view = (char*)MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, kFitProbeBytes)) {
            lstrcpynA(view, out.c_str(), kFitProbeBytes);
            UnmapViewOfFile(view);
        }
        SetEvent(done);
    }
    if (done) CloseHandle(done);
    if (mapping) CloseHandle(mapping);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK FitProbeHook(int code, WPARAM removed, LPARAM lp)
{
    MSG* msg = reinterpret_cast<MSG*>(lp);
    static const UINT probe = RegisterWindowMessageA(kFitProbeName);
    if (code == HC_ACTION && removed == PM_REMOVE && msg->message == probe) {
        Measure(msg->hwnd, (DWORD)msg->wParam);
        msg->message = WM_NULL;
    }
    return CallNextHookEx(nullptr, code, removed, lp);
}
