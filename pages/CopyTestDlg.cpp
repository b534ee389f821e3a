#include "pages/CopyTestDlg.h"

#include "app/engine/DiagnosticMgr.h"
#include "app/KeloTessalyApp.h"
#include "app/WizardRules.h"
#include "pages/PrintEvaluationDlg.h"
#include "res/resource.h"


CCopyTestDlg::CCopyTestDlg()
    : CCopyAnswerPage({IDD_COPY_TEST, L"TSY_DIAGNOSE_COPYTEST_MSG", IDC_COPY_TEST_CONTINUE, L"TSY_CONTINUE_BUTTON", IDC_COPY_FAILED,
                       L"TSY_COPYFAILED_BUTTON", IDC_COPY_TEST_CANCEL, kCopyTestIndex})
{
}

void CCopyTestDlg::OnAnswer(int id, CDiagnosticMgr& manager)
{
    if (id == IDC_COPY_TEST_CONTINUE) {
        SendPageCommand(wizard::kCmdCopyEvaluation);
        return;
    }
    const int32_t status = ReadAnswerStatusFlag(manager);
    theApp.AnswerTrail() += L"@CopyFailed";
    manager.SetCurrentTestIndex(kCopyTestIndex);
    // Nothing explains a missing copy, or the feeder does: the copy failed page says what helps.
    if (status == 0 || manager.AdfStatus())
        SendPageCommand(wizard::kCmdNoCopy);
    else
        SendPageCommand(StatusPageCommand(manager, status));
}
