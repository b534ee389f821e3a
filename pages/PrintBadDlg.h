#pragma once
// The print bad page: the test page printed badly. Cleaning and alignment may help (unless the
// product cannot do them), Retry prints the test page again.
#include "app/engine/DeviceOperations.h"
#include "pages/WizardPage.h"
#include "winapi/Handles.h"


class CPrintBadDlg : public CWizardPage {
public:
    CPrintBadDlg();
    ~CPrintBadDlg() override;

    // The operation of the last progress popup this page ran; None before the first.
    DeviceOperation LastServiceOperation() const { return lastOperation_; }

protected:
    BOOL OnInitDialog() override;
    void OnPrepare(int32_t command) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    void OnLinkClicked(int id) override;
    bool OnButton(int id) override;

private:
    void ApplyExclusions();
    void ShowStepIcons();
    void RunService(int buttonId, DeviceOperation operation);

    DeviceOperation lastOperation_ = DeviceOperation::None;
};
