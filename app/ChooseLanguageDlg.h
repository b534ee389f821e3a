#pragma once
// The hidden language choice: the supported interface languages with their English names as
// the system reports them. Run modally it returns the chosen language id, or -1.
#include "app/DialogBase.h"
#include "winapi/Handles.h"


class CChooseLanguageDlg : public CDialogBase {
public:
    CChooseLanguageDlg();

protected:
    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    void OnOK() override;
    void OnCancel() override { EndDialog(-1); }

private:
    NGWinApi::UniqueBrush white_;
};
