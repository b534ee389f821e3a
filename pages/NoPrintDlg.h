#pragma once
// The no-print page: no page came out of the printer although it reports no error. Retry prints
// the test page again; the links lead to support, the forum and the survey.
#include "pages/WizardPage.h"

class CNoPrintDlg : public CWizardPage {
public:
    CNoPrintDlg();

protected:
    BOOL OnInitDialog() override;
    void OnPrepare(int32_t command) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    void OnLinkClicked(int id) override;
    bool OnButton(int id) override;

private:
    void ShowStepIcons();
};
