#include "pages/DeviceStatusRules.h"

#include <gtest/gtest.h>

#include "pages/WizardPageRules.h"
#include "res/resource.h"

using namespace devstatus;

TEST(DeviceStatusRules, FlagSourceAndNormalization)
{
    // USB re-reads the identification except for the feeder variant and a fault at connectivity.
    EXPECT_EQ(FlagSourceFor(kWithLinks, false, false, 2), FlagSource::UsbIdentification);
    EXPECT_EQ(FlagSourceFor(kPowerLossManual, false, false, 0), FlagSource::UsbIdentification);
    EXPECT_EQ(FlagSourceFor(kFault, false, false, 1), FlagSource::UsbIdentification);
    EXPECT_EQ(FlagSourceFor(kFault, false, false, 0), FlagSource::Record);
    EXPECT_EQ(FlagSourceFor(kFeeder, false, false, 2), FlagSource::Record);
    EXPECT_EQ(FlagSourceFor(kPowerLoss, false, true, 2), FlagSource::Record);
    EXPECT_EQ(FlagSourceFor(kPowerLoss, true, true, 2), FlagSource::Simulated);
    EXPECT_EQ(FlagSourceFor(kPrintFailed, true, false, 2), FlagSource::None);

    EXPECT_EQ(NormalizeFlag(kFault, -1), 61);
    EXPECT_EQ(NormalizeFlag(kFeeder, -1), 61);
    EXPECT_EQ(NormalizeFlag(kFeeder, 65), 3);
    EXPECT_EQ(NormalizeFlag(kFeeder, 62), 0);
    EXPECT_EQ(NormalizeFlag(kPowerLoss, 65), 65); // reduced only for its keys
    EXPECT_EQ(NormalizeFlag(kFault, -2), -2);
}

TEST(DeviceStatusRules, KeysPerVariant)
{
    const struct {
        int32_t variant, flag;
        const wchar_t *status, *error;
    } cases[] = {
        {kFault, 7, L"TSY_DEVID_STATUS_MSG_07", L"TSY_DEVICE_ERROR_MSG_07"},
        {kFault, 14, L"TSY_DEVID_STATUS_MSG_14", L"TSY_DEVICE_ERROR_MSG_14"},
        {kFault, 65, L"TSY_DEVID_STATUS_MSG_65", L"TSY_DEVICE_ERROR_MSG_65"},
        {kPowerLossManual, 65, L"TSY_DEVID_STATUS_MSG_65", L"TSY_DEVICE_ERROR_MSG_65"},
        {kWithLinks, 61, L"TSY_DEVID_STATUS_MSG_61", L"TSY_DEVICE_ERROR_MSG_61"},
        {kWithLinks, 65, L"ADF_TSY_DEVID_STATUS_MSG_3", L"ADF_TSY_DEVICE_ERROR_MSG_3"},
        {kPowerLoss, 62, L"ADF_TSY_DEVID_STATUS_MSG_0", L"ADF_TSY_DEVICE_ERROR_MSG_0"},
        {kPowerLoss, 6, L"TSY_DEVID_STATUS_MSG_06", L"TSY_DEVICE_ERROR_MSG_06"},
        {kFeeder, 3, L"ADF_TSY_DEVID_STATUS_MSG_3", L"ADF_TSY_DEVICE_ERROR_MSG_3"},
        {kFeeder, 14, L"ADF_TSY_DEVID_STATUS_MSG_14", L"ADF_TSY_DEVICE_ERROR_MSG_14"},
        {kFault, -2, L"", L""},
        {kPrintFailed, 0, L"", L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.variant << " flag " << c.flag);
        const StatusKeys keys = KeysFor(c.variant, c.flag);
        EXPECT_EQ(keys.status, c.status);
        EXPECT_EQ(keys.error, c.error);
    }
}

TEST(DeviceStatusRules, ErrorTrail)
{
    EXPECT_EQ(ErrorTrailEntry(kFault, 14, 1, L"x"), L"@Error14");
    EXPECT_EQ(ErrorTrailEntry(kPowerLossManual, 61, 1, L"x"), L"@Error61");
    EXPECT_EQ(ErrorTrailEntry(kPowerLoss, 65, 1, L"x"), L"@Error3");
    EXPECT_EQ(ErrorTrailEntry(kPowerLoss, 6, 1, L"x"), L"@Error6");
    EXPECT_EQ(ErrorTrailEntry(kWithLinks, 6, 2, L"x"), L"@Error6");
    EXPECT_EQ(ErrorTrailEntry(kWithLinks, 6, -1, L"x"), L"");
    EXPECT_EQ(ErrorTrailEntry(kFeeder, 3, 1, L"Jam in feeder."), L"@not-ready-source-scanner,Jam in feeder.");
    EXPECT_EQ(ErrorTrailEntry(kPrintFailed, 0, 2, L"x"), L"");
}

TEST(DeviceStatusRules, TroubleshootingApplicability)
{
    const struct {
        int32_t variant;
        bool simulation;
        int32_t index, flag;
        bool adf, applies;
    } cases[] = {
        {kFault, false, 2, 14, false, true},  {kFault, false, 0, 14, false, false},
        {kFault, false, 5, 14, false, false}, {kFault, false, 3, 9, false, true},
        {kFault, false, 1, 7, false, false},  {kFault, true, 0, 16, false, true},
        {kFault, false, 4, 3, false, false},  {kFault, false, 4, 3, true, true},
        {kFeeder, false, 3, 3, true, false},  {kFeeder, false, 4, 4, true, true},
        {kFeeder, false, 1, 15, false, true}, {kFeeder, true, 3, 3, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.variant << " index " << c.index << " flag " << c.flag);
        EXPECT_EQ(TroubleshootingApplies(c.variant, c.simulation, c.index, c.flag, c.adf), c.applies);
    }
}

TEST(DeviceStatusRules, LayoutPerVariant)
{
    Layout fault = LayoutFor(kFault, true, 14, 1033);
    EXPECT_TRUE(fault.retry && fault.cancel && fault.troubleshoot && !fault.close && !fault.frame);
    EXPECT_EQ(fault.careLink, IDC_STATUS_CARE_LINK);
    EXPECT_FALSE(LayoutFor(kFault, false, 14, 1033).troubleshoot);

    EXPECT_EQ(LayoutFor(kFeeder, true, 3, 1033).careLink, IDC_STATUS_CARE_LINK);
    EXPECT_EQ(LayoutFor(kFeeder, false, 17, 1033).careLink, IDC_STATUS_CARE_LINK);
    Layout feeder = LayoutFor(kFeeder, false, 5, 1033);
    EXPECT_EQ(feeder.careLink, IDC_CARE_FRAMED);
    EXPECT_TRUE(feeder.frame && feeder.retry && feeder.cancel && !feeder.troubleshoot);

    Layout manual = LayoutFor(kPowerLossManual, false, 5, 1033);
    EXPECT_TRUE(manual.resetsTitle && manual.manualSteps && manual.picture && manual.careLink == 1038);
    Layout power = LayoutFor(kPowerLoss, false, 5, 1033);
    EXPECT_FALSE(power.resetsTitle || power.manualSteps || power.picture || power.troubleshoot);

    Layout links = LayoutFor(kWithLinks, false, 5, 1033);
    EXPECT_TRUE(links.retry && links.close && !links.cancel && links.supportLinks && links.feedback && !links.frame);
    EXPECT_EQ(links.careLink, 0);
    EXPECT_FALSE(LayoutFor(kWithLinks, false, 5, 1036).feedback);
    Layout printFailed = LayoutFor(kPrintFailed, false, 0, 1041);
    EXPECT_TRUE(printFailed.frame && printFailed.supportLinks && !printFailed.feedback);
}

TEST(DeviceStatusRules, RetryAndSurvey)
{
    const struct {
        int32_t index, command, setIndex;
    } cases[] = {{0, 23, -1}, {1, 23, -1}, {2, 2, 2}, {3, 2, 2}, {4, 8, 4}, {5, 8, 4}};
    for (const auto& c : cases) {
        EXPECT_EQ(RetryFor(c.index).command, c.command) << c.index;
        EXPECT_EQ(RetryFor(c.index).setIndex, c.setIndex) << c.index;
    }
    EXPECT_TRUE(CareLinkOpensSurvey(5, kFault));
    EXPECT_TRUE(CareLinkOpensSurvey(4, kPrintFailed));
    EXPECT_FALSE(CareLinkOpensSurvey(4, kFault));
    EXPECT_FALSE(CareLinkOpensSurvey(2, kPrintFailed));
}

TEST(DeviceStatusRules, StepIcons)
{
    using Icons = std::array<int32_t, 6>;
    const auto P = kStepPassed, F = kStepFailed, N = kStepNotRun;
    EXPECT_EQ(StepIconsFor(0, false, false, 0), (Icons{F, N, N, N, N, N}));
    EXPECT_EQ(StepIconsFor(1, false, false, 0), (Icons{P, F, N, N, N, N}));
    EXPECT_EQ(StepIconsFor(2, false, false, 0), (Icons{P, F, F, N, N, N}));
    EXPECT_EQ(StepIconsFor(4, true, false, 0), (Icons{P, P, P, P, F, N}));
    EXPECT_EQ(StepIconsFor(2, false, true, 14), (Icons{P, P, F, N, N, N}));
    EXPECT_EQ(StepIconsFor(1, false, true, 61), (Icons{F, N, N, N, N, N}));
}

TEST(DeviceStatusRules, TextsAndTroubleshootingKeys)
{
    EXPECT_EQ(TroubleshootStepsKey(9), L"TSY_TROUBLESHOOT_STEPS_09");
    EXPECT_EQ(TroubleshootStepsKey(14), L"TSY_TROUBLESHOOT_STEPS_14");
    EXPECT_EQ(TroubleshootStepsKey(3), L"ADF_TSY_TROUBLESHOOT_STEPS_3");
    for (int32_t none : {0, -1, 5, 61})
        EXPECT_EQ(TroubleshootStepsKey(none), L"") << none;

    EXPECT_EQ(ExpandLineBreaks(L"a\\nb\\n\\nc"), L"a\nb\n\nc");
    EXPECT_EQ(CareText(L"Call us. Call us!", L"Call us", L"More."),
              L"<a>Call us</a>. <a>Call us</a>!\r\n\r\nMore.");

    MessageParts parts{L"H", L"S", L"E", L"P\\nQ", L"L", L"F"};
    EXPECT_EQ(MessageText(kFault, parts), L"H\r\n\r\nS\r\n\r\nE");
    EXPECT_EQ(MessageText(kFeeder, parts), L"H\r\n\r\nS\r\n\r\nE");
    EXPECT_EQ(MessageText(kPowerLoss, parts), L"H\r\nS\r\n\r\nP\nQ");
    EXPECT_EQ(MessageText(kWithLinks, parts), L"H\r\nS\r\nL");
    EXPECT_EQ(MessageText(kPrintFailed, parts), L"F");
}
