#pragma once
// The ink levels tab. The ink list and the region come later; the main window already calls the
// two operations it relies on.
#include "pages/PlaceholderPage.h"
#include "res/resource.h"

class CInkLevelDlg : public CPlaceholderPage {
public:
    CInkLevelDlg() : CPlaceholderPage(IDD_INK_LEVELS, L"TSY_PROPERTY_INKLEVELS") {}
    void PrepareInkPage() { PreparePlaceholder(); }
    // Shows what the access manager of the selected printer holds.
    void FillInkPage() {}
};
