#include "pages/PrintTestDlg.h"

#include <commctrl.h>

#include "app/engine/DiagnosticMgr.h"
#include "app/KeloTessalyApp.h"
#include "app/WizardRules.h"
#include "pages/PrintEvaluationDlg.h"
#include "res/resource.h"
#include "winapi/NGWinApi.h"

namespace {

constexpr int kIdSendTestPrint = 1021;
constexpr int kIdSkipPrint = 1212;
constexpr int kIdExit = 2;

} // namespace

CPrintTestDlg::CPrintTestDlg() : CWizardPage(IDD_PRINT_TEST, false) {}

void CPrintTestDlg::ResetPage()
{
    printSent_ = false;
    CWizardPage::ResetPage();
}

BOOL CPrintTestDlg::OnInitDialog()
{
    if (!SetUpPage({{kIdMessage, printSent_ ? L"TSY_SEND_TESTPRINT_MSG" : L"TSY_DIAGNOSE_LOWLEVELPRINTTEST_MSG",
                     FontRole::Message},
                    {kIdSendTestPrint, L"TSY_SENDTESTPRINT_BUTTON", FontRole::Button},
                    {kIdSkipPrint, L"TSY_SKIPPRINT_BUTTON", FontRole::Button},
                    {kIdExit, L"TSY_EXIT_BUTTON", FontRole::Button}}))
        return TRUE;
    SetHeading();
    FillStepList();
    SetStepIcons({kStepPassed, kStepNotRun, kStepCurrent});
    return TRUE;
}

void CPrintTestDlg::OnPrepare(int32_t command)
{
    FrameAround(kIdMessage);
    CDiagnosticMgr* manager = Manager();
    if (manager == nullptr)
        return;
    if (ListView_GetItemCount(GetDlgItem(kIdStepList)) == 0)
        FillStepList();
    if (manager->ErrorSimulationActive()) {
        SetStepIcons({kStepPassed, kStepPassed, kStepCurrent, kStepNotRun, kStepNotRun, kStepNotRun});
        return;
    }
    SetKeyText(kIdMessage, L"TSY_DIAGNOSE_LOWLEVELPRINTTEST_MSG");
    if (manager->CurrentTestIndex() != 0) {
        SetHeading();
        SetStepIcons({kStepPassed, VerdictIcon(),
                      manager->CurrentTestIndex() == kLowLevelPrintTestIndex ? kStepCurrent : StepIconOf(2),
                      kStepNotRun, kStepNotRun, kStepNotRun});
    }
    ShowItem(kIdExit, true);
    if (command == wizard::kCmdPrintTest) {
        ShowItem(kIdSendTestPrint, true);
        ShowItem(kIdSkipPrint, true);
    } else if (command == wizard::kCmdRetryTest) {
        // The print is on its way already.
        SetKeyText(kIdMessage, L"TSY_SEND_TESTPRINT_MSG");
        ShowItem(kIdSendTestPrint, false);
    }
    ::InvalidateRect(GetSafeHwnd(), nullptr, TRUE);
}

bool CPrintTestDlg::OnButton(int id)
{
    switch (id) {
    case kIdSendTestPrint:
        if (const CDiagnosticMgr* manager = Manager(); manager != nullptr && !manager->ErrorSimulationActive())
            OnSendTestPrint();
        return true;
    case kIdSkipPrint:
        if (Manager() != nullptr)
            OnSkipPrint();
        return true;
    default:
        return false;
    }
}

void CPrintTestDlg::OnSendTestPrint()
{
    CDiagnosticMgr* manager = Manager();
    printSent_ = true;
    ShowItem(kIdSendTestPrint, false);
    ShowItem(kIdSkipPrint, false);
    if (HWND main = theApp.MainWindow())
        ::RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    SetKeyText(kIdMessage, L"TSY_SEND_TESTPRINT_MSG");
    manager->SetCurrentTestIndex(kLowLevelPrintTestIndex);
    worker_.reset();
    worker_.reset(NGWinApi::Kernel().CreateThread(nullptr, 0, &CDiagnosticMgr::TestWorker, manager, 0, nullptr));
}

void CPrintTestDlg::OnSkipPrint()
{
    CDiagnosticMgr& manager = *Manager();
    const bool copier = SelectedPrinterHasCopier(manager);
    manager.SetCurrentTestIndex(kCopyTestIndex);
    if (copier) {
        SendPageCommand(wizard::kCmdCopyTest);
        return;
    }
    SetStepIcon(kLowLevelPrintTestIndex, kStepPassed);
    SetStepIcon(kPrintEvaluationTestIndex, kStepPassed);
    SendPageCommand(wizard::kCmdFinal);
}

void CPrintTestDlg::OnCancel()
{
    if (printSent_) {
        if (const CDiagnosticMgr* manager = Manager())
            manager->SignalCancel();
    } else {
        worker_.reset();
    }
    CloseMainWindow();
}
