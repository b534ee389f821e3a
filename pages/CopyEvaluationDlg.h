#pragma once
// The copy evaluation page: the user judges the copy.
#include <cstdint>

#include "pages/WizardPage.h"

class CCopyEvaluationDlg : public CWizardPage {
public:
    CCopyEvaluationDlg();

protected:
    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    void OnPrepare(int32_t command) override;
    bool OnButton(int id) override;

private:
    void Refresh();
};
