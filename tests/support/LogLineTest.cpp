#include <gtest/gtest.h>

#include "support/LogLine.h"

TEST(LogLine, PrefixHasUnpaddedFieldsInMonthDayYearOrder)
{
    EXPECT_EQ(FormatLogPrefix({3, 7, 2013, 9, 5, 2, 41}), "( 3-7-2013 9:5:2:41 ):");
    EXPECT_EQ(FormatLogPrefix({12, 31, 2026, 23, 59, 59, 999}), "( 12-31-2026 23:59:59:999 ):");
}

TEST(LogLine, NarrowingKeepsAsciiAndMarksWhatCannotBeShown)
{
    EXPECT_EQ(NarrowForLog(L"Enumaration success"), "Enumaration success");
    EXPECT_EQ(NarrowForLog(L""), "");
    EXPECT_EQ(NarrowForLog(L"A\x4E2D" L"B"), "A?B");
}
