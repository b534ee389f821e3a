#include <gtest/gtest.h>

#include <optional>
#include <set>

#include "app/WizardRules.h"
#include "pages/WizardPageRules.h"

using namespace wizard;

TEST(WizardRules, FaultCodesAreTheThirtyOneOfTheStatusPage)
{
    const std::set<int32_t> faults(kFaultCodes.begin(), kFaultCodes.end());
    EXPECT_EQ(faults.size(), 31u);
    int32_t count = 0;
    for (int32_t code = -2; code <= 70; ++code) {
        EXPECT_EQ(IsFaultCode(code), faults.count(code) == 1) << code;
        count += IsFaultCode(code) ? 1 : 0;
    }
    EXPECT_EQ(count, 31);
    for (int32_t code : {1, 14, 17, 60, 61})
        EXPECT_TRUE(IsFaultCode(code)) << code;
    for (int32_t code : {-1, 0, 3, 5, 7, 18, 62})
        EXPECT_FALSE(IsFaultCode(code)) << code;
}

TEST(WizardRules, StatusCodeOfANetworkPrinterIsItsRecordsAndOfAUsbPrinterWhatItsIdReads)
{
    EXPECT_EQ(JudgedStatusCode(true, 14, std::nullopt), 14);
    EXPECT_EQ(JudgedStatusCode(true, 0, 7), 0); // a network printer's identification is never read
    EXPECT_EQ(JudgedStatusCode(false, 0, 7), 7);
    EXPECT_EQ(JudgedStatusCode(false, 0, 0), 0);
    EXPECT_EQ(JudgedStatusCode(false, 0, std::nullopt), kStatusUnreadable);
    EXPECT_EQ(JudgedStatusCode(false, 0, -1), kStatusUnreadable);
}

namespace {

struct OutcomeCase {
    const char* name;
    int32_t testIndex, outcome, statusCode;
    bool adf, shown;
    std::optional<int32_t> command;
    EndConnectivity end;
    std::optional<int32_t> newIndex;
};

} // namespace

TEST(WizardRules, EachOutcomeLeadsToItsPage)
{
    using E = EndConnectivity;
    const OutcomeCase cases[] = {
        // Passes: connectivity runs the device status test on the same page, then the print test.
        {"connectivity passed", 0, 1, 0, false, false, 23, E::No, 1},
        {"status passed", 1, 1, 0, false, false, 19, E::BeforeCommand, {}},
        {"print passed", 2, 1, 0, false, false, 7, E::No, {}},
        {"pass at a page test", 3, 1, 0, false, false, {}, E::No, {}},
        // Connectivity failure: 17 whatever the status says (a USB status unreadable is 61).
        {"connectivity failed, unreadable", 0, 0, kStatusUnreadable, false, false, 17, E::BeforeCommand, {}},
        {"connectivity failed, clear", 0, 0, 0, false, true, 17, E::BeforeCommand, {}},
        // Device status failure: the feeder wins, then fault codes, then the power-loss form once.
        {"status feeder over fault", 1, 0, 14, true, false, 22, E::AfterCommand, {}},
        {"status feeder", 1, 0, 3, true, true, 22, E::AfterCommand, {}},
        {"status fault", 1, 0, 14, false, false, 17, E::AfterCommand, {}},
        {"status unreadable", 1, 0, 61, false, true, 17, E::AfterCommand, {}},
        {"status first time", 1, 0, 5, false, false, 18, E::AfterCommand, {}},
        {"status shown before", 1, 0, 5, false, true, 16, E::AfterCommand, {}},
        {"status clear but failed", 1, 0, 0, false, false, 18, E::AfterCommand, {}},
        // Print failure: a clear status or a feeder condition is a print failure.
        {"print failed, status clear", 2, 0, 0, false, true, 15, E::No, {}},
        {"print failed, feeder", 2, 0, 14, true, false, 15, E::No, {}},
        {"print failed, fault", 2, 0, 61, false, false, 17, E::No, {}},
        {"print failed, first time", 2, 0, 7, false, false, 18, E::No, {}},
        {"print failed, shown before", 2, 0, 7, false, true, 16, E::No, {}},
        {"failure at a page test", 4, 0, 14, false, false, {}, E::No, {}},
    };
    for (const OutcomeCase& c : cases) {
        const OutcomeDecision d = DecideOutcome({c.testIndex, c.outcome, c.statusCode, c.adf, c.shown});
        EXPECT_EQ(d.command, c.command) << c.name;
        EXPECT_EQ(d.endConnectivity, c.end) << c.name;
        EXPECT_EQ(d.setTestIndex, c.newIndex) << c.name;
        EXPECT_TRUE(d.stopBlink) << c.name;
        EXPECT_FALSE(d.startBlink || d.destroyWizard) << c.name;
    }
}

TEST(WizardRules, StartStartsTheBlinkAndAbandonEndsTheWizard)
{
    for (int32_t index : {0, 1, 2}) {
        const OutcomeDecision started = DecideOutcome({index, kOutcomeStarted, 14, true, true});
        EXPECT_TRUE(started.startBlink);
        EXPECT_FALSE(started.command || started.destroyWizard || started.stopBlink);
        EXPECT_FALSE(NeedsStatusCode(kOutcomeStarted));

        const OutcomeDecision abandon = DecideOutcome({index, kOutcomeAbandon, 0, false, false});
        EXPECT_TRUE(abandon.destroyWizard);
        EXPECT_FALSE(abandon.command || abandon.startBlink);
        EXPECT_TRUE(NeedsStatusCode(kOutcomeAbandon));
    }
    const OutcomeDecision unknown = DecideOutcome({0, 7, 0, false, false});
    EXPECT_FALSE(unknown.command || unknown.destroyWizard || unknown.startBlink || unknown.stopBlink);
}

TEST(WizardRules, PageCommandsShowTheirPages)
{
    const struct {
        int32_t command;
        Page page;
        Prepare prepare;
    } shows[] = {
        {2, Page::PrintTest, Prepare::AfterShow},      {5, Page::PrintTest, Prepare::Never},
        {6, Page::NotSupported, Prepare::Never},       {7, Page::PrintEvaluation, Prepare::BeforeShow},
        {8, Page::CopyTest, Prepare::BeforeShow},      {9, Page::PrintBad, Prepare::BeforeShow},
        {10, Page::NoPrint, Prepare::BeforeShow},      {11, Page::CopyEvaluation, Prepare::BeforeShow},
        {12, Page::Final, Prepare::BeforeShow},        {13, Page::CopyFailed, Prepare::BeforeShow},
        {14, Page::CopyFailed, Prepare::BeforeShow},   {15, Page::DeviceStatus, Prepare::BeforeShow},
        {16, Page::DeviceStatus, Prepare::BeforeShow}, {17, Page::DeviceStatus, Prepare::BeforeShow},
        {18, Page::DeviceStatus, Prepare::BeforeShow}, {19, Page::PrintTest, Prepare::AfterShow},
        {22, Page::DeviceStatus, Prepare::BeforeShow}, {23, Page::Connectivity, Prepare::AfterShow},
        {26, Page::DeviceStatus, Prepare::BeforeShow},
    };
    for (const auto& s : shows) {
        const CommandPlan plan = PlanPageCommand(s.command);
        EXPECT_EQ(plan.page, s.page) << s.command;
        EXPECT_EQ(plan.prepare, s.prepare) << s.command;
        const bool isStatus = s.page == Page::DeviceStatus;
        EXPECT_EQ(plan.handSimulatedCode, isStatus) << s.command;
        EXPECT_EQ(plan.endPrintTest, isStatus || s.command == 7) << s.command;
        EXPECT_EQ(plan.startTest, s.command == 2 || s.command == 23) << s.command;
        EXPECT_EQ(plan.endConnectivity, s.command == 2 || s.command == 19) << s.command;
        EXPECT_EQ(plan.refreshAfterShow, s.command == 12) << s.command;
        EXPECT_EQ(plan.setTestIndex, s.command == 7 ? std::optional<int32_t>(3) : std::nullopt) << s.command;
    }
    // A retry at the connectivity step only runs the test again.
    EXPECT_TRUE(PlanPageCommand(2).onlyTestAtIndexZero);
    EXPECT_FALSE(PlanPageCommand(23).onlyTestAtIndexZero);
    for (int32_t command : {0, 1, 3, 4, 20, 21, 24, 25, 27, 28, -1}) {
        const CommandPlan plan = PlanPageCommand(command);
        EXPECT_EQ(plan.page, Page::None) << command;
        EXPECT_FALSE(plan.startTest || plan.endConnectivity || plan.endPrintTest || plan.setTestIndex) << command;
    }
}

TEST(WizardRules, BlinkAlternatesCurrentAndNotRunStartingWithCurrent)
{
    bool flag = true; // set when the test starts
    EXPECT_EQ(NextBlinkIcon(flag), 3);
    EXPECT_EQ(NextBlinkIcon(flag), 1);
    EXPECT_EQ(NextBlinkIcon(flag), 3);
    EXPECT_EQ(NextBlinkIcon(flag), 1);
    EXPECT_EQ(BlinkTarget(0), Page::Connectivity);
    EXPECT_EQ(BlinkTarget(1), Page::Connectivity);
    EXPECT_EQ(BlinkTarget(2), Page::PrintTest);
    for (int32_t index : {-1, 3, 4, 5})
        EXPECT_EQ(BlinkTarget(index), Page::None) << index;
}

TEST(WizardPageRules, HeadingNamesThePrinter)
{
    Device_Dev device;
    device.deviceName = L"Kelo Homeline 2150";
    device.friendlyName = L"Office printer";
    EXPECT_EQ(PageHeading(L"Selected printer:", &device), L"Selected printer: Office printer");
    device.friendlyName.clear();
    EXPECT_EQ(PageHeading(L"Selected printer:", &device), L"Selected printer: Kelo Homeline 2150");
    EXPECT_EQ(PageHeading(L"Selected printer:", nullptr), L"Selected printer:  Kelo Dummy Printer");
    EXPECT_EQ(PageHeading(L"", nullptr), L"  Kelo Dummy Printer");
}

TEST(WizardPageRules, LinksAreMarkedUpWithTheirPlainTexts)
{
    EXPECT_EQ(LinkMarkup(L"Forum"), L"<a>Forum</a>");
    EXPECT_EQ(LinkWithText(L"", L"Customer care", L"is open all day"), L"<a>Customer care</a> is open all day");
    EXPECT_EQ(LinkWithText(L"Ask the", L"forum", L""), L"Ask the <a>forum</a>");
    EXPECT_EQ(LinkWithText(L"a", L"b", L"c"), L"a <a>b</a> c");
    EXPECT_EQ(LinkWithText(L"", L"", L""), L"<a></a>");
}
