#pragma once
// The troubleshooting steps for the condition the device status page explains, in a modal window.
#include <windows.h>

#include <cstdint>

#include "app/DialogBase.h"
#include "winapi/Handles.h"
#include "res/resource.h"

// Template of the window (not among the shared ids: only this window uses it).

class CTroubleShootDlg : public CDialogBase {
public:
    CTroubleShootDlg() : CDialogBase(IDD_TROUBLESHOOT) {}
    // The condition whose steps the window shows; set before it is shown.
    void SetCase(int32_t caseNumber) { case_ = caseNumber; }

protected:
    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

private:
    int32_t case_ = 0;
    NGWinApi::UniqueFont textFont_;
    NGWinApi::UniqueFont buttonFont_;
};
