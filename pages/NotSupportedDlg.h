#pragma once
// The not-supported page: the chosen printer is not one the tool can diagnose.
// For now the page shows its heading, step list, message and buttons; its actions follow.
#include "pages/WizardPage.h"

class CNotSupportedDlg : public CWizardPage {
public:
    CNotSupportedDlg();

protected:
    BOOL OnInitDialog() override;
    void OnPrepare(int32_t command) override;
};
