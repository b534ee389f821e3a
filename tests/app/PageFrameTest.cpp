#include <gtest/gtest.h>

#include "app/PageFrame.h"
#include "support/LanguageChoice.h"

TEST(PageFrame, CornersFollowTheContentRectangleAndMode)
{
    const PageRect content = {100, 40, 500, 300};
    FrameCorners tall = ComputeFrameCorners(content, 0, 0, true);
    EXPECT_EQ(tall.x1, 95);
    EXPECT_EQ(tall.y1, 36);
    EXPECT_EQ(tall.x2, 500);
    EXPECT_EQ(tall.y2, 319); // (300 + 55) * 0.9 = 319.5, truncated
    FrameCorners deep = ComputeFrameCorners(content, 0, 0, false);
    EXPECT_EQ(deep.y2, 383); // 355 * 1.08 = 383.4

    // A framed window's origin lies left of and above its client area.
    FrameCorners framed = ComputeFrameCorners(content, -3, -26, true);
    EXPECT_EQ(framed.x1, 98);
    EXPECT_EQ(framed.y1, 62);
    EXPECT_EQ(framed.x2, 497);
    EXPECT_EQ(framed.y2, 342); // (300 + 55 + 26) * 0.9 = 342.9
}

TEST(PageFrame, AFloorEndsTheFrameWhateverItsMode)
{
    const PageRect content = {100, 40, 500, 300};
    EXPECT_EQ(ComputeFrameCorners(content, 0, 0, false, 350).y2, 350);
    EXPECT_EQ(ComputeFrameCorners(content, 0, 0, true, 350).y2, 350);
    EXPECT_EQ(ComputeFrameCorners(content, 0, 0, false, 400).y2, 400);
    EXPECT_EQ(ComputeFrameCorners(content, 0, 0, false, 0).y2, 383);
    EXPECT_EQ(ComputeFrameCorners(content, 0, 0, false, 350).x1, 95);
}

TEST(PageFrame, APictureFitsItsAreaWithItsProportionsCentred)
{
    struct Case {
        int imageWidth, imageHeight;
        PageRect area, expected;
    };
    const Case cases[] = {
        {600, 468, {0, 0, 600, 468}, {0, 0, 600, 468}},     // its own size
        {600, 468, {10, 10, 1210, 478}, {310, 10, 910, 478}}, // a wide area: full height, centred across
        {480, 489, {0, 0, 740, 420}, {164, 0, 576, 420}},     // a tall picture
        {100, 50, {0, 0, 100, 400}, {0, 175, 100, 225}},      // a tall area: full width, centred down
        {0, 50, {5, 5, 100, 100}, {5, 5, 5, 5}},              // no image
        {100, 50, {5, 5, 5, 100}, {5, 5, 5, 5}},              // no area
    };
    for (const Case& c : cases) {
        const PageRect fit = FitPicture(c.imageWidth, c.imageHeight, c.area);
        EXPECT_EQ(fit.left, c.expected.left) << c.imageWidth << "x" << c.imageHeight;
        EXPECT_EQ(fit.top, c.expected.top) << c.imageWidth << "x" << c.imageHeight;
        EXPECT_EQ(fit.right, c.expected.right) << c.imageWidth << "x" << c.imageHeight;
        EXPECT_EQ(fit.bottom, c.expected.bottom) << c.imageWidth << "x" << c.imageHeight;
    }
}

TEST(PageFrame, ApplicationFontsServeFourLanguages)
{
    for (unsigned short id : kSupportedLanguages)
        EXPECT_EQ(UsesApplicationFonts(id), id == 1028 || id == 1033 || id == 1041 || id == 2052) << id;
}
