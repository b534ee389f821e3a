#pragma once
// The page for a network printer the search did not find. Its links and Retry come later.
#include "pages/PlaceholderPage.h"
#include "res/resource.h"

class CNotListedNetworkDlg : public CPlaceholderPage {
public:
    CNotListedNetworkDlg() : CPlaceholderPage(IDD_NOT_LISTED_NETWORK, L"TSY_NOTLISTEDNETWORK_STRING1") {}
    void PrepareNotListedNetworkPage() { PreparePlaceholder(); }
};
