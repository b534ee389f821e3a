#pragma once
// The ink levels tab: one column per cartridge of the selected printer with its colour, level
// bar and attributes, and the printer's region. The main window reads the levels behind the
// progress popup and then fills the page.
#include <vector>

#include "discovery/DeviceRecords.h"
#include "pages/InkLevelListCtrl.h"
#include "pages/TabPage.h"
#include "winapi/Handles.h"

class CInkLevelDlg : public CTabPage {
public:
    CInkLevelDlg();

    // Fonts, heading and fixed texts; an empty table.
    void PrepareInkPage();
    // Shows what the access manager of the selected printer holds.
    void FillInkPage();

    CInkLevelListCtrl& List() { return list_; }
    // The cartridges shown, as copied from the manager at the last fill.
    const std::vector<InkInfo>& Consumables() const { return consumables_; }

protected:
    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    bool OnButton(int id) override;

private:
    CInkLevelListCtrl list_;
    std::vector<InkInfo> consumables_;
    NGWinApi::UniqueFont headingFont_;
};
