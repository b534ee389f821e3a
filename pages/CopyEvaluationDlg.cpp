#include "pages/CopyEvaluationDlg.h"

#include "app/DiagnosticMgr.h"
#include "res/resource.h"

CCopyEvaluationDlg::CCopyEvaluationDlg() : CWizardPage(IDD_COPY_EVALUATION, false) {}

BOOL CCopyEvaluationDlg::OnInitDialog()
{
    if (!SetUpPage({{1027, L"TSY_DIAGNOSE_COPYEVALUATION_MSG", FontRole::Message},
                    {1045, L"TSY_COPYGOOD_BUTTON", FontRole::Button},
                    {1044, L"TSY_COPYBAD_BUTTON", FontRole::Button},
                    {1002, L"TSY_CANCEL_BUTTON", FontRole::Button}}))
        return TRUE;
    OnPrepare(0);
    return TRUE;
}

void CCopyEvaluationDlg::OnPrepare(int32_t command)
{
    CWizardPage::OnPrepare(command);
    FrameAround(kIdMessage);
    SetStepIcons({kStepPassed, VerdictIcon(), kStepPassed, kStepPassed, kStepPassed, kStepCurrent});
}
