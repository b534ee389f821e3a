#include <gtest/gtest.h>

#include "support/CatalogueRules.h"

TEST(CatalogueRules, NormalizesModelNames)
{
    EXPECT_EQ(NormalizeModelName(L"Kelo Workline Pro 9150 Q721 Series (Network)"), L"workline pro 9150 q721");
    EXPECT_EQ(NormalizeModelName(L"  KELO Workline 3320 Wireless\t"), L"workline 3320 wireless");
    EXPECT_EQ(NormalizeModelName(L"Kelo Series"), L"");
    EXPECT_EQ(NormalizeModelName(L"Kelo Class Driver (USB) (Printer) (MFP)"), L"");
    // Tokens go wherever they stand, inside words too.
    EXPECT_EQ(NormalizeModelName(L"Keloprint Seriesx"), L"print x");
}

TEST(CatalogueRules, PidMatchesByContainmentIgnoringCase)
{
    EXPECT_TRUE(PidMatches(L"5912 5913", L"5912"));
    EXPECT_TRUE(PidMatches(L"5912 5913", L"5913"));
    EXPECT_TRUE(PidMatches(L"5912 5913", L"591"));
    EXPECT_TRUE(PidMatches(L"5c12", L"5C12"));
    EXPECT_TRUE(PidMatches(L"5C12", L"5c12"));
    EXPECT_FALSE(PidMatches(L"5912", L"5914"));
}

TEST(CatalogueRules, FlagsAndDeviceType)
{
    EXPECT_TRUE(IsYesFlag(L"YES"));
    EXPECT_TRUE(IsYesFlag(L"YES_WITH_ADF"));
    EXPECT_FALSE(IsYesFlag(L"yes"));
    EXPECT_FALSE(IsYesFlag(L""));
    EXPECT_TRUE(IsRestDeviceType(L"rest"));
    EXPECT_TRUE(IsRestDeviceType(L"REST"));
    EXPECT_FALSE(IsRestDeviceType(L"restful"));
    EXPECT_FALSE(IsRestDeviceType(L" rest"));
    EXPECT_TRUE(NamesOverlap(L"workline 3320", L"workline 3320 wireless"));
    EXPECT_TRUE(NamesOverlap(L"workline 3320 wireless", L"workline 3320"));
    EXPECT_TRUE(NamesOverlap(L"anything", L""));
    EXPECT_FALSE(NamesOverlap(L"workline 3320", L"workline 4420"));
}
