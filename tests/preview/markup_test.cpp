#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "gxt/gxt.h"
#include "preview/markup.h"
#include "recording_canvas.h"

namespace {

// On the recording canvas a character is 10 pixels wide in the preview font
// and 6 in the placeholder font; the tests take lines of 16 pixels.
constexpr int32_t kLine = 16;
constexpr int kShadow = 0;
constexpr int kMain = 1;

// A document's format variant (whose high four bits give the family) and
// key scheme.
struct Layout { char variant, scheme; };
constexpr Layout kNone = {0, 0}, kClassic = {'1', '0'}, kClassicHashed = {'2', '@'};
constexpr Layout kExtended = {'@', '0'}, kExtendedHashed = {'@', '@'};

// Renders into a 400 x 100 pane. The layout is set directly on the document
// record and put back to "no document" after every test.
class MarkupTest : public ::testing::Test {
protected:
    void TearDown() override { use(kNone); }

    static void use(Layout layout) {
        gDocument.formatVariant = layout.variant;
        gDocument.keyScheme = layout.scheme;
    }

    void render(const char* text, int32_t originX = 0, int32_t originY = 0) {
        rec = RecordingCanvas();
        state.text = text, state.originX = originX, state.originY = originY;
        renderMarkup(state, rec.canvas(), kLine);
    }

    PreviewState state = [] {
        PreviewState s = {};
        s.paneWidth = 400, s.paneHeight = 100;
        return s;
    }();
    RecordingCanvas rec;
};

// Where and in which colour and font each pass draws.
TEST_F(MarkupTest, PassesDrawRunsAndPlaceholders) {
    struct Case {
        Layout layout;
        const char* text;
        int32_t originX, originY;
        const char* shadow;
        const char* main;
    };
    const Case cases[] = {
        {kNone, "abc", 0, 0, "abc@2,2/404040", "abc@0,0/a8a8a8"},
        {kNone, "~r~ab~s~ cd", -30, -20, "ab@-28,-18/607070| cd@-8,-18/404040", "ab@-30,-20/003090| cd@-10,-20/a8a8a8"},
        {kNone, "ab~n~wxyz~N~q", -5, -7, "ab@-3,-5/404040|wxyz@-3,11/404040|q@-3,27/404040",
         "ab@-5,-7/a8a8a8|wxyz@-5,9/a8a8a8|q@-5,25/a8a8a8"},
        // Placeholders take the pass's colour and leave a gap of 2 pixels.
        {kExtended, "~r~~1~x~a~~e~~Q~~blip_1~~pad_x~y", 0, 0,
         "*<n>@2,2/607070|x@22,2/607070|*<text>@32,2/607070|*<text>@70,2/607070|*[q]@108,2/607070|"
         "*(i)@128,2/607070|*[key]@148,2/607070|y@180,2/607070",
         "*<n>@0,0/003090|x@20,0/003090|*<text>@30,0/003090|*<text>@68,0/003090|*[q]@106,0/003090|"
         "*(i)@126,0/003090|*[key]@146,0/003090|y@178,0/003090"},
        {kClassic, "~k~~NAME~ abc", 0, 0, "*[key]@2,2/404040| abc@34,2/404040", "*[key]@0,0/a8a8a8| abc@32,0/a8a8a8"},
        // ~h~ brightens the main pass only, compounding up to 255 per
        // component, until the next colour token.
        {kNone, "~h~a~h~b~H~c~r~~h~d~g~e~y~~h~f", 0, 0,
         "a@2,2/404040|b@12,2/404040|c@22,2/404040|d@32,2/607070|e@42,2/607060|f@52,2/505050",
         "a@0,0/c9c9c9|b@10,0/f1f1f1|c@20,0/ffffff|d@30,0/0039ac|e@40,0/206030|f@50,0/69c0d3"},
        // An empty token is skipped; an unknown one is drawn without its
        // opening tilde, and its closing tilde opens the next token.
        {kNone, "a~~b~d", 0, 0, "a@2,2/404040|d@12,2/906060", "a@0,0/a8a8a8|d@10,0/803838"},
        {kNone, "x~foo~bar~r~z", 0, 0, "x@2,2/404040|foo@12,2/404040|bar@42,2/404040|z@72,2/607070",
         "x@0,0/a8a8a8|foo@10,0/a8a8a8|bar@40,0/a8a8a8|z@70,0/003090"},
    };
    for (const Case& c : cases) {
        use(c.layout);
        render(c.text, c.originX, c.originY);
        EXPECT_EQ(rec.trace(kShadow), c.shadow) << c.text;
        EXPECT_EQ(rec.trace(kMain), c.main) << c.text;
        // Output is clipped to the pane; the font the context had and its
        // background mode are put back, the text colour stays as the text set it.
        for (const RecordedRun& run : rec.runs)
            EXPECT_TRUE(run.clip.left == 0 && run.clip.top == 0 && run.clip.right == 400 && run.clip.bottom == 100);
        EXPECT_EQ(rec.passes, 2);
        EXPECT_TRUE(rec.begins == 1 && rec.finishes == 1 && !rec.transparent && rec.font == FONT_PLACEHOLDER);
        EXPECT_EQ(rec.colour, rec.runs.back().colour);
    }
    EXPECT_EQ(brightenColour(0x00D6D5D4), 0x00FFFFFEu);  // 214 -> 256 held at 255, 213 -> 255, 212 -> 254
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
        {"b", 0x00803838, 0x00906060, ALWAYS},         {"g", 0x00206030, 0x00607060, ALWAYS},
        {"l", 0x00181818, 0x00505050, ALWAYS},         {"p", 0x00B85880, 0x00505050, ALWAYS},
        {"r", 0x00003090, 0x00607070, ALWAYS},         {"s", 0x00A8A8A8, 0x00404040, ALWAYS},
        {"w", 0x00A8A8A8, 0x00404040, ALWAYS},         {"y", 0x0058A0B0, 0x00505050, ALWAYS},
        {"m", 0x00A8A8A8, 0x00404040, EXTENDED},       {"x", 0x00A8A8A8, 0x00404040, EXTENDED},
        {"z", 0x00A8A8A8, 0x00404040, HASHED},         {"col_net_1", 0x00003090, 0x00607070, EXTENDED},
        {"col_net_2", 0x00803838, 0x00906060, EXTENDED}, {"col_net_1_more", 0x00003090, 0x00607070, EXTENDED},
        {"col_net_3", 0, 0, NEVER}, {"col_net", 0, 0, NEVER}, {"rr", 0, 0, NEVER}, {"q", 0, 0, NEVER},
    };
    for (Layout layout : {kNone, kClassic, kClassicHashed, kExtended, kExtendedHashed}) {
        use(layout);
        for (const Case& c : cases) {
            const bool known = c.scope == ALWAYS || (c.scope == EXTENDED && layout.variant == '@') ||
                               (c.scope == HASHED && layout.scheme == '@');
            std::string upper = c.token;
            for (char& ch : upper) ch = (char)std::toupper((unsigned char)ch);
            for (const std::string& token : {std::string(c.token), upper}) {
                const std::string text = "~h~~" + token + "~ab~";
                SCOPED_TRACE(text + " in layout " + std::to_string(layout.variant));
                render(text.c_str());
                const std::vector<RecordedRun> main = rec.pass(kMain), shadow = rec.pass(kShadow);
                ASSERT_FALSE(main.empty());
                EXPECT_EQ(main.back().text, "ab");
                EXPECT_EQ(main.back().colour, known ? c.main : 0x00C9C9C9);
                EXPECT_EQ(shadow.back().colour, known ? c.shadow : 0x00404040);
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
        {kClassic, "a~K~~~b", "a[key]b"},
        {kClassic, "~k~~NAME", "[k]"},
        {kClassic, "~k~x", "[k]x"},
        {kExtended, "~k~~NAME~ abc", "[k]NAME"},  // the last tilde is never closed
        {kNone, "~k~~NAME~ abc", "[k]NAME"},
        {kClassic, "~input_jump~q~", "input_jump[q]"},
        {kExtended, "~input_jump~~PAD_LEFT~~pad_~~Mouse1~~accept~~cancel~~CANCELLED~x",
         "[key][key][key][key][key][key][key]x"},
        {kExtended, "~input~~pad~~mous~~accep~~cance~~cancex~~xinput_~q~", "inputpadmousaccepcancecancexxinput_[q]"},
        {kExtendedHashed, "~blip_29~a~BLIP_~b", "(i)a(i)b"},
        {kExtended, "~blip~~blipx~q~", "blipblipx[q]"},
        {kClassic, "~blip_29~q~", "blip_29[q]"},
        {kNone, "~1~~a~~A~~e~", "<n><text><text>[e]"},
        {kExtendedHashed, "~e~~E~", "<text><text>"},
        {kClassic, "~Q~~5~~e~", "[q][5][e]"},
        {kClassic, "~\xC0~", "[\xC0]"},  // only A to Z are folded
        // An unterminated token ends the pass.
        {kNone, "abc~r", "abc"},
        {kNone, "abc~", "abc"},
        {kExtended, "~~~", ""},
    };
    for (const Case& c : cases) {
        use(c.layout);
        render(c.text);
        for (int pass : {kShadow, kMain}) EXPECT_EQ(rec.passText(pass), c.shown) << c.text << " in " << c.layout.variant;
    }
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
        {"ab~n~wxyz", 0, 0, false, 40, 2 * kLine},
        {"abcd~n~w", -60, -10, false, 42, 2 * kLine},
        {"~n~~n~", 0, 0, false, 2, 3 * kLine},
        {"~1~", 0, 0, false, 20, kLine},
        {"abc~1", 0, 0, false, 30, kLine},
        {"abcdefghij~n~abc~n~d", 0, 0, true, 1234, 567},
    };
    for (const Case& c : cases) {
        state.dragging = c.dragging, state.contentWidth = 1234, state.contentHeight = 567;
        render(c.text, c.originX, c.originY);
        EXPECT_EQ(state.contentWidth, c.width) << c.text;
        EXPECT_EQ(state.contentHeight, c.height) << c.text;
    }
    EXPECT_EQ(rec.passText(kMain), "abcdefghijabcd");
}

}  // namespace
