// The Windows resources, from a program that links them: every translated
// resource exists in English and Russian with the same commands and
// controls, the texts fit their controls, and the version and manifest
// are there.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "resource.h"

namespace {

constexpr LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
constexpr LANGID kRussian = MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT);
const unsigned kDialogs[] = {IDD_GUESS_ID, IDD_EDIT_STRING, IDD_FIND, IDD_ABOUT, IDD_DECODE_TABLE};
HMODULE self() { return GetModuleHandleW(nullptr); }

BOOL CALLBACK addLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD lang, LONG_PTR param) {
    reinterpret_cast<std::vector<LANGID>*>(param)->push_back(lang);
    return TRUE;
}

// The resource in exactly that language (FindResourceEx alone would fall
// back to another one), or null.
const BYTE* resourceIn(LPCWSTR type, unsigned id, LANGID lang) {
    std::vector<LANGID> langs;
    EnumResourceLanguagesW(self(), type, MAKEINTRESOURCEW(id), addLanguage, (LONG_PTR)&langs);
    if (std::find(langs.begin(), langs.end(), lang) == langs.end()) return nullptr;
    HRSRC found = FindResourceExW(self(), type, MAKEINTRESOURCEW(id), lang);
    return found ? static_cast<const BYTE*>(LockResource(LoadResource(self(), found))) : nullptr;
}

// The length of string id in that language's table: sixteen strings to a
// block, each a count of UTF-16 units and the units. 0: none.
WORD stringLength(unsigned id, LANGID lang) {
    const BYTE* p = resourceIn((LPCWSTR)RT_STRING, id / 16 + 1, lang);
    if (!p) return 0;
    WORD length = 0;
    for (unsigned slot = 0; slot <= id % 16; ++slot) {
        std::memcpy(&length, p, 2);
        p += 2 + 2 * length;
    }
    return length;
}

// The command ids of a menu, depth first, separators as 0.
void menuIds(HMENU menu, std::vector<UINT>* ids) {
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        if (HMENU sub = GetSubMenu(menu, i)) {
            ids->push_back(~0u);
            menuIds(sub, ids);
        } else {
            ids->push_back(GetMenuItemID(menu, i) == ~0u ? 0 : GetMenuItemID(menu, i));
        }
    }
}

std::vector<UINT> menuIn(LANGID lang) {
    std::vector<UINT> ids;
    if (const BYTE* bytes = resourceIn((LPCWSTR)RT_MENU, IDR_MAIN_MENU, lang)) {
        HMENU menu = LoadMenuIndirectW(bytes);
        menuIds(menu, &ids);
        DestroyMenu(menu);
    }
    return ids;
}

// Every English string has a Russian text, except those below 16, which
// serve every language from one English text; the menu has the same
// commands in each.
TEST(Resources, EveryStringAndMenuCommandExistsInEachLanguage) {
    unsigned strings = 0;
    for (unsigned id = 0; id < 256; ++id) {
        if (!stringLength(id, kEnglish)) continue;
        ++strings;
        EXPECT_EQ(stringLength(id, kRussian) > 0, id >= 16) << "string " << id;
    }
    EXPECT_GE(strings, 39u);
    const std::vector<UINT> english = menuIn(kEnglish);
    EXPECT_EQ(std::count_if(english.begin(), english.end(), [](UINT id) { return id != 0 && id != ~0u; }), 24);
    EXPECT_EQ(menuIn(kRussian), english);
}

// Room a button takes beside its text, in pixels.
int chrome(HWND control) {
    char name[16] = {};
    GetClassNameA(control, name, sizeof name);
    if (lstrcmpiA(name, "Button") != 0) return 0;
    switch (GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK) {
    case BS_AUTOCHECKBOX:
    case BS_AUTORADIOBUTTON: return GetSystemMetrics(SM_CXMENUCHECK) + 4;
    case BS_GROUPBOX: return 12;
    default: return 6;
    }
}

// Labels wrap within their rectangle; buttons keep their text on one line.
void expectTextFits(HWND control) {
    wchar_t text[256] = {};
    GetWindowTextW(control, text, 255);
    char name[16] = {};
    GetClassNameA(control, name, sizeof name);
    if (!*text || lstrcmpiA(name, "Edit") == 0) return;
    const bool label = lstrcmpiA(name, "Static") == 0;
    RECT client;
    GetClientRect(control, &client);
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, (HGDIOBJ)SendMessageW(control, WM_GETFONT, 0, 0));
    RECT needed = {0, 0, client.right - chrome(control), 0};
    DrawTextW(dc, text, -1, &needed, DT_CALCRECT | (label ? DT_WORDBREAK | DT_EXPANDTABS : DT_SINGLELINE));
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    EXPECT_LE(needed.right, client.right - chrome(control)) << "control " << (short)GetDlgCtrlID(control);
    if (label) {
        EXPECT_LE(needed.bottom, client.bottom) << "control " << (short)GetDlgCtrlID(control);
    }
}

INT_PTR CALLBACK quietDialog(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

// Each dialog opens in both languages with the same controls, each showing
// its whole text.
TEST(Resources, EachDialogHasTheSameControlsInEachLanguageAndItsTextsFit) {
    INITCOMMONCONTROLSEX init{sizeof init, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&init);
    for (unsigned id : kDialogs) {
        std::vector<int> controls[2];
        for (LANGID lang : {kEnglish, kRussian}) {
            SCOPED_TRACE(testing::Message() << "dialog " << id << " language " << lang);
            const BYTE* bytes = resourceIn((LPCWSTR)RT_DIALOG, id, lang);
            ASSERT_NE(bytes, nullptr);
            HWND dialog = CreateDialogIndirectParamW(self(), (LPCDLGTEMPLATEW)bytes, nullptr, quietDialog, 0);
            ASSERT_NE(dialog, nullptr);
            for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
                controls[lang == kRussian].push_back((short)GetDlgCtrlID(child));
                expectTextFits(child);
            }
            DestroyWindow(dialog);
        }
        EXPECT_GT(controls[0].size(), 3u) << id;
        EXPECT_EQ(controls[1], controls[0]) << id;
    }
}

TEST(Resources, TheVersionIsTheProjectsAndTheManifestTakesEffect) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    DWORD ignored = 0;
    std::vector<char> block(GetFileVersionInfoSizeA(path, &ignored));
    ASSERT_FALSE(block.empty());
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, (DWORD)block.size(), block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", (void**)&fixed, &length));
    unsigned major = 0, minor = 0, patch = 0;
    ASSERT_EQ(std::sscanf(VORN_PROJECT_VERSION, "%u.%u.%u", &major, &minor, &patch), 3);
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(minor, major));
    EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(0, patch));
    for (const char* name : {"ProductVersion", "FileVersion"}) {
        char* value = nullptr;
        const std::string key = std::string("\\StringFileInfo\\040904B0\\") + name;
        ASSERT_TRUE(VerQueryValueA(block.data(), key.c_str(), (void**)&value, &length)) << name;
        EXPECT_STREQ(value, VORN_PROJECT_VERSION) << name;
    }

    // Common Controls 6 from the side-by-side store, as the manifest asks.
    INITCOMMONCONTROLSEX init{sizeof init, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&init);
    wchar_t comctl[MAX_PATH] = {};
    GetModuleFileNameW(GetModuleHandleW(L"comctl32.dll"), comctl, MAX_PATH);
    CharLowerW(comctl);
    EXPECT_NE(std::wstring(comctl).find(L"\\winsxs\\"), std::wstring::npos);
    EXPECT_TRUE(IsProcessDPIAware());
}

}  // namespace
