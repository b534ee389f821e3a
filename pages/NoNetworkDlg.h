#pragma once
// The page shown when the computer has no network settings. Its links and buttons come later.
#include "pages/PlaceholderPage.h"
#include "res/resource.h"

class CNoNetworkDlg : public CPlaceholderPage {
public:
    CNoNetworkDlg() : CPlaceholderPage(IDD_NO_NETWORK, L"TSY_NONETWORK_STRING1") {}
    void PrepareNoNetworkPage() { PreparePlaceholder(); }
};
