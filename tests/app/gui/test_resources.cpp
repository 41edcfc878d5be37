// The resources as built into zorvex.exe: texts reach Windows as code page 932, keys and
// bitmaps as the program's view and menus expect them.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <string>

#include "tests/app/gui/GuiDriver.h"

namespace {

class Resources : public ::testing::Test {
protected:
    void SetUp() override
    {
        module_ = LoadLibraryExA(gui::WindowsPath(ZV_ZORVEX_EXE).c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(nullptr, module_);
    }
    void TearDown() override
    {
        if (module_) FreeLibrary(module_);
    }
    HMODULE module_ = nullptr;
};

// A DLGTEMPLATEEX read back: caption, size in dialog units, and each control's id with its text
// converted to code page 932.
struct DialogTemplate {
    std::string caption;
    int width = 0, height = 0;
    std::map<int, std::string> texts;
};

const WORD* SkipSzOrOrd(const WORD* p, std::string* text)
{
    if (*p == 0xFFFF) return p + 2;
    const WORD* start = p;
    while (*p) ++p;
    if (text) {
        char buf[512] = "";
        WideCharToMultiByte(932, 0, (LPCWSTR)start, (int)(p - start), buf, sizeof buf - 1, nullptr, nullptr);
        *text = buf;
    }
    return p + 1;
}

DialogTemplate ReadDialog(HMODULE module, int id)
{
    DialogTemplate out;
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), (LPCSTR)RT_DIALOG);
    if (!found) return out;
    const BYTE* base = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    const WORD* w = reinterpret_cast<const WORD*>(base);
    if (w[1] != 0xFFFF) return out;  // not DIALOGEX
    const int count = w[8];
    out.width = (short)w[11];
    out.height = (short)w[12];
    const WORD* p = SkipSzOrOrd(SkipSzOrOrd(w + 13, nullptr), nullptr);  // menu, class
    p = SkipSzOrOrd(p, &out.caption);
    p += 3;                        // point size, weight, italic and charset
    p = SkipSzOrOrd(p, nullptr);   // typeface
    for (int i = 0; i < count; ++i) {
        p = reinterpret_cast<const WORD*>(((uintptr_t)p + 3) & ~(uintptr_t)3);
        const int itemId = (int)*reinterpret_cast<const DWORD*>(p + 10);
        p = SkipSzOrOrd(p + 12, nullptr);  // class
        std::string text;
        p = SkipSzOrOrd(p, &text);
        p = reinterpret_cast<const WORD*>(reinterpret_cast<const BYTE*>(p + 1) + *p);
        if (itemId != -1 && itemId != 0xFFFF) out.texts[itemId] = text;
    }
    return out;
}

}  // namespace

TEST_F(Resources, SettingsDialogTemplates)
{
    const DialogTemplate send = ReadDialog(module_, 129);
    EXPECT_EQ("赤外線送信の設定", send.caption);
    EXPECT_EQ(331, send.width);
    EXPECT_EQ(209, send.height);
    const std::map<int, std::string> sendTexts = {
        {1, "送信(&S)"}, {2, "キャンセル(&C)"}, {1027, "送信先フォーマット"},
        {1000, "NTTドコモ標準(&I)"}, {1002, "FOMA F2051/F2102V(&F)"}, {1008, "mova P504i/iS(&P)"},
        {1001, "FOMA N2051/N2701(&N)"}, {1009, "FOMA P2102V(&V)"},
        {1020, "Vodafone J-N51 JPEG(&J)"}, {1021, "Vodafone J-N51 ﾃﾞｼﾞｶﾒ(&I)"},
        {1012, "ダイレクト(&D)"}, {1028, "補足情報"}, {1005, ""}, {1006, ""}, {1007, ""},
        {1025, ""}, {1026, ""}, {1014, "(使用不可)"}, {1015, "(使用不可)"}, {1016, "(使用不可)"},
        {1017, "(使用不可)"}, {1029, "再配布"}, {1003, "許可(&E)"}, {1004, "禁止(&I)"}, {1018, ""},
    };
    EXPECT_EQ(sendTexts, send.texts);

    const DialogTemplate serial = ReadDialog(module_, 148);
    EXPECT_EQ("送信 - シリアルポート設定", serial.caption);
    EXPECT_EQ(270, serial.width);
    EXPECT_EQ(175, serial.height);
    std::map<int, std::string> serialTexts = {
        {1, "OK"}, {2, "キャンセル"}, {1035, ""}, {1055, "手動設定"}, {1044, ""},
    };
    const int speeds[] = {110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000,
                          57600, 115200, 128000, 256000};
    const int ids[] = {1038, 1039, 1040, 1041, 1042, 1043, 1046, 1047, 1048, 1049, 1050, 1051,
                       1052, 1053, 1054};
    for (int i = 0; i < 15; ++i) serialTexts[ids[i]] = std::to_string(speeds[i]) + "bps";
    EXPECT_EQ(serialTexts, serial.texts);
}

TEST_F(Resources, MenuTextsAndStates)
{
    HMENU menu = LoadMenuA(module_, MAKEINTRESOURCEA(109));
    ASSERT_NE(nullptr, menu);
    const char* popups[] = {"ファイル(&F)", "通信(&C)", "表示(&V)", "ヘルプ(&H)"};
    ASSERT_EQ(4, GetMenuItemCount(menu));
    for (int i = 0; i < 4; ++i) {
        char text[64] = "";
        GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
        EXPECT_STREQ(popups[i], text);
    }
    const struct {
        UINT id;
        const char* text;
    } items[] = {
        {32771, "開く(&O)\tCtrl+O"}, {32772, "保存(&S)\tCtrl+S"}, {32773, "画像の情報(&I)\tCtrl+I"},
        {105, "Zorvexの終了(&X)"}, {32774, "赤外線受信(&R)\tCtrl+G"}, {32775, "赤外線送信(&S)\tCtrl+P"},
        {32786, "シリアル受信(&E)\tCtrl+E"}, {32787, "シリアル送信(&N)\tCtrl+U"},
        {32785, "フリーモード(&F)"}, {32783, "スクロールモード(&S)"}, {32784, "ストレッチモード(&T)"},
        {32781, "マニュアルを開く(&M)\tF1"}, {32780, "Zorvexのページを開く(&H)"},
        {104, "バージョン情報(&A) ..."},
    };
    for (const auto& item : items) {
        char text[64] = "";
        GetMenuStringA(menu, item.id, text, sizeof text, MF_BYCOMMAND);
        EXPECT_STREQ(item.text, text) << item.id;
        const UINT state = GetMenuState(menu, item.id, MF_BYCOMMAND);
        EXPECT_EQ(item.id == 32786, (state & MF_GRAYED) != 0) << item.id << " grayed";
    }
    DestroyMenu(menu);
}

TEST_F(Resources, AcceleratorTable)
{
    HACCEL table = LoadAcceleratorsA(module_, MAKEINTRESOURCEA(109));
    ASSERT_NE(nullptr, table);
    ACCEL keys[16];
    ASSERT_EQ(10, CopyAcceleratorTableA(table, keys, 16));
    const ACCEL want[] = {
        {FALT, '/', 104}, {FALT, '?', 104},
        {FVIRTKEY | FCONTROL, 'E', 32786}, {FVIRTKEY | FCONTROL, 'G', 32774},
        {FVIRTKEY | FCONTROL, 'I', 32773}, {FVIRTKEY | FCONTROL, 'O', 32771},
        {FVIRTKEY | FCONTROL, 'P', 32775}, {FVIRTKEY | FCONTROL, 'S', 32772},
        {FVIRTKEY | FCONTROL, 'U', 32787}, {FVIRTKEY, VK_F1, 32781},
    };
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(want[i].key, keys[i].key) << i;
        EXPECT_EQ(want[i].cmd, keys[i].cmd) << i;
        EXPECT_EQ(want[i].fVirt | FNOINVERT, keys[i].fVirt | FNOINVERT) << i;
    }
    DestroyAcceleratorTable(table);
}

TEST_F(Resources, StringsDialogsAndIcons)
{
    char text[100] = "";
    LoadStringA(module_, 103, text, sizeof text);
    EXPECT_STREQ("Zorvex", text);
    LoadStringA(module_, 109, text, sizeof text);
    EXPECT_STREQ("ZORVEX", text);
    for (int id : {103, 129, 131, 148}) EXPECT_NE(nullptr, FindResourceA(module_, MAKEINTRESOURCEA(id), (LPCSTR)RT_DIALOG)) << id;
    for (int id : {107, 108}) EXPECT_NE(nullptr, FindResourceA(module_, MAKEINTRESOURCEA(id), (LPCSTR)RT_GROUP_ICON)) << id;
    EXPECT_NE(nullptr, FindResourceA(module_, MAKEINTRESOURCEA(1), (LPCSTR)RT_VERSION));
    EXPECT_NE(nullptr, FindResourceA(module_, MAKEINTRESOURCEA(1), (LPCSTR)RT_MANIFEST));
}

TEST_F(Resources, ViewBitmapsHaveTheirSizesAndDepths)
{
    const struct {
        int id, width, height, bits;
    } bitmaps[] = {
        {134, 264, 100, 8}, {138, 132, 128, 1}, {137, 273, 72, 1}, {135, 273, 72, 8},
        {139, 54, 142, 1}, {142, 31, 100, 1}, {140, 53, 100, 1}, {143, 27, 100, 1},
        {141, 27, 100, 1}, {145, 278, 64, 1}, {147, 278, 64, 8}, {144, 316, 65, 1},
        {146, 316, 65, 8},
    };
    for (const auto& b : bitmaps) {
        HRSRC found = FindResourceA(module_, MAKEINTRESOURCEA(b.id), (LPCSTR)RT_BITMAP);
        ASSERT_NE(nullptr, found) << b.id;
        const auto* info = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(module_, found)));
        ASSERT_NE(nullptr, info);
        EXPECT_EQ(b.width, info->biWidth) << b.id;
        EXPECT_EQ(b.height, info->biHeight) << b.id;
        EXPECT_EQ(b.bits, info->biBitCount) << b.id;
    }
}
