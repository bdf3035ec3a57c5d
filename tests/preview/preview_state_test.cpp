#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gxt/gxt.h"
#include "preview/markup.h"
#include "preview/preview_state.h"
#include "recording_canvas.h"

namespace {

PreviewState paneOf(int32_t width, int32_t height, int32_t contentWidth, int32_t contentHeight) {
    PreviewState s = {};
    s.paneWidth = width, s.paneHeight = height, s.contentWidth = contentWidth, s.contentHeight = contentHeight;
    updateScrollState(s);
    return s;
}

TEST(PreviewScroll, DragFlagsAndCursorFollowTheExtent) {
    const struct {
        int32_t contentWidth, contentHeight;
        bool x, y;
        int32_t slot;
    } cases[] = {
        {400, 100, false, false, CURSOR_ARROW},  // exactly the pane's size
        {401, 100, true, false, CURSOR_DRAG_X},
        {400, 101, false, true, CURSOR_DRAG_Y},
        {900, 300, true, true, CURSOR_DRAG_XY},
    };
    for (const auto& c : cases) {
        PreviewState s = paneOf(400, 100, c.contentWidth, c.contentHeight);
        EXPECT_TRUE(s.canDragX == c.x && s.canDragY == c.y && s.cursorSlot == c.slot) << c.contentWidth << "x" << c.contentHeight;
    }
}

// A drag in a 400 x 100 pane: after each step, whether the pane is redrawn
// and where the origin stands.
TEST(PreviewScroll, DragStepsMoveTheOriginBetweenItsLimits) {
    struct Step {
        int32_t x, y;
        bool moved;
        int32_t originX, originY;
    };
    const struct {
        const char* what;
        int32_t contentWidth, contentHeight;
        bool press;
        int32_t pressX, pressY;
        std::vector<Step> steps;
    } cases[] = {
        {"fits", 120, 16, true, 50, 50, {{10, 20, false, 0, 0}, {-150, -100, false, 0, 0}}},
        {"wide", 700, 16, true, 200, 50,
         {{250, 50, false, 0, 0}, {100, 50, true, -150, 0}, {-200, 50, true, -300, 0},
          {-260, 50, false, -300, 0}, {-160, 50, true, -200, 0}}},
        {"tall", 300, 180, true, 10, 90, {{-200, 90, false, 0, 0}, {-200, 40, true, 0, -50}, {0, -100, true, 0, -80}}},
        {"not pressed", 900, 300, false, 0, 0, {{-100, -100, false, 0, 0}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PreviewState s = paneOf(400, 100, c.contentWidth, c.contentHeight);
        s.dragLastX = s.dragLastY = 100;
        if (c.press) beginDrag(s, c.pressX, c.pressY);
        for (const Step& step : c.steps) {
            EXPECT_EQ(dragStep(s, step.x, step.y), step.moved) << step.x << "," << step.y;
            EXPECT_TRUE(s.originX == step.originX && s.originY == step.originY) << s.originX << "," << s.originY;
        }
    }
}

TEST(PreviewScroll, ClampsToTheLimitsOfTheExtent) {
    const struct {
        int32_t paneWidth, paneHeight, contentWidth, contentHeight, x, y, clampedX, clampedY;
    } cases[] = {
        {600, 100, 700, 300, -300, -200, -100, -200},  // a wider pane
        {800, 400, 700, 300, -300, -200, 0, 0},
        {400, 100, 700, 300, 25, 10, 0, 0},  // never right of or below home
        {500, 100, 70000, 16, -69000, 0, -69000, 0},
        {500, 100, 70000, 16, -80000, 0, -69500, 0},
    };
    for (const auto& c : cases) {
        PreviewState s = paneOf(c.paneWidth, c.paneHeight, c.contentWidth, c.contentHeight);
        s.originX = c.x, s.originY = c.y;
        clampOrigin(s);
        EXPECT_EQ(s.originX, c.clampedX) << c.x;
        EXPECT_EQ(s.originY, c.clampedY) << c.y;
    }
}

// A text shown again or a resize moves the origin outside the drag; the
// first step that then lands where the origin stood before is a move, and a
// step that stays put is none. Along either axis.
TEST(PreviewScroll, AStepBackToTheOldOriginAfterAShowOrResizeRedraws) {
    const struct {
        const char* change;
        void (*apply)(PreviewState&, bool vertical);
        bool pressAgain;
    } cases[] = {
        {"shown during the drag", [](PreviewState& s, bool) { homeOrigin(s); }, false},
        {"shown, then pressed", [](PreviewState& s, bool) { homeOrigin(s); }, true},
        {"resized during the drag",
         [](PreviewState& s, bool v) {
             resizePane(s, v ? 100 : 800, v ? 800 : 100);
             resizePane(s, v ? 100 : 400, 100);
         },
         false},
    };
    for (bool vertical : {false, true})
        for (const auto& c : cases) {
            PreviewState s = vertical ? paneOf(100, 100, 16, 400) : paneOf(400, 100, 700, 16);
            auto press = [&](int32_t at) { vertical ? beginDrag(s, 50, at) : beginDrag(s, at, 50); };
            auto step = [&](int32_t to) { return vertical ? dragStep(s, 50, to) : dragStep(s, to, 50); };
            auto origin = [&] { return vertical ? s.originY : s.originX; };
            press(300);
            EXPECT_TRUE(step(0));
            c.apply(s, vertical);
            ASSERT_EQ(origin(), 0) << c.change << vertical;
            if (c.pressAgain) press(0);
            EXPECT_TRUE(step(-300)) << c.change << vertical;
            EXPECT_EQ(origin(), -300) << c.change << vertical;
            EXPECT_FALSE(step(-300)) << c.change << vertical;
        }
}

TEST(PreviewScroll, PaneHeightIsThreePointEightLinesPlusLeading) {
    EXPECT_EQ(previewPaneHeight(23, 4), 91);  // 87.4 rounded down, plus 4
    EXPECT_EQ(previewPaneHeight(19, 3), 75);  // 72.2 -> 72
}

TEST(PreviewBanner, AlternateOnTheEleventhAndTwentySecond) {
    for (uint32_t day = 1; day <= 31; ++day)
        EXPECT_STREQ(chooseBanner(day), day == 11 || day == 22 ? kPreviewBannerAlternate : kPreviewBanner) << day;
    EXPECT_STRNE(kPreviewBanner, kPreviewBannerAlternate);
}

// Both banners stand on the second line and draw no placeholders. The name
// takes a letter in brightened green, yellow, red and purple (each component
// times 1.2, rounded down), "by" is brightened blue, the author near-black.
TEST(PreviewBanner, BannersRenderAsColouredTextOnTheSecondLine) {
    gDocument.formatVariant = gDocument.keyScheme = 0;
    for (const char* banner : {kPreviewBanner, kPreviewBannerAlternate}) {
        PreviewState s = {};
        s.paneWidth = 2000, s.paneHeight = 200, s.text = banner;
        RecordingCanvas rec;
        renderMarkup(s, rec.canvas(), 16);
        EXPECT_EQ(s.contentHeight, 32);
        for (const RecordedRun& run : rec.runs) {
            EXPECT_EQ(run.font, FONT_PREVIEW) << run.text;
            EXPECT_GE(run.y, 16) << run.text;
        }
        const std::vector<RecordedRun> runs = rec.pass(1);
        ASSERT_GE(runs.size(), 8u);
        const uint32_t name[] = {0x00267339, 0x0069C0D3, 0x000039AC, 0x00DC6999};
        for (int i = 0; i < 4; ++i) EXPECT_EQ(runs[i + 1].colour, name[i]) << runs[i + 1].text;
        EXPECT_EQ(runs[1].text + runs[2].text + runs[3].text + runs[4].text.substr(0, 5), "Vornalis");
        EXPECT_NE(rec.passText(1).find("(Vorn)"), std::string::npos);
        EXPECT_TRUE(runs[runs.size() - 2].text == "by " && runs[runs.size() - 2].colour == 0x00994343u);
        EXPECT_TRUE(runs.back().text == "Brennik" && runs.back().colour == 0x00181818u);
    }
}

}  // namespace
