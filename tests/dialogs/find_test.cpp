// Find and Find next on the real main window: the dialog's three modes and
// match case, the hit selected, focused and scrolled into view, Find next
// from the selection without wrapping, the settings kept between openings,
// and the views where nothing is searched.
#include "app_test_support.h"

#include <commctrl.h>

#include "dialogs/dialogs.h"
#include "gxt/gxt.h"
#include "preview/preview_state.h"
#include "resources/resource.h"

namespace {

// Rows far enough below the first page that a hit there must be scrolled to.
constexpr int kFillerRows = 200;

class FindTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        std::vector<GenEntry> entries = {{"INTRO", 0, "Only here"}, {"CAR_1", 0, "xABCx"},
                                         {"CAR_2", 0, "abc lower"}, {"SHOP", 0, "nothing to see"}};
        for (int i = 0; i < kFillerRows; ++i) entries.push_back({"F" + std::to_string(i), 0, "filler"});
        entries.push_back({"LAST", 0, "the far end"});
        openGenerated('@', entries);
    }
    // Fills the Find dialog and presses Find Next with Enter.
    void find(const std::string& text, int mode, bool matchCase) {
        onDialog([=](HWND dialog) {
            SetDlgItemTextA(dialog, IDC_FIND_TEXT, text.c_str());
            SendMessageA(GetDlgItem(dialog, mode), BM_CLICK, 0, 0);
            CheckDlgButton(dialog, IDC_FIND_MATCH_CASE, matchCase ? BST_CHECKED : BST_UNCHECKED);
            pressKey(dialog, GetDlgItem(dialog, IDC_FIND_TEXT), VK_RETURN);
            EXPECT_FALSE(IsWindowVisible(dialog));
        });
        command(IDM_FIND);
    }
    int listItem(UINT flags) { return (int)SendMessageA(gShell.entryList, LVM_GETNEXTITEM, (WPARAM)-1, flags); }
};

TEST_F(FindTest, TheDialogSearchesInTheChosenModeAndFindNextGoesOnWithoutWrapping) {
    const int shop = rowOfName('@', "SHOP");
    ASSERT_EQ(setRowName((uint32_t)shop, "SHOP"), 1);
    const std::string printedHash = hashText(genKeyHash('@', "CAR_1")).substr(0, 4);
    struct Case {
        std::string text;
        int mode;
        bool matchCase;
        int row;  // -1: a miss, which leaves the mark on row 3
    } cases[] = {
        {"abc", IDC_FIND_STRINGS, false, 1},
        {"abc", IDC_FIND_STRINGS, true, 2},
        {"absent", IDC_FIND_STRINGS, false, -1},
        {"hop", IDC_FIND_IDS, false, shop},
        {printedHash, IDC_FIND_IDS, false, -1},  // a hash is not a name
        {"car_2", IDC_FIND_HASHES, true, rowOfName('@', "CAR_2")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text + " in mode " + std::to_string(c.mode));
        markRow(3);
        const char* shown = gPreview.text;
        find(c.text, c.mode, c.matchCase);
        const int want = c.row < 0 ? 3 : c.row;
        EXPECT_EQ(selectionMark(), want);
        EXPECT_EQ(listItem(LVNI_SELECTED), want);
        EXPECT_EQ(gPreview.text, c.row < 0 ? shown : rowText((uint32_t)c.row));
    }

    // A hit is focused and scrolled into view; Find next never wraps.
    const int last = kFillerRows + 4;
    auto expectInView = [&] {
        const int top = (int)SendMessageA(gShell.entryList, LVM_GETTOPINDEX, 0, 0);
        const int page = (int)SendMessageA(gShell.entryList, LVM_GETCOUNTPERPAGE, 0, 0);
        ASSERT_LT(page, last) << "the hit would be in view anyway";
        EXPECT_GE(last, top);
        EXPECT_LT(last, top + page);
    };
    markRow(0);
    find("far end", IDC_FIND_STRINGS, false);
    EXPECT_EQ(selectionMark(), last);
    EXPECT_EQ(listItem(LVNI_FOCUSED), last);
    EXPECT_EQ(GetFocus(), gShell.entryList);
    expectInView();
    EXPECT_STREQ(gPreview.text, "the far end");
    // Scrolled away from the row that has the focus mark, a hit on it
    // scrolls back to it.
    SendMessageA(gShell.entryList, LVM_ENSUREVISIBLE, 0, FALSE);
    ASSERT_EQ(SendMessageA(gShell.entryList, LVM_GETTOPINDEX, 0, 0), 0);
    find("far end", IDC_FIND_STRINGS, false);
    expectInView();

    // Find next goes on from the hit; after the last hit nothing moves.
    find("abc", IDC_FIND_STRINGS, false);
    command(IDM_FIND_NEXT);
    EXPECT_EQ(selectionMark(), 2);
    EXPECT_EQ(listItem(LVNI_FOCUSED), 2);
    EXPECT_STREQ(gPreview.text, "abc lower");
    command(IDM_FIND_NEXT);
    EXPECT_EQ(selectionMark(), 2);
    // With nothing marked it starts at the first row.
    markRow(-1);
    command(IDM_FIND_NEXT);
    EXPECT_EQ(selectionMark(), 1);
}

}  // namespace
