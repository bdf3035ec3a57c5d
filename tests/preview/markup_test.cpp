#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "gxt/gxt.h"
#include "preview/markup.h"
#include "recording_canvas.h"

namespace {

constexpr int32_t kLine = 16;
constexpr int32_t W = RecordingCanvas::kPreviewCharWidth;
constexpr int32_t P = RecordingCanvas::kPlaceholderCharWidth;
constexpr int kShadow = 0;
constexpr int kMain = 1;

constexpr uint32_t kBlueMain = 0x00803838, kBlueShadow = 0x00906060;
constexpr uint32_t kRedMain = 0x00003090, kRedShadow = 0x00607070;
constexpr uint32_t kBright = 0x00C9C9C9;  // the text colour after one ~h~

// The layouts a document can have: its format variant (whose high four bits
// give the family) and its key scheme.
struct Layout {
    char variant;
    char scheme;
};
constexpr Layout kNone = {0, 0}, kClassic = {'1', '0'}, kClassicHashed = {'2', '@'};
constexpr Layout kExtended = {'@', '0'}, kExtendedHashed = {'@', '@'};

// Renders through a recording canvas into a 400 x 100 pane. The layout is
// set directly on the document record and put back to "no document" after
// every test.
class MarkupTest : public ::testing::Test {
protected:
    void TearDown() override { use(kNone); }

    static void use(Layout layout) {
        gDocument.formatVariant = layout.variant;
        gDocument.keyScheme = layout.scheme;
    }

    void render(const char* text, int32_t originX = 0, int32_t originY = 0) {
        rec = RecordingCanvas();
        state.text = text;
        state.originX = originX;
        state.originY = originY;
        renderMarkup(state, rec.canvas(), kLine);
    }

    std::vector<RecordedRun> mainRuns() const { return rec.pass(kMain); }
    std::vector<RecordedRun> shadowRuns() const { return rec.pass(kShadow); }

    PreviewState state = [] {
        PreviewState s = {};
        s.paneWidth = 400;
        s.paneHeight = 100;
        return s;
    }();
    RecordingCanvas rec;
};

void expectRun(const RecordedRun& run, const std::string& text, int32_t x, int32_t y, uint32_t colour,
               PreviewFont font = FONT_PREVIEW) {
    EXPECT_EQ(run.text, text);
    EXPECT_EQ(run.x, x) << "x of '" << text << "'";
    EXPECT_EQ(run.y, y) << "y of '" << text << "'";
    EXPECT_EQ(run.colour, colour) << std::hex << "colour of '" << text << "'";
    EXPECT_EQ(run.font, font) << "font of '" << text << "'";
}

TEST_F(MarkupTest, DrawsShadowThenTextFromTheOrigin) {
    render("~r~ab~s~ cd", -30, -20);
    ASSERT_EQ(rec.runs.size(), 4u);
    EXPECT_EQ(rec.passes, 2);
    EXPECT_EQ(rec.runs[0].pass, kShadow);
    expectRun(rec.runs[0], "ab", -28, -18, kRedShadow);
    expectRun(rec.runs[1], " cd", -28 + 2 * W, -18, kShadowColour);
    EXPECT_EQ(rec.runs[2].pass, kMain);
    expectRun(rec.runs[2], "ab", -30, -20, kRedMain);
    expectRun(rec.runs[3], " cd", -30 + 2 * W, -20, kTextColour);
    // Before the first colour token each pass has its own colour.
    render("abc");
    expectRun(rec.runs[0], "abc", 2, 2, kShadowColour);
    expectRun(rec.runs[1], "abc", 0, 0, kTextColour);
}

TEST_F(MarkupTest, ClipsToThePaneAndRestoresFontAndBackground) {
    use(kClassic);
    rec.font = FONT_PLACEHOLDER;
    render("a~1~b~n~c~k~~X~~r~");
    ASSERT_EQ(rec.runs.size(), 10u);
    for (const RecordedRun& run : rec.runs) {
        EXPECT_EQ(run.clip.left, 0);
        EXPECT_EQ(run.clip.top, 0);
        EXPECT_EQ(run.clip.right, 400);
        EXPECT_EQ(run.clip.bottom, 100);
    }
    EXPECT_EQ(rec.begins, 1);
    EXPECT_EQ(rec.finishes, 1);
    EXPECT_FALSE(rec.transparent);
    EXPECT_EQ(rec.font, FONT_PLACEHOLDER);
    EXPECT_EQ(rec.colour, kRedMain);  // the text colour stays as the text left it
}

// Each colour token, in either case, in each layout: '~h~~token~ab~' draws
// 'ab' in the token's colours where the layout knows the token, and else in
// the colours it had before.
TEST_F(MarkupTest, ColourTokensByLayout) {
    enum Scope { ALWAYS, EXTENDED, HASHED, NEVER };
    struct Case {
        const char* token;
        uint32_t main, shadow;
        Scope scope;
    };
    const Case cases[] = {
        {"b", kBlueMain, kBlueShadow, ALWAYS},      {"g", 0x00206030, 0x00607060, ALWAYS},
        {"l", 0x00181818, 0x00505050, ALWAYS},      {"p", 0x00B85880, 0x00505050, ALWAYS},
        {"r", kRedMain, kRedShadow, ALWAYS},        {"s", kTextColour, kShadowColour, ALWAYS},
        {"w", kTextColour, kShadowColour, ALWAYS},  {"y", 0x0058A0B0, 0x00505050, ALWAYS},
        {"m", kTextColour, kShadowColour, EXTENDED}, {"x", kTextColour, kShadowColour, EXTENDED},
        {"z", kTextColour, kShadowColour, HASHED},  {"col_net_1", kRedMain, kRedShadow, EXTENDED},
        {"col_net_2", kBlueMain, kBlueShadow, EXTENDED}, {"col_net_1_more", kRedMain, kRedShadow, EXTENDED},
        {"col_net_3", 0, 0, NEVER},                 {"col_net", 0, 0, NEVER},
        {"rr", 0, 0, NEVER},                        {"q", 0, 0, NEVER},
    };
    for (Layout layout : {kNone, kClassic, kClassicHashed, kExtended, kExtendedHashed}) {
        use(layout);
        const bool extended = layout.variant == '@';
        for (const Case& c : cases) {
            const bool known = c.scope == ALWAYS || (c.scope == EXTENDED && extended) ||
                               (c.scope == HASHED && layout.scheme == '@');
            std::string upper = c.token;
            for (char& ch : upper) ch = (char)std::toupper((unsigned char)ch);
            for (const std::string& token : {std::string(c.token), upper}) {
                const std::string text = "~h~~" + token + "~ab~";
                SCOPED_TRACE(text + " in layout " + std::to_string(layout.variant));
                render(text.c_str());
                ASSERT_FALSE(mainRuns().empty());
                EXPECT_EQ(mainRuns().back().text, "ab");
                EXPECT_EQ(mainRuns().back().colour, known ? c.main : kBright);
                EXPECT_EQ(shadowRuns().back().colour, known ? c.shadow : kShadowColour);
            }
        }
    }
}

// The text each pass draws (placeholders included), by layout.
TEST_F(MarkupTest, TokensByLayout) {
    struct Case {
        Layout layout;
        const char* text;
        const char* shown;
    };
    const Case cases[] = {
        // Key tokens: ~k~~NAME~ in the classic family, prefixes in the extended.
        {kClassic, "~k~~NAME~ abc", "[key] abc"},
        {kClassic, "a~K~~~b", "a[key]b"},
        {kClassic, "~k~~NAME", "[k]"},
        {kClassic, "~k~x", "[k]x"},
        {kClassic, "~k~", "[k]"},
        {kExtended, "~k~~NAME~ abc", "[k]NAME"},  // the last tilde is never closed
        {kNone, "~k~~NAME~ abc", "[k]NAME"},
        {kClassic, "~input_jump~q~", "input_jump[q]"},
        {kExtended, "~input_jump~~PAD_LEFT~~pad_~~Mouse1~~accept~~cancel~~CANCELLED~x",
         "[key][key][key][key][key][key][key]x"},
        {kExtended, "~input~q~", "input[q]"},
        {kExtended, "~pad~q~", "pad[q]"},
        {kExtended, "~mous~q~", "mous[q]"},
        {kExtended, "~accep~q~", "accep[q]"},
        {kExtended, "~cance~q~", "cance[q]"},
        {kExtended, "~cancex~q~", "cancex[q]"},
        {kExtended, "~xinput_~q~", "xinput_[q]"},
        // Blips in the extended family.
        {kExtendedHashed, "~blip_29~a~BLIP_~b", "(i)a(i)b"},
        {kExtended, "~blip~q~", "blip[q]"},
        {kExtended, "~blipx~q~", "blipx[q]"},
        {kClassic, "~blip_29~q~", "blip_29[q]"},
        // One-character tokens.
        {kClassic, "~1~", "<n>"},
        {kExtended, "~1~", "<n>"},
        {kNone, "~1~", "<n>"},
        {kClassic, "~a~~A~", "<text><text>"},
        {kExtended, "~a~", "<text>"},
        {kExtendedHashed, "~e~~E~", "<text><text>"},
        {kClassic, "~e~", "[e]"},
        {kNone, "~e~", "[e]"},
        {kClassic, "~Q~~5~", "[q][5]"},
        {kClassic, "~\xC0~", "[\xC0]"},  // only A to Z are folded
        {kExtended, "~k~", "[k]"},
        // Unterminated, empty and unknown tokens.
        {kNone, "abc~r", "abc"},
        {kNone, "abc~", "abc"},
        {kNone, "abc~1", "abc"},
        {kExtended, "~~~", ""},
        {kNone, "a~~b~d", "ad"},
        {kNone, "x~foo~bar~r~z", "xfoobarz"},
    };
    for (const Case& c : cases) {
        use(c.layout);
        render(c.text);
        EXPECT_EQ(rec.passText(kMain), c.shown) << c.text << " in layout " << (int)c.layout.variant;
        EXPECT_EQ(rec.passText(kShadow), c.shown) << c.text << " in layout " << (int)c.layout.variant;
    }
}

TEST_F(MarkupTest, PlaceholdersUseTheirFontAndPassColourAndLeaveAGap) {
    use(kExtended);
    render("~r~~1~x~a~~e~~Q~~blip_1~~pad_x~y");
    auto runs = mainRuns();
    ASSERT_EQ(runs.size(), 8u);
    int32_t x = 0;
    for (size_t k = 0; k < runs.size(); ++k) {
        const bool text = runs[k].text == "x" || runs[k].text == "y";
        expectRun(runs[k], runs[k].text, x, 0, kRedMain, text ? FONT_PREVIEW : FONT_PLACEHOLDER);
        x += text ? W : (int32_t)runs[k].text.size() * P + kPlaceholderGap;
    }
    EXPECT_EQ(rec.passText(kMain), "<n>x<text><text>[q](i)[key]y");
    expectRun(shadowRuns()[1], "x", 2 + 3 * P + kPlaceholderGap, 2, kRedShadow);
}

TEST_F(MarkupTest, BrighteningCompoundsInTheMainPassOnly) {
    render("~h~a~h~b~H~c~r~~h~d~g~e~y~~h~f");
    auto runs = mainRuns();
    ASSERT_EQ(runs.size(), 6u);
    EXPECT_EQ(runs[0].colour, 0x00C9C9C9u);  // 168 -> 201
    EXPECT_EQ(runs[1].colour, 0x00F1F1F1u);  // 201 -> 241
    EXPECT_EQ(runs[2].colour, 0x00FFFFFFu);  // 241 -> 289, capped
    EXPECT_EQ(runs[3].colour, 0x000039ACu);  // red: 144 -> 172, 48 -> 57, 0
    EXPECT_EQ(runs[4].colour, 0x00206030u);  // green replaces it
    EXPECT_EQ(runs[5].colour, 0x0069C0D3u);  // 176 -> 211, 160 -> 192, 88 -> 105
    auto shadow = shadowRuns();
    ASSERT_EQ(shadow.size(), 6u);
    for (int k : {0, 1, 2}) EXPECT_EQ(shadow[k].colour, kShadowColour);
    EXPECT_EQ(shadow[3].colour, kRedShadow);
    EXPECT_EQ(brightenColour(0x00D5D4D3), 0x00FFFEFDu);  // 213 -> 255, 212 -> 254
    EXPECT_EQ(brightenColour(0x000A0509), 0x000C060Au);  // truncating: 6, 10
}

TEST_F(MarkupTest, NewLineReturnsToTheLeftEdgeOfEachPass) {
    render("ab~n~wxyz~N~q", -5, -7);
    auto runs = mainRuns();
    ASSERT_EQ(runs.size(), 3u);
    expectRun(runs[0], "ab", -5, -7, kTextColour);
    expectRun(runs[1], "wxyz", -5, -7 + kLine, kTextColour);
    expectRun(runs[2], "q", -5, -7 + 2 * kLine, kTextColour);
    auto shadow = shadowRuns();
    ASSERT_EQ(shadow.size(), 3u);
    expectRun(shadow[1], "wxyz", -3, -5 + kLine, kShadowColour);
    expectRun(shadow[2], "q", -3, -5 + 2 * kLine, kShadowColour);
}

// The extent measured from the origin: the widest line (a line ended by ~n~
// in the shadow pass includes its 2-pixel offset) and one line height per
// line. While dragging nothing is measured.
TEST_F(MarkupTest, MeasuresTheText) {
    struct Case {
        const char* text;
        int32_t originX, originY;
        bool dragging;
        int32_t width, height;
    };
    const Case cases[] = {
        {"", 0, 0, false, 0, kLine},
        {"ab~n~wxyz", 0, 0, false, 4 * W, 2 * kLine},
        {"abcd~n~w", 0, 0, false, 2 + 4 * W, 2 * kLine},
        {"abcd~n~w", -60, -10, false, 2 + 4 * W, 2 * kLine},
        {"~n~~n~", 0, 0, false, 2, 3 * kLine},
        {"~1~", 0, 0, false, 3 * P + kPlaceholderGap, kLine},
        {"abc~1", 0, 0, false, 3 * W, kLine},
        {"abcdefghij~n~abc~n~d", 0, 0, true, 1234, 567},
    };
    for (const Case& c : cases) {
        state.dragging = c.dragging;
        state.contentWidth = 1234;
        state.contentHeight = 567;
        render(c.text, c.originX, c.originY);
        EXPECT_EQ(state.contentWidth, c.width) << c.text;
        EXPECT_EQ(state.contentHeight, c.height) << c.text;
    }
    EXPECT_EQ(rec.passText(kMain), "abcdefghijabcd");
}

}  // namespace
