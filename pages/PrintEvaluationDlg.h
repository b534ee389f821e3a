#pragma once
// The print evaluation page: the user compares the printout with the expected page.
// For now the page shows its heading, step list, message and buttons; its actions follow.
#include "pages/WizardPage.h"

class CPrintEvaluationDlg : public CWizardPage {
public:
    CPrintEvaluationDlg();

protected:
    BOOL OnInitDialog() override;
    void OnPrepare(int32_t command) override;
};
