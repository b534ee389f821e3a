#include "pages/PrintTestDlg.h"

#include "app/DiagnosticMgr.h"
#include "res/resource.h"

namespace {

constexpr int kIdSendTestPrint = 1021;
constexpr int kIdSkipPrint = 1212;

} // namespace

CPrintTestDlg::CPrintTestDlg() : CWizardPage(IDD_PRINT_TEST, false) {}

BOOL CPrintTestDlg::OnInitDialog()
{
    if (!SetUpPage({{1027, L"TSY_DIAGNOSE_LOWLEVELPRINTTEST_MSG", FontRole::Message},
                    {1021, L"TSY_SENDTESTPRINT_BUTTON", FontRole::Button},
                    {1212, L"TSY_SKIPPRINT_BUTTON", FontRole::Button},
                    {2, L"TSY_EXIT_BUTTON", FontRole::Button}}))
        return TRUE;
    OnPrepare(0);
    return TRUE;
}

void CPrintTestDlg::OnPrepare(int32_t command)
{
    CWizardPage::OnPrepare(command);
    FrameAround(kIdMessage);
    SetStepIcons({kStepPassed, VerdictIcon(), kStepCurrent});
    // Command 2: the print has gone out already.
    const bool printSent = command == 2;
    SetKeyText(kIdMessage, printSent ? L"TSY_SEND_TESTPRINT_MSG" : L"TSY_DIAGNOSE_LOWLEVELPRINTTEST_MSG");
    ShowItem(kIdSendTestPrint, !printSent);
    ShowItem(kIdSkipPrint, !printSent);
}
