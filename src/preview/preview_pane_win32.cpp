#include "preview/preview_pane_win32.h"

#include "preview/preview_state.h"
#include "settings/settings_keys.h"

PreviewPane gPreviewPane;

namespace {

constexpr WORD kArrowCursor = 32512;     // IDC_ARROW
constexpr WORD kSizeAllCursor = 32646;   // IDC_SIZEALL

GdiCanvasContext* gdi(void* context) { return static_cast<GdiCanvasContext*>(context); }

// Client positions in mouse messages are two signed 16-bit words.
int32_t lowWord(LPARAM lParam) { return (int16_t)(uint16_t)(lParam & 0xFFFF); }
int32_t highWord(LPARAM lParam) { return (int16_t)(uint16_t)((lParam >> 16) & 0xFFFF); }

// Until the pane exists there is no banner; an empty text is drawn instead.
const char* bannerText() { return gPreview.banner ? gPreview.banner : ""; }

void render(HDC dc) {
    GdiCanvasContext context = {dc, gPreviewPane.previewFont, gPreviewPane.placeholderFont, nullptr, 0};
    renderMarkup(gPreview, gdiCanvas(context), gPreviewPane.previewHeight);
}

// The cursor of the slot the scroll state chose.
void takeCursorSlot() {
    gPreviewPane.paneCursor = gPreviewPane.cursors[gPreview.cursorSlot];
}

void redrawLater(HWND window) { PostMessageA(window, MSG_PREVIEW_REDRAW, 0, 0); }

void changeBackground(HWND window) {
    HBRUSH brush = CreateSolidBrush(gSettings.viewBack);
    if (!brush) return;
    if (gPreviewPane.backBrush) DeleteObject(gPreviewPane.backBrush);
    gPreviewPane.backBrush = brush;
    SetClassLongPtrA(window, GCLP_HBRBACKGROUND, (LONG_PTR)brush);
    InvalidateRect(window, nullptr, TRUE);
}

}  // namespace

PreviewCanvas gdiCanvas(GdiCanvasContext& context) {
    PreviewCanvas canvas = {};
    canvas.context = &context;
    canvas.beginText = [](void* c) {
        gdi(c)->previousMode = SetBkMode(gdi(c)->dc, TRANSPARENT);
        gdi(c)->previousFont = SelectObject(gdi(c)->dc, gdi(c)->previewFont);
    };
    canvas.finishText = [](void* c) {
        SelectObject(gdi(c)->dc, gdi(c)->previousFont);
        SetBkMode(gdi(c)->dc, gdi(c)->previousMode);
    };
    canvas.selectFont = [](void* c, PreviewFont font) {
        SelectObject(gdi(c)->dc, font == FONT_PLACEHOLDER ? gdi(c)->placeholderFont : gdi(c)->previewFont);
    };
    canvas.setTextColour = [](void* c, uint32_t colour) { SetTextColor(gdi(c)->dc, colour); };
    canvas.textColour = [](void* c) { return (uint32_t)GetTextColor(gdi(c)->dc); };
    canvas.alignToPen = [](void* c) { SetTextAlign(gdi(c)->dc, TA_UPDATECP); };
    canvas.movePen = [](void* c, int32_t x, int32_t y) { MoveToEx(gdi(c)->dc, x, y, nullptr); };
    canvas.pen = [](void* c) {
        POINT at = {0, 0};
        GetCurrentPositionEx(gdi(c)->dc, &at);
        return PreviewPoint{(int32_t)at.x, (int32_t)at.y};
    };
    canvas.drawRun = [](void* c, const char* run, uint32_t length, const PreviewRect& clip) {
        RECT rect = {clip.left, clip.top, clip.right, clip.bottom};
        ExtTextOutA(gdi(c)->dc, 0, 0, ETO_CLIPPED, &rect, run, length, nullptr);
    };
    return canvas;
}

void loadPreviewCursors() {
    const WORD ids[5] = {0, kArrowCursor, kSizeAllCursor, kSizeAllCursor, kSizeAllCursor};
    for (int slot = CURSOR_ARROW; slot <= CURSOR_DRAG_XY; ++slot) {
        gPreviewPane.cursors[slot] = (HCURSOR)LoadImageA(nullptr, MAKEINTRESOURCEA(ids[slot]), IMAGE_CURSOR, 0, 0,
                                                         LR_SHARED | LR_DEFAULTSIZE);
    }
    gPreviewPane.paneCursor = gPreviewPane.cursors[CURSOR_ARROW];
    gPreview.cursorSlot = CURSOR_ARROW;
}

ATOM registerPreviewClass(HINSTANCE instance) {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = previewWindowProc;
    wc.hInstance = instance;
    wc.hCursor = gPreviewPane.cursors[CURSOR_ARROW];
    wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    wc.lpszClassName = kPreviewClassName;
    return RegisterClassExA(&wc);
}

void setPreviewFonts(HFONT previewFont, HFONT placeholderFont, int32_t previewHeight) {
    gPreviewPane.previewFont = previewFont;
    gPreviewPane.placeholderFont = placeholderFont;
    gPreviewPane.previewHeight = previewHeight;
}

void showPreviewText(const char* text) {
    gPreview.text = text ? text : bannerText();
    gPreview.contentWidth = 0;
    gPreview.contentHeight = gPreviewPane.previewHeight;
    homeOrigin(gPreview);
    if (HWND window = gPreviewPane.window) {
        // A new text is measured even when it arrives in the middle of a
        // drag (a key pressed while the button is held): otherwise it would
        // keep an extent of nothing and could not be dragged at all.
        bool dragging = gPreview.dragging;
        gPreview.dragging = false;
        HDC dc = GetDC(window);
        SendMessageA(window, WM_ERASEBKGND, (WPARAM)dc, 0);
        render(dc);
        ReleaseDC(window, dc);
        gPreview.dragging = dragging;
    }
    updateScrollState(gPreview);
    takeCursorSlot();
    if (!text) gPreview.text = nullptr;
}

void paintPreview(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    if (gPreview.text) {
        render(dc);
    } else {
        gPreview.text = bannerText();
        render(dc);
        gPreview.text = nullptr;
    }
    EndPaint(window, &ps);
}

LRESULT CALLBACK previewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: {
        SYSTEMTIME now;
        GetSystemTime(&now);
        gPreview.banner = chooseBanner(now.wDay);
        gPreviewPane.window = window;
        return 0;
    }
    case WM_DESTROY:
        if (gPreviewPane.window == window) gPreviewPane.window = nullptr;
        break;
    case WM_SIZE:
        resizePane(gPreview, lowWord(lParam), highWord(lParam));
        takeCursorSlot();
        redrawLater(window);
        return 0;
    case WM_PAINT:
        paintPreview(window);
        return 0;
    case WM_SETCURSOR:
        SetCursor(gPreviewPane.paneCursor);
        return TRUE;
    case WM_MOUSEMOVE:
        if (dragStep(gPreview, lowWord(lParam), highWord(lParam))) redrawLater(window);
        return 0;
    case WM_LBUTTONDOWN:
        beginDrag(gPreview, lowWord(lParam), highWord(lParam));
        SetCapture(window);
        return 0;
    case WM_LBUTTONUP:
        gPreview.dragging = false;
        ReleaseCapture();
        return 0;
    case WM_CAPTURECHANGED:
        // The capture went elsewhere without a button-up in the pane (another
        // window took it, say): the drag is over all the same, or the next
        // plain mouse move would still drag the text.
        gPreview.dragging = false;
        return 0;
    case MSG_PREVIEW_REDRAW:
        InvalidateRect(window, nullptr, TRUE);
        return 0;
    case MSG_PREVIEW_BACK_CHANGED:
        changeBackground(window);
        return 0;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
