#include "sable/TSYSableHelper.h"

#include <gtest/gtest.h>

#include <cwctype>
#include <set>

TEST(TSYSableHelper, HoldsSeventyOneIdentifiersDistinctWithoutCase)
{
    const CTSYSableHelper helper;
    EXPECT_EQ(helper.Table().size(), 71u);
    std::set<std::wstring> folded;
    for (const auto& [key, flag] : helper.Table()) {
        std::wstring lower;
        for (wchar_t c : key)
            lower += static_cast<wchar_t>(std::towlower(c));
        folded.insert(lower);
    }
    EXPECT_EQ(folded.size(), 71u);
}

TEST(TSYSableHelper, MapsIdentifiersInAnyCaseAndUnknownOnesToSix)
{
    const CTSYSableHelper helper;
    const struct {
        const wchar_t* identifier;
        int32_t flag;
    } cases[] = {
        {L"ready", 0},           {L"READY", 0},          {L"Ready", 0},
        {L"scannerAdfEmpty", 0}, {L"deviceInteraction", 1}, {L"faxDialing", 2},
        {L"unknown", 6},         {L"jamInPrinter", 14},  {L"JAMINPRINTER", 14},
        {L"bbcmediaduplexnotsupported", 13},             {L"cartridgeLow", 49},
        {L"misprint", 60},       {L"scannerAdfDoorOpen", 64}, {L"scannerAdfJam", 65},
        {L"paperOnFire", 6},     {L"", 6},               {L"ready ", 6},
    };
    for (const auto& c : cases)
        EXPECT_EQ(helper.GetStatusFlag(c.identifier), c.flag) << c.identifier;
}
