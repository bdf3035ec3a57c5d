// A canvas for the renderer tests: every character is a fixed number of
// pixels wide (one width per font), and every run is recorded with where it
// was drawn, in which font and colour, and in which pass.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "preview/markup.h"

struct RecordedRun {
    std::string text;
    int32_t x;
    int32_t y;
    uint32_t colour;
    PreviewFont font;
    int pass;              // 0 shadow, 1 main (by the pass's alignment call)
    PreviewRect clip;
};

struct RecordingCanvas {
    static constexpr int32_t kPreviewCharWidth = 10;
    static constexpr int32_t kPlaceholderCharWidth = 6;

    std::vector<RecordedRun> runs;
    PreviewPoint pen = {-999, -999};
    uint32_t colour = 0x00123456;    // whatever the context had before
    PreviewFont font = FONT_PLACEHOLDER;
    bool transparent = false;
    int passes = 0;                  // alignment calls seen
    int begins = 0;
    int finishes = 0;
    int fontBeforeBegin = -1;        // restored by finishText

    PreviewCanvas canvas();
    // The runs of one pass, in drawing order.
    std::vector<RecordedRun> pass(int which) const;
    // The texts of one pass concatenated, placeholders included.
    std::string passText(int which) const;
    // The runs of one pass as "text@x,y/bbggrr" (the colour as 0x00BBGGRR)
    // joined by "|"; placeholders are marked with a leading "*".
    std::string trace(int which) const;
};

inline PreviewCanvas RecordingCanvas::canvas() {
    PreviewCanvas c = {};
    c.context = this;
    c.beginText = [](void* ctx) {
        auto& r = *static_cast<RecordingCanvas*>(ctx);
        r.begins++, r.transparent = true, r.fontBeforeBegin = r.font, r.font = FONT_PREVIEW;
    };
    c.finishText = [](void* ctx) {
        auto& r = *static_cast<RecordingCanvas*>(ctx);
        r.finishes++, r.transparent = false, r.font = (PreviewFont)r.fontBeforeBegin;
    };
    c.selectFont = [](void* ctx, PreviewFont f) { static_cast<RecordingCanvas*>(ctx)->font = f; };
    c.setTextColour = [](void* ctx, uint32_t colour) { static_cast<RecordingCanvas*>(ctx)->colour = colour; };
    c.textColour = [](void* ctx) { return static_cast<RecordingCanvas*>(ctx)->colour; };
    c.alignToPen = [](void* ctx) { static_cast<RecordingCanvas*>(ctx)->passes++; };
    c.movePen = [](void* ctx, int32_t x, int32_t y) { static_cast<RecordingCanvas*>(ctx)->pen = {x, y}; };
    c.pen = [](void* ctx) { return static_cast<RecordingCanvas*>(ctx)->pen; };
    c.drawRun = [](void* ctx, const char* run, uint32_t length, const PreviewRect& clip) {
        auto& r = *static_cast<RecordingCanvas*>(ctx);
        r.runs.push_back({std::string(run, length), r.pen.x, r.pen.y, r.colour, r.font, r.passes - 1, clip});
        // Once aligned to the pen, drawing moves it.
        if (r.passes) r.pen.x += (r.font == FONT_PREVIEW ? kPreviewCharWidth : kPlaceholderCharWidth) * (int32_t)length;
    };
    return c;
}

inline std::vector<RecordedRun> RecordingCanvas::pass(int which) const {
    std::vector<RecordedRun> out;
    for (const RecordedRun& run : runs)
        if (run.pass == which) out.push_back(run);
    return out;
}

inline std::string RecordingCanvas::passText(int which) const {
    std::string out;
    for (const RecordedRun& run : pass(which)) out += run.text;
    return out;
}

inline std::string RecordingCanvas::trace(int which) const {
    std::string out;
    for (const RecordedRun& run : pass(which)) {
        char where[64];
        std::snprintf(where, sizeof where, "@%d,%d/%06x", (int)run.x, (int)run.y, (unsigned)run.colour);
        out += (out.empty() ? "" : "|") + std::string(run.font == FONT_PLACEHOLDER ? "*" : "") + run.text + where;
    }
    return out;
}
