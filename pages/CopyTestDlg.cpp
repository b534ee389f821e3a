#include "pages/CopyTestDlg.h"

#include "app/DiagnosticMgr.h"
#include "res/resource.h"

CCopyTestDlg::CCopyTestDlg() : CWizardPage(IDD_COPY_TEST, false) {}

BOOL CCopyTestDlg::OnInitDialog()
{
    if (!SetUpPage({{1027, L"TSY_DIAGNOSE_COPYTEST_MSG", FontRole::Message},
                    {1002, L"TSY_CONTINUE_BUTTON", FontRole::Button},
                    {1020, L"TSY_COPYFAILED_BUTTON", FontRole::Button},
                    {1004, L"TSY_CANCEL_BUTTON", FontRole::Button}}))
        return TRUE;
    OnPrepare(0);
    return TRUE;
}

void CCopyTestDlg::OnPrepare(int32_t command)
{
    CWizardPage::OnPrepare(command);
    FrameAround(kIdMessage);
    SetStepIcons({kStepPassed, VerdictIcon(), kStepPassed, kStepPassed, kStepCurrent});
}
