#include "pages/CopyEvaluationDlg.h"

#include "app/engine/DiagnosticMgr.h"
#include "app/KeloTessalyApp.h"
#include "app/WizardRules.h"
#include "res/resource.h"

namespace {

constexpr int kIdCopyGood = 1045;
constexpr int kIdCopyBad = 1044;
constexpr int kIdCancel = 1002;

} // namespace

CCopyEvaluationDlg::CCopyEvaluationDlg()
    : CCopyAnswerPage({IDD_COPY_EVALUATION, L"TSY_DIAGNOSE_COPYEVALUATION_MSG", kIdCopyGood, L"TSY_COPYGOOD_BUTTON",
                       kIdCopyBad, L"TSY_COPYBAD_BUTTON", kIdCancel, kCopyEvaluationTestIndex})
{
}

void CCopyEvaluationDlg::OnAnswer(int id, CDiagnosticMgr& manager)
{
    manager.SetCurrentTestIndex(kCopyTestIndex);
    if (id == kIdCopyGood) {
        theApp.AnswerTrail() += L"@CopyGood";
        SendPageCommand(wizard::kCmdFinal);
    } else {
        theApp.AnswerTrail() += L"@CopyBad";
        SendPageCommand(wizard::kCmdCopyBad);
    }
}
