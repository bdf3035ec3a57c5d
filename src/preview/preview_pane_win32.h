// The preview pane: the child window across the top of the main window that
// shows the selected entry's text rendered with the game's mark-up, or a
// banner when no entry is shown. The text can be dragged with the left
// mouse button when it does not fit; the pane has no scroll bars.
//
// The portable half of the pane's state is gPreview (preview_state.h); the
// window-system half (handles) is gPreviewPane here.
#pragma once

#include <windows.h>

#include <cstdint>

#include "preview/markup.h"

constexpr UINT MSG_PREVIEW_REDRAW = 1107;
constexpr UINT MSG_PREVIEW_BACK_CHANGED = 1109;
constexpr char kPreviewClassName[] = "_Brennik__Vorn_View_class_";

struct PreviewPane {
    HWND window;              // the pane, from WM_CREATE to WM_DESTROY
    HCURSOR cursors[5];       // slots 1..4 (PreviewCursorSlot); 0 unused
    HCURSOR paneCursor;       // the cursor shown over the pane
    HBRUSH backBrush;         // owned; also the class background brush
    // Fonts and line height made from the preview font setting. Whoever
    // makes the fonts installs them with setPreviewFonts and keeps owning
    // them.
    HFONT previewFont;
    HFONT placeholderFont;
    int32_t previewHeight;
};

extern PreviewPane gPreviewPane;

// Loads the shared arrow and four-way sizing cursors into slots 1..4 and
// makes the arrow the pane's cursor. Part of start-up, before the pane
// exists.
void loadPreviewCursors();
// Registers the pane's window class with the instance; the class atom or 0.
ATOM registerPreviewClass(HINSTANCE instance);
LRESULT CALLBACK previewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The fonts to draw with (not owned) and the preview font's tmHeight.
void setPreviewFonts(HFONT previewFont, HFONT placeholderFont, int32_t previewHeight);

// Shows a text at once, from its top-left corner, or the banner for null.
// The text is borrowed until the next call.
void showPreviewText(const char* text);
// Renders the shown text (or the banner) in a WM_PAINT cycle.
void paintPreview(HWND window);

// A canvas that draws on a device context with the given fonts. The context
// record must outlive the canvas.
struct GdiCanvasContext {
    HDC dc;
    HFONT previewFont;
    HFONT placeholderFont;
    HGDIOBJ previousFont;
    int previousMode;
};
PreviewCanvas gdiCanvas(GdiCanvasContext& context);
