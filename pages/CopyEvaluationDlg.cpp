#include "pages/CopyEvaluationDlg.h"

#include "app/engine/DiagnosticMgr.h"
#include "app/KeloTessalyApp.h"
#include "app/WizardRules.h"
#include "res/resource.h"


CCopyEvaluationDlg::CCopyEvaluationDlg()
    : CCopyAnswerPage({IDD_COPY_EVALUATION, L"TSY_DIAGNOSE_COPYEVALUATION_MSG", IDC_COPY_GOOD, L"TSY_COPYGOOD_BUTTON",
                       IDC_COPY_BAD, L"TSY_COPYBAD_BUTTON", IDC_PAGE_CANCEL, kCopyEvaluationTestIndex})
{
}

void CCopyEvaluationDlg::OnAnswer(int id, CDiagnosticMgr& manager)
{
    manager.SetCurrentTestIndex(kCopyTestIndex);
    if (id == IDC_COPY_GOOD) {
        theApp.AnswerTrail() += L"@CopyGood";
        SendPageCommand(wizard::kCmdFinal);
    } else {
        theApp.AnswerTrail() += L"@CopyBad";
        SendPageCommand(wizard::kCmdCopyBad);
    }
}
