// The renderer of the game's text mark-up: draws one display text the way the
// game shows it (a drop shadow, then the text; colour tokens, new lines and
// bracketed placeholders for keys, numbers and inserted texts) and measures
// its extent for the preview pane.
//
// It draws through a canvas, so that the same code runs on a Windows device
// context and on the recording canvases of the tests.
#pragma once

#include <cstdint>

#include "preview/preview_state.h"

// Colours are 0x00BBGGRR.
constexpr uint32_t kNoColour = 0xFFFFFFFF;
constexpr uint32_t kShadowColour = 0x00404040;
constexpr uint32_t kTextColour = 0x00A8A8A8;
// Shadow offset of the first pass and gap after every placeholder, pixels.
constexpr int32_t kShadowOffset = 2;
constexpr int32_t kPlaceholderGap = 2;

enum PreviewPass : int32_t { PASS_SHADOW, PASS_MAIN };
enum PreviewFont : int32_t { FONT_PREVIEW, FONT_PLACEHOLDER };

struct PreviewPoint {
    int32_t x;
    int32_t y;
};

// Every output is clipped to this rectangle (left and top inclusive).
struct PreviewRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

struct PreviewCanvas {
    void* context;
    // Makes the text background transparent and selects the preview font,
    // remembering what was there; finishText puts both back.
    void (*beginText)(void* context);
    void (*finishText)(void* context);
    void (*selectFont)(void* context, PreviewFont font);
    void (*setTextColour)(void* context, uint32_t colour);
    uint32_t (*textColour)(void* context);
    // From here on every output starts at the pen and advances it.
    void (*alignToPen)(void* context);
    void (*movePen)(void* context, int32_t x, int32_t y);
    PreviewPoint (*pen)(void* context);
    // Draws length characters at the pen in the selected font and colour,
    // clipped to clip; the pen moves right by their width.
    void (*drawRun)(void* context, const char* run, uint32_t length, const PreviewRect& clip);
};

// Draws state.text in both passes, starting at the origin; unless dragging,
// sets contentWidth (relative to the origin) and contentHeight. lineHeight is
// the height of one line of the preview font.
void renderMarkup(PreviewState& state, const PreviewCanvas& canvas, int32_t lineHeight);

// token: the characters after an opening tilde; length: up to the closing
// tilde. The position right after the whole key token, or null.
const char* matchKeyToken(const char* token, uint32_t length);
// The colour that the token selects for the pass, or kNoColour.
uint32_t matchColourToken(const char* token, uint32_t length, PreviewPass pass);
// Draws the label at the pen in the placeholder font and leaves a gap.
void drawPlaceholder(const PreviewCanvas& canvas, const PreviewRect& clip, const char* label,
                     uint32_t length);
// The colour one "~h~" token makes of colour: each component times 1.2,
// at most 255.
uint32_t brightenColour(uint32_t colour);
