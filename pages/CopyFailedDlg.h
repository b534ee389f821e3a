#pragma once
// The copy failed page: no copy came out (mode 14) or the copy is bad (mode 13); offers a retry,
// the copy help and forum links and the survey.
#include <cstdint>

#include "pages/WizardPage.h"

class CCopyFailedDlg : public CWizardPage {
public:
    CCopyFailedDlg();

    // The page command that showed the page: 13 or 14.
    int32_t Mode() const { return mode_; }

protected:
    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    void OnPrepare(int32_t command) override;
    bool OnButton(int id) override;
    void OnLinkClicked(int id) override;

private:
    void Refresh();

    int32_t mode_ = 14;
};
