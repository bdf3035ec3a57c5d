// Renders arbitrary texts with the mark-up renderer, with no document and in
// both layout families. The first bytes choose the layout, the origin, the
// pane and whether a drag is in progress; the rest is the text, in a block of
// exactly its length plus the terminator (ASan catches any read past it). The
// canvas aborts on output not clipped to the pane, on runs that come neither
// from the text nor from a placeholder label, or that hold a tilde.
#include "fuzz_support.h"
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

bool isLabel(const char* run, uint32_t length) {
    static const char* const kLabels[] = {"[key]", "(i)", "<n>", "<text>"};
    for (const char* label : kLabels)
        if (length == strlen(label) && memcmp(run, label, length) == 0) return true;
    return length == 3 && run[0] == '[' && run[2] == ']';
}

CheckingCanvas* at(void* p) { return static_cast<CheckingCanvas*>(p); }

PreviewCanvas checkingCanvas(CheckingCanvas& c) {
    PreviewCanvas canvas = {};
    canvas.context = &c;
    canvas.beginText = [](void* p) { check(!at(p)->open), at(p)->open = true, at(p)->font = FONT_PREVIEW; };
    canvas.finishText = [](void* p) { check(at(p)->open && at(p)->font == FONT_PREVIEW), at(p)->open = false; };
    canvas.selectFont = [](void* p, PreviewFont f) { check(f == FONT_PREVIEW || f == FONT_PLACEHOLDER), at(p)->font = f; };
    canvas.setTextColour = [](void* p, uint32_t colour) { check(!(colour & 0xFF000000)), at(p)->colour = colour; };
    canvas.textColour = [](void* p) { return at(p)->colour; };
    canvas.alignToPen = [](void*) {};
    canvas.movePen = [](void* p, int32_t x, int32_t y) { at(p)->pen = {x, y}; };
    canvas.pen = [](void* p) { return at(p)->pen; };
    canvas.drawRun = [](void* p, const char* run, uint32_t length, const PreviewRect& clip) {
        CheckingCanvas* c = at(p);
        check(c->open && length > 0);
        check(clip.left == c->pane.left && clip.top == c->pane.top && clip.right == c->pane.right &&
              clip.bottom == c->pane.bottom);
        if (c->font == FONT_PLACEHOLDER) check(isLabel(run, length));
        else check(run >= c->text && run + length <= c->text + c->textLength && !memchr(run, '~', length) &&
                   !memchr(run, 0, length));
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

    std::vector<char> block(size - 4 + 1);
    memcpy(block.data(), data + 4, size - 4);
    const char* text = state.text = block.data();

    CheckingCanvas c = {text, strlen(text), {0, 0, state.paneWidth, state.paneHeight}, {}, 0, 0, false, 0};
    PreviewCanvas canvas = checkingCanvas(c);
    renderMarkup(state, canvas, kLineHeight);

    check(!c.open);
    if (state.dragging) check(state.contentWidth == 12345 && state.contentHeight == 678);
    else check(state.contentWidth >= 0 && state.contentHeight >= kLineHeight && state.contentHeight % kLineHeight == 0);
    gDocument.formatVariant = 0;
    gDocument.keyScheme = 0;
    return 0;
}
