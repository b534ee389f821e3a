#pragma once
// The copy evaluation page: the user judges the copy.
// For now the page shows its heading, step list, message and buttons; its actions follow.
#include "pages/WizardPage.h"

class CCopyEvaluationDlg : public CWizardPage {
public:
    CCopyEvaluationDlg();

protected:
    BOOL OnInitDialog() override;
    void OnPrepare(int32_t command) override;
};
