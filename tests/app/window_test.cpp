// The main window's panes and layout, its title, the menu's enabled items
// and the window icon for each layout, and the keys of the accelerator
// table.
#include "app_test_support.h"

#include <commctrl.h>

#include "gxt/gxt.h"
#include "resources/resource.h"

namespace {

struct Expected {
    RECT preview, tables, entries;
    int textColumn;
};

int columnWidth(int column) { return (int)SendMessageA(gShell.entryList, LVM_GETCOLUMNWIDTH, column, 0); }

// Where the panes belong, worked out from the client size and the fonts.
Expected expectedLayout(bool stringListView) {
    RECT client;
    GetClientRect(gShell.mainWindow, &client);
    const int w = client.right, h = client.bottom;
    const int s = GetSystemMetrics(SM_CXVSCROLL) + 2 * GetSystemMetrics(SM_CXEDGE);
    const int p = gDisplay.previewHeight * 38 / 10 + gDisplay.previewLeading;
    const int tableWidth = (int)(15 * gDisplay.avgCharWidth / 2) + s + 4;
    const int left = stringListView ? 0 : tableWidth + 2;
    Expected e;
    e.preview = {0, 0, w, p};
    e.tables = {0, p + 2, tableWidth, h};
    e.entries = {left, p + 2, w, h};
    e.textColumn = (w - left) - s - columnWidth(0);
    return e;
}

::testing::AssertionResult sameRect(const RECT& got, const RECT& want) {
    if (EqualRect(&got, &want)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << got.left << "," << got.top << ")-(" << got.right << ","
                                         << got.bottom << ") instead of (" << want.left << "," << want.top
                                         << ")-(" << want.right << "," << want.bottom << ")";
}

void expectLayout(bool stringListView) {
    Expected e = expectedLayout(stringListView);
    EXPECT_TRUE(sameRect(childRect(gShell.previewPane), e.preview));
    if (!stringListView) {
        EXPECT_TRUE(sameRect(childRect(gShell.tableList), e.tables));
    }
    EXPECT_TRUE(sameRect(childRect(gShell.entryList), e.entries));
    EXPECT_EQ(columnWidth(1), e.textColumn);
}

std::string title() {
    char text[128] = {};
    GetWindowTextA(gShell.mainWindow, text, sizeof text);
    return text;
}

bool enabled(UINT id) { return !(GetMenuState(gShell.menu, id, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)); }

using WindowTest = ShellTest;

TEST_F(WindowTest, PanesFillTheClientAreaWithTwoPixelGaps) {
    ASSERT_GT(gDisplay.previewHeight, 0);
    ASSERT_GT(gDisplay.avgCharWidth, 0u);
    EXPECT_GT(gDisplay.sampleHeight, 0);
    expectLayout(false);
    EXPECT_EQ(GetDlgCtrlID(gShell.tableList), IDC_TABLE_LIST);
    EXPECT_EQ(GetDlgCtrlID(gShell.entryList), IDC_ENTRY_LIST);
    EXPECT_EQ(GetDlgCtrlID(gShell.previewPane), IDC_PREVIEW);
    EXPECT_TRUE(SendMessageA(gShell.entryList, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_FULLROWSELECT);

    // Every resize lays them out again and records the placement.
    SetWindowPos(gShell.mainWindow, nullptr, 20, 30, 910, 640, SWP_NOZORDER);
    expectLayout(false);
    EXPECT_EQ(gSettings.posX, 20);
    EXPECT_EQ(gSettings.posY, 30);
    EXPECT_EQ(gSettings.width, 910);
    EXPECT_EQ(gSettings.height, 640);

    // Dragging the key column's divider gives the text column the rest of
    // the list.
    HWND header = (HWND)SendMessageA(gShell.entryList, LVM_GETHEADER, 0, 0);
    const int divider = columnWidth(0);
    SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(divider, 5));
    SendMessageA(header, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(divider + 40, 5));
    SendMessageA(header, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(divider + 70, 5));
    SendMessageA(header, WM_LBUTTONUP, 0, MAKELPARAM(divider + 70, 5));
    pumpMessages();
    EXPECT_EQ(columnWidth(0), divider + 70);
    expectLayout(false);
}

TEST_F(WindowTest, TheTitleNamesTheFileWithinItsBuffer) {
    setTitle("example.gxt");
    EXPECT_EQ(title(), "example.gxt - Vorn");
    const std::string sixty = "abcdefghij0123456789ABCDEFGHIJ0123456789klmnopqrst0123456789";
    setTitle(sixty.c_str());
    EXPECT_EQ(title(), sixty.substr(0, 48) + " - Vorn");
    setTitle(nullptr);
    EXPECT_EQ(title(), "Vorn");

    ASSERT_EQ(open(samplePath("example-at.gxt")), 1);
    EXPECT_EQ(title(), "example-at.gxt - Vorn");
    command(IDM_CLOSE_GXT);
    EXPECT_EQ(title(), "Vorn");
}

// The items that need a document, and the two that need hashed keys.
const UINT kDocumentItems[] = {IDM_SAVE_GXT_AS, IDM_CLOSE_GXT,   IDM_OPEN_STRING_LIST, IDM_CLOSE_STRING_LIST,
                               IDM_IMPORT_TEXT, IDM_EXPORT_ID_LIST, IDM_EXPORT_TEXT,  IDM_MODIFY_STRING,
                               IDM_FIND,        IDM_FIND_NEXT};
const UINT kHashItems[] = {IDM_IMPORT_ID_LIST, IDM_GUESS_ID};
const UINT kAlwaysItems[] = {IDM_OPEN_GXT,    IDM_EXIT,       IDM_IMPORT_DECODE_TABLE, IDM_EXPORT_DECODE_TABLE,
                             IDM_DECODE_TABLE, IDM_PREVIEW_FONT, IDM_MAIN_FONT,        IDM_PREVIEW_BACK_COLOR,
                             IDM_BACK_COLOR,  IDM_TEXT_COLOR, IDM_HASH_COLOR,          IDM_ABOUT};

void expectMenu(bool document, bool hashed) {
    for (UINT id : kDocumentItems) EXPECT_EQ(enabled(id), document) << id;
    for (UINT id : kHashItems) EXPECT_EQ(enabled(id), hashed) << id;
    for (UINT id : kAlwaysItems) EXPECT_TRUE(enabled(id)) << id;
}

void expectIcons(HICON* pair) {
    EXPECT_EQ((HICON)SendMessageA(gShell.mainWindow, WM_GETICON, ICON_BIG, 0), pair[ICON_32]);
    EXPECT_EQ((HICON)SendMessageA(gShell.mainWindow, WM_GETICON, ICON_SMALL, 0), pair[ICON_16]);
}

TEST_F(WindowTest, MenuAndIconFollowTheLayoutOfTheOpenFile) {
    expectMenu(false, false);
    expectIcons(gShell.noDocumentIcons);
    struct Case {
        const char* sample;
        int icon;
        bool hashed;
    };
    const Case cases[] = {{"example-0.gxt", 0, false},
                          {"example-1.gxt", 1, false},
                          {"example-2.gxt", 2, true},
                          {"example-at.gxt", 3, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sample);
        ASSERT_EQ(open(samplePath(c.sample)), 1);
        expectMenu(true, c.hashed);
        expectIcons(gShell.variantIcons[c.icon]);
        EXPECT_NE(gShell.variantIcons[c.icon][ICON_32], nullptr);
    }
    // Four layouts, four different pictures, none of them the program's.
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            if (i != j) {
                EXPECT_NE(gShell.variantIcons[i][ICON_32], gShell.variantIcons[j][ICON_32]);
            }
    command(IDM_CLOSE_GXT);
    expectMenu(false, false);
    expectIcons(gShell.noDocumentIcons);
}

TEST_F(WindowTest, CtrlOAndCtrlSReachOpenAndSaveAsOnlyWhileTheyAreEnabled) {
    // Nothing open: Save GXT as is greyed and Ctrl+S opens no dialog.
    pressAccelerator('S', true);
    EXPECT_TRUE(driver.seen().empty());
    // A key sent as an accelerator command for a greyed item does nothing
    // either, whichever way it arrives.
    SendMessageA(gShell.mainWindow, WM_COMMAND, MAKEWPARAM(IDM_SAVE_GXT_AS, 1), 0);
    EXPECT_TRUE(driver.seen().empty());

    driver.then(DialogDriver::press(IDCANCEL));
    EXPECT_TRUE(pressAccelerator('O', true));
    ASSERT_EQ(driver.seen().size(), 1u);

    ASSERT_EQ(open(samplePath("example-0.gxt")), 1);
    driver.then(DialogDriver::press(IDCANCEL));
    EXPECT_TRUE(pressAccelerator('S', true));
    EXPECT_EQ(driver.seen().size(), 2u);
    // Without Ctrl the letters are no keys of the program.
    EXPECT_FALSE(pressAccelerator('S', false));
    EXPECT_EQ(driver.seen().size(), 2u);
}

TEST_F(WindowTest, TheFileDialogHasOneFilterAndAddsItsExtension) {
    // Too long a filter name or extension: no dialog, as if cancelled.
    EXPECT_EQ(fileDialog(std::string(51, 'f').c_str(), "gxt", nullptr, 0), nullptr);
    EXPECT_EQ(fileDialog("GTA Text (*.gxt)", "abcdef", nullptr, 1), nullptr);
    EXPECT_TRUE(driver.seen().empty());

    driver.then(DialogDriver::choosePath(dir.file("typed")));
    uint16_t offset = 0;
    const char* path = fileDialog(gShell.strings.filterGxt, gShell.strings.extGxt, &offset, 1);
    ASSERT_NE(path, nullptr);
    EXPECT_EQ(std::string(path), dir.file("typed.gxt"));
    EXPECT_STREQ(path + offset, "typed.gxt");
    const std::string filter(gShell.filter, sizeof gShell.filter);
    // The name, its pattern, and the empty entry that ends the list.
    const std::string zeros(2, '\0');
    EXPECT_EQ(filter.substr(0, filter.find(zeros) + 2), gShell.strings.filterGxt + std::string(1, '\0') + "*.gxt" + zeros);
}

}  // namespace
