// Renders arbitrary texts with the mark-up renderer, with no document and in
// both layout families. The first bytes choose the layout, the origin, the
// pane and whether a drag is in progress; the rest is the text, copied into a
// block of exactly its length plus the terminator so that the address
// sanitizer catches any read past it. The canvas aborts on any output that
// is not clipped to the pane, on runs that do not come from the text or from
// a placeholder label, and on runs that contain a tilde or the terminator.

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "gxt/gxt.h"
#include "preview/markup.h"

namespace {

constexpr int32_t kCharWidth = 7;
constexpr int32_t kLineHeight = 13;

struct CheckingCanvas {
    const char* text;
    size_t textLength;
    PreviewRect pane;
    PreviewPoint pen;
    uint32_t colour;
    int font;
    bool open;
    uint32_t runs;
};

void check(bool condition) {
    if (!condition) abort();
}

bool isLabel(const char* run, uint32_t length) {
    static const char* const kLabels[] = {"[key]", "(i)", "<n>", "<text>"};
    for (const char* label : kLabels)
        if (length == strlen(label) && memcmp(run, label, length) == 0) return true;
    return length == 3 && run[0] == '[' && run[2] == ']';
}

PreviewCanvas checkingCanvas(CheckingCanvas& c) {
    PreviewCanvas canvas = {};
    canvas.context = &c;
    canvas.beginText = [](void* p) {
        auto* c = static_cast<CheckingCanvas*>(p);
        check(!c->open);
        c->open = true;
        c->font = FONT_PREVIEW;
    };
    canvas.finishText = [](void* p) {
        auto* c = static_cast<CheckingCanvas*>(p);
        check(c->open && c->font == FONT_PREVIEW);
        c->open = false;
    };
    canvas.selectFont = [](void* p, PreviewFont font) {
        check(font == FONT_PREVIEW || font == FONT_PLACEHOLDER);
        static_cast<CheckingCanvas*>(p)->font = font;
    };
    canvas.setTextColour = [](void* p, uint32_t colour) {
        check((colour & 0xFF000000) == 0);
        static_cast<CheckingCanvas*>(p)->colour = colour;
    };
    canvas.textColour = [](void* p) { return static_cast<CheckingCanvas*>(p)->colour; };
    canvas.alignToPen = [](void*) {};
    canvas.movePen = [](void* p, int32_t x, int32_t y) { static_cast<CheckingCanvas*>(p)->pen = {x, y}; };
    canvas.pen = [](void* p) { return static_cast<CheckingCanvas*>(p)->pen; };
    canvas.drawRun = [](void* p, const char* run, uint32_t length, const PreviewRect& clip) {
        auto* c = static_cast<CheckingCanvas*>(p);
        check(c->open && length > 0);
        check(clip.left == c->pane.left && clip.top == c->pane.top && clip.right == c->pane.right &&
              clip.bottom == c->pane.bottom);
        if (c->font == FONT_PLACEHOLDER) {
            check(isLabel(run, length));
        } else {
            check(run >= c->text && run + length <= c->text + c->textLength);
            for (uint32_t k = 0; k < length; ++k) check(run[k] != '~' && run[k] != 0);
        }
        // Two passes draw at most one run per character, token or label.
        check(++c->runs <= 2 * (c->textLength + 1));
        c->pen.x += kCharWidth * (int32_t)length;
    };
    return canvas;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    static const char kVariants[] = {0, '0', '1', '2', '@'};
    gDocument.formatVariant = kVariants[data[0] % 5];
    gDocument.keyScheme = (data[0] & 0x80) ? '@' : (gDocument.formatVariant ? '0' : 0);

    PreviewState state = {};
    state.originX = -(int32_t)data[1] * 8;
    state.originY = -(int32_t)(data[2] & 0x7F) * 4;
    state.dragging = (data[2] & 0x80) != 0;
    state.paneWidth = 100 + (data[3] & 0x0F) * 50;
    state.paneHeight = 20 + (data[3] >> 4) * 10;
    state.contentWidth = 12345;
    state.contentHeight = 678;

    size_t length = size - 4;
    char* text = static_cast<char*>(malloc(length + 1));
    memcpy(text, data + 4, length);
    text[length] = 0;
    state.text = text;

    CheckingCanvas c = {};
    c.text = text;
    c.textLength = strlen(text);
    c.pane = {0, 0, state.paneWidth, state.paneHeight};
    PreviewCanvas canvas = checkingCanvas(c);
    renderMarkup(state, canvas, kLineHeight);

    check(!c.open);
    if (state.dragging) {
        check(state.contentWidth == 12345 && state.contentHeight == 678);
    } else {
        check(state.contentWidth >= 0 && state.contentHeight >= kLineHeight);
        check(state.contentHeight % kLineHeight == 0);
    }
    free(text);
    gDocument.formatVariant = 0;
    gDocument.keyScheme = 0;
    return 0;
}
