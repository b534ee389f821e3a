#include "pages/DeviceStatusDlg.h"

#include <cwchar>

#include "app/engine/DiagnosticMgr.h"
#include "app/KeloTessalyApp.h"
#include "discovery/UsbStatus.h"
#include "links/LinkRules.h"
#include "links/SupportLinkBuilder.h"
#include "pages/FeedbackDlg.h"
#include "pages/DeviceStatusRules.h"
#include "pages/TroubleShootDlg.h"
#include "res/resource.h"
#include "support/LogFile.h"

namespace {


constexpr int kSwitchedControls[] = {IDC_TROUBLESHOOT, IDC_STATUS_PICTURE,  IDC_RESETS_TITLE, IDC_CARE_FRAMED, IDC_KEYWORD_HELP,
                                     IDC_MANUAL_STEPS,  IDC_STATUS_FEEDBACK_LINK, IDC_STATUS_CARE_LINK,        IDC_FORUM_LINK,      IDC_SUPPORT_LINK,
                                     IDC_RETRY,        IDC_CLOSE,    IDC_PAGE_CANCEL};

std::optional<Device_Dev> SelectedPrinter()
{
    const CDiagnosticMgr* manager = theApp.DiagnosisManager();
    return manager != nullptr ? manager->Selected() : std::nullopt;
}

int32_t CurrentIndex()
{
    const CDiagnosticMgr* manager = theApp.DiagnosisManager();
    return manager != nullptr ? manager->CurrentTestIndex() : -1;
}

void OpenOrLog(const std::wstring& link, const wchar_t* failure)
{
    if (!SupportLinkBuilder::OpenLink(link))
        LogFile().Write(L"%s", failure);
}

} // namespace

CDeviceStatusDlg::CDeviceStatusDlg() : CWizardPage(IDD_DEVICE_STATUS, false) {}

CDeviceStatusDlg::~CDeviceStatusDlg()
{
    if (serviceIcon_ != nullptr)
        ::DestroyIcon(serviceIcon_);
}

BOOL CDeviceStatusDlg::OnInitDialog()
{
    if (!SetUpPage({}))
        return TRUE;
    OnPrepare(devstatus::kWithLinks);
    return TRUE;
}

void CDeviceStatusDlg::OnPrepare(int32_t command)
{
    variant_ = command;
    CWizardPage::OnPrepare(command);
    SetKeyText(IDC_TROUBLESHOOT, L"TSY_TROUBLESHOOT_BUTTON");
    SetKeyText(IDC_RETRY, L"TSY_RETRY_BUTTON");
    SetKeyText(IDC_CLOSE, L"TSY_CLOSE_BUTTON");
    SetKeyText(IDC_PAGE_CANCEL, L"TSY_CANCEL_BUTTON");
    AssignFonts();
    BuildVariant(command);
    // Texts differ in length by condition and language: the shown links and explanations follow
    // the message; the reset picture stands beside the manual steps.
    FlowBelowMessage({{IDC_RESETS_TITLE, 0, true}, {IDC_MANUAL_STEPS, IDC_STATUS_PICTURE}, {IDC_CARE_FRAMED},
                      {IDC_STATUS_CARE_LINK}, {IDC_SUPPORT_LINK}, {IDC_FORUM_LINK}, {IDC_STATUS_FEEDBACK_LINK}});
    const CDiagnosticMgr* manager = Manager();
    const auto icons = devstatus::StepIconsFor(CurrentIndex(), manager != nullptr && manager->StatusVerdict(),
                                               Simulating(), simulatedStatusCode_);
    for (int row = 0; row < kStepCount; ++row)
        SetStepIcon(row, icons[static_cast<size_t>(row)]);
    FrameAround(IDC_PAGE_MESSAGE);
}

int32_t CDeviceStatusDlg::DetermineFlag(int32_t variant)
{
    CDiagnosticMgr* manager = Manager();
    const std::optional<Device_Dev> device = SelectedPrinter();
    const bool network = device && device->isNetwork;
    int32_t flag = -1;
    switch (devstatus::FlagSourceFor(variant, Simulating(), network, CurrentIndex())) {
    case devstatus::FlagSource::None:
        return shownFlag_;
    case devstatus::FlagSource::Simulated:
        flag = simulatedStatusCode_;
        manager->SetCurrentTestIndex(1);
        break;
    case devstatus::FlagSource::Record:
        if (device)
            flag = device->statusCode;
        break;
    case devstatus::FlagSource::UsbIdentification:
        // An identification that cannot be read means "status not available".
        if (!device || !ReadUsbStatus(device->address, flag))
            flag = devstatus::kStatusUnavailable;
        break;
    }
    return devstatus::NormalizeFlag(variant, flag);
}

void CDeviceStatusDlg::BuildVariant(int32_t variant)
{
    const int32_t flag = DetermineFlag(variant);
    const bool simulation = Simulating();

    devstatus::MessageParts parts;
    if (variant != devstatus::kPrintFailed) {
        const devstatus::StatusKeys keys = devstatus::KeysFor(variant, flag);
        if (!keys.status.empty()) {
            parts.status = Text(keys.status.c_str());
            parts.error = Text(keys.error.c_str());
        }
        parts.heading = Text(L"TSY_DEVID_ERROR_STATUS_MSG");
        theApp.ErrorTrail() += devstatus::ErrorTrailEntry(variant, flag, CurrentIndex(), parts.status);
    }
    if (variant == devstatus::kPowerLoss)
        parts.powerLoss = Text(L"TSY_DIRTYPOWER_UP");
    else if (variant == devstatus::kPowerLossManual)
        parts.powerLoss = Text(L"TSY_DIRTYPOWER_UP_STATUS");
    else if (variant == devstatus::kWithLinks)
        parts.linkMessage = Text(L"TSY_LINKMSG_STATUS");
    else if (variant == devstatus::kPrintFailed)
        parts.printFailed = Text(L"TSY_PRINT_FAILED");
    SetItemText(IDC_PAGE_MESSAGE, devstatus::MessageText(variant, parts));

    bool troubleshooting = false;
    if (variant == devstatus::kFault || variant == devstatus::kFeeder) {
        const CDiagnosticMgr* manager = Manager();
        const std::optional<Device_Dev> device = SelectedPrinter();
        const bool adf = simulation ? manager->SimulatedErrorKind() == kSimulatedFeederError : device && device->adfStatus;
        troubleshooting = devstatus::TroubleshootingApplies(variant, simulation, CurrentIndex(), flag, adf);
    }
    if (variant != devstatus::kPrintFailed)
        shownFlag_ = flag;

    const devstatus::Layout layout = devstatus::LayoutFor(variant, troubleshooting, flag, StringTable().LanguageId());
    if (layout.careLink != 0)
        SetItemText(layout.careLink, devstatus::CareText(Text(L"TSY_CUSTOMERCARE_DEVICE_STATUS_MSG"),
                                                         Text(L"TSY_LINK_CUSTOMERCARE"), Text(L"TSY_ADDITIONAL_HELP_MSG")));
    if (layout.supportLinks) {
        SetItemText(IDC_SUPPORT_LINK, LinkWithText(Text(L"TSY_LINK_KELO1"), Text(L"TSY_LINK_CUSTOMERCARE"), L""));
        SetItemText(IDC_FORUM_LINK, LinkWithText(Text(L"TSY_LINK_FORUM1"), Text(L"TSY_LINK_SUPPORTFORUM"), L""));
        SetItemText(IDC_STATUS_FEEDBACK_LINK, LinkMarkup(Text(L"TSY_LINK_FEEDBACK")));
    }
    if (layout.resetsTitle)
        SetKeyText(IDC_RESETS_TITLE, L"TSY_RESETS_HEAD1");
    if (layout.manualSteps)
        SetItemText(IDC_MANUAL_STEPS, devstatus::ExpandLineBreaks(Text(L"TSY_DIRTYPOWER_UPMANUAL_STATUS")));
    if (layout.picture) {
        if (serviceIcon_ == nullptr)
            serviceIcon_ = static_cast<HICON>(
                ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_SERVICE), IMAGE_ICON, 32, 32, 0));
        ::SendMessageW(GetDlgItem(IDC_STATUS_PICTURE), BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(serviceIcon_));
    }
    if (variant == devstatus::kPowerLoss)
        if (CDiagnosticMgr* manager = Manager())
            manager->SetStatusShown(true);
    if (variant == devstatus::kPrintFailed)
        if (CDiagnosticMgr* manager = Manager())
            manager->SetCurrentTestIndex(2);

    const auto shown = [&](int id) {
        switch (id) {
        case IDC_TROUBLESHOOT: return layout.troubleshoot;
        case IDC_STATUS_PICTURE: return layout.picture;
        case IDC_RESETS_TITLE: return layout.resetsTitle;
        case IDC_MANUAL_STEPS: return layout.manualSteps;
        case IDC_CARE_FRAMED:
        case IDC_STATUS_CARE_LINK: return layout.careLink == id;
        case IDC_SUPPORT_LINK:
        case IDC_FORUM_LINK: return layout.supportLinks;
        case IDC_STATUS_FEEDBACK_LINK: return layout.feedback;
        case IDC_RETRY: return layout.retry;
        case IDC_CLOSE: return layout.close;
        case IDC_PAGE_CANCEL: return layout.cancel;
        default: return false;
        }
    };
    for (int id : kSwitchedControls)
        ShowItem(id, shown(id));
    frameMode_ = layout.frame;
    if (layout.retry && (variant == devstatus::kFault || variant == devstatus::kFeeder) &&
        ::IsWindowVisible(GetSafeHwnd()))
        ::SetFocus(GetDlgItem(IDC_RETRY));
}

void CDeviceStatusDlg::AssignFonts()
{
    SetFonts({{IDC_STEP_LIST, FontRole::StepList},
              {IDC_PAGE_HEADING, FontRole::Heading},
              {IDC_PAGE_MESSAGE, FontRole::Message},
              {IDC_CARE_FRAMED, FontRole::Link},
              {IDC_KEYWORD_HELP, FontRole::Link},
              {IDC_MANUAL_STEPS, FontRole::Link},
              {IDC_STATUS_CARE_LINK, FontRole::Link},
              {IDC_FORUM_LINK, FontRole::Link},
              {IDC_SUPPORT_LINK, FontRole::Link},
              {IDC_STATUS_FEEDBACK_LINK, FontRole::SmallLink},
              {IDC_TROUBLESHOOT, FontRole::Button},
              {IDC_RETRY, FontRole::Button},
              {IDC_CLOSE, FontRole::Button},
              {IDC_PAGE_CANCEL, FontRole::Button}});
}

bool CDeviceStatusDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    if (message == WM_SETFOCUS) {
        ::SetFocus(GetDlgItem(IDC_RETRY));
        result = 0;
        return true;
    }
    return CWizardPage::OnMessage(message, wParam, lParam, result);
}

bool CDeviceStatusDlg::OnButton(int id)
{
    CDiagnosticMgr* manager = Manager();
    switch (id) {
    case IDC_RETRY: {
        if (Simulating())
            return true;
        const devstatus::RetryPlan plan = devstatus::RetryFor(CurrentIndex());
        if (plan.setIndex >= 0 && manager != nullptr)
            manager->SetCurrentTestIndex(plan.setIndex);
        SendPageCommand(plan.command);
        return true;
    }
    case IDC_PAGE_CANCEL:
        if (CurrentIndex() == 1)
            SendPageCommand(19);
        else
            CloseMainWindow();
        return true;
    case IDC_CLOSE:
        CloseMainWindow();
        return true;
    case IDC_TROUBLESHOOT:
        if (!Simulating()) {
            CTroubleShootDlg steps;
            steps.SetCase(shownFlag_);
            steps.DoModal(GetSafeHwnd());
        }
        return true;
    default:
        return false;
    }
}

void CDeviceStatusDlg::OpenCustomerCareLink()
{
    const std::optional<Device_Dev> device = SelectedPrinter();
    SupportLinkBuilder links;
    links.UseApplicationSettings();
    links.OpenProductSupportLink(Text(L"TSY_LANG_CODE"),
                                 device ? ModelNameForSupportLink(device->friendlyName, device->deviceName)
                                                   : std::wstring(),
                                 L"s-001", L"s-h-e021-1", device ? device->productId : std::wstring());
}

void CDeviceStatusDlg::OnLinkClicked(int id)
{
    switch (id) {
    case IDC_CARE_FRAMED:
    case IDC_SUPPORT_LINK:
        OpenCustomerCareLink();
        break;
    case IDC_KEYWORD_HELP: {
        const std::optional<Device_Dev> device = SelectedPrinter();
        SupportLinkBuilder links;
        OpenOrLog(links.BuildKeywordHubLink(device ? device->productId : std::wstring()),
                  L"Error while opening link TSY_URL_KELO.");
        break;
    }
    case IDC_MANUAL_STEPS:
    case IDC_FORUM_LINK:
        OpenOrLog(Text(L"TSY_URL_FORUM"), L"Error while opening link TSY_URL_FORUM.");
        break;
    case IDC_STATUS_FEEDBACK_LINK:
        OpenSurveyLink();
        break;
    case IDC_STATUS_CARE_LINK:
        if (devstatus::CareLinkOpensSurvey(CurrentIndex(), variant_)) {
            OpenSurveyLink(SurveyCaller::Page, false);
        } else {
            OpenCustomerCareLink();
        }
        break;
    default:
        break;
    }
}
