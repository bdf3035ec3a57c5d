#include <gtest/gtest.h>

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
constexpr uint32_t kGreenMain = 0x00206030, kGreenShadow = 0x00607060;
constexpr uint32_t kRedMain = 0x00003090, kRedShadow = 0x00607070;

// Renders through a recording canvas into a 400 x 100 pane. The layout
// family and key scheme are set directly on the document record and put back
// to "no document" after every test.
class MarkupTest : public ::testing::Test {
protected:
    void TearDown() override { useDocument(0, 0); }

    static void useDocument(char variant, char scheme) {
        gDocument.formatVariant = variant;
        gDocument.keyScheme = scheme;
    }
    static void useClassic() { useDocument('1', '0'); }
    static void useExtended() { useDocument('@', '@'); }

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

// ---- Passes ----------------------------------------------------------------

TEST_F(MarkupTest, DrawsShadowThenTextAtTheirStartPositionsAndColours) {
    render("abc");
    ASSERT_EQ(rec.runs.size(), 2u);
    EXPECT_EQ(rec.runs[0].pass, kShadow);
    expectRun(rec.runs[0], "abc", 2, 2, kShadowColour);
    EXPECT_EQ(rec.runs[1].pass, kMain);
    expectRun(rec.runs[1], "abc", 0, 0, kTextColour);
    EXPECT_EQ(rec.passes, 2);
}

TEST_F(MarkupTest, PassesStartAtTheDragOrigin) {
    render("abc", -30, -20);
    ASSERT_EQ(rec.runs.size(), 2u);
    expectRun(rec.runs[0], "abc", -28, -18, kShadowColour);
    expectRun(rec.runs[1], "abc", -30, -20, kTextColour);
}

TEST_F(MarkupTest, ClipsEveryOutputToThePane) {
    useClassic();
    render("a~1~b~n~c~k~~X~");
    ASSERT_FALSE(rec.runs.empty());
    for (const RecordedRun& run : rec.runs) {
        EXPECT_EQ(run.clip.left, 0);
        EXPECT_EQ(run.clip.top, 0);
        EXPECT_EQ(run.clip.right, 400);
        EXPECT_EQ(run.clip.bottom, 100);
    }
}

TEST_F(MarkupTest, RestoresFontAndBackgroundButLeavesColour) {
    rec.font = FONT_PLACEHOLDER;
    render("~r~a~1~");
    EXPECT_EQ(rec.begins, 1);
    EXPECT_EQ(rec.finishes, 1);
    EXPECT_FALSE(rec.transparent);
    EXPECT_EQ(rec.font, FONT_PLACEHOLDER);
    EXPECT_EQ(rec.colour, kRedMain);
}

TEST_F(MarkupTest, EmptyTextDrawsNothingAndMeasuresOneLine) {
    state.contentWidth = 77;
    state.contentHeight = 77;
    render("");
    EXPECT_TRUE(rec.runs.empty());
    EXPECT_EQ(state.contentWidth, 0);
    EXPECT_EQ(state.contentHeight, kLine);
}

// ---- Colour tokens ---------------------------------------------------------

struct ColourCase {
    char letter;
    uint32_t main;
    uint32_t shadow;
};

TEST_F(MarkupTest, ColourLettersSetTheirColourInEachPassInEitherCase) {
    const ColourCase cases[] = {
        {'b', kBlueMain, kBlueShadow},     {'g', kGreenMain, kGreenShadow},
        {'l', 0x00181818, 0x00505050},     {'p', 0x00B85880, 0x00505050},
        {'r', kRedMain, kRedShadow},       {'s', kTextColour, kShadowColour},
        {'w', kTextColour, kShadowColour}, {'y', 0x0058A0B0, 0x00505050},
    };
    for (char variant : {'\0', '1', '@'}) {
        useDocument(variant, variant == '@' ? '@' : '0');
        for (const ColourCase& c : cases) {
            for (char letter : {c.letter, (char)(c.letter - 'a' + 'A')}) {
                std::string text = std::string("~r~x~") + letter + "~ab";
                if (c.letter == 'r') text = std::string("~b~x~") + letter + "~ab";
                render(text.c_str());
                SCOPED_TRACE(text + " variant " + std::to_string(variant));
                ASSERT_EQ(mainRuns().size(), 2u);
                EXPECT_EQ(mainRuns()[1].text, "ab");
                EXPECT_EQ(mainRuns()[1].colour, c.main);
                EXPECT_EQ(shadowRuns()[1].colour, c.shadow);
            }
        }
    }
}

TEST_F(MarkupTest, ColourChangesMidText) {
    render("~r~ab~s~ cd");
    ASSERT_EQ(mainRuns().size(), 2u);
    expectRun(mainRuns()[0], "ab", 0, 0, kRedMain);
    expectRun(mainRuns()[1], " cd", 2 * W, 0, kTextColour);
    ASSERT_EQ(shadowRuns().size(), 2u);
    expectRun(shadowRuns()[0], "ab", 2, 2, kRedShadow);
    expectRun(shadowRuns()[1], " cd", 2 + 2 * W, 2, kShadowColour);
}

TEST_F(MarkupTest, ExtendedOnlyLettersAreColoursOnlyInTheExtendedFamily) {
    for (const char* text : {"~r~~x~a", "~r~~M~a"}) {
        useExtended();
        render(text);
        ASSERT_EQ(mainRuns().size(), 1u) << text;
        EXPECT_EQ(mainRuns()[0].colour, kTextColour);
        EXPECT_EQ(shadowRuns()[0].colour, kShadowColour);

        useClassic();
        render(text);
        EXPECT_EQ(rec.passText(kMain), std::string("[") + (char)(text[4] | 0x20) + "]a") << text;
        EXPECT_EQ(mainRuns()[0].font, FONT_PLACEHOLDER);
        EXPECT_EQ(mainRuns()[1].colour, kRedMain);
    }
}

TEST_F(MarkupTest, ZIsAColourOnlyWithHashedKeys) {
    useDocument('2', '@');   // classic family, hashed keys
    render("~r~~z~a");
    ASSERT_EQ(rec.passText(kMain), "a");
    EXPECT_EQ(mainRuns()[0].colour, kTextColour);
    EXPECT_EQ(shadowRuns()[0].colour, kShadowColour);
}

TEST_F(MarkupTest, NamedNetworkColoursInTheExtendedFamily) {
    useExtended();
    render("~col_net_1~a~COL_NET_2~b~Col_Net_1_more~c~col_net_3~d");
    // col_net_3 is no colour: its text is drawn and its closing tilde opens
    // a token that is never closed.
    EXPECT_EQ(rec.passText(kMain), "abccol_net_3");
    auto runs = mainRuns();
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_EQ(runs[0].colour, kRedMain);
    EXPECT_EQ(runs[1].colour, kBlueMain);
    EXPECT_EQ(runs[2].colour, kRedMain);
    EXPECT_EQ(shadowRuns()[0].colour, kRedShadow);
    EXPECT_EQ(shadowRuns()[1].colour, kBlueShadow);
}

TEST_F(MarkupTest, MatchColourTokenAnswersNoneForOtherTokens) {
    useExtended();
    EXPECT_EQ(matchColourToken("q~", 1, PASS_MAIN), kNoColour);
    EXPECT_EQ(matchColourToken("~", 0, PASS_MAIN), kNoColour);
    EXPECT_EQ(matchColourToken("col_net~", 7, PASS_MAIN), kNoColour);
    EXPECT_EQ(matchColourToken("rr~", 2, PASS_MAIN), kNoColour);
    EXPECT_EQ(matchColourToken("col_net_1~", 10, PASS_SHADOW), kRedShadow);
}

// ---- Key tokens ------------------------------------------------------------

TEST_F(MarkupTest, ClassicKeyTokenSpansTheKeyName) {
    useClassic();
    render("~k~~NAME~ abc");
    auto runs = mainRuns();
    ASSERT_EQ(runs.size(), 2u);
    expectRun(runs[0], "[key]", 0, 0, kTextColour, FONT_PLACEHOLDER);
    expectRun(runs[1], " abc", 5 * P + kPlaceholderGap, 0, kTextColour);

    render("a~K~~~b");   // upper case letter, empty name
    EXPECT_EQ(rec.passText(kMain), "a[key]b");
}

TEST_F(MarkupTest, ClassicKeyTokenNeedsAClosedName) {
    useClassic();
    render("~k~~NAME");
    EXPECT_EQ(rec.passText(kMain), "[k]");
    render("~k~x");
    EXPECT_EQ(rec.passText(kMain), "[k]x");
    render("~k~");
    EXPECT_EQ(rec.passText(kMain), "[k]");
    EXPECT_EQ(matchKeyToken("k~", 1), nullptr);
    EXPECT_EQ(matchKeyToken("key~~a~", 3), nullptr);
}

TEST_F(MarkupTest, ExtendedKeyPrefixes) {
    useExtended();
    for (const char* token : {"input_jump", "PAD_LEFT", "pad_", "Mouse1", "accept", "CANCELLED"}) {
        std::string text = std::string("~") + token + "~x";
        render(text.c_str());
        EXPECT_EQ(rec.passText(kMain), "[key]x") << token;
        EXPECT_EQ(rec.passText(kShadow), "[key]x") << token;
    }
    for (const char* token : {"input", "pad", "mous", "accep", "xinput_"}) {
        std::string text = std::string("~") + token + "~x";
        render(text.c_str());
        EXPECT_NE(rec.passText(kMain).substr(0, 5), "[key]") << token;
    }
    const char* token = "Pad_up~rest";
    EXPECT_EQ(matchKeyToken(token, 6), token + 7);
}

// ---- What each layout shows ---------------------------------------------------

// The text drawn in each pass (placeholders included) for tokens whose
// meaning depends on the layout family and key scheme.
TEST_F(MarkupTest, TokensDependOnTheLayout) {
    struct Case {
        char variant;
        char scheme;
        const char* text;
        const char* shown;
    };
    const Case cases[] = {
        // key tokens
        {'1', '0', "~k~~NAME~ abc", "[key] abc"},
        {'@', '@', "~k~~NAME~ abc", "[k]NAME"},   // last tilde never closed
        {'\0', '\0', "~k~~NAME~ abc", "[k]NAME"},
        {'1', '0', "~input_jump~q~", "input_jump[q]"},
        // blips
        {'@', '@', "~blip_29~a~BLIP_~b", "(i)a(i)b"},
        {'1', '0', "~blip_29~q~", "blip_29[q]"},
        // named and scheme-bound colours
        {'\0', '\0', "~col_net_1~q~", "col_net_1[q]"},
        {'0', '0', "~col_net_1~q~", "col_net_1[q]"},
        {'2', '@', "~col_net_1~q~", "col_net_1[q]"},
        {'@', '0', "~r~~z~a", "[z]a"},
        {'\0', '\0', "~r~~Z~a", "[z]a"},
        // one-character tokens
        {'1', '0', "~1~", "<n>"},
        {'@', '@', "~1~", "<n>"},
        {'\0', '\0', "~1~", "<n>"},
        {'1', '0', "~a~", "<text>"},
        {'1', '0', "~A~", "<text>"},
        {'@', '@', "~a~", "<text>"},
        {'@', '@', "~e~", "<text>"},
        {'@', '@', "~E~", "<text>"},
        {'1', '0', "~e~", "[e]"},
        {'\0', '\0', "~e~", "[e]"},
        {'1', '0', "~Q~", "[q]"},
        {'1', '0', "~5~", "[5]"},
        {'1', '0', "~\xC0~", "[\xC0]"},   // only A to Z are folded
        {'@', '@', "~k~", "[k]"},
        {'@', '@', "~~~", ""},
    };
    for (const Case& c : cases) {
        useDocument(c.variant, c.scheme);
        render(c.text);
        EXPECT_EQ(rec.passText(kMain), c.shown) << c.text << " in layout " << (int)c.variant;
        EXPECT_EQ(rec.passText(kShadow), c.shown) << c.text << " in layout " << (int)c.variant;
    }
}

TEST_F(MarkupTest, PlaceholdersUseThePlaceholderFont) {
    useExtended();
    render("~1~~a~~e~~Q~~blip_1~~pad_x~x");
    auto runs = mainRuns();
    ASSERT_EQ(runs.size(), 7u);
    for (size_t k = 0; k < 6; ++k) EXPECT_EQ(runs[k].font, FONT_PLACEHOLDER) << runs[k].text;
    EXPECT_EQ(runs[6].font, FONT_PREVIEW);
}

TEST_F(MarkupTest, PlaceholdersTakeThePassColourAndLeaveAGap) {
    render("~r~~1~x~a~y");
    auto runs = mainRuns();
    ASSERT_EQ(runs.size(), 4u);
    expectRun(runs[0], "<n>", 0, 0, kRedMain, FONT_PLACEHOLDER);
    expectRun(runs[1], "x", 3 * P + 2, 0, kRedMain);
    expectRun(runs[2], "<text>", 3 * P + 2 + W, 0, kRedMain, FONT_PLACEHOLDER);
    expectRun(runs[3], "y", 3 * P + 2 + W + 6 * P + 2, 0, kRedMain);
    auto shadow = shadowRuns();
    ASSERT_EQ(shadow.size(), 4u);
    expectRun(shadow[1], "x", 2 + 3 * P + 2, 2, kRedShadow);
}

TEST_F(MarkupTest, DrawPlaceholderRestoresThePreviewFont) {
    rec.font = FONT_PREVIEW;
    rec.pen = {10, 20};
    PreviewCanvas canvas = rec.canvas();
    rec.aligned = true;
    drawPlaceholder(canvas, {0, 0, 50, 50}, "[key]", 5);
    ASSERT_EQ(rec.runs.size(), 1u);
    EXPECT_EQ(rec.runs[0].font, FONT_PLACEHOLDER);
    EXPECT_EQ(rec.font, FONT_PREVIEW);
    EXPECT_EQ(rec.pen.x, 10 + 5 * P + 2);
    EXPECT_EQ(rec.pen.y, 20);
}

// ---- Brightening -----------------------------------------------------------

TEST_F(MarkupTest, BrighteningAffectsOnlyTheMainPass) {
    render("~h~a");
    expectRun(mainRuns()[0], "a", 0, 0, 0x00C9C9C9);
    expectRun(shadowRuns()[0], "a", 2, 2, kShadowColour);
}

TEST_F(MarkupTest, BrighteningCompoundsUntilTheNextColour) {
    render("~h~a~h~b~H~c~r~~h~d~g~e");
    auto runs = mainRuns();
    ASSERT_EQ(runs.size(), 5u);
    EXPECT_EQ(runs[0].colour, 0x00C9C9C9u);   // 168 -> 201
    EXPECT_EQ(runs[1].colour, 0x00F1F1F1u);   // 201 -> 241
    EXPECT_EQ(runs[2].colour, 0x00FFFFFFu);   // 241 -> 289, capped
    EXPECT_EQ(runs[3].colour, 0x000039ACu);   // red: 144 -> 172, 48 -> 57, 0
    EXPECT_EQ(runs[4].colour, kGreenMain);
    for (const RecordedRun& run : shadowRuns()) EXPECT_NE(run.colour, 0x00C9C9C9u);
    EXPECT_EQ(shadowRuns()[3].colour, kRedShadow);
}

TEST_F(MarkupTest, BrightenColourCapsEachComponent) {
    EXPECT_EQ(brightenColour(0x00D5D4D3), 0x00FFFEFDu);   // 213 -> 255, 212 -> 254
    EXPECT_EQ(brightenColour(0x00000000), 0x00000000u);
    EXPECT_EQ(brightenColour(0x000A0509), 0x000C060Au);   // truncating: 6, 10
}

// ---- New lines -------------------------------------------------------------

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

TEST_F(MarkupTest, MeasuresTheWidestLineAndCountsLines) {
    render("ab~n~wxyz");
    EXPECT_EQ(state.contentHeight, 2 * kLine);
    EXPECT_EQ(state.contentWidth, 4 * W);   // the last line, after the main pass

    render("abcd~n~w");
    EXPECT_EQ(state.contentWidth, 2 + 4 * W);   // a line ended in the shadow pass

    render("~n~~n~");
    EXPECT_EQ(state.contentHeight, 3 * kLine);
    EXPECT_EQ(state.contentWidth, 2);
}

TEST_F(MarkupTest, MeasuresPlaceholdersWithTheirGap) {
    render("~1~");
    EXPECT_EQ(state.contentWidth, 3 * P + kPlaceholderGap);
    EXPECT_EQ(state.contentHeight, kLine);
}

TEST_F(MarkupTest, MeasuresRelativeToTheOrigin) {
    render("abcdefghij~n~abc");
    int32_t atHome = state.contentWidth;
    render("abcdefghij~n~abc", -60, -10);
    EXPECT_EQ(state.contentWidth, atHome);
    EXPECT_EQ(state.contentHeight, 2 * kLine);
}

TEST_F(MarkupTest, MeasuresNothingWhileDragging) {
    state.dragging = true;
    state.contentWidth = 1234;
    state.contentHeight = 567;
    render("abcdefghijklmnopqrstuvwxyz~n~abc~n~d");
    EXPECT_EQ(state.contentWidth, 1234);
    EXPECT_EQ(state.contentHeight, 567);
    EXPECT_EQ(rec.passText(kMain), "abcdefghijklmnopqrstuvwxyzabcd");
}

// ---- Unterminated and unknown tokens ---------------------------------------

TEST_F(MarkupTest, UnterminatedTokenEndsThePass) {
    for (const char* text : {"abc~r", "abc~", "abc~1"}) {
        render(text);
        ASSERT_EQ(mainRuns().size(), 1u) << text;
        expectRun(mainRuns()[0], "abc", 0, 0, kTextColour);
        ASSERT_EQ(shadowRuns().size(), 1u) << text;
        EXPECT_EQ(state.contentWidth, 3 * W);
    }
}

// An empty token is skipped; an unknown named token is drawn as text without
// its opening tilde, and its closing tilde opens the next token.
TEST_F(MarkupTest, EmptyAndUnknownTokensAreNotConsumed) {
    struct Run {
        const char* text;
        int32_t x;
        uint32_t colour;
    };
    struct Case {
        const char* text;
        std::vector<Run> runs;
    };
    const Case cases[] = {
        {"a~~b~d", {{"a", 0, kTextColour}, {"d", W, kBlueMain}}},
        {"x~foo~bar~r~z",
         {{"x", 0, kTextColour}, {"foo", W, kTextColour}, {"bar", 4 * W, kTextColour}, {"z", 7 * W, kRedMain}}},
    };
    for (const Case& c : cases) {
        render(c.text);
        auto runs = mainRuns();
        ASSERT_EQ(runs.size(), c.runs.size()) << c.text;
        for (size_t k = 0; k < runs.size(); ++k) expectRun(runs[k], c.runs[k].text, c.runs[k].x, 0, c.runs[k].colour);
    }
}

}  // namespace
