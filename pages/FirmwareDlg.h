#pragma once
// The printer information tab: identity, versions and printhead of the selected printer in
// three groups, Refresh (read again behind the progress popup) and Update Firmware (the support
// portal's page for the printer).
#include "pages/TabPage.h"
#include "winapi/Handles.h"

class CFirmwareDlg : public CTabPage {
public:
    CFirmwareDlg();

    // Fonts, heading, labels, groups and buttons.
    void PrepareFirmwarePage();
    // Shows the device information the access manager of the selected printer holds (the page's
    // message 1040, also called directly after a read).
    LRESULT FillFirmwarePage();

protected:
    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    bool OnButton(int id) override;

private:
    NGWinApi::UniqueFont textFont_;
};
