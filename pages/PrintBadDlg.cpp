#include "pages/PrintBadDlg.h"

#include "app/DiagnosticMgr.h"
#include "res/resource.h"

namespace {

constexpr int kIdFeedback = 1042;
constexpr int kIdTroubleshooting = 1207;

} // namespace

CPrintBadDlg::CPrintBadDlg() : CWizardPage(IDD_PRINT_BAD, true) {}

BOOL CPrintBadDlg::OnInitDialog()
{
    if (!SetUpPage({{1027, L"TSY_DIAGNOSE_LOWLEVELPRINTTEST_FAIL", FontRole::Message},
                    {1084, L"TSY_SERVICES_HEAD3", FontRole::Message},
                    {1093, L"TSY_DIAGNOSE_LOWLEVELPRINTTEST_FAIL2", FontRole::Message},
                    {1088, L"TSY_SERVICES_HEAD2", FontRole::Message},
                    {1096, L"TSY_DIAGNOSE_LOWLEVELPRINTTEST_FAIL3", FontRole::Message},
                    {1005, L"TSY_RETRY_BUTTON", FontRole::Button},
                    {1020, L"TSY_CLOSE_BUTTON", FontRole::Button}}))
        return TRUE;
    SetItemText(kIdTroubleshooting, LinkMarkup(Text(L"TSY_TROUBLESHOOT_LINK")));
    SetFonts({{kIdTroubleshooting, FontRole::SmallLink}});
    SetFeedbackLink(kIdFeedback);
    OnPrepare(0);
    return TRUE;
}

void CPrintBadDlg::OnPrepare(int32_t command)
{
    CWizardPage::OnPrepare(command);
    FrameAround(kIdMessage);
    SetStepIcons({kStepPassed, VerdictIcon(), kStepPassed, kStepFailed, kStepNotRun, kStepNotRun});
}
