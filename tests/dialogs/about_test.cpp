// The About box on the real main window: its icon steps through the
// program's icons and back, and its hidden line shows only for a click on
// the box's own surface, sent as real mouse input so that the platform
// decides which window the click belongs to.
#include "app_test_support.h"

#include "resources/resource.h"

namespace {

using AboutTest = ShellTest;

HICON programIcon(int id) {
    return (HICON)LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON, 32, 32, LR_SHARED);
}

HICON shownIcon(HWND dialog) { return (HICON)SendDlgItemMessageA(dialog, IDC_ABOUT_ICON, STM_GETICON, 0, 0); }

POINT centreOf(HWND control) {
    RECT r = childRect(control);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

bool hiddenLineShown(HWND dialog) { return IsWindowVisible(GetDlgItem(dialog, IDC_ABOUT_HIDDEN)) != 0; }

TEST_F(AboutTest, TheIconStepsThroughTheProgramsIconsAndTheSurfaceShowsTheHiddenLine) {
    onDialog([&](HWND dialog) {
        EXPECT_EQ(shownIcon(dialog), programIcon(IDI_VORN));
        HWND icon = GetDlgItem(dialog, IDC_ABOUT_ICON);
        for (int id : {102, 103, 104, 105, 106, 107, 101}) {
            SendMessageA(icon, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
            SendMessageA(icon, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
            ASSERT_NE(programIcon(id), nullptr);
            EXPECT_EQ(shownIcon(dialog), programIcon(id)) << "expected icon " << id;
        }
        // Clicking the icon is not clicking the surface.
        clickAt(dialog, dialog, centreOf(icon));
        EXPECT_EQ(shownIcon(dialog), programIcon(102));  // the click did arrive
        EXPECT_FALSE(hiddenLineShown(dialog));
        // The empty surface above the OK button.
        RECT ok = childRect(GetDlgItem(dialog, IDOK));
        clickAt(dialog, dialog, {ok.left + 2, ok.top - 6});
        EXPECT_TRUE(hiddenLineShown(dialog));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_ABOUT_HIDDEN)));
        pressKey(dialog, GetDlgItem(dialog, IDOK), VK_ESCAPE);
        EXPECT_FALSE(IsWindowVisible(dialog));
    });
    command(IDM_ABOUT);
    // Every opening starts again with the program's icon, the line hidden;
    // a click on a plain label shows it.
    onDialog([&](HWND dialog) {
        EXPECT_EQ(shownIcon(dialog), programIcon(IDI_VORN));
        EXPECT_FALSE(hiddenLineShown(dialog));
        HWND label = FindWindowExA(dialog, nullptr, "Static", "Vornalis (Vorn)");
        ASSERT_NE(label, nullptr);
        clickAt(dialog, dialog, centreOf(label));
        EXPECT_TRUE(hiddenLineShown(dialog));
        pressKey(dialog, GetDlgItem(dialog, IDOK), VK_RETURN);
        EXPECT_FALSE(IsWindowVisible(dialog));
    });
    command(IDM_ABOUT);
}

}  // namespace
