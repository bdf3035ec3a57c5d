#include "preview/preview_state.h"

PreviewState gPreview;

// Both banners start on the pane's second line; the long name takes a
// brightened letter in green, yellow, red and purple, the short name is blue
// in green parentheses, "by" is bright blue and the author near-black.
const char* const kPreviewBanner =
    "~n~ ~g~~h~V~y~~h~o~r~~h~r~p~~h~nalis GXT Editor ~g~(~b~Vorn~g~) ~b~~h~by ~l~Brennik";
const char* const kPreviewBannerAlternate =
    "~n~ ~g~~h~V~y~~h~o~r~~h~r~p~~h~nalis, Keeper of Game Texts ~g~(~b~Vorn~g~) ~b~~h~by ~l~Brennik";

const char* chooseBanner(uint32_t dayOfMonth) {
    return dayOfMonth % 11 == 0 ? kPreviewBannerAlternate : kPreviewBanner;
}

int32_t previewPaneHeight(int32_t previewHeight, int32_t previewLeading) {
    return previewHeight * 38 / 10 + previewLeading;
}

void updateScrollState(PreviewState& state) {
    state.canDragX = state.contentWidth > state.paneWidth;
    state.canDragY = state.contentHeight > state.paneHeight;
    if (state.canDragX) state.cursorSlot = state.canDragY ? CURSOR_DRAG_XY : CURSOR_DRAG_X;
    else state.cursorSlot = state.canDragY ? CURSOR_DRAG_Y : CURSOR_ARROW;
}

// The limits are taken in 32 bits: a long line of a large font easily
// exceeds 32767 pixels, and a 16-bit limit would then let the origin wander
// outside the text.
static int32_t clampAxis(int32_t origin, int32_t pane, int32_t content) {
    int64_t limit = (int64_t)pane - content;
    if (limit > 0) limit = 0;
    if (origin > 0) return 0;
    if (origin < limit) return (int32_t)limit;
    return origin;
}

void clampOrigin(PreviewState& state) {
    state.originX = clampAxis(state.originX, state.paneWidth, state.contentWidth);
    state.originY = clampAxis(state.originY, state.paneHeight, state.contentHeight);
}

// Every change of the origin outside a drag step also moves the point a
// step compares with; otherwise a step that lands where the origin was
// before the change would be taken for no move and leave the pane unpainted.
static void settleOrigin(PreviewState& state) {
    state.lastOriginX = state.originX;
    state.lastOriginY = state.originY;
}

void homeOrigin(PreviewState& state) {
    state.originX = 0;
    state.originY = 0;
    settleOrigin(state);
}

void resizePane(PreviewState& state, int32_t width, int32_t height) {
    state.paneWidth = width;
    state.paneHeight = height;
    updateScrollState(state);
    clampOrigin(state);
    settleOrigin(state);
}

void beginDrag(PreviewState& state, int32_t x, int32_t y) {
    state.dragging = true;
    state.dragLastX = x;
    state.dragLastY = y;
    settleOrigin(state);
}

bool dragStep(PreviewState& state, int32_t x, int32_t y) {
    if (!state.dragging) return false;
    if (state.canDragX) {
        state.originX += x - state.dragLastX;
        state.dragLastX = x;
    }
    if (state.canDragY) {
        state.originY += y - state.dragLastY;
        state.dragLastY = y;
    }
    clampOrigin(state);
    bool moved = (state.canDragX || state.canDragY) &&
                 (state.originX != state.lastOriginX || state.originY != state.lastOriginY);
    settleOrigin(state);
    return moved;
}
