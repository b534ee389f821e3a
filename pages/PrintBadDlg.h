#pragma once
// The print bad page: the test page printed badly; cleaning and alignment may help.
// For now the page shows its heading, step list, message and buttons; its actions follow.
#include "pages/WizardPage.h"

class CPrintBadDlg : public CWizardPage {
public:
    CPrintBadDlg();

protected:
    BOOL OnInitDialog() override;
    void OnPrepare(int32_t command) override;
};
