// The preview pane in a real window: every test creates a host window with
// the pane as its child (as the main window does), then drives the pane
// through its messages and reads back PreviewState and the pixels drawn.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "gxt/gxt.h"
#include "preview/preview_pane_win32.h"
#include "preview/preview_state.h"
#include "settings/settings_keys.h"

namespace {

constexpr char kHostClass[] = "VornPreviewTestHost";
constexpr DWORD kPaneStyle = 0x50010000;   // WS_CHILD | WS_VISIBLE | WS_TABSTOP
constexpr COLORREF kDefaultBack = 0x00748488;

// Pixels as 0x00RRGGBB, top row first.
struct Capture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    static uint32_t pixelOf(COLORREF c) {
        return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
    }
    size_t count(COLORREF c) const {
        size_t n = 0;
        for (uint32_t p : pixels) n += p == pixelOf(c);
        return n;
    }
    uint32_t at(int x, int y) const { return pixels[(size_t)y * width + x]; }
    bool saveBmp(const char* path) const;
};

bool Capture::saveBmp(const char* path) const {
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = -height;
    info.biPlanes = 1;
    info.biBitCount = 32;
    info.biCompression = BI_RGB;
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + (DWORD)(pixels.size() * 4);
    FILE* f = fopen(path, "wb");
    if (!f) return false;
    bool ok = fwrite(&file, sizeof file, 1, f) == 1 && fwrite(&info, sizeof info, 1, f) == 1 &&
              fwrite(pixels.data(), 4, pixels.size(), f) == pixels.size();
    return fclose(f) == 0 && ok;
}

// Copies the window's client area as it is on screen.
Capture captureClient(HWND window) {
    Capture c;
    RECT client;
    GetClientRect(window, &client);
    c.width = client.right;
    c.height = client.bottom;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = c.width;
    info.bmiHeader.biHeight = -c.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC windowDc = GetDC(window);
    HDC memory = CreateCompatibleDC(windowDc);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(windowDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, c.width, c.height, windowDc, 0, 0, SRCCOPY);
    GdiFlush();
    const uint32_t* p = static_cast<const uint32_t*>(bits);
    c.pixels.assign(p, p + (size_t)c.width * c.height);
    for (uint32_t& px : c.pixels) px &= 0x00FFFFFF;
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, windowDc);
    return c;
}

class PreviewPaneTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        instance = GetModuleHandleA(nullptr);
        loadPreviewCursors();
        ASSERT_NE(registerPreviewClass(instance), 0);
        WNDCLASSEXA host = {};
        host.cbSize = sizeof host;
        host.lpfnWndProc = DefWindowProcA;
        host.hInstance = instance;
        host.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
        host.lpszClassName = kHostClass;
        ASSERT_NE(RegisterClassExA(&host), 0);

        LOGFONTA lf = {};
        lf.lfHeight = -19;   // 14 points at 96 pixels per inch
        lf.lfWeight = 700;
        lf.lfOutPrecision = OUT_TT_PRECIS;
        lstrcpynA(lf.lfFaceName, "Tahoma", LF_FACESIZE);
        previewFont = CreateFontIndirectA(&lf);
        lf.lfItalic = 1;
        lf.lfUnderline = 1;
        placeholderFont = CreateFontIndirectA(&lf);
        HDC screen = GetDC(nullptr);
        HGDIOBJ old = SelectObject(screen, previewFont);
        GetTextMetricsA(screen, &metrics);
        SelectObject(screen, old);
        ReleaseDC(nullptr, screen);
        ASSERT_GT(metrics.tmHeight, 0);
    }

    static void TearDownTestSuite() {
        DeleteObject(previewFont);
        DeleteObject(placeholderFont);
    }

    void SetUp() override {
        SetCursorPos(1200, 1000);   // no stray mouse moves over the pane
        gPreview = {};
        gPreview.cursorSlot = CURSOR_ARROW;
        gPreviewPane.paneCursor = gPreviewPane.cursors[CURSOR_ARROW];
        setPreviewFonts(previewFont, placeholderFont, metrics.tmHeight);
        gSettings.viewBack = kDefaultBack;
        host = CreateWindowExA(0, kHostClass, "Vorn preview", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE,
                               0, 0, 800, 300, nullptr, nullptr, instance, nullptr);
        pane = CreateWindowExA(WS_EX_CLIENTEDGE, kPreviewClassName, "gv", kPaneStyle, 16, 16, 256, 64, host,
                               (HMENU)(INT_PTR)3003, instance, nullptr);
        ASSERT_NE(pane, nullptr);
        PostMessageA(pane, MSG_PREVIEW_BACK_CHANGED, 0, 0);
        resizeClient(400, 80);
        pump();
    }

    void TearDown() override {
        SetClassLongPtrA(pane, GCLP_HBRBACKGROUND, (LONG_PTR)(COLOR_BTNFACE + 1));
        DestroyWindow(host);
        pump();
        if (gPreviewPane.backBrush) DeleteObject(gPreviewPane.backBrush);
        gPreviewPane.backBrush = nullptr;
        gPreview = {};
        gDocument.formatVariant = 0;
        gDocument.keyScheme = 0;
    }

    // Sizes the pane so that its client area is width x height.
    void resizeClient(int width, int height) {
        RECT r = {0, 0, width, height};
        AdjustWindowRectEx(&r, kPaneStyle, FALSE, WS_EX_CLIENTEDGE);
        MoveWindow(pane, 0, 0, r.right - r.left, r.bottom - r.top, TRUE);
        ASSERT_EQ(gPreview.paneWidth, width);
        ASSERT_EQ(gPreview.paneHeight, height);
    }

    static void pump() {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }

    // Removes the redraw requests posted to the pane and counts them.
    int takeRedraws() {
        int n = 0;
        MSG msg;
        while (PeekMessageA(&msg, pane, MSG_PREVIEW_REDRAW, MSG_PREVIEW_REDRAW, PM_REMOVE)) ++n;
        return n;
    }

    void mouse(UINT message, int x, int y) {
        WPARAM keys = message == WM_LBUTTONUP ? 0 : MK_LBUTTON;
        SendMessageA(pane, message, keys, MAKELPARAM((WORD)(short)x, (WORD)(short)y));
    }
    void press(int x, int y) { mouse(WM_LBUTTONDOWN, x, y); }
    void moveTo(int x, int y) { mouse(WM_MOUSEMOVE, x, y); }
    void release(int x, int y) { mouse(WM_LBUTTONUP, x, y); }

    void repaintNow() {
        InvalidateRect(pane, nullptr, TRUE);
        UpdateWindow(pane);
    }

    // Pixels that differ from the pane's background.
    size_t inkPixels() {
        Capture c = captureClient(pane);
        return c.pixels.size() - c.count(gSettings.viewBack);
    }

    static HINSTANCE instance;
    static HFONT previewFont;
    static HFONT placeholderFont;
    static TEXTMETRICA metrics;
    HWND host = nullptr;
    HWND pane = nullptr;
};

HINSTANCE PreviewPaneTest::instance;
HFONT PreviewPaneTest::previewFont;
HFONT PreviewPaneTest::placeholderFont;
TEXTMETRICA PreviewPaneTest::metrics;

const char kWideText[] =
    "A line of text that is much wider than the pane it is shown in, so that it has to be dragged to be read";
const char kTallText[] = "a~n~b~n~c~n~d~n~e~n~f";

// ---- Banner -----------------------------------------------------------------

TEST_F(PreviewPaneTest, WithoutATextThePaneShowsTheBanner) {
    repaintNow();
    EXPECT_GT(inkPixels(), 100u);   // a paint never leaves the pane empty

    showPreviewText("x");
    showPreviewText(nullptr);
    EXPECT_EQ(gPreview.text, nullptr);
    EXPECT_EQ(gPreview.contentHeight, 2 * metrics.tmHeight);   // it stands on the second line
    EXPECT_GT(gPreview.contentWidth, 0);
    repaintNow();
    EXPECT_GT(inkPixels(), 100u);
}

// ---- Showing a text -----------------------------------------------------------

TEST_F(PreviewPaneTest, TextShownDuringADragIsMeasured) {
    showPreviewText("short");
    press(200, 40);
    showPreviewText(kWideText);
    EXPECT_GT(gPreview.contentWidth, gPreview.paneWidth);
    EXPECT_TRUE(gPreview.canDragX);
    moveTo(100, 40);
    EXPECT_EQ(gPreview.originX, -100);
    release(100, 40);
}

// ---- Dragging -----------------------------------------------------------------

// The mouse reaches the drag: the press captures it, a move that moves the
// text asks for one redraw and one that does not asks for none, and the
// release or a lost capture ends it; the next text starts at the top left.
// Where the text may go is the state's own affair.
TEST_F(PreviewPaneTest, TheMouseDragsTheText) {
    showPreviewText(kWideText);
    takeRedraws();
    press(200, 40);
    EXPECT_TRUE(gPreview.dragging);
    EXPECT_EQ(GetCapture(), pane);
    moveTo(260, 40);  // right from home: nothing to do
    EXPECT_EQ(takeRedraws(), 0);
    moveTo(150, 60);
    EXPECT_EQ(gPreview.originX, -110);
    EXPECT_EQ(gPreview.originY, 0);
    EXPECT_EQ(takeRedraws(), 1);
    release(150, 60);
    EXPECT_FALSE(gPreview.dragging);
    EXPECT_EQ(GetCapture(), nullptr);
    moveTo(0, 60);
    EXPECT_EQ(gPreview.originX, -110) << "moves without the button drag nothing";
    press(150, 60);
    SetCapture(host);
    EXPECT_FALSE(gPreview.dragging);
    ReleaseCapture();
    moveTo(0, 60);
    EXPECT_EQ(gPreview.originX, -110);
    showPreviewText(kWideText);
    EXPECT_EQ(gPreview.originX, 0);
    EXPECT_EQ(gPreview.originY, 0);
}

TEST_F(PreviewPaneTest, CursorFollowsWhatCanBeDragged) {
    std::string both = std::string(kWideText) + "~n~" + kTallText;
    showPreviewText(both.c_str());
    EXPECT_EQ(gPreviewPane.paneCursor, gPreviewPane.cursors[CURSOR_DRAG_XY]);
    EXPECT_EQ(SendMessageA(pane, WM_SETCURSOR, (WPARAM)pane, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)), TRUE);
    EXPECT_EQ(GetCursor(), gPreviewPane.cursors[CURSOR_DRAG_XY]);
    showPreviewText("short");
    SendMessageA(pane, WM_SETCURSOR, (WPARAM)pane, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), gPreviewPane.cursors[CURSOR_ARROW]);
}

// ---- Resizing and repainting --------------------------------------------------

TEST_F(PreviewPaneTest, ResizeClampsTheOriginBeforeRedrawing) {
    showPreviewText(kWideText);
    press(399, 40);
    moveTo(-3000, 40);
    release(-3000, 40);
    takeRedraws();
    const int32_t width = gPreview.contentWidth;

    resizeClient(width - 50, 80);
    EXPECT_EQ(gPreview.originX, -50);
    EXPECT_EQ(takeRedraws(), 1);

    resizeClient(width + 10, 80);
    EXPECT_EQ(gPreview.originX, 0);
    EXPECT_EQ(gPreview.originY, 0);
    EXPECT_FALSE(gPreview.canDragX);
    EXPECT_EQ(gPreviewPane.paneCursor, gPreviewPane.cursors[CURSOR_ARROW]);
}

TEST_F(PreviewPaneTest, PaintAfterADragKeepsTheMeasuredExtent) {
    showPreviewText(kWideText);
    const int32_t width = gPreview.contentWidth;
    press(300, 40);
    moveTo(100, 40);
    repaintNow();   // painted while dragging
    release(100, 40);
    repaintNow();   // uncovered after the drag
    EXPECT_EQ(gPreview.originX, -200);
    EXPECT_EQ(gPreview.contentWidth, width);
    press(100, 40);
    moveTo(-3000, 40);
    EXPECT_EQ(gPreview.originX, gPreview.paneWidth - width);
    release(-3000, 40);
}

// ---- Background ---------------------------------------------------------------

TEST_F(PreviewPaneTest, BackgroundBrushIsReplacedAndRepainted) {
    HBRUSH first = gPreviewPane.backBrush;
    ASSERT_NE(first, nullptr);
    EXPECT_EQ((HBRUSH)GetClassLongPtrA(pane, GCLP_HBRBACKGROUND), first);
    Capture before = captureClient(pane);
    EXPECT_EQ(before.at(before.width - 1, before.height - 1), Capture::pixelOf(kDefaultBack));

    gSettings.viewBack = RGB(0x11, 0x22, 0x33);
    PostMessageA(pane, MSG_PREVIEW_BACK_CHANGED, 0, 0);
    pump();
    HBRUSH second = gPreviewPane.backBrush;
    EXPECT_NE(second, first);
    EXPECT_EQ((HBRUSH)GetClassLongPtrA(pane, GCLP_HBRBACKGROUND), second);
    EXPECT_EQ(GetObjectType(first), 0u);   // the old brush is gone
    Capture after = captureClient(pane);
    EXPECT_EQ(after.at(after.width - 1, after.height - 1), 0x00112233u);
    EXPECT_GT(after.pixels.size() - after.count(gSettings.viewBack), 100u);   // banner drawn again
}

// ---- The sample for the documentation -----------------------------------------

struct Sample {
    char variant;
    char scheme;
    const char* text;
    const char* file;
    COLORREF colours[3];
};

// Renders one sample of each layout family, in its colours, in a pane of the height the main
// window gives it and saves it as a bitmap beside the test. docs/preview.png
// is made from the two:
//   convert preview-classic.bmp \( -size 720x2 xc:'#303030' \)
//     preview-extended.bmp -append +repage -strip docs/preview.png
// (one command line).
TEST_F(PreviewPaneTest, SamplesOfBothFamilies) {
    const Sample samples[] = {
        {'1', '0',
         "~y~Mission passed!~s~ Press ~k~~PED_SPRINT~ to run, ~r~~h~hurry~s~: ~1~ points~n~"
         "~b~Blue ~g~green ~p~purple ~l~dark ~w~and ~a~ ~Q~",
         "preview-classic.bmp", {0x0058A0B0, 0x00803838, 0x00206030}},
        {'@', '@',
         "~INPUT_JUMP~ to jump, ~col_net_1~team red~s~ meets ~col_net_2~team blue~s~ at ~blip_29~~n~"
         "~x~Earned ~r~~1~~s~ for ~e~ ~PAD_LEFT~ ~z~done",
         "preview-extended.bmp", {0x00003090, 0x00803838, kShadowColour}},
    };
    for (const Sample& sample : samples) {
        gDocument.formatVariant = sample.variant;
        gDocument.keyScheme = sample.scheme;
        resizeClient(720, previewPaneHeight(metrics.tmHeight, metrics.tmInternalLeading));
        pump();
        showPreviewText(sample.text);  // drawn at once, without waiting for a paint
        Capture c = captureClient(pane);
        for (COLORREF colour : sample.colours) EXPECT_GT(c.count(colour), 10u) << sample.file << std::hex << colour;
        EXPECT_EQ(gPreview.contentHeight, 2 * metrics.tmHeight);
        EXPECT_TRUE(c.saveBmp(sample.file));
    }
}

}  // namespace
