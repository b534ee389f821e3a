#include <gtest/gtest.h>

#include "app/WizardRules.h"
#include "pages/SimulationRules.h"

TEST(SimulationRules, CodeRangesAndTheDirtyPowerUpBox)
{
    const struct {
        int32_t kind, code;
        bool accepted;
    } ranges[] = {
        {kSimulatedStatusError, 0, true},  {kSimulatedStatusError, 60, true}, {kSimulatedStatusError, 61, false},
        {kSimulatedStatusError, -1, false}, // compared as unsigned
        {kSimulatedFeederError, 6, true},  {kSimulatedFeederError, 7, false}, {kSimulatedFeederError, -3, false},
    };
    for (const auto& c : ranges)
        EXPECT_EQ(SimulatedCodeAccepted(c.kind, c.code), c.accepted) << c.kind << " " << c.code;

    EXPECT_FALSE(DirtyPowerUpOffered(8)) << "a fault code";
    EXPECT_TRUE(DirtyPowerUpOffered(5));
    EXPECT_FALSE(DirtyPowerUpOffered(70));
    EXPECT_FALSE(DirtyPowerUpOffered(61)) << "above the largest status code";
}

TEST(SimulationRules, StatusCodeLeadsToItsPage)
{
    EXPECT_EQ(SimulatedStatusCommand(kSimulatedStatusError, 8, false), wizard::kCmdStatusFault);
    EXPECT_EQ(SimulatedStatusCommand(kSimulatedStatusError, 8, true), wizard::kCmdStatusFault) << "whatever the box";
    EXPECT_EQ(SimulatedStatusCommand(kSimulatedStatusError, 5, true), wizard::kCmdPowerLoss);
    EXPECT_EQ(SimulatedStatusCommand(kSimulatedStatusError, 5, false), wizard::kCmdStatusWithLinks);
    EXPECT_EQ(SimulatedStatusCommand(kSimulatedFeederError, 3, true), wizard::kCmdFeederError);
    EXPECT_EQ(SimulatedStatusCommand(0, 3, false), 0);
}

TEST(SimulationRules, IntegerEntry)
{
    EXPECT_EQ(ParseDialogInteger(L"42"), 42);
    EXPECT_EQ(ParseDialogInteger(L" -7 "), -7);
    EXPECT_EQ(ParseDialogInteger(L"+5"), 5);
    EXPECT_EQ(ParseDialogInteger(L"2147483647"), 2147483647);
    EXPECT_EQ(ParseDialogInteger(L"-2147483648"), INT32_MIN);
    for (const wchar_t* bad : {L"", L"abc", L"12a", L"-", L"1 2", L"2147483648", L"99999999999999999999"})
        EXPECT_FALSE(ParseDialogInteger(bad)) << "'" << std::string(bad, bad + wcslen(bad)) << "'";
}
