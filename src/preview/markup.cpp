#include "preview/markup.h"

#include "gxt/gxt.h"
#include "support/text.h"

namespace {

constexpr int kClassicFamily = 3;
constexpr int kExtendedFamily = 4;

// When a one-letter colour token is recognised.
enum ColourScope : uint8_t { ALWAYS, EXTENDED_ONLY, HASHED_KEYS_ONLY };

struct ColourToken {
    char letter;
    ColourScope scope;
    uint32_t main;
    uint32_t shadow;
};

constexpr ColourToken kColourTokens[] = {
    {'b', ALWAYS, 0x00803838, 0x00906060},
    {'g', ALWAYS, 0x00206030, 0x00607060},
    {'l', ALWAYS, 0x00181818, 0x00505050},
    {'p', ALWAYS, 0x00B85880, 0x00505050},
    {'r', ALWAYS, 0x00003090, 0x00607070},
    {'s', ALWAYS, kTextColour, kShadowColour},
    {'w', ALWAYS, kTextColour, kShadowColour},
    {'y', ALWAYS, 0x0058A0B0, 0x00505050},
    {'m', EXTENDED_ONLY, kTextColour, kShadowColour},
    {'x', EXTENDED_ONLY, kTextColour, kShadowColour},
    {'z', HASHED_KEYS_ONLY, kTextColour, kShadowColour},
};

struct NamedColour {
    const char* prefix;   // compared over its first nine characters
    uint32_t main;
    uint32_t shadow;
};

constexpr NamedColour kNamedColours[] = {
    {"col_net_1", 0x00003090, 0x00607070},
    {"col_net_2", 0x00803838, 0x00906060},
};
constexpr uint32_t kNamedColourLength = 9;

struct KeyPrefix {
    const char* text;
    uint32_t length;
};

constexpr KeyPrefix kKeyPrefixes[] = {
    {"input_", 6}, {"pad_", 4}, {"mouse", 5}, {"accept", 6}, {"cancel", 6},
};

constexpr char kBlipPrefix[] = "blip_";
constexpr uint32_t kBlipPrefixLength = 5;

char foldLetter(char c) { return (c >= 'A' && c <= 'Z') ? (char)(c - 'A' + 'a') : c; }

// Case-folded comparison of the token's first characters with a prefix. The
// token is always followed by its closing tilde, which no prefix contains, so
// a shorter token fails there and nothing past it is read.
bool startsWith(const char* token, const char* prefix, uint32_t length) {
    return compareText(token, prefix, length, 0) == 0;
}

uint32_t scaleComponent(uint32_t colour, int shift) {
    uint32_t v = (colour >> shift) & 0xFF;
    v = v * 12 / 10;
    return (v > 255 ? 255 : v) << shift;
}

struct Pass {
    PreviewState& state;
    const PreviewCanvas& canvas;
    PreviewRect clip;
    int32_t lineHeight;
    PreviewPass pass;

    void measure(int32_t penX) {
        int32_t width = penX - state.originX;
        if (width > state.contentWidth) state.contentWidth = width;
    }

    void placeholder(const char* label, uint32_t length) {
        drawPlaceholder(canvas, clip, label, length);
    }

    void newLine() {
        PreviewPoint at = canvas.pen(canvas.context);
        if (!state.dragging) {
            measure(at.x);
            if (pass == PASS_MAIN) state.contentHeight += lineHeight;
        }
        int32_t left = state.originX + (pass == PASS_SHADOW ? kShadowOffset : 0);
        canvas.movePen(canvas.context, left, at.y + lineHeight);
    }

    // A token of one character that is neither a key nor a colour.
    void control(char c) {
        int family = documentFamily();
        switch (foldLetter(c)) {
        case '1':
            placeholder("<n>", 3);
            return;
        case 'a':
            placeholder("<text>", 6);
            return;
        case 'e':
            if (family == kExtendedFamily) {
                placeholder("<text>", 6);
                return;
            }
            break;
        case 'h':
            if (pass == PASS_MAIN)
                canvas.setTextColour(canvas.context, brightenColour(canvas.textColour(canvas.context)));
            return;
        case 'n':
            newLine();
            return;
        default:
            break;
        }
        char label[3] = {'[', foldLetter(c), ']'};
        placeholder(label, 3);
    }

    void run() {
        int32_t startX = state.originX + (pass == PASS_SHADOW ? kShadowOffset : 0);
        int32_t startY = state.originY + (pass == PASS_SHADOW ? kShadowOffset : 0);
        canvas.movePen(canvas.context, startX, startY);
        canvas.setTextColour(canvas.context, pass == PASS_SHADOW ? kShadowColour : kTextColour);
        canvas.alignToPen(canvas.context);

        const char* text = state.text;
        const char* p = text;
        for (;;) {
            const char* end = p;
            while (*end != 0 && *end != '~') ++end;
            if (end != p) {
                canvas.drawRun(canvas.context, p, (uint32_t)(end - p), clip);
                canvas.pen(canvas.context);
                p = end;
            }
            if (*p == 0) return;

            const char* token = p + 1;
            const char* close = token;
            while (*close != 0 && *close != '~') ++close;
            if (*close == 0) return;   // unterminated: the rest is not drawn
            uint32_t length = (uint32_t)(close - token);

            if (const char* after = matchKeyToken(token, length)) {
                placeholder("[key]", 5);
                p = after;
                continue;
            }
            uint32_t colour = matchColourToken(token, length, pass);
            if (colour != kNoColour) {
                canvas.setTextColour(canvas.context, colour);
                p = close + 1;
                continue;
            }
            if (documentFamily() == kExtendedFamily && startsWith(token, kBlipPrefix, kBlipPrefixLength)) {
                placeholder("(i)", 3);
                p = close + 1;
                continue;
            }
            if (length == 1) {
                control(*token);
                p = close + 1;
                continue;
            }
            // Not a token after all: its text is drawn as it stands, and its
            // closing tilde opens the next token.
            p = token;
        }
    }
};

}  // namespace

uint32_t brightenColour(uint32_t colour) {
    return scaleComponent(colour, 0) | scaleComponent(colour, 8) | scaleComponent(colour, 16);
}

const char* matchKeyToken(const char* token, uint32_t length) {
    int family = documentFamily();
    if (family == kClassicFamily) {
        // ~k~~NAME~ : the letter, its closing tilde, then a tilde that opens
        // the (possibly empty) name.
        if (length != 1 || foldLetter(token[0]) != 'k' || token[2] != '~') return nullptr;
        const char* name = token + 3;
        while (*name != 0 && *name != '~') ++name;
        return *name == '~' ? name + 1 : nullptr;
    }
    if (family == kExtendedFamily) {
        for (const KeyPrefix& prefix : kKeyPrefixes) {
            if (startsWith(token, prefix.text, prefix.length)) return token + length + 1;
        }
    }
    return nullptr;
}

uint32_t matchColourToken(const char* token, uint32_t length, PreviewPass pass) {
    int family = documentFamily();
    if (length == 1) {
        char letter = foldLetter(token[0]);
        for (const ColourToken& entry : kColourTokens) {
            if (entry.letter != letter) continue;
            if (entry.scope == EXTENDED_ONLY && family != kExtendedFamily) return kNoColour;
            if (entry.scope == HASHED_KEYS_ONLY && gDocument.keyScheme != '@') return kNoColour;
            return pass == PASS_SHADOW ? entry.shadow : entry.main;
        }
        return kNoColour;
    }
    if (family != kExtendedFamily) return kNoColour;
    for (const NamedColour& entry : kNamedColours) {
        if (startsWith(token, entry.prefix, kNamedColourLength))
            return pass == PASS_SHADOW ? entry.shadow : entry.main;
    }
    return kNoColour;
}

void drawPlaceholder(const PreviewCanvas& canvas, const PreviewRect& clip, const char* label,
                     uint32_t length) {
    canvas.selectFont(canvas.context, FONT_PLACEHOLDER);
    canvas.drawRun(canvas.context, label, length, clip);
    canvas.selectFont(canvas.context, FONT_PREVIEW);
    PreviewPoint at = canvas.pen(canvas.context);
    canvas.movePen(canvas.context, at.x + kPlaceholderGap, at.y);
}

void renderMarkup(PreviewState& state, const PreviewCanvas& canvas, int32_t lineHeight) {
    canvas.beginText(canvas.context);
    if (!state.dragging) {
        state.contentWidth = 0;
        state.contentHeight = lineHeight;
    }
    PreviewRect clip = {0, 0, state.paneWidth, state.paneHeight};
    Pass shadow = {state, canvas, clip, lineHeight, PASS_SHADOW};
    shadow.run();
    Pass main = {state, canvas, clip, lineHeight, PASS_MAIN};
    main.run();
    if (!state.dragging) main.measure(canvas.pen(canvas.context).x);
    canvas.finishText(canvas.context);
}
