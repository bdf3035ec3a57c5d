// The preview pane's state that does not depend on the window system: the
// text shown, the drag origin, the measured extent, the pane's size and the
// drag bookkeeping. The Win32 pane owns the one instance (gPreview); the
// mark-up renderer reads it and writes the two measurements.
#pragma once

#include <cstdint>

// Cursor slots loaded at start-up: 1 the arrow, 2..4 the four-way sizing
// cursor for horizontal, vertical and both-way dragging.
enum PreviewCursorSlot : int32_t {
    CURSOR_ARROW = 1,
    CURSOR_DRAG_X = 2,
    CURSOR_DRAG_Y = 3,
    CURSOR_DRAG_XY = 4,
};

struct PreviewState {
    const char* text;         // borrowed; null while the banner is shown
    const char* banner;       // chosen once when the pane is created
    int32_t originX;          // drag offset of the main pass; never positive
    int32_t originY;
    int32_t contentWidth;     // extent measured by the renderer
    int32_t contentHeight;
    int32_t paneWidth;        // client size; also the clip rectangle
    int32_t paneHeight;
    bool dragging;            // left button held in the pane
    bool canDragX;            // content wider than the pane
    bool canDragY;            // content taller than the pane
    int32_t dragLastX;        // mouse position at the last drag step
    int32_t dragLastY;
    int32_t lastOriginX;      // origin after the previous mouse move
    int32_t lastOriginY;
    int32_t cursorSlot;       // PreviewCursorSlot for the pane's cursor
};

extern PreviewState gPreview;

// Sets the drag flags from the measured extent and the pane's size, and the
// cursor slot that goes with them.
void updateScrollState(PreviewState& state);
// Keeps the origin within [min(0, pane - content), 0] on both axes.
void clampOrigin(PreviewState& state);
// A new text: shown from its top-left corner.
void homeOrigin(PreviewState& state);
// The pane's client size changed: the drag flags follow it and the origin is
// kept within the new limits.
void resizePane(PreviewState& state, int32_t width, int32_t height);
// The left button went down at client position (x, y): a drag starts there.
void beginDrag(PreviewState& state, int32_t x, int32_t y);
// One mouse move while the button may be held, at client position (x, y).
// Returns true when the origin moved and the pane has to be redrawn.
bool dragStep(PreviewState& state, int32_t x, int32_t y);

// The height the main window gives the pane: 3.8 lines of the preview font,
// rounded down, plus the font's internal leading.
int32_t previewPaneHeight(int32_t previewHeight, int32_t previewLeading);

// The two banners shown when no entry is: the normal one, and the alternate
// one for runs started on the 11th or 22nd (day of the month in UTC).
extern const char* const kPreviewBanner;
extern const char* const kPreviewBannerAlternate;
const char* chooseBanner(uint32_t dayOfMonth);
