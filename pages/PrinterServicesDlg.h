#pragma once
// The printer services tab. Its service buttons come later.
#include "pages/PlaceholderPage.h"
#include "res/resource.h"

class CPrinterServicesDlg : public CPlaceholderPage {
public:
    CPrinterServicesDlg() : CPlaceholderPage(IDD_PRINTER_SERVICES, L"TSY_PROPERTY_SERVICES") {}
    void PrepareServicesPage() { PreparePlaceholder(); }
};
