#pragma once
// The warning that a USB printer's driver is missing: Continue ends as confirmed (diagnose
// anyway), Exit as cancelled (the caller closes the tool).
#include "app/DialogBase.h"

inline constexpr UINT kDriverVerificationTemplateId = 188;
inline constexpr int kDriverInfoTextId = 1209;
inline constexpr int kDriverContinueId = 1134;
inline constexpr int kDriverExitId = 1210;

class CDriverVerificationDlg : public CDialogBase {
public:
    CDriverVerificationDlg();

protected:
    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
};
