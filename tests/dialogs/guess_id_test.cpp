// The Guess ID dialog on the real main window: the hash following every
// keystroke, OK offered exactly while it matches, the name limits of the
// two hashed layouts, and what naming an entry changes.
#include "dialog_test_support.h"

#include <commctrl.h>

#include "gxt/gxt.h"
#include "resources/resource.h"

namespace {

class GuessIdTest : public DialogTest {
protected:
    void openHashed(char variant) {
        GenDocument doc;
        doc.variant = variant;
        doc.tables.push_back({"MAIN", {{"ABC", 0, "first"}, {"PLAYER_NAME_LONG", 0, "second"}}});
        openGenerated(doc);
    }
    static HWND nameField(HWND dialog) { return GetDlgItem(dialog, IDC_GUESS_NAME); }
    static bool okEnabled(HWND dialog) { return IsWindowEnabled(GetDlgItem(dialog, IDOK)) != 0; }
};

TEST_F(GuessIdTest, TheHashFollowsEveryLetterAndOkOnlyAMatch) {
    openHashed('@');
    const int row = rowOfName('@', "ABC");
    ASSERT_GE(row, 0);
    markRow(row);
    onDialog([&](HWND dialog) {
        EXPECT_EQ(itemString(dialog, IDC_GUESS_TARGET), hashText(genKeyHash('@', "ABC")));
        EXPECT_EQ(itemString(dialog, IDC_GUESS_NAME), "");
        EXPECT_EQ(itemString(dialog, IDC_GUESS_HASH), "");
        EXPECT_FALSE(okEnabled(dialog));
        EXPECT_EQ(GetFocus(), nameField(dialog));
        // Typed in lower case, shown and hashed in upper case.
        const std::string typed = "abcd";
        for (size_t n = 1; n <= typed.size(); ++n) {
            typeText(dialog, nameField(dialog), typed.substr(n - 1, 1));
            std::string shown = "ABCD";
            shown.resize(n);
            EXPECT_EQ(itemString(dialog, IDC_GUESS_NAME), shown);
            EXPECT_EQ(itemString(dialog, IDC_GUESS_HASH), hashText(genKeyHash('@', shown)));
            EXPECT_EQ(okEnabled(dialog), shown == "ABC") << shown;
        }
        // Enter while OK is greyed names nothing.
        pressKey(dialog, nameField(dialog), VK_RETURN);
        EXPECT_TRUE(IsWindowVisible(dialog));
        typeText(dialog, nameField(dialog), "\b");
        EXPECT_TRUE(okEnabled(dialog));
        pressKey(dialog, nameField(dialog), VK_RETURN);
        EXPECT_FALSE(IsWindowVisible(dialog));
    });
    command(IDM_GUESS_ID);
    EXPECT_STREQ(rowKeyName((uint32_t)row), "ABC");
    EXPECT_EQ(gShell.idListModified, 1u);
    EXPECT_EQ(gShell.gxtModified, 0u);
    EXPECT_EQ(cellText(row, 0), "ABC");

    // The name found is what the ID list will hold: closing asks for it.
    driver.then(DialogDriver::press(IDNO));
    command(IDM_CLOSE_GXT);
    ASSERT_EQ(driver.seen().size(), 2u);
    EXPECT_EQ(driver.seen()[1].text, gShell.strings.askSaveIds);
    EXPECT_FALSE(gDocument.loaded);
}

TEST_F(GuessIdTest, EmptyingTheNameShowsTheHashOfTheEmptyName) {
    openHashed('@');
    markRow(0);
    onDialog([&](HWND dialog) {
        typeText(dialog, nameField(dialog), "q\b");
        EXPECT_EQ(itemString(dialog, IDC_GUESS_NAME), "");
        EXPECT_EQ(itemString(dialog, IDC_GUESS_HASH), hashText(genKeyHash('@', "")));
        SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        EXPECT_FALSE(IsWindowVisible(dialog));
    });
    command(IDM_GUESS_ID);
    EXPECT_EQ(gShell.idListModified, 0u);
}

TEST_F(GuessIdTest, NamesTakeSevenCharactersInLayout2And31InLayoutAt) {
    for (char variant : {'2', '@'}) {
        openHashed(variant);
        const int row = rowOfName(variant, "ABC");
        markRow(row);
        const size_t limit = variant == '2' ? 7 : 31;
        onDialog([&](HWND dialog) {
            typeText(dialog, nameField(dialog), std::string(40, 'n'));
            EXPECT_EQ(itemString(dialog, IDC_GUESS_NAME), std::string(limit, 'N'));
            EXPECT_EQ(itemString(dialog, IDC_GUESS_HASH), hashText(genKeyHash(variant, std::string(limit, 'N'))));
            // Layout '2' hashes with CRC-32: ABC is found there too.
            SendMessageA(nameField(dialog), EM_SETSEL, 0, -1);
            typeText(dialog, nameField(dialog), "abc");
            EXPECT_TRUE(okEnabled(dialog));
            SendMessageA(dialog, WM_COMMAND, IDOK, 0);
        });
        command(IDM_GUESS_ID);
        EXPECT_STREQ(rowKeyName((uint32_t)row), "ABC") << variant;
        gShell.idListModified = 0;
        ASSERT_EQ(closeDocumentWithQuestions(), 1);
    }
}

TEST_F(GuessIdTest, ANamedEntryOpensWithItsNameAndIsNotNamedAgain) {
    openHashed('@');
    const int row = rowOfName('@', "ABC");
    ASSERT_EQ(setRowName((uint32_t)row, "ABC"), 1);
    markRow(row);
    onDialog([&](HWND dialog) {
        EXPECT_EQ(itemString(dialog, IDC_GUESS_NAME), "ABC");
        EXPECT_EQ(itemString(dialog, IDC_GUESS_HASH), hashText(genKeyHash('@', "ABC")));
        EXPECT_EQ(itemString(dialog, IDC_GUESS_TARGET), hashText(genKeyHash('@', "ABC")));
        EXPECT_TRUE(okEnabled(dialog));
        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
        EXPECT_FALSE(IsWindowVisible(dialog));
    });
    command(IDM_GUESS_ID);
    EXPECT_EQ(gShell.idListModified, 0u);
}

TEST_F(GuessIdTest, ClassicKeysCannotBeNamed) {
    GenDocument doc;
    doc.variant = '1';
    doc.tables.push_back({"MAIN", {{"NAMED", 0, "text"}}});
    openGenerated(doc);
    markRow(0);
    onDialog([&](HWND dialog) {
        for (int id : {IDC_GUESS_NAME, IDC_GUESS_HASH, IDC_GUESS_TARGET})
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, id))) << id;
        EXPECT_EQ(itemString(dialog, IDC_GUESS_NAME), "NAMED");
        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    command(IDM_GUESS_ID);
    EXPECT_EQ(gShell.idListModified, 0u);
}

}  // namespace
