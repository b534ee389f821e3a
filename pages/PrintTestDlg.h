#pragma once
// The print test page: the user sends the low-level test print or skips it.
// For now the page shows its heading, step list, message and buttons; its actions follow.
#include "pages/WizardPage.h"

class CPrintTestDlg : public CWizardPage {
public:
    CPrintTestDlg();

protected:
    BOOL OnInitDialog() override;
    void OnPrepare(int32_t command) override;
};
