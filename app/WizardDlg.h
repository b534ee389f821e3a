#pragma once
// The page host of the "Wizard" tab: runs the tests on workers, shows a progress page while one
// runs and, after each outcome, the page that fits.
#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>

#include "app/DialogExtended.h"
#include "app/WizardRules.h"
#include "winapi/Handles.h"

class CWizardPage;
class CConnectivityDlg;
class CPrintTestDlg;
class CNotSupportedDlg;
class CPrintEvaluationDlg;
class CCopyTestDlg;
class CCopyEvaluationDlg;
class CFinalDlg;
class CNoPrintDlg;
class CDeviceStatusDlg;
class CPrintBadDlg;
class CCopyFailedDlg;

class CWizardDlg : public CDialogExtended {
public:
    CWizardDlg();
    ~CWizardDlg() override;

    // Starts a new run: every page clears its state, the current test index becomes 0 and the
    // wizard sends itself its initial page command.
    void Reset();

    int InitialPageCommand() const;
    void SetInitialPageCommand(int command);
    int SimulatedStatusCode() const;
    void SetSimulatedStatusCode(int code);
    // The page shown last; null before the first.
    CDialogBase* CurrentPage() const;

protected:
    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

private:
    void OnPageCommand(int32_t command);
    void OnTestProgress(int32_t outcome);
    void OnBlinkTick();
    // The selected printer's status code as the outcome rules judge it.
    int32_t JudgedStatusCode() const;
    void StartTest();
    void ShowPage(CWizardPage* page);
    // Ending a page closes it as a dialog with code 2, which hides it.
    static void EndPage(CWizardPage* page);
    CWizardPage* PageFor(wizard::Page page) const;
    std::array<CWizardPage*, 11> Pages() const;
    void RepaintApplication() const;
    void ForgetNotifyWindow() const;

    std::unique_ptr<CConnectivityDlg> connectivity_;
    std::unique_ptr<CPrintTestDlg> printTest_;
    std::unique_ptr<CNotSupportedDlg> notSupported_;
    std::unique_ptr<CPrintEvaluationDlg> printEvaluation_;
    std::unique_ptr<CCopyTestDlg> copyTest_;
    std::unique_ptr<CCopyEvaluationDlg> copyEvaluation_;
    std::unique_ptr<CFinalDlg> final_;
    std::unique_ptr<CNoPrintDlg> noPrint_;
    std::unique_ptr<CDeviceStatusDlg> deviceStatus_;
    std::unique_ptr<CPrintBadDlg> printBad_;
    std::unique_ptr<CCopyFailedDlg> copyFailed_;

    bool blinkFlag_ = false;
    int32_t initialPageCommand_ = wizard::kCmdConnectivity;
    int32_t simulatedStatusCode_ = 0;
    CWizardPage* currentPage_ = nullptr;
};
