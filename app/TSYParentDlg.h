#pragma once
// The main window. For now it carries the title, the heading and the background;
// the printer selection page and the tabs come with the diagnosis manager.
#include "app/DialogBase.h"
#include "winapi/Handles.h"

class CTSYParentDlg : public CDialogBase {
public:
    CTSYParentDlg();

protected:
    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    void OnOK() override {}
    void OnCancel() override;

private:
    void DrawBackground(HDC dc);
    NGWinApi::UniqueFont headingFont_;
};
