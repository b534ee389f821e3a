#include <gtest/gtest.h>

#include "links/CountryTable.h"

TEST(CountryTable, LooksUpCodesAndFallsBackToUs)
{
    const struct {
        unsigned short id;
        const wchar_t* code;
    } cases[] = {
        {3082, L"es"}, {4105, L"ca"}, {1033, L"us"}, {1092, L"us"}, {9, L"en"},   {2052, L"cn"},
        {20490, L"pr"}, {1060, L"si"}, {13322, L"cl"}, {0, L"us"},   {65535, L"us"}, {2060, L"be"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CCountryTable::Lookup(c.id), c.code) << c.id;
}

TEST(CountryTable, HoldsAllEntriesIncludingTheTwoOpenOnes)
{
    EXPECT_EQ(CCountryTable::Size(), 125);
    EXPECT_TRUE(CCountryTable::Contains(1060));
    EXPECT_TRUE(CCountryTable::Contains(13322));
    EXPECT_FALSE(CCountryTable::Contains(1092));
}
