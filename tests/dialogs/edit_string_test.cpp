// The Edit string dialog on the real main window: what it shows, what OK
// stores and marks, and what it refuses.
#include "app_test_support.h"

#include <commctrl.h>

#include <cwchar>
#include <string>

#include "gxt/gxt.h"
#include "platform/platform.h"
#include "preview/preview_state.h"
#include "resources/resource.h"

namespace {

class EditStringTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        openGenerated('@', {{"FIRST", 0, "Hello there"}, {"SECOND", 0, "Second text"},
                            {"LONG", 0, std::string(4097, 'x')}});
        // Rows lie in the order of the texts: FIRST, SECOND, LONG.
        ASSERT_STREQ(rowText(0), "Hello there");
    }
    HWND newText(HWND dialog) { return GetDlgItem(dialog, IDC_EDIT_NEW_TEXT); }
    bool edited(uint32_t row) { return entryReplacementText(entryAtRow(row)) != nullptr; }
};

// What each way of leaving the dialog stores: Enter and OK store a text
// that differs from the row's, even only in case or by a deleted letter;
// Escape, Cancel and an unchanged text store nothing.
TEST_F(EditStringTest, OkStoresOnlyAChangedTextAndCancelNothing) {
    const std::string kLongest(4095, 'x');  // the longest text an edit may store
    struct Case {
        uint32_t row;
        uint32_t from, to;        // the selection typed over
        const char* typed;        // "\b" deletes it
        WORD key;                 // VK_RETURN or VK_ESCAPE, pressed; IDCANCEL or 0 (OK), clicked
        const char* stored;       // null: nothing stored
    } cases[] = {
        {0, 0, 0, "", VK_RETURN, nullptr},
        {0, 0, 11, "dropped", VK_ESCAPE, nullptr},
        {1, 0, 11, "dropped too", IDCANCEL, nullptr},
        {1, 0, 1, "s", 0, "second text"},
        {1, 10, 11, "\b", 0, "second tex"},
        {2, 0, 2, "\b", 0, kLongest.c_str()},
        {0, 5, 11, ", world", VK_RETURN, "Hello, world"},  // Enter is OK, not a new line
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        const std::string before = rowText(c.row);
        const uint32_t modified = gShell.gxtModified;
        markRow((int)c.row);
        onDialog([&](HWND dialog) {
            SendMessageA(newText(dialog), EM_SETSEL, c.from, c.to);
            typeText(dialog, newText(dialog), c.typed);
            if (c.key == VK_RETURN || c.key == VK_ESCAPE) {
                pressKey(dialog, newText(dialog), c.key);
            } else {
                SendMessageA(dialog, WM_COMMAND, c.key ? c.key : IDOK, 0);
            }
            EXPECT_FALSE(IsWindowVisible(dialog));
        });
        command(IDM_MODIFY_STRING);
        EXPECT_EQ(std::string(rowText(c.row)), c.stored ? c.stored : before);
        EXPECT_EQ(gShell.gxtModified, c.stored ? 1u : modified);
    }
    EXPECT_STREQ(gPreview.text, "Hello, world");
    EXPECT_EQ(cellText(0, 1), "Hello, world");

    // Opened again: the edited text beside the file's.
    onDialog([&](HWND dialog) {
        EXPECT_EQ(itemString(dialog, IDC_EDIT_NEW_TEXT), "Hello, world");
        EXPECT_EQ(itemString(dialog, IDC_EDIT_FILE_TEXT), "Hello there");
    });
    command(IDM_MODIFY_STRING);
    // Saved, the file holds the edited texts and is otherwise the same.
    const std::string saved = dir.file("saved.gxt");
    driver.then(DialogDriver::choosePath(saved));
    command(IDM_SAVE_GXT_AS);
    const std::vector<GenEntry> edited = {{"FIRST", 0, "Hello, world"}, {"SECOND", 0, "second tex"},
                                          {"LONG", 0, kLongest}};
    EXPECT_EQ(readFileBytes(saved), generateGxt(GenDocument{'@', {{"MAIN", edited}}}));
}

// A text the document cannot take (longer than any edit may be, a
// character the code page has no byte for, or no memory) is neither stored
// nor marked: the dialog stays open with it as typed, and OK can store it
// once that is possible.
TEST_F(EditStringTest, ARefusedTextKeepsTheDialogOpenAndTheDocumentUnmarked) {
    struct Case {
        int row;
        const wchar_t* typed;  // put before the text, or null for none
        const char* said;      // in the message
    };
    const Case cases[] = {
        {2, nullptr, "4095"},  // the 4097 characters from the file, one deleted
        {0, L"\x0131", "U+0131"},
        {1, L"a\xD83D\xDE00", "U+1F600"},
    };
    for (const Case& c : cases) {
        markRow(c.row);
        std::wstring kept;
        onDialog([&](HWND dialog) {
            if (c.typed) {
                SendMessageW(newText(dialog), EM_REPLACESEL, TRUE, (LPARAM)c.typed);
            } else {
                SendMessageA(newText(dialog), EM_SETSEL, 0, 1);
                typeText(dialog, newText(dialog), "\b");
            }
            const int length = GetWindowTextLengthW(newText(dialog));
            driver.then(DialogDriver::press(IDOK));
            SendMessageA(dialog, WM_COMMAND, IDOK, 0);
            EXPECT_TRUE(IsWindowVisible(dialog));
            kept.resize(length + 1);
            GetWindowTextW(newText(dialog), kept.data(), length + 1);
            SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        const size_t before = driver.seen.size();
        command(IDM_MODIFY_STRING);
        EXPECT_EQ(driver.seen.size(), before + 2) << c.said;
        EXPECT_NE(driver.seen.back().text.find(c.said), std::string::npos) << driver.seen.back().text;
        if (c.typed) {
            EXPECT_EQ(kept.substr(0, wcslen(c.typed)), c.typed);
        }
        EXPECT_FALSE(edited((uint32_t)c.row));
        EXPECT_EQ(gShell.gxtModified, 0u);
    }

    markRow(0);
    uint32_t refused = 0;
    onDialog([&](HWND dialog) {
        SetWindowTextA(newText(dialog), "Kept while memory runs out");
        // Every allocation OK makes fails in turn until none is left to fail.
        for (uint32_t n = 1; IsWindowVisible(dialog); ++n) {
            ASSERT_LT(n, 10u);
            faultReset();
            faultArm(FAULT_ALLOC, n);
            SendMessageA(dialog, WM_COMMAND, IDOK, 0);
            if (!IsWindowVisible(dialog)) break;
            refused = n;
            EXPECT_EQ(itemString(dialog, IDC_EDIT_NEW_TEXT), "Kept while memory runs out");
            EXPECT_FALSE(edited(0));
            EXPECT_EQ(gShell.gxtModified, 0u);
        }
        faultReset();
    });
    command(IDM_MODIFY_STRING);
    EXPECT_GE(refused, 2u) << "the dialog's buffer and the document's copy";
    EXPECT_STREQ(rowText(0), "Kept while memory runs out");
    EXPECT_EQ(gShell.gxtModified, 1u);
}

}  // namespace
