#include "pages/NoPrintDlg.h"

#include "app/engine/DiagnosticMgr.h"
#include "app/KeloTessalyApp.h"
#include "pages/FeedbackDlg.h"
#include "res/resource.h"

namespace {

constexpr int kIdRetry = 1005;
constexpr int kIdClose = 1020;
constexpr int kIdForum = 1041;
constexpr int kIdFeedback = 1042;
constexpr int kIdCustomerCare = 1043;

} // namespace

CNoPrintDlg::CNoPrintDlg() : CWizardPage(IDD_NO_PRINT, false) {}

BOOL CNoPrintDlg::OnInitDialog()
{
    if (!SetUpPage({{1027, L"TSY_NOPRINT", FontRole::Message},
                    {kIdRetry, L"TSY_RETRY_BUTTON", FontRole::Button},
                    {kIdClose, L"TSY_CLOSE_BUTTON", FontRole::Button}}))
        return TRUE;
    OnPrepare(0);
    return TRUE;
}

void CNoPrintDlg::OnPrepare(int32_t command)
{
    CWizardPage::OnPrepare(command);
    SetItemText(kIdCustomerCare, CustomerCareLinkText());
    SetItemText(kIdForum, ForumLinkText());
    SetFonts({{kIdCustomerCare, FontRole::Link}, {kIdForum, FontRole::Link}});
    SetFeedbackLink(kIdFeedback);
    FrameAround(kIdMessage);
    ShowStepIcons();
}

void CNoPrintDlg::ShowStepIcons()
{
    SetStepIcons({kStepPassed, StatusStepIcon(), kStepPassed, kStepFailed, kStepNotRun, kStepNotRun});
}

bool CNoPrintDlg::OnButton(int id)
{
    if (id == kIdRetry) {
        RetryPrint();
        return true;
    }
    if (id == kIdClose) {
        ::SendMessageW(::GetParent(GetSafeHwnd()), WM_CLOSE, 0, 0);
        return true;
    }
    return false;
}

void CNoPrintDlg::OnLinkClicked(int id)
{
    switch (id) {
    case kIdCustomerCare:
        OpenProductSupport(L"s-001");
        break;
    case kIdForum:
        OpenStringTableLink(L"TSY_URL_FORUM", L"@CNoPrintDlg::OnNMClickSyslinkForum Page not found\r\n%s");
        break;
    case kIdFeedback:
        OpenSurveyLink();
        break;
    default:
        break;
    }
}

bool CNoPrintDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    if (message == WM_SETFOCUS && HasContent()) {
        ShowStepIcons();
        ::SetFocus(GetDlgItem(kIdRetry));
        result = 0;
        return true;
    }
    return CWizardPage::OnMessage(message, wParam, lParam, result);
}
