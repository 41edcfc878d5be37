// The resources as built into zorvex.exe: texts reach Windows as code page 932, keys and
// bitmaps as the program's view and menus expect them.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "tests/app/gui/GuiDriver.h"

namespace {

class Resources : public ::testing::Test {
protected:
    void SetUp() override
    {
        module_ = LoadLibraryExA(WinePath(ZV_ZORVEX_EXE).c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(nullptr, module_);
    }
    void TearDown() override
    {
        if (module_) FreeLibrary(module_);
    }
    HMODULE module_ = nullptr;
};

}  // namespace

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
    for (int id : {103, 131}) EXPECT_NE(nullptr, FindResourceA(module_, MAKEINTRESOURCEA(id), (LPCSTR)RT_DIALOG)) << id;
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
