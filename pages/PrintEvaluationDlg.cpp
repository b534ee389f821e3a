#include "pages/PrintEvaluationDlg.h"

#include "app/DiagnosticMgr.h"
#include "res/resource.h"

CPrintEvaluationDlg::CPrintEvaluationDlg() : CWizardPage(IDD_PRINT_EVALUATION, false) {}

BOOL CPrintEvaluationDlg::OnInitDialog()
{
    if (!SetUpPage({{1027, L"TSY_DIAGNOSE_PRINTEVALUATION_MSG", FontRole::Message},
                    {1003, L"TSY_PRINTGOOD_BUTTON", FontRole::Button},
                    {1018, L"TSY_PRINTBAD_BUTTON", FontRole::Button},
                    {1013, L"TSY_NOPRINT_BUTTON", FontRole::Button},
                    {1019, L"TSY_SHOWPAGE_BUTTON", FontRole::Button},
                    {1002, L"TSY_CANCEL_BUTTON", FontRole::Button}}, true))
        return TRUE;
    OnPrepare(0);
    return TRUE;
}

void CPrintEvaluationDlg::OnPrepare(int32_t command)
{
    (void)command;
    SetHeading(true); // this page names the printer by its device name
    FillStepList();
    FrameAround(kIdMessage);
    SetStepIcons({kStepPassed, VerdictIcon(), kStepPassed, kStepCurrent});
}
