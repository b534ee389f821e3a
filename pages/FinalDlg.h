#pragma once
// The final page: every step passed.
// For now the page shows its heading, step list, message and buttons; its actions follow.
#include "pages/WizardPage.h"

class CFinalDlg : public CWizardPage {
public:
    CFinalDlg();

protected:
    BOOL OnInitDialog() override;
    void OnPrepare(int32_t command) override;
};
