#pragma once
// The no-print page: no page came out of the printer.
// For now the page shows its heading, step list, message and buttons; its actions follow.
#include "pages/WizardPage.h"

class CNoPrintDlg : public CWizardPage {
public:
    CNoPrintDlg();

protected:
    BOOL OnInitDialog() override;
    void OnPrepare(int32_t command) override;
};
