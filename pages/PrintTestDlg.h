#pragma once
// The print test page: the user sends the low-level test print, which runs on a worker of the
// page's own, or skips printing.
#include <cstdint>

#include "pages/WizardPage.h"
#include "winapi/Handles.h"

class CPrintTestDlg : public CWizardPage {
public:
    CPrintTestDlg();

    // A new run: nothing has been sent.
    void ResetPage() override;
    bool PrintSent() const { return printSent_; }

protected:
    BOOL OnInitDialog() override;
    void OnPrepare(int32_t command) override;
    bool OnButton(int id) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    // Exit: a print that went out is told to stop waiting before the tool closes.
    void OnCancel() override;

private:
    void OnSendTestPrint();
    void OnSkipPrint();

    bool printSent_ = false;
};
