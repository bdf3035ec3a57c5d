// The Guess ID dialog on the real main window: the hash following every
// keystroke, OK offered exactly while it matches, the name limits of the
// two hashed layouts, and what naming an entry changes on screen.
#include "app_test_support.h"

#include <commctrl.h>

#include "gxt/gxt.h"
#include "resources/resource.h"

namespace {

class GuessIdTest : public ShellTest {
protected:
    static HWND nameField(HWND dialog) { return GetDlgItem(dialog, IDC_GUESS_NAME); }
    static bool okEnabled(HWND dialog) { return IsWindowEnabled(GetDlgItem(dialog, IDOK)) != 0; }
};

TEST_F(GuessIdTest, TheHashFollowsEveryLetterAndOkNamesAMatchOnScreen) {
    openGenerated('@', {{"ABC", 0, "first"}, {"SECOND", 0, "second"}});
    const int row = rowOfName('@', "ABC");
    ASSERT_GE(row, 0);
    markRow(row);
    onDialog([&](HWND dialog) {
        EXPECT_EQ(itemString(dialog, IDC_GUESS_TARGET), hashText(genKeyHash('@', "ABC")));
        EXPECT_EQ(itemString(dialog, IDC_GUESS_HASH), "");
        EXPECT_FALSE(okEnabled(dialog));
        EXPECT_EQ(GetFocus(), nameField(dialog));
        // Emptied again, the field shows the hash of the empty name.
        typeText(dialog, nameField(dialog), "q\b");
        EXPECT_EQ(itemString(dialog, IDC_GUESS_HASH), hashText(genKeyHash('@', "")));
        // Typed in lower case, shown and hashed in upper case.
        const std::string shown = "ABCD";
        for (size_t n = 1; n <= shown.size(); ++n) {
            typeText(dialog, nameField(dialog), std::string(1, (char)(shown[n - 1] | 0x20)));
            EXPECT_EQ(itemString(dialog, IDC_GUESS_NAME), shown.substr(0, n));
            EXPECT_EQ(itemString(dialog, IDC_GUESS_HASH), hashText(genKeyHash('@', shown.substr(0, n))));
            EXPECT_EQ(okEnabled(dialog), n == 3) << n;
        }
        // Enter while OK is greyed names nothing.
        pressKey(dialog, nameField(dialog), VK_RETURN);
        EXPECT_TRUE(IsWindowVisible(dialog));
        typeText(dialog, nameField(dialog), "\b");
        EXPECT_TRUE(okEnabled(dialog));
        // The dialog out of the way and the list painted: OK must repaint
        // the list itself for the name to show.
        SetWindowPos(dialog, nullptr, -3000, -3000, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        pumpMessages(dialog);
        ValidateRect(gShell.entryList, nullptr);
        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
        EXPECT_FALSE(IsWindowVisible(dialog));
        EXPECT_TRUE(GetUpdateRect(gShell.entryList, nullptr, FALSE)) << "the list is not repainted";
    });
    command(IDM_GUESS_ID);
    EXPECT_STREQ(rowKeyName((uint32_t)row), "ABC");
    EXPECT_EQ(cellText(row, 0), "ABC");
    EXPECT_EQ(gShell.gxtModified, 0u);
    EXPECT_EQ(gShell.idListModified, 1u) << "the name goes into the ID list";
}

// Names take 7 characters in layout 2 and 31 in layout @. Where there is
// nothing to name, OK changes nothing: an entry named before (its name,
// hash and target shown), a document of named keys (the fields greyed).
TEST_F(GuessIdTest, NameLimitsAndEntriesWithNothingToName) {
    for (char variant : {'2', '@', 'n', '1'}) {
        SCOPED_TRACE(variant);
        const bool named = variant == 'n' || variant == '1', hashed = variant != '1';
        openGenerated(variant == 'n' ? '@' : variant, {{"ABC", 0, "first"}, {"SECOND", 0, "second"}});
        const int row = hashed ? rowOfName(variant == 'n' ? '@' : variant, "ABC") : 0;
        if (variant == 'n') {
            ASSERT_EQ(setRowName((uint32_t)row, "ABC"), 1);
        }
        markRow(row);
        onDialog([&](HWND dialog) {
            if (named) {
                EXPECT_EQ(itemString(dialog, IDC_GUESS_NAME), "ABC");
                pumpMessages(dialog);  // the name's hash is worked out once the dialog runs
                for (int id : {IDC_GUESS_NAME, IDC_GUESS_HASH, IDC_GUESS_TARGET})
                    EXPECT_EQ(IsWindowEnabled(GetDlgItem(dialog, id)) != 0, hashed) << id;
                if (hashed) {
                    EXPECT_EQ(itemString(dialog, IDC_GUESS_HASH), hashText(genKeyHash('@', "ABC")));
                    EXPECT_EQ(itemString(dialog, IDC_GUESS_TARGET), hashText(genKeyHash('@', "ABC")));
                }
            } else {
                const size_t limit = variant == '2' ? 7 : 31;
                typeText(dialog, nameField(dialog), std::string(40, 'n'));
                EXPECT_EQ(itemString(dialog, IDC_GUESS_NAME), std::string(limit, 'N'));
                EXPECT_EQ(itemString(dialog, IDC_GUESS_HASH), hashText(genKeyHash(variant, std::string(limit, 'N'))));
                SendMessageA(nameField(dialog), EM_SETSEL, 0, -1);
                typeText(dialog, nameField(dialog), "abc");
            }
            EXPECT_TRUE(okEnabled(dialog) || !hashed);
            SendMessageA(dialog, WM_COMMAND, IDOK, 0);
        });
        command(IDM_GUESS_ID);
        EXPECT_EQ(gShell.idListModified, named ? 0u : 1u);
        if (hashed) {
            EXPECT_STREQ(rowKeyName((uint32_t)row), "ABC");
        }
        gShell.idListModified = 0;
        ASSERT_EQ(closeDocumentWithQuestions(), 1);
    }
}

}  // namespace
