// Loaded into zorvex.exe by the message hook of the text fit test. On the probe message it
// measures, inside the program and with each control's own font, the text of every visible
// static and button of the window (or each item of a main window's menu bar) against the room
// the control gives it, and hands the rows to the test in shared memory.
#include <windows.h>

#include <cstdio>
#include <string>

#include "tests/app/gui/FitProbe.h"

namespace {

void Append(std::string& out, int id, const wchar_t* cls, int width, int room, int height,
            int roomHeight, const std::wstring& text)
{
    char narrow[1024] = "", head[128];
    WideCharToMultiByte(932, 0, cls, -1, head, sizeof head, nullptr, nullptr);
    WideCharToMultiByte(932, 0, text.c_str(), -1, narrow, sizeof narrow, nullptr, nullptr);
    out += std::to_string(id) + "\t" + head;
    std::snprintf(head, sizeof head, "\t%d\t%d\t%d\t%d\t", width, room, height, roomHeight);
    out += head + std::string(narrow) + "\n";
}

// The text as drawn: '&' underlines the next character, "&&" draws one '&'.
std::wstring WithoutMnemonics(const wchar_t* text)
{
    std::wstring out;
    for (; *text; ++text) out += (text[0] == L'&' && text[1]) ? *++text : *text;
    return out;
}

// What a button's frame or box takes from its client width, as the buttons lay out their text.
int ButtonMargin(HDC dc, LONG style)
{
    switch (style & BS_TYPEMASK) {
    case BS_CHECKBOX: case BS_AUTOCHECKBOX: case BS_RADIOBUTTON: case BS_AUTORADIOBUTTON:
    case BS_3STATE: case BS_AUTO3STATE: {
        INT digit = 0;  // the box (12 pixels at 96 dpi, and one) and half a digit's gap
        GetCharWidth32W(dc, L'0', L'0', &digit);
        return 12 * GetDeviceCaps(dc, LOGPIXELSX) / 96 + 1 + digit / 2;
    }
    case BS_GROUPBOX: return 2 * 7;       // the caption's inset from both ends of the frame
    case BS_DEFPUSHBUTTON: return 2 * 3;  // the default frame and the bevel
    default: return 2 * 2;                // the bevel
    }
}

BOOL CALLBACK MeasureControl(HWND control, LPARAM out)
{
    wchar_t cls[32] = L"", text[512] = L"";
    GetClassNameW(control, cls, 32);
    GetWindowTextW(control, text, 512);
    const bool isStatic = lstrcmpiW(cls, L"Static") == 0;
    const LONG style = GetWindowLongW(control, GWL_STYLE), type = style & SS_TYPEMASK;
    if (!IsWindowVisible(control) || !text[0] || (!isStatic && lstrcmpiW(cls, L"Button") != 0) ||
        (isStatic && type > SS_RIGHT && type != SS_SIMPLE && type != SS_LEFTNOWORDWRAP)) {
        return TRUE;  // no text, or a picture or line
    }
    const bool prefix = !(isStatic && (style & SS_NOPREFIX));
    const std::wstring drawn = prefix ? WithoutMnemonics(text) : std::wstring(text);

    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, (HGDIOBJ)SendMessageW(control, WM_GETFONT, 0, 0));
    RECT client;
    GetClientRect(control, &client);
    const int room = client.right - (isStatic ? 0 : ButtonMargin(dc, style));
    SIZE extent{};
    GetTextExtentPoint32W(dc, drawn.c_str(), (int)drawn.size(), &extent);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    if (isStatic && type <= SS_RIGHT && client.bottom >= 2 * tm.tmHeight) {
        // A static with room for more lines wraps its text, as it draws it.
        RECT r{0, 0, room, 0};
        DrawTextW(dc, text, -1, &r, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | (prefix ? 0 : DT_NOPREFIX));
        Append(*(std::string*)out, GetDlgCtrlID(control), cls, r.right, room, r.bottom, client.bottom, drawn);
    } else {
        Append(*(std::string*)out, GetDlgCtrlID(control), cls, extent.cx, room, 0, 0, drawn);
    }
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return TRUE;
}

// The menu bar keeps its items in one row (a wrapped bar takes its height from the view).
void MeasureMenuBar(HWND window, std::string& out)
{
    HMENU menu = GetMenu(window);
    MENUBARINFO bar{};
    bar.cbSize = sizeof bar;
    if (!menu || !GetMenuBarInfo(window, OBJID_MENU, 0, &bar)) return;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        RECT item{};
        wchar_t text[256] = L"";
        GetMenuItemRect(window, menu, (UINT)i, &item);
        GetMenuStringW(menu, (UINT)i, text, 256, MF_BYPOSITION);
        Append(out, i, L"MenuBar", item.right - bar.rcBar.left, bar.rcBar.right - bar.rcBar.left,
               item.bottom - bar.rcBar.top, GetSystemMetrics(SM_CYMENU), WithoutMnemonics(text));
    }
}

void Measure(HWND window, DWORD tester)
{
    std::string out;
    if (!(GetWindowLongW(window, GWL_STYLE) & WS_CHILD)) MeasureMenuBar(window, out);
    EnumChildWindows(window, MeasureControl, (LPARAM)&out);
    const std::string name = kFitProbeName + std::to_string(tester);
    HANDLE mapping = OpenFileMappingA(FILE_MAP_WRITE, FALSE, name.c_str());
    HANDLE done = OpenEventA(EVENT_MODIFY_STATE, FALSE, (name + ".done").c_str());
    char* view = mapping ? (char*)MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, kFitProbeBytes) : nullptr;
    if (view) {
        lstrcpynA(view, out.c_str(), kFitProbeBytes);
        UnmapViewOfFile(view);
    }
    if (done) SetEvent(done), CloseHandle(done);
    if (mapping) CloseHandle(mapping);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK FitProbeHook(int code, WPARAM removed, LPARAM lp)
{
    static const UINT probe = RegisterWindowMessageA(kFitProbeName);
    MSG* msg = (MSG*)lp;
    if (code == HC_ACTION && removed == PM_REMOVE && msg->message == probe) {
        Measure(msg->hwnd, (DWORD)msg->wParam);  // wParam: the test's process id
        msg->message = WM_NULL;
    }
    return CallNextHookEx(nullptr, code, removed, lp);
}
