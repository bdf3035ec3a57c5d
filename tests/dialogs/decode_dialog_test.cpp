// The decode-table dialog on the real main window: the grid of the 224
// slots, the in-place editor opened by a double-click (committing on Enter
// and on losing the focus, cancelling on Escape and on closing the
// dialog), and the document's text changing only on Apply or Load.
#include "dialog_test_support.h"

#include <commctrl.h>

#include <functional>
#include <iterator>

#include "decode/decode_table.h"
#include "gxt/gxt.h"
#include "preview/preview_state.h"
#include "resources/resource.h"

namespace {

class DecodeDialogTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        decodeTable::reset();
        GenDocument doc;
        doc.variant = '@';
        doc.tables.push_back({"MAIN", {{"PAIR", 0, "AB"}, {"OTHER", 0, "xyz"}}});
        openGenerated(doc);
        markRow(0);
        PostMessageA(gShell.mainWindow, MSG_SHOW_SELECTED, 0, 0);
        pumpMessages();
    }
    void TearDown() override {
        DialogTest::TearDown();
        decodeTable::reset();
    }
    static HWND grid(HWND dialog) { return GetDlgItem(dialog, IDC_DECODE_GRID); }
    static HWND editor(HWND dialog) { return FindWindowExA(grid(dialog), nullptr, "Edit", nullptr); }
    static std::string cell(HWND dialog, int row, int column) {
        char text[8] = {};
        LVITEMA item = {};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(grid(dialog), LVM_GETITEMTEXTA, row, (LPARAM)&item);
        return text;
    }
    static POINT cellCentre(HWND dialog, int row, int column) {
        RECT r = {};
        r.top = column;
        r.left = LVIR_BOUNDS;
        SendMessageA(grid(dialog), LVM_GETSUBITEMRECT, row, (LPARAM)&r);
        if (column == 0) r.right = r.left + (int)SendMessageA(grid(dialog), LVM_GETCOLUMNWIDTH, 0, 0);
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    // Double-clicks a cell; the editor that opens over it, or null.
    static HWND openEditor(HWND dialog, int row, int column) {
        doubleClickAt(dialog, grid(dialog), cellCentre(dialog, row, column));
        return editor(dialog);
    }
    static uint8_t shownFor(int code) { return gDecodeTable.slots[code - 32].character; }
};

TEST_F(DecodeDialogTest, TheGridShowsEverySlot) {
    decodeTable::assign('A', 'Z');
    onDialog([&](HWND dialog) {
        EXPECT_EQ(SendMessageA(grid(dialog), LVM_GETITEMCOUNT, 0, 0), 14);
        EXPECT_EQ(cell(dialog, 0, 0), " ");
        EXPECT_EQ(cell(dialog, 2, 1), "Z");
        EXPECT_EQ(cell(dialog, 3, 10), "A");
        EXPECT_EQ(cell(dialog, 13, 15), "\xFF");
        const int width = (int)SendMessageA(grid(dialog), LVM_GETCOLUMNWIDTH, 15, 0);
        EXPECT_GT(width, 0);
        EXPECT_EQ(SendMessageA(grid(dialog), LVM_GETCOLUMNWIDTH, 0, 0), width);
        EXPECT_EQ(SendMessageA(grid(dialog), LVM_GETCOLUMNWIDTH, 16, 0), 0);  // no 17th column
    });
    command(IDM_DECODE_TABLE);
}

TEST_F(DecodeDialogTest, EnterCommitsAnExchangeThatTheEntryListShowsAfterApply) {
    onDialog([&](HWND dialog) {
        HWND edit = openEditor(dialog, 2, 1);
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(windowString(edit), "A");
        EXPECT_EQ(GetFocus(), edit);
        DWORD from = 9, to = 9;
        SendMessageA(edit, EM_GETSEL, (WPARAM)&from, (LPARAM)&to);
        EXPECT_EQ(from, 0u);
        EXPECT_EQ(to, 1u);
        typeText(dialog, edit, "B");
        EXPECT_EQ(windowString(edit), "B");
        pressKey(dialog, edit, VK_RETURN);
        EXPECT_EQ(editor(dialog), nullptr);
        EXPECT_TRUE(IsWindowVisible(dialog));  // Enter was the editor's, not OK
        // The two cells exchanged their characters.
        EXPECT_EQ(cell(dialog, 2, 1), "B");
        EXPECT_EQ(cell(dialog, 2, 2), "A");
        EXPECT_EQ(shownFor('A'), 'B');
        EXPECT_EQ(shownFor('B'), 'A');
        // The document still shows what it showed.
        EXPECT_EQ(cellText(0, 1), "AB");
        EXPECT_STREQ(gPreview.text, "AB");
        SendMessageA(GetDlgItem(dialog, IDC_DECODE_APPLY), BM_CLICK, 0, 0);
        pumpDialog(dialog);
        EXPECT_EQ(cellText(0, 1), "BA");
        EXPECT_STREQ(gPreview.text, "BA");
    });
    command(IDM_DECODE_TABLE);
    EXPECT_EQ(gShell.gxtModified, 0u);
}

TEST_F(DecodeDialogTest, AnEditNeverAppliedLeavesTheSavedFileAsItWas) {
    const std::string sample = samplePath("example-0.gxt");
    ASSERT_EQ(open(sample), 1);
    pickTable(0);
    const std::string shown = "Welcome to ~y~Vorn Bay~w~, stranger.";
    ASSERT_EQ(cellText(0, 1), shown);
    onDialog([&](HWND dialog) {
        HWND edit = openEditor(dialog, 4, 5);  // the code 'e'
        ASSERT_NE(edit, nullptr);
        typeText(dialog, edit, "o");
        pressKey(dialog, edit, VK_RETURN);
        EXPECT_EQ(cell(dialog, 4, 5), "o");
        SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    command(IDM_DECODE_TABLE);
    EXPECT_EQ(shownFor('e'), 'o');
    EXPECT_EQ(cellText(0, 1), shown);
    const std::string saved = dir.file("saved.gxt");
    driver.then(DialogDriver::choosePath(saved));
    command(IDM_SAVE_GXT_AS);
    EXPECT_EQ(readFile(saved), readFile(sample));
}

TEST_F(DecodeDialogTest, ClickingElsewhereCommits) {
    onDialog([&](HWND dialog) {
        HWND edit = openEditor(dialog, 2, 1);
        ASSERT_NE(edit, nullptr);
        typeText(dialog, edit, "Z");
        clickAt(dialog, grid(dialog), cellCentre(dialog, 5, 5));
        EXPECT_EQ(editor(dialog), nullptr);
        EXPECT_EQ(shownFor('A'), 'Z');
        EXPECT_EQ(shownFor('Z'), 'A');
        EXPECT_EQ(cell(dialog, 3, 10), "A");
    });
    command(IDM_DECODE_TABLE);
    // Not applied: the document's text is as it was.
    EXPECT_EQ(cellText(0, 1), "AB");
}

// Escape, an emptied or unchanged cell, a double-click below the rows and
// closing the dialog with an edit open all leave the table as it was.
TEST_F(DecodeDialogTest, EditsThatChangeNothing) {
    auto typeInCell = [](HWND dialog, const char* typed, WORD key) {
        HWND edit = openEditor(dialog, 2, 1);
        ASSERT_NE(edit, nullptr);
        typeText(dialog, edit, typed);
        pressKey(dialog, edit, key);
        EXPECT_EQ(editor(dialog), nullptr);
        EXPECT_TRUE(IsWindowVisible(dialog)) << "the key was the editor's";
    };
    const std::function<void(HWND)> cases[] = {
        [&](HWND dialog) { typeInCell(dialog, "C", VK_ESCAPE); },
        [&](HWND dialog) { typeInCell(dialog, "\b", VK_RETURN); },
        [&](HWND dialog) { typeInCell(dialog, "A", VK_RETURN); },
        [](HWND dialog) {
            RECT last = {};
            last.left = LVIR_BOUNDS;
            SendMessageA(grid(dialog), LVM_GETITEMRECT, 13, (LPARAM)&last);
            RECT client;
            GetClientRect(grid(dialog), &client);
            ASSERT_LT(last.bottom + 4, client.bottom) << "the grid has no room below its rows";
            doubleClickAt(dialog, grid(dialog), {(last.left + last.right) / 2, last.bottom + 4});
            EXPECT_EQ(editor(dialog), nullptr);
        },
        [](HWND dialog) {
            HWND edit = openEditor(dialog, 2, 1);
            ASSERT_NE(edit, nullptr);
            typeText(dialog, edit, "Q");
            SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);  // the title bar's close box
            EXPECT_FALSE(IsWindowVisible(dialog));
        },
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        onDialog(cases[i]);
        command(IDM_DECODE_TABLE);
        pumpMessages();
        for (int code = 32; code < 256; ++code) EXPECT_EQ(shownFor(code), code);
    }
}

TEST_F(DecodeDialogTest, LoadAppliesAtOnceAndSaveWritesTheTable) {
    std::string descending;
    for (int c = 255; c >= 32; --c) descending += (char)c;
    const std::string table = dir.file("reverse.tbl");
    ASSERT_TRUE(writeFile(table, descending));
    const std::string broken = dir.file("broken.tbl");
    ASSERT_TRUE(writeFile(broken, "too short"));
    const std::string saved = dir.file("saved.tbl");
    onDialog([&](HWND dialog) {
        driver.then(DialogDriver::choosePath(table));
        SendMessageA(GetDlgItem(dialog, IDC_DECODE_LOAD), BM_CLICK, 0, 0);
        pumpDialog(dialog);
        EXPECT_EQ(cell(dialog, 0, 0), "\xFF");
        EXPECT_EQ(cell(dialog, 13, 15), " ");
        // Loading applied the table: 'A' (65) now shows as 255 - 33 = 222.
        EXPECT_EQ(cellText(0, 1), "\xDE\xDD");

        // A file that is no table leaves the table and the grid as they were.
        driver.then(DialogDriver::choosePath(broken));
        driver.then(DialogDriver::press(IDOK));  // the failure's message
        SendMessageA(GetDlgItem(dialog, IDC_DECODE_LOAD), BM_CLICK, 0, 0);
        pumpDialog(dialog);
        EXPECT_EQ(cell(dialog, 0, 0), "\xFF");

        driver.then(DialogDriver::choosePath(saved));
        SendMessageA(GetDlgItem(dialog, IDC_DECODE_SAVE), BM_CLICK, 0, 0);
        pumpDialog(dialog);
        EXPECT_TRUE(IsWindowVisible(dialog));
    });
    command(IDM_DECODE_TABLE);
    EXPECT_EQ(readFile(saved), descending);
    EXPECT_EQ(gShell.gxtModified, 0u);
}

}  // namespace
