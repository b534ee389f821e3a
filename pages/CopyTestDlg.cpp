#include "pages/CopyTestDlg.h"

#include "app/engine/DiagnosticMgr.h"
#include "app/KeloTessalyApp.h"
#include "app/WizardRules.h"
#include "pages/PrintEvaluationDlg.h"
#include "res/resource.h"

namespace {

constexpr int kIdContinue = 1002;
constexpr int kIdCopyFailed = 1020;
constexpr int kIdCancel = 1004;

} // namespace

CCopyTestDlg::CCopyTestDlg()
    : CCopyAnswerPage({IDD_COPY_TEST, L"TSY_DIAGNOSE_COPYTEST_MSG", kIdContinue, L"TSY_CONTINUE_BUTTON", kIdCopyFailed,
                       L"TSY_COPYFAILED_BUTTON", kIdCancel, kCopyTestIndex})
{
}

void CCopyTestDlg::OnAnswer(int id, CDiagnosticMgr& manager)
{
    if (id == kIdContinue) {
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
