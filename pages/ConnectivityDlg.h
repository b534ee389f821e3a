#pragma once
// The progress page of the Connectivity Test and the Device Status Test: heading, step list and
// a Close button; it changes only on the wizard's messages.
#include "pages/WizardPage.h"

class CConnectivityDlg : public CWizardPage {
public:
    CConnectivityDlg();

    // Rows by the current test index (0: connectivity runs; 1: connectivity passed, device
    // status runs) and the heading again.
    void StartDisplay();

protected:
    BOOL OnInitDialog() override;
    void OnPrepare(int32_t command) override;
    bool OnButton(int id) override;
};
