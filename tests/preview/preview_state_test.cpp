#include <gtest/gtest.h>

#include <string>

#include "gxt/gxt.h"
#include "preview/markup.h"
#include "preview/preview_state.h"
#include "recording_canvas.h"

namespace {

PreviewState paneOf(int32_t width, int32_t height, int32_t contentWidth, int32_t contentHeight) {
    PreviewState s = {};
    s.paneWidth = width;
    s.paneHeight = height;
    s.contentWidth = contentWidth;
    s.contentHeight = contentHeight;
    updateScrollState(s);
    return s;
}

void press(PreviewState& s, int32_t x, int32_t y) { beginDrag(s, x, y); }

TEST(PreviewScroll, DragFlagsAndCursorFollowTheExtent) {
    struct Case {
        int32_t contentWidth, contentHeight;
        bool x, y;
        int32_t slot;
    };
    const Case cases[] = {
        {400, 100, false, false, CURSOR_ARROW},   // exactly the pane's size
        {401, 100, true, false, CURSOR_DRAG_X},
        {400, 101, false, true, CURSOR_DRAG_Y},
        {900, 300, true, true, CURSOR_DRAG_XY},
    };
    for (const Case& c : cases) {
        PreviewState s = paneOf(400, 100, c.contentWidth, c.contentHeight);
        EXPECT_EQ(s.canDragX, c.x) << c.contentWidth;
        EXPECT_EQ(s.canDragY, c.y) << c.contentHeight;
        EXPECT_EQ(s.cursorSlot, c.slot);
    }
}

TEST(PreviewScroll, FittingTextCannotBeDragged) {
    PreviewState s = paneOf(400, 100, 120, 16);
    press(s, 50, 50);
    for (int step = 1; step <= 5; ++step) EXPECT_FALSE(dragStep(s, 50 - 40 * step, 50 - 30 * step));
    EXPECT_EQ(s.originX, 0);
    EXPECT_EQ(s.originY, 0);
}

TEST(PreviewScroll, WideTextDragsBetweenItsLimits) {
    PreviewState s = paneOf(400, 100, 700, 16);
    press(s, 200, 50);
    EXPECT_FALSE(dragStep(s, 250, 50));   // right from home: nothing moves
    EXPECT_EQ(s.originX, 0);
    EXPECT_TRUE(dragStep(s, 100, 50));
    EXPECT_EQ(s.originX, -150);
    EXPECT_TRUE(dragStep(s, -200, 50));
    EXPECT_EQ(s.originX, -300);             // the right edge reached the pane's
    EXPECT_FALSE(dragStep(s, -260, 50));  // further left: no redraw
    EXPECT_EQ(s.originX, -300);
    EXPECT_TRUE(dragStep(s, -160, 50));
    EXPECT_EQ(s.originX, -200);
}

TEST(PreviewScroll, TallTextIgnoresHorizontalMovement) {
    PreviewState s = paneOf(400, 100, 300, 180);
    press(s, 10, 90);
    EXPECT_FALSE(dragStep(s, -200, 90));
    EXPECT_EQ(s.originX, 0);
    EXPECT_TRUE(dragStep(s, -200, 40));
    EXPECT_EQ(s.originX, 0);
    EXPECT_EQ(s.originY, -50);
    EXPECT_EQ(s.dragLastX, 10);
    EXPECT_TRUE(dragStep(s, 0, -100));
    EXPECT_EQ(s.originY, -80);
}

TEST(PreviewScroll, MovesOnlyWhileTheButtonIsHeld) {
    PreviewState s = paneOf(400, 100, 900, 300);
    s.dragLastX = 100;
    s.dragLastY = 100;
    EXPECT_FALSE(dragStep(s, 0, 0));
    EXPECT_EQ(s.originX, 0);
    EXPECT_EQ(s.originY, 0);
}

TEST(PreviewScroll, ClampsToNewLimitsAfterAResize) {
    PreviewState s = paneOf(400, 100, 700, 300);
    s.originX = -300;
    s.originY = -200;
    s.paneWidth = 600;
    clampOrigin(s);
    EXPECT_EQ(s.originX, -100);
    EXPECT_EQ(s.originY, -200);
    s.paneWidth = 800;
    s.paneHeight = 400;
    clampOrigin(s);
    EXPECT_EQ(s.originX, 0);
    EXPECT_EQ(s.originY, 0);
    s.originX = 25;   // never right of home
    clampOrigin(s);
    EXPECT_EQ(s.originX, 0);
}

// A text shown again or a resize moves the origin outside the drag; the
// first step that then lands where the origin stood before is a move.
TEST(PreviewScroll, AStepBackToTheOldOriginAfterAShowOrResizeRedraws) {
    struct Case {
        const char* change;
        void (*apply)(PreviewState&);
        bool pressAgain;
    };
    const Case cases[] = {
        {"shown during the drag", [](PreviewState& s) { homeOrigin(s); }, false},
        {"shown, then pressed", [](PreviewState& s) { homeOrigin(s); }, true},
        {"resized during the drag", [](PreviewState& s) { resizePane(s, 800, 100); resizePane(s, 400, 100); }, false},
    };
    for (const Case& c : cases) {
        PreviewState s = paneOf(400, 100, 700, 16);
        press(s, 300, 50);
        EXPECT_TRUE(dragStep(s, 0, 50));
        c.apply(s);
        ASSERT_EQ(s.originX, 0) << c.change;
        if (c.pressAgain) press(s, 0, 50);
        EXPECT_TRUE(dragStep(s, -300, 50)) << c.change;
        EXPECT_EQ(s.originX, -300) << c.change;
    }
}

TEST(PreviewScroll, ClampsVeryWideTextInFullRange) {
    PreviewState s = paneOf(500, 100, 70000, 16);
    s.originX = -69000;
    clampOrigin(s);
    EXPECT_EQ(s.originX, -69000);
    s.originX = -80000;
    clampOrigin(s);
    EXPECT_EQ(s.originX, -69500);
}

TEST(PreviewScroll, PaneHeightIsThreePointEightLinesPlusLeading) {
    EXPECT_EQ(previewPaneHeight(23, 4), 91);   // 87.4 rounded down, plus 4
    EXPECT_EQ(previewPaneHeight(10, 0), 38);
    EXPECT_EQ(previewPaneHeight(19, 3), 75);   // 72.2 -> 72
}

TEST(PreviewBanner, AlternateOnTheEleventhAndTwentySecond) {
    for (uint32_t day = 1; day <= 31; ++day) {
        const char* expected = (day == 11 || day == 22) ? kPreviewBannerAlternate : kPreviewBanner;
        EXPECT_EQ(chooseBanner(day), expected) << day;
    }
    EXPECT_NE(std::string(kPreviewBanner), std::string(kPreviewBannerAlternate));
}

// Both banners stand on the second line, draw no placeholders, name the
// product in four brightened colours, and end with the author near-black.
TEST(PreviewBanner, BannersRenderAsColouredTextOnTheSecondLine) {
    gDocument.formatVariant = 0;
    gDocument.keyScheme = 0;
    for (const char* banner : {kPreviewBanner, kPreviewBannerAlternate}) {
        PreviewState s = {};
        s.paneWidth = 2000;
        s.paneHeight = 200;
        s.text = banner;
        RecordingCanvas rec;
        renderMarkup(s, rec.canvas(), 16);
        auto runs = rec.pass(1);
        ASSERT_GE(runs.size(), 8u);
        EXPECT_EQ(s.contentHeight, 32);
        for (const RecordedRun& run : rec.runs) {
            EXPECT_EQ(run.font, FONT_PREVIEW) << run.text;
            EXPECT_GE(run.y, 16) << run.text;
        }
        EXPECT_EQ(runs[0].text, " ");
        EXPECT_EQ(runs[1].text, "V");
        EXPECT_EQ(runs[1].colour, brightenColour(0x00206030));
        EXPECT_EQ(runs[2].colour, brightenColour(0x0058A0B0));
        EXPECT_EQ(runs[3].colour, brightenColour(0x00003090));
        EXPECT_EQ(runs[4].colour, brightenColour(0x00B85880));
        std::string all = rec.passText(1);
        EXPECT_NE(all.find("Vornalis"), std::string::npos);
        EXPECT_NE(all.find("(Vorn)"), std::string::npos);
        const RecordedRun& author = runs.back();
        EXPECT_EQ(author.text, "Brennik");
        EXPECT_EQ(author.colour, 0x00181818u);
        const RecordedRun& by = runs[runs.size() - 2];
        EXPECT_EQ(by.text, "by ");
        EXPECT_EQ(by.colour, brightenColour(0x00803838));
    }
}

}  // namespace
