#pragma once
// The warning that a USB printer's driver is missing: Continue ends as confirmed (diagnose
// anyway), Exit as cancelled (the caller closes the tool).
#include "app/DialogBase.h"


class CDriverVerificationDlg : public CDialogBase {
public:
    CDriverVerificationDlg();

protected:
    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
};
