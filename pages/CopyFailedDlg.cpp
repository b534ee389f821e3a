#include "pages/CopyFailedDlg.h"

#include "app/engine/DiagnosticMgr.h"
#include "app/KeloTessalyApp.h"
#include "app/WizardRules.h"
#include "pages/FeedbackDlg.h"
#include "res/resource.h"

namespace {

constexpr int kIdRetry = 1005;
constexpr int kIdClose = 1020;
constexpr int kIdForum = 1041;
constexpr int kIdFeedback = 1042;
constexpr int kIdCopyHelp = 1207;

} // namespace

CCopyFailedDlg::CCopyFailedDlg() : CWizardPage(IDD_COPY_FAILED, false) {}

BOOL CCopyFailedDlg::OnInitDialog()
{
    if (!SetUpPage({{kIdMessage, L"TSY_COPY_EVALUATION_FAIL", FontRole::Message},
                    {kIdRetry, L"TSY_RETRY_BUTTON", FontRole::Button},
                    {kIdClose, L"TSY_CLOSE_BUTTON", FontRole::Button}}))
        return TRUE;
    SetItemText(kIdCopyHelp, LinkMarkup(Text(L"TSY_TROUBLESHOOT_COPY_LINK")));
    SetItemText(kIdForum, Text(L"TSY_SUPPORT_FORUM_MSG") + L"\r\n\r\n" + LinkMarkup(Text(L"TSY_SUPPORT_FORUM_LINK")));
    SetFonts({{kIdCopyHelp, FontRole::Link}, {kIdForum, FontRole::Link}});
    SetFeedbackLink(kIdFeedback);
    SetHeading();
    FillStepList();
    Refresh();
    return TRUE;
}

void CCopyFailedDlg::OnPrepare(int32_t command)
{
    if (command == wizard::kCmdCopyBad || command == wizard::kCmdNoCopy)
        mode_ = command;
    FrameAround(kIdMessage);
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
        ::SetFocus(GetDlgItem(kIdRetry));
        result = 0;
        return true;
    }
    return CWizardPage::OnMessage(message, wParam, lParam, result);
}

bool CCopyFailedDlg::OnButton(int id)
{
    if (id == kIdClose) {
        CloseMainWindow();
        return true;
    }
    if (id != kIdRetry)
        return false;
    const CDiagnosticMgr* manager = Manager();
    if (manager != nullptr && !manager->ErrorSimulationActive())
        SendPageCommand(wizard::kCmdCopyTest);
    return true;
}

void CCopyFailedDlg::OnLinkClicked(int id)
{
    switch (id) {
    case kIdCopyHelp:
        theApp.AnswerTrail() += L"@Copy Help";
        OpenProductSupport(L"s-001");
        break;
    case kIdForum:
        OpenStringTableLink(L"TSY_URL_FORUM", L"Error while opening link TSY_URL_FORUM.");
        break;
    case kIdFeedback:
        OpenSurveyLink();
        break;
    default:
        break;
    }
}
