#pragma once
// The page for a USB printer missing from the list. Its advice and Retry come later.
#include "pages/PlaceholderPage.h"
#include "res/resource.h"

class CNotListedDlg : public CPlaceholderPage {
public:
    CNotListedDlg() : CPlaceholderPage(IDD_NOT_LISTED, L"TSY_NOTLISTED_STRING0") {}
    void PrepareNotListedPage() { PreparePlaceholder(); }
};
