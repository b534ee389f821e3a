#pragma once
// The final page: every step passed. Back starts the tool over on the printer selection page;
// the links lead to downloads, support, the forum and the survey.
#include "pages/WizardPage.h"

class CFinalDlg : public CWizardPage {
public:
    CFinalDlg();
    void RefreshShown() override;

protected:
    BOOL OnInitDialog() override;
    void OnPrepare(int32_t command) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    void OnLinkClicked(int id) override;
    bool OnButton(int id) override;

private:
    void ShowStepIcons();
    // The links follow the message, which the feedback link may join or leave.
    void PlaceLinks();
    void StartOver();
};
