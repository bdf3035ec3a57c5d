// The preview pane of the real main window, driven through its messages:
// the mouse drags a text wider than the pane, a resize or a new text puts
// the origin back, and the pane paints the text or the banner on its
// background.
#include "app_test_support.h"

#include "gxt/gxt.h"
#include "preview/preview_pane_win32.h"
#include "preview/preview_state.h"
#include "resources/resource.h"

namespace {

const char kWideText[] =
    "A line of text that is much wider than the pane it is shown in, so that it has to be dragged to be read, "
    "and a little more than that again, ~r~in red~s~ at its end";

class PreviewPaneTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        SetCursorPos(1200, 1000);  // no stray mouse moves over the pane
        pane = gShell.previewPane;
    }
    void TearDown() override {
        ReleaseCapture();
        ShellTest::TearDown();
    }
    void mouse(UINT message, int x, int y) {
        SendMessageA(pane, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM((WORD)x, (WORD)y));
    }
    // Removes the redraw requests posted to the pane and counts them.
    int takeRedraws() {
        int n = 0;
        MSG msg;
        while (PeekMessageA(&msg, pane, MSG_PREVIEW_REDRAW, MSG_PREVIEW_REDRAW, PM_REMOVE)) ++n;
        return n;
    }
    // How many pixels of the pane's client area, painted afresh, are of the colour.
    size_t pixelsOf(COLORREF colour) {
        InvalidateRect(pane, nullptr, TRUE);
        UpdateWindow(pane);
        RECT client;
        GetClientRect(pane, &client);
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof info.bmiHeader, client.right, -client.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        HDC dc = GetDC(pane), memory = CreateCompatibleDC(dc);
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
        GdiFlush();
        const uint32_t want = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
        size_t n = 0;
        for (LONG i = 0; i < client.right * client.bottom; ++i) n += (static_cast<uint32_t*>(bits)[i] & 0xFFFFFF) == want;
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
        ReleaseDC(pane, dc);
        return n;
    }
    HWND pane = nullptr;
};

// The press captures the mouse; a step that moves the text asks for one
// redraw and one that cannot move it for none; the release or a capture
// taken elsewhere ends the drag. A text shown during a drag is measured and
// dragged; every new text starts at the top left.
TEST_F(PreviewPaneTest, TheMouseDragsTheText) {
    showPreviewText("short");
    mouse(WM_LBUTTONDOWN, 200, 20);
    EXPECT_EQ(GetCapture(), pane);
    showPreviewText(kWideText);
    ASSERT_GT(gPreview.contentWidth, gPreview.paneWidth);
    EXPECT_EQ(gPreviewPane.paneCursor, gPreviewPane.cursors[CURSOR_DRAG_X]);
    takeRedraws();
    mouse(WM_MOUSEMOVE, 260, 20);  // right from home: nothing to do
    EXPECT_EQ(takeRedraws(), 0);
    mouse(WM_MOUSEMOVE, 150, 30);
    EXPECT_EQ(gPreview.originX, -110);
    EXPECT_EQ(gPreview.originY, 0);
    EXPECT_EQ(takeRedraws(), 1);
    mouse(WM_LBUTTONUP, 150, 30);
    EXPECT_EQ(GetCapture(), nullptr);
    mouse(WM_MOUSEMOVE, 0, 30);
    EXPECT_EQ(gPreview.originX, -110) << "moves without the button drag nothing";
    mouse(WM_LBUTTONDOWN, 150, 30);
    SetCapture(gShell.mainWindow);
    ReleaseCapture();
    mouse(WM_MOUSEMOVE, 0, 30);
    EXPECT_EQ(gPreview.originX, -110) << "the lost capture ended the drag";
    showPreviewText(kWideText);
    EXPECT_EQ(gPreview.originX, 0);
}

// Dragged to its end, the text is painted from there in its colours, its
// extent kept. A wider window clamps the origin to the new limit and
// redraws; wide enough for the whole text, it puts the text home and the
// arrow back.
TEST_F(PreviewPaneTest, TheDraggedTextIsPaintedAndAResizeClampsTheOrigin) {
    SetWindowPos(gShell.mainWindow, nullptr, 0, 0, 400, 550, SWP_NOZORDER | SWP_NOMOVE);
    showPreviewText("A line of text wider than the pane it is shown in, ~r~in red~s~");
    const int32_t width = gPreview.contentWidth;
    mouse(WM_LBUTTONDOWN, 300, 20);
    mouse(WM_MOUSEMOVE, -3000, 20);
    EXPECT_GT(pixelsOf(0x00003090), 20u) << "the red words at the end";
    mouse(WM_LBUTTONUP, -3000, 20);
    EXPECT_EQ(gPreview.contentWidth, width);
    const int32_t limit = gPreview.paneWidth - width;
    ASSERT_LT(limit, -50);
    EXPECT_EQ(gPreview.originX, limit);
    takeRedraws();
    SetWindowPos(gShell.mainWindow, nullptr, 0, 0, 450, 550, SWP_NOZORDER | SWP_NOMOVE);
    EXPECT_EQ(gPreview.originX, limit + 50);
    EXPECT_GE(takeRedraws(), 1);
    SetWindowPos(gShell.mainWindow, nullptr, 0, 0, 750, 550, SWP_NOZORDER | SWP_NOMOVE);
    ASSERT_LT(gPreview.contentWidth, gPreview.paneWidth);
    EXPECT_EQ(gPreview.originX, 0);
    EXPECT_EQ(gPreviewPane.paneCursor, gPreviewPane.cursors[CURSOR_ARROW]);
}

// The banner without a text, on the chosen background.
TEST_F(PreviewPaneTest, ThePanePaintsTheBannerOnItsBackground) {
    driver.then(DialogDriver::chooseRgb(0x11, 0x22, 0x33));
    command(IDM_PREVIEW_BACK_COLOR);
    const size_t all = (size_t)gPreview.paneWidth * gPreview.paneHeight, bannerBack = pixelsOf(RGB(0x11, 0x22, 0x33));
    EXPECT_GT(bannerBack, all / 2);
    EXPECT_LT(bannerBack, all - 100) << "no banner drawn";
}

}  // namespace
