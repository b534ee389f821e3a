#include "pages/DeviceStatusRules.h"

#include "app/engine/StatusMessageKeys.h"
#include "pages/WizardPageRules.h"
#include "res/resource.h"

namespace devstatus {

namespace {

bool AdfForm(int32_t variant, int32_t flag)
{
    return variant == kFeeder || ((variant == kWithLinks || variant == kPowerLoss) && flag > kStatusUnavailable);
}

std::wstring ReplaceAll(std::wstring text, const std::wstring& what, const std::wstring& with)
{
    if (what.empty())
        return text;
    for (size_t at = text.find(what); at != std::wstring::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
    return text;
}

} // namespace

FlagSource FlagSourceFor(int32_t variant, bool simulation, bool isNetwork, int32_t testIndex)
{
    if (variant == kPrintFailed)
        return FlagSource::None;
    if (simulation)
        return FlagSource::Simulated;
    if (isNetwork || variant == kFeeder || (variant == kFault && testIndex == 0))
        return FlagSource::Record;
    return FlagSource::UsbIdentification;
}

int32_t NormalizeFlag(int32_t variant, int32_t flag)
{
    if (flag == -1)
        flag = kStatusUnavailable;
    if (variant == kFeeder && flag > kStatusUnavailable)
        flag -= kFeederBase;
    return flag;
}

StatusKeys KeysFor(int32_t variant, int32_t flag)
{
    if (flag < 0 || variant == kPrintFailed)
        return {};
    const bool adf = AdfForm(variant, flag);
    // The feeder variant's flag is already reduced; the others reduce it here.
    const int32_t keyFlag = adf && variant != kFeeder ? flag - kFeederBase : flag;
    return {StatusMessageKey(keyFlag, adf), DeviceErrorMessageKey(keyFlag, adf)};
}

std::wstring ErrorTrailEntry(int32_t variant, int32_t flag, int32_t testIndex, const std::wstring& statusText)
{
    switch (variant) {
    case kFault:
    case kPowerLossManual:
        return L"@Error" + std::to_wstring(flag);
    case kPowerLoss:
        return L"@Error" + std::to_wstring(flag > kStatusUnavailable ? flag - kFeederBase : flag);
    case kWithLinks:
        return testIndex != -1 ? L"@Error" + std::to_wstring(flag) : std::wstring();
    case kFeeder:
        return L"@not-ready-source-scanner," + statusText;
    default:
        return {};
    }
}

bool TroubleshootingApplies(int32_t variant, bool simulation, int32_t testIndex, int32_t flag, bool adfStatus)
{
    const bool step = simulation || testIndex == 1 || testIndex == 2 || testIndex == 4 ||
                      (testIndex == 3 && variant != kFeeder);
    const bool condition = flag == 9 || flag == 14 || flag == 15 || flag == 16 ||
                           ((flag == 3 || flag == 4) && adfStatus);
    return step && condition;
}

Layout LayoutFor(int32_t variant, bool troubleshooting, int32_t flag, int32_t languageId)
{
    Layout layout;
    switch (variant) {
    case kFault:
    case kFeeder:
        layout.retry = layout.cancel = true;
        if (variant == kFault || troubleshooting || flag == 17) {
            layout.careLink = IDC_STATUS_CARE_LINK;
            layout.troubleshoot = troubleshooting;
        } else {
            layout.careLink = IDC_CARE_FRAMED;
            layout.frame = true;
        }
        break;
    case kPowerLoss:
    case kPowerLossManual:
        layout.retry = layout.cancel = true;
        layout.careLink = IDC_STATUS_CARE_LINK;
        if (variant == kPowerLossManual)
            layout.resetsTitle = layout.manualSteps = layout.picture = true;
        break;
    case kWithLinks:
    case kPrintFailed:
        layout.retry = layout.close = true;
        layout.supportLinks = true;
        layout.feedback = languageId == 1033;
        layout.frame = variant == kPrintFailed;
        break;
    default:
        break;
    }
    return layout;
}

RetryPlan RetryFor(int32_t testIndex)
{
    if (testIndex == 2 || testIndex == 3)
        return {2, 2};
    if (testIndex == 4 || testIndex == 5)
        return {8, 4};
    // Connectivity or device status: start again from the connectivity step.
    return {23, -1};
}

bool CareLinkOpensSurvey(int32_t testIndex, int32_t variant)
{
    return testIndex == 5 || (testIndex == 4 && variant == kPrintFailed);
}

std::array<int32_t, 6> StepIconsFor(int32_t testIndex, bool statusVerdict, bool simulation, int32_t simulatedFlag)
{
    std::array<int32_t, 6> icons{};
    if (simulation && simulatedFlag == kStatusUnavailable) {
        icons.fill(kStepNotRun);
        icons[0] = kStepFailed;
        return icons;
    }
    for (int32_t row = 0; row < 6; ++row)
        icons[static_cast<size_t>(row)] = row < testIndex ? kStepPassed : row == testIndex ? kStepFailed : kStepNotRun;
    if (testIndex >= 2)
        icons[1] = simulation || statusVerdict ? kStepPassed : kStepFailed;
    return icons;
}

std::wstring TroubleshootStepsKey(int32_t caseNumber)
{
    switch (caseNumber) {
    case 9:
        return L"TSY_TROUBLESHOOT_STEPS_09";
    case 14:
    case 15:
    case 16:
        return L"TSY_TROUBLESHOOT_STEPS_" + std::to_wstring(caseNumber);
    case 3:
    case 4:
        return L"ADF_TSY_TROUBLESHOOT_STEPS_" + std::to_wstring(caseNumber);
    default:
        return {};
    }
}

std::wstring ExpandLineBreaks(const std::wstring& text) { return ReplaceAll(text, L"\\n", L"\n"); }

std::wstring CareText(const std::wstring& message, const std::wstring& linkText, const std::wstring& additional)
{
    return ReplaceAll(message, linkText, LinkMarkup(linkText)) + L"\r\n\r\n" + additional;
}

std::wstring MessageText(int32_t variant, const MessageParts& parts)
{
    switch (variant) {
    case kFault:
    case kFeeder:
        return parts.heading + L"\r\n\r\n" + parts.status + L"\r\n\r\n" + parts.error;
    case kPowerLoss:
    case kPowerLossManual:
        return parts.heading + L"\r\n" + parts.status + L"\r\n\r\n" + ExpandLineBreaks(parts.powerLoss);
    case kWithLinks:
        return parts.heading + L"\r\n" + parts.status + L"\r\n" + parts.linkMessage;
    default:
        return parts.printFailed;
    }
}

} // namespace devstatus
