#pragma once
// The page host of the "Wizard" tab: runs the tests on workers, shows a progress page while one
// runs and, after each outcome, the page that fits.
#include <windows.h>

#include "app/DialogExtended.h"

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
};
