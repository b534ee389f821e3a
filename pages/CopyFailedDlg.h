#pragma once
// The copy failed page: no copy came out (mode 14) or the copy is bad (mode 13).
// For now the page shows its heading, step list, message and buttons; its actions follow.
#include "pages/WizardPage.h"

class CCopyFailedDlg : public CWizardPage {
public:
    CCopyFailedDlg();

protected:
    BOOL OnInitDialog() override;
    void OnPrepare(int32_t command) override;
};
