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

TEST(PageFrame, ApplicationFontsServeFourLanguages)
{
    for (unsigned short id : kSupportedLanguages)
        EXPECT_EQ(UsesApplicationFonts(id), id == 1028 || id == 1033 || id == 1041 || id == 2052) << id;
}
