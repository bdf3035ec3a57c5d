// The Options menu through the real colour chooser, and the menu in the
// language of the session.
#include "app_test_support.h"

#include <commctrl.h>

#include <cstdlib>

#include "preview/preview_pane_win32.h"
#include "resources/resource.h"

namespace {

using OptionsTest = ShellTest;

// Each chosen colour reaches what it paints and the file; the colour
// current when the chooser opened becomes the first custom colour. A
// cancelled chooser changes nothing.
TEST_F(OptionsTest, ChosenColoursArePaintedRememberedAndSaved) {
    const COLORREF text = gSettings.mainText;
    driver.then(DialogDriver::chooseRgb(10, 20, 30));
    command(IDM_TEXT_COLOR);
    EXPECT_EQ(gSettings.mainText, RGB(10, 20, 30));
    EXPECT_EQ(gDisplay.customColors[0], text);
    EXPECT_EQ(gDisplay.customColors[14], text);
    driver.then(DialogDriver::press(IDCANCEL));
    command(IDM_HASH_COLOR);
    EXPECT_EQ(gSettings.mainHash, RGB(0xCC, 0xCC, 0xCC));
    EXPECT_EQ(gDisplay.customColors[0], text);

    driver.then(DialogDriver::chooseRgb(0, 64, 128));
    command(IDM_BACK_COLOR);
    driver.then(DialogDriver::chooseRgb(200, 100, 50));
    command(IDM_PREVIEW_BACK_COLOR);
    EXPECT_EQ((COLORREF)SendMessageA(gShell.entryList, LVM_GETBKCOLOR, 0, 0), RGB(0, 64, 128));
    LOGBRUSH brush = {};
    GetObjectA(gShell.listBrush, sizeof brush, &brush);
    EXPECT_EQ(brush.lbColor, RGB(0, 64, 128));
    GetObjectA((HBRUSH)GetClassLongPtrA(gShell.previewPane, GCLP_HBRBACKGROUND), sizeof brush, &brush);
    EXPECT_EQ(brush.lbColor, RGB(200, 100, 50));

    EXPECT_EQ(closeAndFinish(), 0);
    const std::string file = readFile(configPathBesideExe());
    for (const char* line : {"MainText=a141e\r\n", "MainBack=4080\r\n", "ViewBack=c86432\r\n"})
        EXPECT_NE(file.find(line), std::string::npos) << line << file;
}

// The session's language picks the menu (the strings and dialogs come
// from the same language's resources, which the resource tests compare).
TEST_F(OptionsTest, TheMenuSpeaksTheLanguageOfTheSession) {
    const char* locale = std::getenv("VORN_TEST_LOCALE");
    const bool russian = locale && std::string(locale) == "ru";
    char text[64] = {};
    GetMenuStringA(gShell.menu, 0, text, sizeof text, MF_BYPOSITION);
    // In the Russian session the ANSI code page is 1251.
    EXPECT_STREQ(text, russian ? "&\xD4\xE0\xE9\xEB" : "&File");
    GetMenuStringA(gShell.menu, IDM_OPEN_GXT, text, sizeof text, MF_BYCOMMAND);
    EXPECT_STREQ(text, russian ? "\xCE\xF2\xEA\xF0\xFB\xF2\xFC &GXT...\tCtrl+O" : "Open &GXT...\tCtrl+O");
}

}  // namespace
