#include "pages/CopyTestDlg.h"

#include "app/DiagnosticMgr.h"
#include "app/KeloTessalyApp.h"
#include "app/WizardRules.h"
#include "pages/PrintEvaluationDlg.h"
#include "res/resource.h"

namespace {

constexpr int kIdContinue = 1002;
constexpr int kIdCopyFailed = 1020;
constexpr int kIdCancel = 1004;

} // namespace

CCopyTestDlg::CCopyTestDlg() : CWizardPage(IDD_COPY_TEST, false) {}

BOOL CCopyTestDlg::OnInitDialog()
{
    if (!SetUpPage({{kIdMessage, L"TSY_DIAGNOSE_COPYTEST_MSG", FontRole::Message},
                    {kIdContinue, L"TSY_CONTINUE_BUTTON", FontRole::Button},
                    {kIdCopyFailed, L"TSY_COPYFAILED_BUTTON", FontRole::Button},
                    {kIdCancel, L"TSY_CANCEL_BUTTON", FontRole::Button}}))
        return TRUE;
    SetHeading();
    FillStepList();
    Refresh();
    return TRUE;
}

void CCopyTestDlg::OnPrepare(int32_t)
{
    FrameAround(kIdMessage);
    FillStepList();
    Refresh();
}

void CCopyTestDlg::Refresh()
{
    const CDiagnosticMgr* manager = Manager();
    const bool simulating = manager != nullptr && manager->ErrorSimulationActive();
    SetStepIcons({kStepPassed, simulating ? kStepPassed : VerdictIcon(), kStepPassed, kStepPassed, kStepCurrent,
                  kStepNotRun});
    if (!simulating)
        SetHeading();
}

bool CCopyTestDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    if (message == WM_SETFOCUS) {
        Refresh();
        ::SetFocus(GetDlgItem(kIdContinue));
        result = 0;
        return true;
    }
    return CWizardPage::OnMessage(message, wParam, lParam, result);
}

bool CCopyTestDlg::OnButton(int id)
{
    if (id == kIdCancel) {
        CloseMainWindow();
        return true;
    }
    if (id != kIdContinue && id != kIdCopyFailed)
        return false;
    const CDiagnosticMgr* manager = Manager();
    if (manager == nullptr || manager->ErrorSimulationActive())
        return true;
    if (id == kIdContinue)
        SendPageCommand(wizard::kCmdCopyEvaluation);
    else
        OnCopyFailed();
    return true;
}

void CCopyTestDlg::OnCopyFailed()
{
    CDiagnosticMgr& manager = *Manager();
    const int32_t status = ReadAnswerStatusFlag(manager);
    theApp.AnswerTrail() += L"@CopyFailed";
    manager.SetCurrentTestIndex(kCopyTestIndex);
    // Nothing explains a missing copy, or the feeder does: the copy failed page says what helps.
    if (status == 0 || manager.AdfStatus())
        SendPageCommand(wizard::kCmdNoCopy);
    else
        SendPageCommand(StatusPageCommand(manager, status));
}
