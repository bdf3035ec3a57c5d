// Rendering cost of the preview: a text of the longest size an entry can be
// edited to (4095 characters) with 500 tokens, drawn in both passes onto a
// canvas that only counts and advances the pen. The pane renders the whole
// text twice on every paint, so this bounds the renderer's share of a paint
// and of every drag step.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "gxt/gxt.h"
#include "preview/markup.h"

namespace {

struct CountingCanvas {
    PreviewPoint pen;
    uint32_t colour;
    uint32_t runs;
    uint32_t characters;
};

PreviewCanvas countingCanvas(CountingCanvas& c) {
    PreviewCanvas canvas = {};
    canvas.context = &c;
    canvas.beginText = [](void*) {};
    canvas.finishText = [](void*) {};
    canvas.selectFont = [](void*, PreviewFont) {};
    canvas.setTextColour = [](void* p, uint32_t colour) { static_cast<CountingCanvas*>(p)->colour = colour; };
    canvas.textColour = [](void* p) { return static_cast<CountingCanvas*>(p)->colour; };
    canvas.alignToPen = [](void*) {};
    canvas.movePen = [](void* p, int32_t x, int32_t y) { static_cast<CountingCanvas*>(p)->pen = {x, y}; };
    canvas.pen = [](void* p) { return static_cast<CountingCanvas*>(p)->pen; };
    canvas.drawRun = [](void* p, const char*, uint32_t length, const PreviewRect&) {
        auto* c = static_cast<CountingCanvas*>(p);
        c->runs++;
        c->characters += length;
        c->pen.x += 8 * (int32_t)length;
    };
    return canvas;
}

// 500 tokens of the family's kinds between runs of words, 4095 characters.
std::string sampleText(const char* const* tokens, size_t tokenKinds) {
    const std::string words = "The quick brown fox jumps over the lazy dog again ";
    std::string text;
    const size_t kTokens = 500;
    const size_t kLength = 4095;
    size_t tokenChars = 0;
    for (size_t k = 0; k < kTokens; ++k) tokenChars += std::string(tokens[k % tokenKinds]).size();
    size_t gap = (kLength - tokenChars) / kTokens;
    size_t w = 0;
    for (size_t k = 0; k < kTokens; ++k) {
        for (size_t c = 0; c < gap; ++c) text += words[w++ % words.size()];
        text += tokens[k % tokenKinds];
    }
    while (text.size() < kLength) text += words[w++ % words.size()];
    return text;
}

void renderSample(benchmark::State& state, char variant, char scheme, const char* const* tokens,
                  size_t tokenKinds) {
    gDocument.formatVariant = variant;
    gDocument.keyScheme = scheme;
    std::string text = sampleText(tokens, tokenKinds);
    PreviewState preview = {};
    preview.text = text.c_str();
    preview.paneWidth = 800;
    preview.paneHeight = 120;
    CountingCanvas counter = {};
    PreviewCanvas canvas = countingCanvas(counter);
    for (auto _ : state) {
        renderMarkup(preview, canvas, 23);
        benchmark::DoNotOptimize(preview.contentWidth);
    }
    state.counters["chars"] = (double)text.size();
    state.counters["runs/render"] =
        benchmark::Counter((double)counter.runs, benchmark::Counter::kAvgIterations);
    gDocument.formatVariant = 0;
    gDocument.keyScheme = 0;
}

void BM_RenderClassic(benchmark::State& state) {
    static const char* const kTokens[] = {"~r~", "~n~", "~h~", "~1~", "~k~~PED_FIREWEAPON~",
                                          "~g~", "~a~", "~Y~", "~s~", "~w~"};
    renderSample(state, '1', '0', kTokens, sizeof kTokens / sizeof kTokens[0]);
}

void BM_RenderExtended(benchmark::State& state) {
    static const char* const kTokens[] = {"~r~",        "~n~",          "~h~",         "~1~",
                                          "~INPUT_JUMP~", "~col_net_1~", "~blip_29~",   "~x~",
                                          "~pad_left~", "~e~",          "~m~",  "~z~"};
    renderSample(state, '@', '@', kTokens, sizeof kTokens / sizeof kTokens[0]);
}

}  // namespace

BENCHMARK(BM_RenderClassic)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RenderExtended)->Unit(benchmark::kMicrosecond);
