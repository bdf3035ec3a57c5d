// Find and Find next on the real main window: the three modes, match case,
// the search from the top and from the selection, the end of the hits, the
// settings kept between openings, and the views where nothing is searched.
#include "dialog_test_support.h"

#include <commctrl.h>

#include "dialogs/dialogs.h"
#include "gxt/gxt.h"
#include "preview/preview_state.h"
#include "resources/resource.h"

namespace {

// The settings live for the whole run; every test starts from its own.
class FindTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        GenDocument doc;
        doc.variant = '@';
        doc.tables.push_back({"MAIN",
                              {{"INTRO", 0, "Only here: a unique word"},
                               {"CAR_1", 0, "xABCx"},
                               {"CAR_2", 0, "abc lower"},
                               {"SHOP", 0, "nothing to see"},
                               {"", genKeyHash('@', ""), "the empty name"}}});
        openGenerated(doc);
    }
    // Fills the Find dialog and presses Find Next.
    void find(const std::string& text, int mode, bool matchCase) {
        onDialog([=](HWND dialog) {
            SetDlgItemTextA(dialog, IDC_FIND_TEXT, text.c_str());
            // A click on the radio button, as the user would.
            SendMessageA(GetDlgItem(dialog, mode), BM_CLICK, 0, 0);
            CheckDlgButton(dialog, IDC_FIND_MATCH_CASE, matchCase ? BST_CHECKED : BST_UNCHECKED);
            pressKey(dialog, GetDlgItem(dialog, IDC_FIND_TEXT), VK_RETURN);
            EXPECT_FALSE(IsWindowVisible(dialog));
        });
        command(IDM_FIND);
        pumpMessages();
    }
    void findNextKey() {
        command(IDM_FIND_NEXT);
        pumpMessages();
    }
    int selected() { return (int)SendMessageA(gShell.entryList, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED); }
};

TEST_F(FindTest, StringsWithAndWithoutMatchCase) {
    markRow(3);
    find("abc", IDC_FIND_STRINGS, false);
    // From the top, whatever was selected: 'abc' finds 'xABCx'.
    EXPECT_EQ(selectionMark(), 1);
    EXPECT_EQ(selected(), 1);
    EXPECT_EQ(GetFocus(), gShell.entryList);
    EXPECT_STREQ(gPreview.text, "xABCx");
    findNextKey();
    EXPECT_EQ(selectionMark(), 2);
    EXPECT_STREQ(gPreview.text, "abc lower");
    // After the last hit nothing moves; the search does not wrap around.
    findNextKey();
    EXPECT_EQ(selectionMark(), 2);
    EXPECT_EQ(selected(), 2);

    find("abc", IDC_FIND_STRINGS, true);
    EXPECT_EQ(selectionMark(), 2);
    find("unique", IDC_FIND_STRINGS, true);
    EXPECT_EQ(selectionMark(), 0);
    // A miss changes nothing.
    find("absent", IDC_FIND_STRINGS, false);
    EXPECT_EQ(selectionMark(), 0);
    EXPECT_STREQ(gPreview.text, "Only here: a unique word");
}

TEST_F(FindTest, FindNextWithNothingSelectedStartsAtTheFirstRow) {
    find("o", IDC_FIND_STRINGS, false);
    EXPECT_EQ(selectionMark(), 0);
    markRow(-1);
    findNextKey();
    EXPECT_EQ(selectionMark(), 0);
    markRow(2);
    findNextKey();
    EXPECT_EQ(selectionMark(), 3);
}

TEST_F(FindTest, IdsOnlyWhereTheNameIsKnown) {
    // Every hash is printed in the key column, but a hash is not a name.
    const std::string printed = hashText(genKeyHash('@', "SHOP")).substr(0, 4);
    find(printed, IDC_FIND_IDS, false);
    EXPECT_EQ(selectionMark(), -1);
    const int shop = rowOfName('@', "SHOP");
    ASSERT_EQ(setRowName((uint32_t)shop, "SHOP"), 1);
    find("hop", IDC_FIND_IDS, false);
    EXPECT_EQ(selectionMark(), shop);
    find("hop", IDC_FIND_IDS, true);
    EXPECT_EQ(selectionMark(), shop);  // unchanged: a miss
    markRow(-1);
    findNextKey();
    EXPECT_EQ(selectionMark(), -1);
}

TEST_F(FindTest, HashesOfTheTypedName) {
    find("car_2", IDC_FIND_HASHES, true);
    EXPECT_EQ(selectionMark(), rowOfName('@', "CAR_2"));
    // The empty text is a name too, in this mode only.
    find("", IDC_FIND_HASHES, false);
    EXPECT_EQ(selectionMark(), rowOfName('@', ""));
    markRow(-1);
    find("", IDC_FIND_STRINGS, false);
    EXPECT_EQ(selectionMark(), -1);
}

TEST_F(FindTest, TheDialogKeepsTheSettingsBetweenOpenings) {
    find("car", IDC_FIND_IDS, true);
    onDialog([&](HWND dialog) {
        EXPECT_EQ(itemString(dialog, IDC_FIND_TEXT), "car");
        EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_FIND_IDS), BST_CHECKED);
        EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_FIND_STRINGS), BST_UNCHECKED);
        EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_FIND_MATCH_CASE), BST_CHECKED);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_FIND_HASHES)));
        EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_FIND_TEXT));
        // Cancel keeps them as they were.
        SetDlgItemTextA(dialog, IDC_FIND_TEXT, "changed");
        SendMessageA(GetDlgItem(dialog, IDC_FIND_STRINGS), BM_CLICK, 0, 0);
        pressKey(dialog, GetDlgItem(dialog, IDC_FIND_TEXT), VK_ESCAPE);
        EXPECT_FALSE(IsWindowVisible(dialog));
    });
    command(IDM_FIND);
    find("", IDC_FIND_HASHES, false);
    onDialog([&](HWND dialog) {
        EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_FIND_HASHES), BST_CHECKED);
        EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_FIND_MATCH_CASE), BST_UNCHECKED);
    });
    command(IDM_FIND);

    // A document of named keys offers no hash search: the stored one opens
    // as a search of the strings.
    ASSERT_EQ(closeDocumentWithQuestions(), 1);
    GenDocument named;
    named.variant = '1';
    named.tables.push_back({"MAIN", {{"A", 0, "a"}}});
    openGenerated(named, "named.gxt");
    onDialog([&](HWND dialog) {
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_FIND_HASHES)));
        EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_FIND_STRINGS), BST_CHECKED);
        EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_FIND_HASHES), BST_UNCHECKED);
    });
    command(IDM_FIND);
}

TEST_F(FindTest, NothingIsSearchedWithoutATableOrInAStringList) {
    find("abc", IDC_FIND_STRINGS, false);
    ASSERT_EQ(selectionMark(), 1);
    // The string-list view: the search does not run.
    const std::string list = dir.file("names.lst");
    ASSERT_TRUE(writeFile(list, "CAR_2\r\nCAR_1\r\n"));
    ASSERT_EQ(openStringList(list.c_str()), 1);
    markRow(-1);
    findNextKey();
    EXPECT_EQ(selectionMark(), -1);
    find("abc", IDC_FIND_STRINGS, false);
    EXPECT_EQ(selectionMark(), -1);
    EXPECT_EQ(findNext(1), 0);
    closeStringListView();

    // No table selected: the same.
    ASSERT_EQ(closeDocumentWithQuestions(), 1);
    ASSERT_EQ(open(dir.file("doc.gxt")), 1);
    EXPECT_EQ(findNext(1), 0);
    EXPECT_EQ(selectionMark(), -1);
}

}  // namespace
