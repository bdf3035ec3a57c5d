// The Edit string dialog on the real main window: what it shows, what OK
// stores and marks, and what it refuses.
#include "dialog_test_support.h"

#include <commctrl.h>

#include "gxt/gxt.h"
#include "platform/platform.h"
#include "preview/preview_state.h"
#include "resources/resource.h"

namespace {

class EditStringTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        GenDocument doc;
        doc.variant = '@';
        doc.tables.push_back({"MAIN", {{"FIRST", 0, "Hello there"}, {"SECOND", 0, "Second text"},
                                        {"LONG", 0, std::string(5000, 'x')}}});
        openGenerated(doc);
        // Rows lie in the order of the texts: FIRST, SECOND, LONG.
        ASSERT_STREQ(rowText(0), "Hello there");
    }
    HWND newText(HWND dialog) { return GetDlgItem(dialog, IDC_EDIT_NEW_TEXT); }
    // Replaces the whole new text as typing over a selection would.
    void replaceNewText(HWND dialog, const std::string& text) {
        SendMessageA(newText(dialog), EM_SETSEL, 0, -1);
        SendMessageA(newText(dialog), EM_REPLACESEL, TRUE, (LPARAM)text.c_str());
    }
    bool edited(uint32_t row) { return entryAtRow(row)->replacementText != nullptr; }
};

TEST_F(EditStringTest, ShowsTheTextTheFileTextAndAGreyedHash) {
    markRow(1);
    onDialog([&](HWND dialog) {
        EXPECT_EQ(itemString(dialog, IDC_EDIT_NEW_TEXT), "Second text");
        EXPECT_EQ(itemString(dialog, IDC_EDIT_FILE_TEXT), "Second text");
        // An unnamed hashed key: its hash, greyed.
        EXPECT_EQ(itemString(dialog, IDC_EDIT_KEY), hashText(genKeyHash('@', "SECOND")));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_EDIT_KEY)));
        // The caret at the start of the new text, nothing selected.
        EXPECT_EQ(GetFocus(), newText(dialog));
        DWORD from = 1, to = 1;
        SendMessageA(newText(dialog), EM_GETSEL, (WPARAM)&from, (LPARAM)&to);
        EXPECT_EQ(from, 0u);
        EXPECT_EQ(to, 0u);
        EXPECT_EQ(SendMessageA(newText(dialog), EM_GETLIMITTEXT, 0, 0), 4095);
    });
    command(IDM_MODIFY_STRING);

    // A named key shows its name, not greyed.
    ASSERT_EQ(setRowName(1, "SECOND"), 1);
    onDialog([&](HWND dialog) {
        EXPECT_EQ(itemString(dialog, IDC_EDIT_KEY), "SECOND");
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_EDIT_KEY)));
    });
    command(IDM_MODIFY_STRING);
}

TEST_F(EditStringTest, OkWithoutAChangeStoresNothing) {
    markRow(0);
    onDialog([&](HWND dialog) { pressKey(dialog, newText(dialog), VK_RETURN); });
    command(IDM_MODIFY_STRING);
    EXPECT_FALSE(edited(0));
    EXPECT_EQ(gShell.gxtModified, 0u);
}

TEST_F(EditStringTest, EnterStoresAChangedTextAndShowsItInThePreview) {
    markRow(0);
    onDialog([&](HWND dialog) {
        SendMessageA(newText(dialog), EM_SETSEL, 5, 11);
        typeText(dialog, newText(dialog), ", world");
        EXPECT_EQ(itemString(dialog, IDC_EDIT_NEW_TEXT), "Hello, world");
        // Enter is OK: the field does not take it for a new line.
        pressKey(dialog, newText(dialog), VK_RETURN);
        EXPECT_FALSE(IsWindowVisible(dialog));
    });
    command(IDM_MODIFY_STRING);
    EXPECT_STREQ(rowText(0), "Hello, world");
    EXPECT_EQ(gShell.gxtModified, 1u);
    pumpMessages();
    EXPECT_STREQ(gPreview.text, "Hello, world");
    EXPECT_EQ(cellText(0, 1), "Hello, world");

    // Opened again: the edited text beside the file's.
    onDialog([&](HWND dialog) {
        EXPECT_EQ(itemString(dialog, IDC_EDIT_NEW_TEXT), "Hello, world");
        EXPECT_EQ(itemString(dialog, IDC_EDIT_FILE_TEXT), "Hello there");
    });
    command(IDM_MODIFY_STRING);
}

TEST_F(EditStringTest, ACaseChangeOrAShorterTextIsAChange) {
    markRow(0);
    onDialog([&](HWND dialog) {
        replaceNewText(dialog, "hello there");
        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    command(IDM_MODIFY_STRING);
    EXPECT_STREQ(rowText(0), "hello there");

    markRow(1);
    onDialog([&](HWND dialog) {
        // Backspace at the end deletes the last character.
        SendMessageA(newText(dialog), EM_SETSEL, 11, 11);
        typeText(dialog, newText(dialog), "\b");
        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    command(IDM_MODIFY_STRING);
    EXPECT_STREQ(rowText(1), "Second tex");
    EXPECT_EQ(gShell.gxtModified, 1u);
}

TEST_F(EditStringTest, CancelAndEscapeChangeNothing) {
    markRow(0);
    onDialog([&](HWND dialog) {
        replaceNewText(dialog, "dropped");
        pressKey(dialog, newText(dialog), VK_ESCAPE);
        EXPECT_FALSE(IsWindowVisible(dialog));
    });
    command(IDM_MODIFY_STRING);
    onDialog([&](HWND dialog) {
        replaceNewText(dialog, "dropped too");
        SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    command(IDM_MODIFY_STRING);
    EXPECT_STREQ(rowText(0), "Hello there");
    EXPECT_FALSE(edited(0));
    EXPECT_EQ(gShell.gxtModified, 0u);
}

TEST_F(EditStringTest, TheFieldTakesAtMost4095Characters) {
    markRow(0);
    onDialog([&](HWND dialog) {
        replaceNewText(dialog, std::string(5000, 'y'));
        EXPECT_EQ(GetWindowTextLengthA(newText(dialog)), 4095);
        typeText(dialog, newText(dialog), "z");
        EXPECT_EQ(GetWindowTextLengthA(newText(dialog)), 4095);
        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    command(IDM_MODIFY_STRING);
    EXPECT_EQ(std::string(rowText(0)), std::string(4095, 'y'));
    EXPECT_EQ(gShell.gxtModified, 1u);
}

// A text the document cannot take (a file text longer than any edit may
// be, or no memory) is neither stored nor marked: the dialog stays open
// with it, and OK can store it once that is possible.
TEST_F(EditStringTest, ARefusedTextKeepsTheDialogOpenAndTheDocumentUnmarked) {
    markRow(2);
    onDialog([&](HWND dialog) {
        // The 5000 characters from the file, one deleted: still too long.
        EXPECT_EQ(GetWindowTextLengthA(newText(dialog)), 5000);
        SendMessageA(newText(dialog), EM_SETSEL, 0, 1);
        typeText(dialog, newText(dialog), "\b");
        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(IsWindowVisible(dialog));
        EXPECT_EQ(GetWindowTextLengthA(newText(dialog)), 4999);
        SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    command(IDM_MODIFY_STRING);
    EXPECT_FALSE(edited(2));
    EXPECT_EQ(gShell.gxtModified, 0u);

    markRow(0);
    onDialog([&](HWND dialog) {
        replaceNewText(dialog, "Kept while memory runs out");
        // The dialog's own buffer is the first block, the document's copy
        // the second.
        faultArm(FAULT_ALLOC, 2);
        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(IsWindowVisible(dialog));
        EXPECT_FALSE(edited(0));
        EXPECT_EQ(gShell.gxtModified, 0u);
        faultReset();
        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
        EXPECT_FALSE(IsWindowVisible(dialog));
    });
    command(IDM_MODIFY_STRING);
    EXPECT_STREQ(rowText(0), "Kept while memory runs out");
    EXPECT_EQ(gShell.gxtModified, 1u);
}

TEST_F(EditStringTest, WithNothingSelectedTheFieldsStayEmptyAndOkStoresNothing) {
    markRow(-1);
    onDialog([&](HWND dialog) {
        EXPECT_EQ(itemString(dialog, IDC_EDIT_NEW_TEXT), "");
        EXPECT_EQ(itemString(dialog, IDC_EDIT_FILE_TEXT), "");
        EXPECT_EQ(itemString(dialog, IDC_EDIT_KEY), "");
        typeText(dialog, newText(dialog), "orphan");
        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
        EXPECT_FALSE(IsWindowVisible(dialog));
    });
    command(IDM_MODIFY_STRING);
    for (uint32_t row = 0; row < 3; ++row) EXPECT_FALSE(edited(row));
    EXPECT_EQ(gShell.gxtModified, 0u);
}

}  // namespace
