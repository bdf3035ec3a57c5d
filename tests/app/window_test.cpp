// The main window's panes and layout, its title, the menu's enabled items
// and the window icon for each layout.
#include "app_test_support.h"

#include <commctrl.h>

#include "gxt/gxt.h"
#include "resources/resource.h"

namespace {

int columnWidth(int column) { return (int)SendMessageA(gShell.entryList, LVM_GETCOLUMNWIDTH, column, 0); }

std::string edges(RECT r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

// The preview across the top, the table list and the entry list side by
// side below it, two pixels apart, filling the client area; the text column
// takes the rest of the entry list beside the key column, less a scroll bar.
void expectLayout() {
    RECT client;
    GetClientRect(gShell.mainWindow, &client);
    const RECT preview = childRect(gShell.previewPane), tables = childRect(gShell.tableList),
               entries = childRect(gShell.entryList);
    EXPECT_TRUE(preview.bottom > 0 && tables.right > 0);
    const int below = preview.bottom + 2;
    EXPECT_EQ(edges(preview), edges({0, 0, client.right, preview.bottom}));
    EXPECT_EQ(edges(tables), edges({0, below, tables.right, client.bottom}));
    EXPECT_EQ(edges(entries), edges({tables.right + 2, below, client.right, client.bottom}));
    const int scrollBar = GetSystemMetrics(SM_CXVSCROLL) + 2 * GetSystemMetrics(SM_CXEDGE);
    EXPECT_EQ(columnWidth(0) + columnWidth(1), entries.right - entries.left - scrollBar);
}

bool enabled(UINT id) { return !(GetMenuState(gShell.menu, id, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)); }

using WindowTest = ShellTest;

TEST_F(WindowTest, PanesFillTheClientAreaWithTwoPixelGaps) {
    expectLayout();
    // Every resize lays them out again (what the settings keep of it is
    // checked at start-up and exit).
    SetWindowPos(gShell.mainWindow, nullptr, 20, 30, 910, 640, SWP_NOZORDER);
    expectLayout();

    // Dragging the key column's divider gives the text column the rest.
    HWND header = (HWND)SendMessageA(gShell.entryList, LVM_GETHEADER, 0, 0);
    const int divider = columnWidth(0);
    SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(divider, 5));
    SendMessageA(header, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(divider + 40, 5));
    SendMessageA(header, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(divider + 70, 5));
    SendMessageA(header, WM_LBUTTONUP, 0, MAKELPARAM(divider + 70, 5));
    pumpMessages();
    EXPECT_EQ(columnWidth(0), divider + 70);
    expectLayout();
}

// The items that need a document, and the two that need hashed keys.
const UINT kDocumentItems[] = {IDM_SAVE_GXT_AS, IDM_CLOSE_GXT,   IDM_OPEN_STRING_LIST, IDM_CLOSE_STRING_LIST,
                               IDM_IMPORT_TEXT, IDM_EXPORT_ID_LIST, IDM_EXPORT_TEXT,  IDM_MODIFY_STRING,
                               IDM_FIND,        IDM_FIND_NEXT};
const UINT kHashItems[] = {IDM_IMPORT_ID_LIST, IDM_GUESS_ID};

void expectMenu(bool document, bool hashed) {
    for (UINT id : kDocumentItems) EXPECT_EQ(enabled(id), document) << id;
    for (UINT id : kHashItems) EXPECT_EQ(enabled(id), hashed) << id;
}

void expectIcons(HICON* pair) {
    EXPECT_EQ((HICON)SendMessageA(gShell.mainWindow, WM_GETICON, ICON_BIG, 0), pair[ICON_32]);
    EXPECT_EQ((HICON)SendMessageA(gShell.mainWindow, WM_GETICON, ICON_SMALL, 0), pair[ICON_16]);
}

TEST_F(WindowTest, MenuIconAndTitleFollowTheOpenFile) {
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
    }
    // Four layouts, four different pictures.
    for (int i = 1; i < 4; ++i) EXPECT_NE(gShell.variantIcons[i][ICON_32], gShell.variantIcons[i - 1][ICON_32]);
    command(IDM_CLOSE_GXT);
    expectMenu(false, false);
    expectIcons(gShell.noDocumentIcons);
    // A long file name is cut in the title (the title after opening or
    // closing is checked with the save questions).
    const std::string sixty = "abcdefghij0123456789ABCDEFGHIJ0123456789klmnopqrst0123456789";
    setTitle(sixty.c_str());
    EXPECT_EQ(title(), sixty.substr(0, 48) + " - Vorn");
}

}  // namespace
