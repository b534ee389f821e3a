#pragma once
// The not-supported page: the chosen printer is not one the tool can diagnose. Links lead to the
// product's support, the forum and the downloads; Back returns to the printer selection with a
// fresh list.
#include "pages/WizardPage.h"

class CNotSupportedDlg : public CWizardPage {
public:
    CNotSupportedDlg();

protected:
    BOOL OnInitDialog() override;
    void OnPrepare(int32_t command) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    bool OnButton(int id) override;

private:
    void ShowMessage();
    void OnSupportLink(int id);
};
