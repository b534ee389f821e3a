#include "pages/PrintTestDlg.h"

#include <commctrl.h>

#include "app/engine/DiagnosticMgr.h"
#include "app/KeloTessalyApp.h"
#include "app/WizardRules.h"
#include "pages/PrintEvaluationDlg.h"
#include "res/resource.h"
#include "winapi/NGWinApi.h"


CPrintTestDlg::CPrintTestDlg() : CWizardPage(IDD_PRINT_TEST, false) {}

void CPrintTestDlg::ResetPage()
{
    printSent_ = false;
    CWizardPage::ResetPage();
}

BOOL CPrintTestDlg::OnInitDialog()
{
    if (!SetUpPage({{IDC_PAGE_MESSAGE, printSent_ ? L"TSY_SEND_TESTPRINT_MSG" : L"TSY_DIAGNOSE_LOWLEVELPRINTTEST_MSG",
                     FontRole::Message},
                    {IDC_SEND_TEST_PRINT, L"TSY_SENDTESTPRINT_BUTTON", FontRole::Button},
                    {IDC_SKIP_PRINT, L"TSY_SKIPPRINT_BUTTON", FontRole::Button},
                    {IDCANCEL, L"TSY_EXIT_BUTTON", FontRole::Button}}))
        return TRUE;
    SetHeading();
    FillStepList();
    SetStepIcons({kStepPassed, kStepNotRun, kStepCurrent});
    return TRUE;
}

void CPrintTestDlg::OnPrepare(int32_t command)
{
    FrameAround(IDC_PAGE_MESSAGE);
    CDiagnosticMgr* manager = Manager();
    if (manager == nullptr)
        return;
    if (ListView_GetItemCount(GetDlgItem(IDC_STEP_LIST)) == 0)
        FillStepList();
    if (manager->ErrorSimulationActive()) {
        SetStepIcons({kStepPassed, kStepPassed, kStepCurrent, kStepNotRun, kStepNotRun, kStepNotRun});
        return;
    }
    SetKeyText(IDC_PAGE_MESSAGE, L"TSY_DIAGNOSE_LOWLEVELPRINTTEST_MSG");
    if (manager->CurrentTestIndex() != 0) {
        SetHeading();
        SetStepIcons({kStepPassed, VerdictIcon(),
                      manager->CurrentTestIndex() == kLowLevelPrintTestIndex ? kStepCurrent : StepIconOf(2),
                      kStepNotRun, kStepNotRun, kStepNotRun});
    }
    ShowItem(IDCANCEL, true);
    if (command == wizard::kCmdPrintTest) {
        ShowItem(IDC_SEND_TEST_PRINT, true);
        ShowItem(IDC_SKIP_PRINT, true);
    } else if (command == wizard::kCmdRetryTest) {
        // The print is on its way already.
        SetKeyText(IDC_PAGE_MESSAGE, L"TSY_SEND_TESTPRINT_MSG");
        ShowItem(IDC_SEND_TEST_PRINT, false);
    }
    ::InvalidateRect(GetSafeHwnd(), nullptr, TRUE);
}

bool CPrintTestDlg::OnButton(int id)
{
    switch (id) {
    case IDC_SEND_TEST_PRINT:
        if (const CDiagnosticMgr* manager = Manager(); manager != nullptr && !manager->ErrorSimulationActive())
            OnSendTestPrint();
        return true;
    case IDC_SKIP_PRINT:
        if (Manager() != nullptr)
            OnSkipPrint();
        return true;
    default:
        return false;
    }
}

bool CPrintTestDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    if (message == WM_SETFOCUS) {
        // The page's answer has the focus; while a print runs the page keeps it, so Enter never
        // reaches Exit.
        FocusFirstShown({IDC_SEND_TEST_PRINT, IDC_SKIP_PRINT});
        result = 0;
        return true;
    }
    return CWizardPage::OnMessage(message, wParam, lParam, result);
}

void CPrintTestDlg::OnSendTestPrint()
{
    CDiagnosticMgr* manager = Manager();
    printSent_ = true;
    ShowItem(IDC_SEND_TEST_PRINT, false);
    ShowItem(IDC_SKIP_PRINT, false);
    ::SetFocus(GetSafeHwnd());
    if (HWND main = theApp.MainWindow())
        ::RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    SetKeyText(IDC_PAGE_MESSAGE, L"TSY_SEND_TESTPRINT_MSG");
    manager->SetCurrentTestIndex(kLowLevelPrintTestIndex);
    manager->StartTestWorker();
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
    // The manager waits for the worker before it goes away; a print that went out stops waiting.
    if (printSent_)
        if (const CDiagnosticMgr* manager = Manager())
            manager->SignalCancel();
    CloseMainWindow();
}
