#pragma once
// The copy test page: the user makes a copy on the printer itself.
// For now the page shows its heading, step list, message and buttons; its actions follow.
#include "pages/WizardPage.h"

class CCopyTestDlg : public CWizardPage {
public:
    CCopyTestDlg();

protected:
    BOOL OnInitDialog() override;
    void OnPrepare(int32_t command) override;
};
