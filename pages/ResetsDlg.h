#pragma once
// The resets page, created with the tab pages but shown by no tab. Its reset row comes later.
#include "pages/PlaceholderPage.h"
#include "res/resource.h"

class CResetsDlg : public CPlaceholderPage {
public:
    CResetsDlg() : CPlaceholderPage(IDD_RESETS, L"TSY_DIAGNOSE_HEADING") {}
    void PrepareResetsPage() { PreparePlaceholder(); }
};
