#include "pages/PrintBadDlg.h"

#include "app/engine/DiagnosticMgr.h"
#include "app/KeloTessalyApp.h"
#include "pages/FeedbackDlg.h"
#include "pages/PrgsDlg.h"
#include "pages/ServiceRules.h"
#include "res/resource.h"

namespace {

HICON ServiceIcon(UINT id)
{
    // Shared icons belong to the module; nothing to destroy.
    return static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, 32, 32,
                                           LR_SHARED));
}

} // namespace

CPrintBadDlg::CPrintBadDlg() : CWizardPage(IDD_PRINT_BAD, true) {}

CPrintBadDlg::~CPrintBadDlg() = default;

BOOL CPrintBadDlg::OnInitDialog()
{
    ::SendDlgItemMessageW(GetSafeHwnd(), IDC_PRINT_BAD_CLEAN, BM_SETIMAGE, IMAGE_ICON,
                          reinterpret_cast<LPARAM>(ServiceIcon(IDI_SERVICE_CLEAN)));
    ::SendDlgItemMessageW(GetSafeHwnd(), IDC_PRINT_BAD_ALIGN, BM_SETIMAGE, IMAGE_ICON,
                          reinterpret_cast<LPARAM>(ServiceIcon(IDI_SERVICE_ALIGN)));
    if (!SetUpPage({{IDC_PAGE_MESSAGE, L"TSY_DIAGNOSE_LOWLEVELPRINTTEST_FAIL", FontRole::Message},
                    {IDC_CLEAN_TITLE, L"TSY_SERVICES_HEAD3", FontRole::Message},
                    {IDC_ALIGN_TITLE, L"TSY_SERVICES_HEAD2", FontRole::Message},
                    {IDC_RETRY, L"TSY_RETRY_BUTTON", FontRole::Button},
                    {IDC_CLOSE, L"TSY_CLOSE_BUTTON", FontRole::Button}}))
        return TRUE;
    OnPrepare(0);
    return TRUE;
}

// Line feeds of the string file become line breaks of the static.
static std::wstring WithCrLf(const std::wstring& text)
{
    std::wstring out;
    for (wchar_t c : text) {
        if (c == L'\n')
            out += L'\r';
        out += c;
    }
    return out;
}

void CPrintBadDlg::OnPrepare(int32_t command)
{
    CWizardPage::OnPrepare(command);
    SetItemText(IDC_PRINT_BAD_TEXT2, WithCrLf(Text(L"TSY_DIAGNOSE_LOWLEVELPRINTTEST_FAIL2")));
    SetItemText(IDC_PRINT_BAD_TEXT3, WithCrLf(Text(L"TSY_DIAGNOSE_LOWLEVELPRINTTEST_FAIL3")));
    SetFonts({{IDC_PRINT_BAD_TEXT2, FontRole::Message}, {IDC_PRINT_BAD_TEXT3, FontRole::Message}});
    SetItemText(IDC_PRINT_BAD_TROUBLESHOOTING, LinkMarkup(Text(L"TSY_TROUBLESHOOT_LINK")));
    SetFonts({{IDC_PRINT_BAD_TROUBLESHOOTING, FontRole::SmallLink}});
    SetFeedbackLink(IDC_FEEDBACK_LINK);
    FrameAround(IDC_PAGE_MESSAGE);
    ApplyExclusions();
    ShowStepIcons();
}

void CPrintBadDlg::ApplyExclusions()
{
    for (int id : {IDC_PRINT_BAD_CLEAN, IDC_CLEAN_TITLE, IDC_PRINT_BAD_ALIGN, IDC_ALIGN_TITLE})
        ::EnableWindow(GetDlgItem(id), TRUE);
    const CDiagnosticMgr* manager = Manager();
    const std::optional<Device_Dev> device = manager != nullptr ? manager->Selected() : std::nullopt;
    if (!device)
        return;
    if (services::Excluded(services::Service::Cleaning, device->productId)) {
        ::EnableWindow(GetDlgItem(IDC_PRINT_BAD_CLEAN), FALSE);
        ::EnableWindow(GetDlgItem(IDC_CLEAN_TITLE), FALSE);
    }
    if (services::Excluded(services::Service::Alignment, device->productId)) {
        ::EnableWindow(GetDlgItem(IDC_PRINT_BAD_ALIGN), FALSE);
        ::EnableWindow(GetDlgItem(IDC_ALIGN_TITLE), FALSE);
    }
}

void CPrintBadDlg::ShowStepIcons()
{
    if (Simulating())
        SetStepIcons({kStepPassed, kStepPassed, kStepPassed, kStepCurrent, kStepNotRun, kStepNotRun});
    else
        SetStepIcons({kStepPassed, VerdictIcon(), kStepPassed, kStepFailed, kStepNotRun, kStepNotRun});
}

void CPrintBadDlg::RunService(int buttonId, DeviceOperation operation)
{
    if (Simulating())
        return;
    ::EnableWindow(GetDlgItem(buttonId), FALSE);
    lastOperation_ = operation;
    CPrgsDlg popup;
    popup.SetOperation(operation);
    popup.DoModal(GetSafeHwnd());
}

bool CPrintBadDlg::OnButton(int id)
{
    switch (id) {
    case IDC_RETRY:
        RetryPrint();
        return true;
    case IDC_CLOSE:
        ::SendMessageW(::GetParent(GetSafeHwnd()), WM_CLOSE, 0, 0);
        return true;
    case IDC_PRINT_BAD_CLEAN:
        RunService(id, DeviceOperation::CleanPrintheads);
        return true;
    case IDC_PRINT_BAD_ALIGN:
        RunService(id, DeviceOperation::AlignPrintheads);
        return true;
    default:
        return false;
    }
}

void CPrintBadDlg::OnLinkClicked(int id)
{
    if (id == IDC_PRINT_BAD_TROUBLESHOOTING) {
        theApp.AnswerTrail() += L"@PQ Help";
        OpenProductSupport(L"s-001");
    } else if (id == IDC_FEEDBACK_LINK) {
        OpenSurveyLink();
    }
}

bool CPrintBadDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    if (message == WM_SETFOCUS && HasContent()) {
        ShowStepIcons();
        ::SetFocus(GetDlgItem(IDC_RETRY));
        result = 0;
        return true;
    }
    return CWizardPage::OnMessage(message, wParam, lParam, result);
}
