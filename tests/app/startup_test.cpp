// Start-up and exit: the command line, the settings file beside the
// executable (first run, existing file, the exact file written at exit),
// the window placement kept while maximised or minimised, and the exit codes.
#include "app_test_support.h"

#include <commctrl.h>

#include "gxt/gxt.h"
#include "preview/preview_pane_win32.h"
#include "settings/config_store.h"

namespace {

const char kFirstRunFile[] =
    "\r\n"
    "[Window]\r\nMaximized=0\r\nPosX=0\r\nPosY=0\r\nWidth=750\r\nHeight=550\r\nColNameWidth=80\r\n\r\n"
    "[Colors]\r\nMainText=ffffff\r\nMainHash=cccccc\r\nMainBack=888474\r\nViewBack=888474\r\n\r\n"
    "[Fonts]\r\nMainFace=\"Verdana\"\r\nMainSize=10\r\nMainStyle=0\r\nMainCharset=0\r\n"
    "ViewFace=\"Tahoma\"\r\nViewSize=14\r\nViewStyle=1000\r\nViewCharset=0\r\n\r\n";

// A placement of its own, so that the tests see it was read, and a preview
// font asked for in italics, which the preview never uses.
const char kPlacedFile[] =
    "[Window]\r\nMaximized=0\r\nPosX=40\r\nPosY=30\r\nWidth=640\r\nHeight=480\r\nColNameWidth=120\r\n"
    "[Fonts]\r\nViewStyle=1100\r\n";

// The main window's rectangle on the screen as "left,top widthxheight".
std::string placement() {
    RECT r;
    GetWindowRect(gShell.mainWindow, &r);
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + "x" +
           std::to_string(r.bottom - r.top);
}

using StartupTest = ShellTest;

TEST(CommandLine, EverythingAfterTheProgramsNameIsSkipped) {
    EXPECT_STREQ(commandLineTail("\"C:\\Program Files\\Vorn\\Vorn.exe\"  a.gxt"), "a.gxt");
    EXPECT_STREQ(commandLineTail("Vorn.exe\t \x01 b.gxt c"), "b.gxt c");
    EXPECT_STREQ(commandLineTail("\"C:\\unterminated quote"), "");
    EXPECT_STREQ(commandLineTail("Vorn.exe"), "");
    EXPECT_STREQ(commandLineTail("\"\"x"), "x");
    EXPECT_STREQ(commandLineTail(nullptr), "");
    // Characters above 127 belong to the name, not to the blanks after it.
    EXPECT_STREQ(commandLineTail("V\xE9rn.exe  z"), "z");
}

TEST_F(StartupTest, FirstRunUsesTheDefaultsAndWritesTheWholeFileAtExit) {
    EXPECT_EQ(placement(), "0,0 750x550");
    EXPECT_EQ(SendMessageA(gShell.entryList, LVM_GETCOLUMNWIDTH, 0, 0), 80);
    EXPECT_EQ((COLORREF)SendMessageA(gShell.entryList, LVM_GETBKCOLOR, 0, 0), RGB(0x88, 0x84, 0x74));

    LOGFONTA main = {}, preview = {}, placeholder = {};
    GetObjectA(gDisplay.mainFont, sizeof main, &main);
    GetObjectA(gDisplay.previewFont, sizeof preview, &preview);
    GetObjectA(gDisplay.placeholderFont, sizeof placeholder, &placeholder);
    EXPECT_STREQ(main.lfFaceName, "Verdana");
    EXPECT_EQ(main.lfWeight, 400);
    EXPECT_STREQ(preview.lfFaceName, "Tahoma");
    EXPECT_EQ(preview.lfWeight, 700);
    EXPECT_TRUE(placeholder.lfItalic && placeholder.lfUnderline);
    // 10 and 14 points at the test display's 96 dpi: 13.3 and 18.7 pixels.
    EXPECT_EQ(main.lfHeight, -13);
    EXPECT_EQ(preview.lfHeight, -19);
    // The colour chooser starts with the hash, text and background colours.
    EXPECT_EQ(gDisplay.customColors[13], RGB(0xCC, 0xCC, 0xCC));
    EXPECT_EQ(gDisplay.customColors[15], RGB(0x88, 0x84, 0x74));
    EXPECT_EQ(closeAndFinish(), 0);
    EXPECT_EQ(readFile(configPathBesideExe()), kFirstRunFile);
}

// What the file keeps of a window moved and then resized, maximised or
// minimised: a move alone records nothing while the window runs, and a
// window closed maximised or minimised keeps where it was moved to.
TEST_F(StartupTest, TheFileKeepsTheRestoredPlacement) {
    const struct {
        int show;  // SW_SHOWNORMAL: resized instead
        const char* kept;
    } cases[] = {
        {SW_SHOWNORMAL, "Maximized=0\r\nPosX=70\r\nPosY=60\r\nWidth=700\r\nHeight=500\r\nColNameWidth=95"},
        {SW_MAXIMIZE, "Maximized=1\r\nPosX=70\r\nPosY=60\r\nWidth=640\r\nHeight=480\r\nColNameWidth=120"},
        {SW_MINIMIZE, "Maximized=0\r\nPosX=70\r\nPosY=60\r\nWidth=640\r\nHeight=480\r\nColNameWidth=120"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.show);
        TearDown();
        startWithConfig(kPlacedFile);
        SetWindowPos(gShell.mainWindow, nullptr, 70, 60, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
        const RECT panesBefore = childRect(gShell.entryList);
        if (c.show == SW_SHOWNORMAL) {
            SetWindowPos(gShell.mainWindow, nullptr, 70, 60, 700, 500, SWP_NOZORDER);
            SendMessageA(gShell.entryList, LVM_SETCOLUMNWIDTH, 0, 95);
        } else {
            ShowWindow(gShell.mainWindow, c.show);
            pumpMessages();
            ASSERT_TRUE(c.show == SW_MAXIMIZE ? IsZoomed(gShell.mainWindow) : IsIconic(gShell.mainWindow));
        }
        if (c.show == SW_MINIMIZE) {
            const RECT panesAfter = childRect(gShell.entryList);
            EXPECT_TRUE(EqualRect(&panesBefore, &panesAfter)) << "a minimised window moves no pane";
        }
        EXPECT_EQ(closeAndFinish(), 0);
        const std::string file = readFile(configPathBesideExe());
        EXPECT_NE(file.find(std::string("\r\n[Window]\r\n") + c.kept + "\r\n\r\n"), std::string::npos) << file;
    }
    // Closed maximised, the next start opens maximised and restores to the
    // rectangle kept.
    startWithConfig(("[Window]\r\n" + std::string(cases[1].kept)).c_str());
    EXPECT_TRUE(IsZoomed(gShell.mainWindow));
    ShowWindow(gShell.mainWindow, SW_RESTORE);
    pumpMessages();
    EXPECT_EQ(placement(), "70,60 640x480");
    EXPECT_EQ(gSettings.maximized, 0);
    // So does a start asked to show maximised.
    TearDown();
    startWithConfig(kPlacedFile, SW_SHOWMAXIMIZED);
    EXPECT_TRUE(IsZoomed(gShell.mainWindow));
    LOGFONTA preview = {};
    GetObjectA(gDisplay.previewFont, sizeof preview, &preview);
    EXPECT_EQ(preview.lfWeight, 700);
    EXPECT_FALSE(preview.lfItalic);
}

TEST(StartupRun, AMissingResourceStringEndsWithCodeSevenBeforeAnyWindow) {
    HMODULE other = GetModuleHandleA("ntdll.dll");  // a module without Vorn's string table
    DeleteFileA(configPathBesideExe().c_str());
    configDiscard();
    EXPECT_EQ(vornStartup(other, nullptr, "", SW_SHOWNORMAL), 7);
    EXPECT_EQ(gShell.mainWindow, nullptr);
    EXPECT_EQ(gConfig.heap, nullptr) << "the settings are not read";
    EXPECT_EQ(GetFileAttributesA(configPathBesideExe().c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
