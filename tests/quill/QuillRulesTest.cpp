#include <gtest/gtest.h>

#include "quill/QuillRules.h"

namespace {

TEST(QuillRules, IdentifierForms)
{
    EXPECT_EQ(QuillSnmpOid("1.1.3.3"), "1.3.6.1.4.1.48213.2.3.9.4.2.1.1.3.3.0");
    EXPECT_EQ(QuillIdBytes("1.1.3.3"), (std::vector<uint8_t>{1, 1, 3, 3, 0}));
    EXPECT_EQ(QuillIdBytes("1.4.1.5.2.255"), (std::vector<uint8_t>{1, 4, 1, 5, 2, 255, 0}));
    for (const char* bad : {"1.0.3", "1.256", "", "1..2", "1.x"})
        EXPECT_FALSE(QuillIdBytes(bad)) << bad;
}

TEST(QuillRules, QuillStringsAndTrimming)
{
    const struct {
        const wchar_t* in;
        const wchar_t* out;
    } decoded[] = {
        {L"01-15-41-42", L"AB"},
        {L"01-05-53-4E-31", L"SN1"},
        {L"printable", L""},       // no dash: nothing
        {L"01-02", L""},           // prefix only
        {L"01-03-41-00-42", L"A"}, // a zero byte ends the text
        {L"01-02-E9", L"\u00E9"},
    };
    for (const auto& c : decoded)
        EXPECT_EQ(DecodeQuillString(c.in), c.out) << c.in;

    EXPECT_EQ(TrimQuotes(L"\"\"Kelo 6500\""), L"Kelo 6500");
    EXPECT_EQ(TrimQuotes(L"\"\"\""), L"");
    EXPECT_EQ(TrimQuotes(L"a\"b"), L"a\"b");
    EXPECT_EQ(TrimWhite(L"  1234 \t"), L"1234");
    EXPECT_EQ(TrimWhite(L"   "), L"");
    EXPECT_EQ(RemoveDashes(L"00-10"), L"0010");
}

TEST(QuillRules, Dates)
{
    EXPECT_EQ(ServiceIdFromInstallationDate(L"20130214"), L"23044");
    EXPECT_EQ(InstallationDateText(L"20130214"), L"14-02-2013");
    EXPECT_EQ(InstallationDateText(L""), L"--");
}

TEST(QuillRules, ColourCodes)
{
    EXPECT_EQ(ColourCodeFromSnmpText(L"08"), 8u);
    EXPECT_EQ(ColourCodeFromSnmpText(L"10"), 16u);
    EXPECT_EQ(ColourCodeFromSnmpText(L"10-00"), 4096u);
    EXPECT_EQ(ColourCodeFromSnmpText(L" 80 "), 128u);
    EXPECT_EQ(ColourCodeFromSnmpText(L""), 0u);
    EXPECT_EQ(ColourKey(8), L"TSY_COLOR_BLACK");
    EXPECT_EQ(ColourKey(4096), L"TSY_COLOR_PHOTO_BLACK");
    EXPECT_EQ(ColourKey(16), L"");
    EXPECT_EQ(ColourKey(0), L"");
}

AgentFlagValues Flags(std::initializer_list<std::pair<AgentFlag, int32_t>> set)
{
    AgentFlagValues flags{};
    for (auto [flag, value] : set)
        flags[flag] = value;
    return flags;
}

TEST(QuillRules, InkStateFollowsTheFirstMatchingFlag)
{
    const AgentFlagValues flags = Flags({{AgentsMissing, 5}, {AgentsLow, 1}, {AgentsOut, 2}});
    EXPECT_EQ(InkStateFor(flags, 1), 8);
    EXPECT_EQ(InkStateFor(flags, 2), 3);
    EXPECT_EQ(InkStateFor(flags, 4), 8);
    EXPECT_EQ(InkStateFor(flags, 8), 0);

    const struct {
        AgentFlag flag;
        int state;
    } single[] = {
        {AgentsIncorrectExpectingTradePen, 4}, {AgentsIncorrect, 4}, {AgentsIncorrectInstallWrongSlot, 5},
        {AgentsIncorrectRegion, 6}, {AgentsFailure, 7}, {AgentsExpired, 9}, {AgentsReserveMode, 2},
        {AgentsOutWithOverride, 1}, {BriselAgentsOut, 10}, {BriselIntroAgentsVeryLow, 10}, {BriselAgentsLow, 1},
        {AgentsOut, 3}, {AgentsInkAlert, 1}, {IntroAgentsLow, 1}, {AgentsNearlyOut, 0}, {AgentsRefilled, 0},
    };
    for (const auto& c : single)
        EXPECT_EQ(InkStateFor(Flags({{c.flag, 0x80}}), 0x80), c.state) << kAgentFlagObjects[c.flag].quillId;

    // Rule order: override before out, expired before reserve, Brisel out before out.
    EXPECT_EQ(InkStateFor(Flags({{AgentsOutWithOverride, 1}, {AgentsOut, 1}}), 1), 1);
    EXPECT_EQ(InkStateFor(Flags({{BriselAgentsOut, 1}, {AgentsOut, 1}}), 1), 10);
    EXPECT_EQ(InkStateFor(Flags({{AgentsExpired, 1}, {AgentsReserveMode, 1}}), 1), 9);
    EXPECT_EQ(InkStateKey(5), L"TSY_INKSTATE_INCORRET_INSTALL");
    EXPECT_EQ(InkStateKey(11), L"");
}

TEST(QuillRules, Brand)
{
    const AgentFlagValues nonKeloSlot2 = Flags({{AgentsNonKelo, 2}});
    EXPECT_EQ(InkBrand(true, nonKeloSlot2, 2, std::nullopt), L"Non Kelo");
    EXPECT_EQ(InkBrand(true, nonKeloSlot2, 1, 2), L"Kelo"); // the brand object only counts without flags
    EXPECT_EQ(InkBrand(false, {}, 1, 2), L"Non Kelo");
    EXPECT_EQ(InkBrand(false, {}, 1, 1), L"Kelo");
    EXPECT_EQ(InkBrand(false, {}, 4, std::nullopt), L"Kelo");
    EXPECT_STREQ(BrandObjectId(2), "1.4.1.5.8.1");
    EXPECT_EQ(BrandObjectId(3), nullptr);
    EXPECT_EQ(kAgentFlagObjects.size(), 26u);
    EXPECT_STREQ(kAgentFlagObjects[AgentsRefilled].quillId, "1.4.1.5.2.39");
}

} // namespace
