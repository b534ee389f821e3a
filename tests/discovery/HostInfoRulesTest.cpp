#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "discovery/HostInfoRules.h"

TEST(DeviceInfoRules, BornDates)
{
    const struct {
        const wchar_t* serviceId;
        const wchar_t* text;
    } cases[] = {
        {L"23045", L"14/2/2013 "}, {L"0", L"0/1/1990 "},      {L"", L"0/1/1990 "},
        {L"abc", L"0/1/1990 "},    {L"13366", L"1/0/2003 "},  // day 366 of a common year: month 0
        {L"10366", L"31/12/2000 "}, {L"12060", L"1/3/2002 "}, {L"10060", L"29/2/2000 "},
        {L"9365x", L"31/12/1999 "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BornDateText(c.serviceId), c.text) << c.serviceId;
    // Past the range of long the number saturates; the text stays whole with either width of long.
    // (LONG_MAX / 1000 + 1990 is odd for either width: a common year, its day past December.)
    EXPECT_EQ(BornDateText(L"4523454523454523454523454523454"),
              std::to_wstring(LONG_MAX % 1000 - 365) + L"/0/" + std::to_wstring(LONG_MAX / 1000 + 1990) + L" ");
    EXPECT_EQ(BornDateText(L"-4523454523454523454523454523454"),
              std::to_wstring(LONG_MIN % 1000) + L"/1/" + std::to_wstring(LONG_MIN / 1000 + 1990) + L" ");
}

TEST(HostInfoRules, TranslationChoiceAndProductFolders)
{
    using Pairs = std::vector<std::pair<uint16_t, uint16_t>>;
    EXPECT_EQ(ChooseTranslation(Pairs{{0x0407, 1252}, {0x0409, 1200}}, 0x0409), 1u);
    EXPECT_EQ(ChooseTranslation(Pairs{{0x0407, 1252}, {0x0809, 1200}}, 0x0409), 1u) << "same primary";
    EXPECT_EQ(ChooseTranslation(Pairs{{0x0407, 1252}, {0x0000, 1200}}, 0x040C), 1u) << "neutral";
    EXPECT_EQ(ChooseTranslation(Pairs{{0x0407, 1252}, {0x0c09, 1200}}, 0x040C), 1u) << "English";
    EXPECT_EQ(ChooseTranslation(Pairs{{0x0407, 1252}, {0x0410, 1200}}, 0x0409), 0u) << "German first";
    EXPECT_FALSE(ChooseTranslation(Pairs{}, 0x0409).has_value());

    EXPECT_TRUE(ProductFolderMatches(L"Homeline 1234 All-in-One", L"Homeline 1234 Plus All-in-One"));
    EXPECT_TRUE(ProductFolderMatches(L"Homeline 1234", L"KELO HOMELINE 1234 Series"));
    EXPECT_FALSE(ProductFolderMatches(L"Workline 4420", L"Homeline 1234"));
}
