#include "pages/NoPrintDlg.h"

#include "app/DiagnosticMgr.h"
#include "res/resource.h"

namespace {

constexpr int kIdForum = 1041;
constexpr int kIdFeedback = 1042;
constexpr int kIdCustomerCare = 1043;

} // namespace

CNoPrintDlg::CNoPrintDlg() : CWizardPage(IDD_NO_PRINT, false) {}

BOOL CNoPrintDlg::OnInitDialog()
{
    if (!SetUpPage({{1027, L"TSY_NOPRINT", FontRole::Message},
                    {1005, L"TSY_RETRY_BUTTON", FontRole::Button},
                    {1020, L"TSY_CLOSE_BUTTON", FontRole::Button}}))
        return TRUE;
    SetItemText(kIdCustomerCare, CustomerCareLinkText());
    SetItemText(kIdForum, ForumLinkText());
    SetFonts({{kIdCustomerCare, FontRole::Link}, {kIdForum, FontRole::Link}});
    SetFeedbackLink(kIdFeedback);
    OnPrepare(0);
    return TRUE;
}

void CNoPrintDlg::OnPrepare(int32_t command)
{
    CWizardPage::OnPrepare(command);
    FrameAround(kIdMessage);
    SetStepIcons({kStepPassed, VerdictIcon(), kStepPassed, kStepFailed, kStepNotRun, kStepNotRun});
}
