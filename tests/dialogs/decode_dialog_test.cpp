// The decode-table dialog on the real main window: the grid of the 224
// slots, the in-place editor opened by a double-click, and the document's
// text changing only on Apply or Load.
#include "app_test_support.h"

#include <commctrl.h>

#include "decode/decode_table.h"
#include "gxt/gxt.h"
#include "preview/preview_state.h"
#include "resources/resource.h"

namespace {

class DecodeDialogTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        decodeTable::reset();
        openGenerated('@', {{"PAIR", 0, "AB"}, {"OTHER", 0, "xyz"}});
        markRow(0);
        PostMessageA(gShell.mainWindow, MSG_SHOW_SELECTED, 0, 0);
        pumpMessages();
    }
    void TearDown() override {
        ShellTest::TearDown();
        decodeTable::reset();
    }
    static HWND grid(HWND dialog) { return GetDlgItem(dialog, IDC_DECODE_GRID); }
    static HWND editor(HWND dialog) { return FindWindowExA(grid(dialog), nullptr, "Edit", nullptr); }
    // A cell's centre; row 14 is a point just below the last row.
    static POINT cellCentre(HWND dialog, int row, int column) {
        RECT r = {LVIR_BOUNDS, column, 0, 0};
        SendMessageA(grid(dialog), LVM_GETSUBITEMRECT, row < 14 ? row : 13, (LPARAM)&r);
        if (column == 0) r.right = r.left + (int)SendMessageA(grid(dialog), LVM_GETCOLUMNWIDTH, 0, 0);
        const int below = row < 14 ? 0 : (r.bottom - r.top) / 2 + 4;
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2 + below};
    }
    static uint8_t shownFor(int code) { return gDecodeTable.slots[code - 32].character; }
    void clickButton(HWND dialog, int id) {
        SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
        pumpMessages(dialog);
    }
};

// The editor over the cell of code 'A' (row 2, column 1), its text
// selected. Keys go to the editor, not to the dialog, and nothing reaches
// the document but through Apply.
TEST_F(DecodeDialogTest, TheEditorExchangesTwoSlots) {
    const struct {
        int row;          // 14: below the rows, where no editor opens
        const char* typed;
        WORD key;         // 0: a click on another cell; VK_CANCEL: the title bar's close box
        char exchanged;   // what 'A' then shows, 0: nothing changes
    } cases[] = {
        {2, "B", VK_RETURN, 'B'},  {2, "Z", 0, 'Z'},          {2, "C", VK_ESCAPE, 0}, {2, "\b", VK_RETURN, 0},
        {2, "A", VK_RETURN, 0},    {2, "Q", VK_CANCEL, 0},    {14, "", 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        const std::string before = cellText(0, 1);
        const bool applied = c.exchanged && !c.key;  // Apply pressed after the click only
        onDialog([&](HWND dialog) {
            clickAt(dialog, grid(dialog), cellCentre(dialog, c.row, 1), 2);
            HWND edit = editor(dialog);
            ASSERT_EQ(edit != nullptr, c.row < 14);
            if (!edit) return;
            EXPECT_EQ(GetFocus(), edit);
            DWORD from = 9, to = 9;
            SendMessageA(edit, EM_GETSEL, (WPARAM)&from, (LPARAM)&to);
            EXPECT_TRUE(from == 0 && to == 1) << "the cell's character selected";
            typeText(dialog, edit, c.typed);
            if (c.key == VK_CANCEL) {
                SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
                EXPECT_FALSE(IsWindowVisible(dialog));
                return;
            }
            if (c.key) pressKey(dialog, edit, c.key);
            else clickAt(dialog, grid(dialog), cellCentre(dialog, 5, 5));
            EXPECT_EQ(editor(dialog), nullptr);
            EXPECT_TRUE(IsWindowVisible(dialog)) << "the key was the editor's";
            EXPECT_EQ(cellText(2, 1, grid(dialog)), std::string(1, c.exchanged ? c.exchanged : 'A'));
            EXPECT_EQ(cellText(0, 1), before);
            if (applied) {
                clickButton(dialog, IDC_DECODE_APPLY);
                const std::string shown = {(char)shownFor('A'), (char)shownFor('B')};
                EXPECT_EQ(cellText(0, 1), shown);
                EXPECT_STREQ(gPreview.text, shown.c_str());
            }
        });
        command(IDM_DECODE_TABLE);
        if (!applied) {
            EXPECT_EQ(cellText(0, 1), before) << "closing the dialog applies nothing";
        }
        for (int code = 32; code < 256; ++code) {
            const int other = code == 'A' ? c.exchanged : code == c.exchanged ? 'A' : 0;
            EXPECT_EQ(shownFor(code), other ? other : code) << code;
        }
        EXPECT_EQ(gShell.gxtModified, 0u);
        decodeTable::reset();
    }
}

TEST_F(DecodeDialogTest, LoadAppliesAtOnceAndSaveWritesTheTable) {
    std::string descending;
    for (int c = 255; c >= 32; --c) descending += (char)c;
    const std::string table = dir.file("reverse.tbl"), broken = dir.file("broken.tbl"), saved = dir.file("saved.tbl");
    ASSERT_TRUE(writeFile(table, descending));
    ASSERT_TRUE(writeFile(broken, "too short"));
    onDialog([&](HWND dialog) {
        driver.then(DialogDriver::choosePath(table));
        clickButton(dialog, IDC_DECODE_LOAD);
        EXPECT_EQ(cellText(0, 0, grid(dialog)), "\xFF");
        EXPECT_EQ(cellText(13, 15, grid(dialog)), " ");
        // Loading applied the table: 'A' (65) now shows as 255 - 33 = 222.
        EXPECT_EQ(cellText(0, 1), "\xDE\xDD");
        // A file that is no table leaves the table and the grid as they were.
        driver.then(DialogDriver::choosePath(broken));
        driver.then(DialogDriver::press(IDOK));  // the failure's message
        clickButton(dialog, IDC_DECODE_LOAD);
        EXPECT_EQ(cellText(0, 0, grid(dialog)), "\xFF");
        driver.then(DialogDriver::choosePath(saved));
        clickButton(dialog, IDC_DECODE_SAVE);
        EXPECT_TRUE(IsWindowVisible(dialog));
    });
    command(IDM_DECODE_TABLE);
    EXPECT_EQ(readFile(saved), descending);
    EXPECT_EQ(gShell.gxtModified, 0u);
}

}  // namespace
