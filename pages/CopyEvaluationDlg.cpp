#include "pages/CopyEvaluationDlg.h"

#include "app/DiagnosticMgr.h"
#include "app/KeloTessalyApp.h"
#include "app/WizardRules.h"
#include "res/resource.h"

namespace {

constexpr int kIdCopyGood = 1045;
constexpr int kIdCopyBad = 1044;
constexpr int kIdCancel = 1002;

} // namespace

CCopyEvaluationDlg::CCopyEvaluationDlg() : CWizardPage(IDD_COPY_EVALUATION, false) {}

BOOL CCopyEvaluationDlg::OnInitDialog()
{
    if (!SetUpPage({{kIdMessage, L"TSY_DIAGNOSE_COPYEVALUATION_MSG", FontRole::Message},
                    {kIdCopyGood, L"TSY_COPYGOOD_BUTTON", FontRole::Button},
                    {kIdCopyBad, L"TSY_COPYBAD_BUTTON", FontRole::Button},
                    {kIdCancel, L"TSY_CANCEL_BUTTON", FontRole::Button}}))
        return TRUE;
    SetHeading();
    FillStepList();
    Refresh();
    return TRUE;
}

void CCopyEvaluationDlg::OnPrepare(int32_t)
{
    FrameAround(kIdMessage);
    FillStepList();
    Refresh();
}

void CCopyEvaluationDlg::Refresh()
{
    const CDiagnosticMgr* manager = Manager();
    const bool simulating = manager != nullptr && manager->ErrorSimulationActive();
    SetStepIcons({kStepPassed, simulating ? kStepPassed : VerdictIcon(), kStepPassed, kStepPassed, kStepPassed,
                  kStepCurrent});
    if (!simulating)
        SetHeading();
}

bool CCopyEvaluationDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    if (message == WM_SETFOCUS) {
        Refresh();
        ::SetFocus(GetDlgItem(kIdCopyGood));
        result = 0;
        return true;
    }
    return CWizardPage::OnMessage(message, wParam, lParam, result);
}

bool CCopyEvaluationDlg::OnButton(int id)
{
    if (id == kIdCancel) {
        CloseMainWindow();
        return true;
    }
    if (id != kIdCopyGood && id != kIdCopyBad)
        return false;
    CDiagnosticMgr* manager = Manager();
    if (manager == nullptr || manager->ErrorSimulationActive())
        return true;
    manager->SetCurrentTestIndex(kCopyTestIndex);
    if (id == kIdCopyGood) {
        theApp.AnswerTrail() += L"@CopyGood";
        SendPageCommand(wizard::kCmdFinal);
    } else {
        theApp.AnswerTrail() += L"@CopyBad";
        SendPageCommand(wizard::kCmdCopyBad);
    }
    return true;
}
