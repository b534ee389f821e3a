#pragma once
// The printer information tab. Its labels and values come later; the main window already calls
// the two operations it relies on.
#include "pages/PlaceholderPage.h"
#include "res/resource.h"

class CFirmwareDlg : public CPlaceholderPage {
public:
    CFirmwareDlg() : CPlaceholderPage(IDD_FIRMWARE, L"TSY_PROPERTY_FIRMWARE") {}
    void PrepareFirmwarePage() { PreparePlaceholder(); }
    // Shows the device information the access manager of the selected printer holds (the page's
    // message 1040, also called directly after a read).
    LRESULT FillFirmwarePage() { return 0; }

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
};
