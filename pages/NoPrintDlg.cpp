#include "pages/NoPrintDlg.h"

#include "app/engine/DiagnosticMgr.h"
#include "app/KeloTessalyApp.h"
#include "pages/FeedbackDlg.h"
#include "res/resource.h"


CNoPrintDlg::CNoPrintDlg() : CWizardPage(IDD_NO_PRINT, false) {}

BOOL CNoPrintDlg::OnInitDialog()
{
    if (!SetUpPage({{IDC_PAGE_MESSAGE, L"TSY_NOPRINT", FontRole::Message},
                    {IDC_RETRY, L"TSY_RETRY_BUTTON", FontRole::Button},
                    {IDC_CLOSE, L"TSY_CLOSE_BUTTON", FontRole::Button}}))
        return TRUE;
    OnPrepare(0);
    return TRUE;
}

void CNoPrintDlg::OnPrepare(int32_t command)
{
    CWizardPage::OnPrepare(command);
    SetItemText(IDC_CUSTOMER_CARE_LINK, CustomerCareLinkText());
    SetItemText(IDC_FORUM_LINK, ForumLinkText());
    SetFonts({{IDC_CUSTOMER_CARE_LINK, FontRole::Link}, {IDC_FORUM_LINK, FontRole::Link}});
    SetFeedbackLink(IDC_FEEDBACK_LINK);
    FlowBelowMessage({{IDC_CUSTOMER_CARE_LINK}, {IDC_FORUM_LINK}, {IDC_FEEDBACK_LINK}});
    FrameAround(IDC_PAGE_MESSAGE);
    ShowStepIcons();
}

void CNoPrintDlg::ShowStepIcons()
{
    SetStepIcons({kStepPassed, StatusStepIcon(), kStepPassed, kStepFailed, kStepNotRun, kStepNotRun});
}

bool CNoPrintDlg::OnButton(int id)
{
    if (id == IDC_RETRY) {
        RetryPrint();
        return true;
    }
    if (id == IDC_CLOSE) {
        ::SendMessageW(::GetParent(GetSafeHwnd()), WM_CLOSE, 0, 0);
        return true;
    }
    return false;
}

void CNoPrintDlg::OnLinkClicked(int id)
{
    switch (id) {
    case IDC_CUSTOMER_CARE_LINK:
        OpenProductSupport(L"s-001");
        break;
    case IDC_FORUM_LINK:
        OpenStringTableLink(L"TSY_URL_FORUM", L"@CNoPrintDlg::OnNMClickSyslinkForum Page not found\r\n%s");
        break;
    case IDC_FEEDBACK_LINK:
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
        ::SetFocus(GetDlgItem(IDC_RETRY));
        result = 0;
        return true;
    }
    return CWizardPage::OnMessage(message, wParam, lParam, result);
}
