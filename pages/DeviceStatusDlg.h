#pragma once
// The device status page: what the printer reports, and the way on.
// For now the page shows its heading, step list, message and buttons; its actions follow.
#include "pages/WizardPage.h"

class CDeviceStatusDlg : public CWizardPage {
public:
    CDeviceStatusDlg();
    // The status code error simulation pretends; the wizard hands it over before preparing.
    void SetSimulatedStatusCode(int32_t code) { simulatedStatusCode_ = code; }
    int32_t SimulatedStatusCode() const { return simulatedStatusCode_; }

protected:
    BOOL OnInitDialog() override;
    void OnPrepare(int32_t command) override;

private:
    int32_t simulatedStatusCode_ = 0;
};
