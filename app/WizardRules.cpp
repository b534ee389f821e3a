#include "app/WizardRules.h"

#include <algorithm>

namespace wizard {

bool IsFaultCode(int32_t statusCode)
{
    return std::find(kFaultCodes.begin(), kFaultCodes.end(), statusCode) != kFaultCodes.end();
}

CommandPlan PlanPageCommand(int32_t command)
{
    CommandPlan plan;
    switch (command) {
    case kCmdRetryTest:
        plan.startTest = true;
        plan.onlyTestAtIndexZero = true;
        plan.endConnectivity = true;
        plan.page = Page::PrintTest;
        plan.prepare = Prepare::AfterShow;
        break;
    case kCmdShowPrintTest:
        plan.page = Page::PrintTest;
        break;
    case kCmdNotSupported:
        plan.page = Page::NotSupported;
        break;
    case kCmdPrintEvaluation:
        plan.setTestIndex = 3;
        plan.page = Page::PrintEvaluation;
        plan.prepare = Prepare::BeforeShow;
        plan.endPrintTest = true;
        break;
    case kCmdCopyTest:
        plan.page = Page::CopyTest;
        plan.prepare = Prepare::BeforeShow;
        break;
    case kCmdPrintBad:
        plan.page = Page::PrintBad;
        plan.prepare = Prepare::BeforeShow;
        break;
    case kCmdNoPrint:
        plan.page = Page::NoPrint;
        plan.prepare = Prepare::BeforeShow;
        break;
    case kCmdCopyEvaluation:
        plan.page = Page::CopyEvaluation;
        plan.prepare = Prepare::BeforeShow;
        break;
    case kCmdFinal:
        plan.page = Page::Final;
        plan.prepare = Prepare::BeforeShow;
        plan.refreshAfterShow = true; // feedback link, step icons, heading
        break;
    case kCmdCopyBad:
    case kCmdNoCopy:
        plan.page = Page::CopyFailed;
        plan.prepare = Prepare::BeforeShow; // the command is the page's mode
        break;
    case kCmdPrintFailed:
    case kCmdStatusWithLinks:
    case kCmdStatusFault:
    case kCmdPowerLoss:
    case kCmdFeederError:
    case kCmdPowerLossManual:
        plan.page = Page::DeviceStatus;
        plan.prepare = Prepare::BeforeShow; // the command selects what the page explains
        plan.handSimulatedCode = true;
        plan.endPrintTest = true;
        break;
    case kCmdPrintTest:
        plan.endConnectivity = true;
        plan.page = Page::PrintTest;
        plan.prepare = Prepare::AfterShow;
        break;
    case kCmdConnectivity:
        plan.startTest = true;
        plan.page = Page::Connectivity;
        plan.prepare = Prepare::AfterShow; // the page starts its display
        break;
    default: // 3, 4, 20, 21, 24, 25 and unknown commands do nothing here
        break;
    }
    return plan;
}

int32_t JudgedStatusCode(bool isNetwork, int32_t recordStatusCode, std::optional<int32_t> usbStatusCode)
{
    if (isNetwork)
        return recordStatusCode;
    if (!usbStatusCode || *usbStatusCode == -1)
        return kStatusUnreadable;
    return *usbStatusCode;
}

namespace {

// The device status page's reason for a status the printer reports after a failed step.
int32_t StatusReason(const OutcomeFacts& facts)
{
    if (IsFaultCode(facts.statusCode))
        return kCmdStatusFault;
    return facts.statusShown ? kCmdStatusWithLinks : kCmdPowerLoss;
}

} // namespace

OutcomeDecision DecideOutcome(const OutcomeFacts& facts)
{
    OutcomeDecision decision;
    switch (facts.outcome) {
    case kOutcomeStarted:
        decision.startBlink = true;
        return decision;
    case kOutcomeAbandon:
        decision.destroyWizard = true;
        return decision;
    case kOutcomePassed:
        decision.stopBlink = true;
        if (facts.testIndex == 0) {
            // The Device Status Test runs next, on the connectivity page still showing.
            decision.setTestIndex = 1;
            decision.command = kCmdConnectivity;
        } else if (facts.testIndex == 1) {
            decision.endConnectivity = EndConnectivity::BeforeCommand;
            decision.command = kCmdPrintTest;
        } else if (facts.testIndex == 2) {
            decision.command = kCmdPrintEvaluation;
        }
        return decision;
    case kOutcomeFailed:
        decision.stopBlink = true;
        if (facts.testIndex == 0) {
            decision.endConnectivity = EndConnectivity::BeforeCommand;
            decision.command = kCmdStatusFault;
        } else if (facts.testIndex == 1) {
            // A feeder condition wins even over a fault code.
            decision.command = facts.adfStatus ? kCmdFeederError : StatusReason(facts);
            decision.endConnectivity = EndConnectivity::AfterCommand;
        } else if (facts.testIndex == 2) {
            decision.command =
                facts.statusCode == 0 || facts.adfStatus ? kCmdPrintFailed : StatusReason(facts);
        }
        return decision;
    default:
        return decision;
    }
}

Page BlinkTarget(int32_t testIndex)
{
    if (testIndex == 0 || testIndex == 1)
        return Page::Connectivity;
    if (testIndex == 2)
        return Page::PrintTest;
    return Page::None;
}

int32_t NextBlinkIcon(bool& blinkFlag)
{
    const int32_t icon = blinkFlag ? 3 : 1;
    blinkFlag = !blinkFlag;
    return icon;
}

} // namespace wizard
