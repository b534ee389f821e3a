#pragma once
// The copy test page: the user makes a copy on the printer itself and says whether one came out.
#include <cstdint>

#include "pages/WizardPage.h"

class CCopyTestDlg : public CWizardPage {
public:
    CCopyTestDlg();

protected:
    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    void OnPrepare(int32_t command) override;
    bool OnButton(int id) override;

private:
    void Refresh();
    void OnCopyFailed();
};
