#include "pages/CopyFailedDlg.h"

#include "app/engine/DiagnosticMgr.h"
#include "app/KeloTessalyApp.h"
#include "app/WizardRules.h"
#include "pages/FeedbackDlg.h"
#include "res/resource.h"


CCopyFailedDlg::CCopyFailedDlg() : CWizardPage(IDD_COPY_FAILED, false) {}

BOOL CCopyFailedDlg::OnInitDialog()
{
    if (!SetUpPage({{IDC_PAGE_MESSAGE, L"TSY_COPY_EVALUATION_FAIL", FontRole::Message},
                    {IDC_RETRY, L"TSY_RETRY_BUTTON", FontRole::Button},
                    {IDC_CLOSE, L"TSY_CLOSE_BUTTON", FontRole::Button}}))
        return TRUE;
    SetItemText(IDC_COPY_HELP, LinkMarkup(Text(L"TSY_TROUBLESHOOT_COPY_LINK")));
    SetItemText(IDC_FORUM_LINK, Text(L"TSY_SUPPORT_FORUM_MSG") + L"\r\n\r\n" + LinkMarkup(Text(L"TSY_SUPPORT_FORUM_LINK")));
    SetFonts({{IDC_COPY_HELP, FontRole::Link}, {IDC_FORUM_LINK, FontRole::Link}});
    SetFeedbackLink(IDC_FEEDBACK_LINK);
    SetHeading();
    FillStepList();
    Refresh();
    return TRUE;
}

void CCopyFailedDlg::OnPrepare(int32_t command)
{
    if (command == wizard::kCmdCopyBad || command == wizard::kCmdNoCopy)
        mode_ = command;
    FlowBelowMessage({{IDC_COPY_HELP}, {IDC_FORUM_LINK}, {IDC_FEEDBACK_LINK}});
    FrameAround(IDC_PAGE_MESSAGE);
    FillStepList();
    Refresh();
}

void CCopyFailedDlg::Refresh()
{
    const int32_t status = StatusStepIcon();
    if (mode_ == wizard::kCmdCopyBad)
        SetStepIcons({kStepPassed, status, kStepPassed, kStepPassed, kStepPassed, kStepFailed});
    else
        SetStepIcons({kStepPassed, status, kStepPassed, kStepPassed, kStepFailed, kStepNotRun});
    if (!Simulating())
        SetHeading();
}

bool CCopyFailedDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    if (message == WM_SETFOCUS) {
        Refresh();
        ::SetFocus(GetDlgItem(IDC_RETRY));
        result = 0;
        return true;
    }
    return CWizardPage::OnMessage(message, wParam, lParam, result);
}

bool CCopyFailedDlg::OnButton(int id)
{
    if (id == IDC_CLOSE) {
        CloseMainWindow();
        return true;
    }
    if (id != IDC_RETRY)
        return false;
    const CDiagnosticMgr* manager = Manager();
    if (manager != nullptr && !manager->ErrorSimulationActive())
        SendPageCommand(wizard::kCmdCopyTest);
    return true;
}

void CCopyFailedDlg::OnLinkClicked(int id)
{
    switch (id) {
    case IDC_COPY_HELP:
        theApp.AnswerTrail() += L"@Copy Help";
        OpenProductSupport(L"s-001");
        break;
    case IDC_FORUM_LINK:
        OpenStringTableLink(L"TSY_URL_FORUM", L"Error while opening link TSY_URL_FORUM.");
        break;
    case IDC_FEEDBACK_LINK:
        OpenSurveyLink();
        break;
    default:
        break;
    }
}
