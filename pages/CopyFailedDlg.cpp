#include "pages/CopyFailedDlg.h"

#include "app/DiagnosticMgr.h"
#include "res/resource.h"

namespace {

constexpr int kIdForum = 1041;
constexpr int kIdFeedback = 1042;
constexpr int kIdCopyHelp = 1207;

} // namespace

CCopyFailedDlg::CCopyFailedDlg() : CWizardPage(IDD_COPY_FAILED, false) {}

BOOL CCopyFailedDlg::OnInitDialog()
{
    if (!SetUpPage({{1027, L"TSY_COPY_EVALUATION_FAIL", FontRole::Message},
                    {1005, L"TSY_RETRY_BUTTON", FontRole::Button},
                    {1020, L"TSY_CLOSE_BUTTON", FontRole::Button}}))
        return TRUE;
    SetItemText(kIdCopyHelp, LinkMarkup(Text(L"TSY_TROUBLESHOOT_COPY_LINK")));
    SetItemText(kIdForum, Text(L"TSY_SUPPORT_FORUM_MSG") + L"\r\n\r\n" + LinkMarkup(Text(L"TSY_SUPPORT_FORUM_LINK")));
    SetFonts({{kIdCopyHelp, FontRole::Link}, {kIdForum, FontRole::Link}});
    SetFeedbackLink(kIdFeedback);
    OnPrepare(0);
    return TRUE;
}

void CCopyFailedDlg::OnPrepare(int32_t command)
{
    CWizardPage::OnPrepare(command);
    FrameAround(kIdMessage);
    if (command == 13)
        SetStepIcons({kStepPassed, VerdictIcon(), kStepPassed, kStepPassed, kStepPassed, kStepFailed});
    else
        SetStepIcons({kStepPassed, VerdictIcon(), kStepPassed, kStepPassed, kStepFailed, kStepNotRun});
}
