// The entry list: the texts and colours the list asks the program for, the
// keys and clicks that update the preview or send commands, the table
// list's selection and the string-list view.
#include "app_test_support.h"

#include <commctrl.h>

#include <functional>

#include "gxt/gxt.h"
#include "preview/preview_state.h"
#include "resources/resource.h"

namespace {

// What the program answers when the entry list asks how to draw a stage
// of a cell (the list asks for the next stage only when told to).
LRESULT customDraw(DWORD stage, int row = 0, int column = 0, COLORREF* text = nullptr) {
    NMLVCUSTOMDRAW draw = {};
    draw.nmcd.hdr = {gShell.entryList, IDC_ENTRY_LIST, (UINT)NM_CUSTOMDRAW};
    draw.nmcd.dwDrawStage = stage;
    draw.nmcd.dwItemSpec = (DWORD_PTR)row;
    draw.iSubItem = column;
    const LRESULT answer = SendMessageA(gShell.mainWindow, WM_NOTIFY, IDC_ENTRY_LIST, (LPARAM)&draw);
    EXPECT_EQ(draw.clrTextBk, gSettings.mainBack);
    if (text) *text = draw.clrText;
    return answer;
}

COLORREF cellColour(int row, int column) {
    COLORREF text = 0;
    customDraw(CDDS_ITEMPREPAINT | CDDS_SUBITEM, row, column, &text);
    return text;
}

using EntryListTest = ShellTest;

TEST_F(EntryListTest, UnnamedHashesShowInTheHashColourUntilNamedAndKeysUpdateThePreview) {
    // Colours of their own, so that every answer can be told apart.
    gSettings.mainText = RGB(1, 2, 3);
    gSettings.mainHash = RGB(4, 5, 6);
    ASSERT_EQ(open(samplePath("example-at.gxt")), 1);
    pickTable(0);
    ASSERT_EQ(itemCount(), 10);
    EXPECT_EQ(cellText(0, 0), "f4744c2c");
    EXPECT_EQ(cellText(2, 0), "025a78c1") << "eight digits, leading zeros kept";

    const std::string ids = dir.file("names.ids");
    ASSERT_TRUE(writeFile(ids, "INTRO_1\r\nHELP_FIR\r\n"));
    ASSERT_EQ(importIdList(ids.c_str()), 1);
    EXPECT_EQ(gShell.gxtModified + gShell.idListModified, 0u) << "an ID list marks nothing";
    EXPECT_EQ(cellText(0, 0), "INTRO_1");
    EXPECT_EQ(cellText(2, 0), "HELP_FIR");

    EXPECT_EQ(customDraw(CDDS_PREPAINT) & CDRF_NOTIFYITEMDRAW, CDRF_NOTIFYITEMDRAW);
    EXPECT_EQ(customDraw(CDDS_ITEMPREPAINT) & CDRF_NOTIFYSUBITEMDRAW, CDRF_NOTIFYSUBITEMDRAW);
    EXPECT_EQ(cellColour(0, 0), RGB(1, 2, 3));
    EXPECT_EQ(cellColour(1, 0), RGB(4, 5, 6));
    EXPECT_EQ(cellColour(2, 0), RGB(1, 2, 3));
    EXPECT_EQ(cellColour(1, 1), RGB(1, 2, 3)) << "texts are always in the text colour";

    // Keys that move the selection update the preview.
    SetFocus(gShell.entryList);
    markRow(0);
    for (auto [key, row] : {std::pair{VK_DOWN, 1}, std::pair{VK_END, 9}, std::pair{VK_HOME, 0}}) {
        SendMessageA(gShell.entryList, WM_KEYDOWN, key, 0);
        pumpMessages();
        EXPECT_EQ(SendMessageA(gShell.entryList, LVM_GETSELECTIONMARK, 0, 0), row);
        EXPECT_EQ(gPreview.text, rowText(row));
    }
    // Closing the document shows the banner again.
    command(IDM_CLOSE_GXT);
    EXPECT_EQ(gPreview.text, nullptr);
}

// Choosing a table forgets the row selected in the one before. Enter,
// Space, a right-click and a double-click open their dialogs only for a
// selected row of the rows shown.
TEST_F(EntryListTest, ChoosingATableClearsTheSelectionAndDialogsNeedASelectedRow) {
    ASSERT_EQ(open(samplePath("example-at.gxt")), 1);
    pickTable(0);
    markRow(9);
    pickTable(1);
    ASSERT_EQ(itemCount(), 5);
    EXPECT_EQ(selectionMark(), -1);
    EXPECT_EQ(SendMessageA(gShell.entryList, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED), -1);
    EXPECT_EQ(SendMessageA(gShell.entryList, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_FOCUSED), -1);

    auto click = [](UINT code) {
        NMITEMACTIVATE item = {};
        item.hdr = {gShell.entryList, IDC_ENTRY_LIST, code};
        item.iItem = -1;
        SendMessageA(gShell.mainWindow, WM_NOTIFY, IDC_ENTRY_LIST, (LPARAM)&item);
    };
    const std::function<void()> inputs[] = {
        [] { pressKey(nullptr, gShell.entryList, VK_RETURN); },
        [] { pressKey(nullptr, gShell.entryList, VK_SPACE); },
        [&] { click(NM_RCLICK); },
        [&] { click(NM_DBLCLK); },
    };
    struct Case {
        int mark;
        bool selected;
    };
    const Case cases[] = {{-1, false}, {7, true}, {3, false}, {3, true}};
    for (const Case& c : cases) {
        if (c.selected) markRow(c.mark);
        SendMessageA(gShell.entryList, LVM_SETSELECTIONMARK, 0, c.mark);
        const size_t before = driver.seen.size();
        const bool opens = c.selected && c.mark < itemCount();
        for (const auto& input : inputs) {
            if (opens) driver.then(DialogDriver::press(IDCANCEL));
            input();
        }
        EXPECT_EQ(driver.seen.size() - before, opens ? 4u : 0u) << c.mark;
        markRow(-1);
    }
}

TEST_F(EntryListTest, AStringListTakesTheWholeWidthUntilItIsClosed) {
    ASSERT_EQ(open(samplePath("example-1.gxt")), 1);
    pickTable(1);
    SetFocus(gShell.tableList);
    const std::string list = dir.file("chosen.lst");
    ASSERT_TRUE(writeFile(list, "RACE_GO pause\r\nnobody\r\nHAR_01\r\nRACE_GO"));
    driver.then(DialogDriver::choosePath(list));
    command(IDM_OPEN_STRING_LIST);
    EXPECT_EQ(gShell.stringListView, 1u);
    EXPECT_FALSE(IsWindowVisible(gShell.tableList));
    // The hidden table list takes no focus: not as it hides, not when the
    // window gets the focus back, not after a dialog. Keys move the rows shown.
    EXPECT_EQ(GetFocus(), gShell.entryList);
    SetFocus(gShell.mainWindow);
    EXPECT_EQ(GetFocus(), gShell.entryList);
    driver.then(DialogDriver::press(IDOK));
    command(IDM_ABOUT);
    EXPECT_EQ(GetFocus(), gShell.entryList);
    SendMessageA(GetFocus(), WM_KEYDOWN, VK_DOWN, 0);
    pumpMessages();
    RECT client, entries = childRect(gShell.entryList);
    GetClientRect(gShell.mainWindow, &client);
    EXPECT_EQ(entries.left, 0);
    EXPECT_EQ(entries.right, client.right);
    ASSERT_EQ(itemCount(), 4);
    EXPECT_EQ(cellText(1, 0) + "=" + cellText(1, 1), "PAUSE=Paused");

    command(IDM_CLOSE_STRING_LIST);
    EXPECT_EQ(gShell.stringListView, 0u);
    EXPECT_TRUE(IsWindowVisible(gShell.tableList));
    EXPECT_EQ(SendMessageA(gShell.tableList, LB_GETCURSEL, 0, 0), 1) << "the table list keeps its selection";
    EXPECT_EQ(itemCount(), 5);
    EXPECT_GT(childRect(gShell.entryList).left, 0);
}

}  // namespace
