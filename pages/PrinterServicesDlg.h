#pragma once
// The printer services tab: four maintenance services of the selected printer, each an icon
// button that runs its device operation behind the progress popup, the print quality help link
// and, in English, the survey link.
#include "app/engine/DeviceOperations.h"
#include "pages/TabPage.h"
#include "res/resource.h"

class CPrinterServicesDlg : public CTabPage {
public:
    CPrinterServicesDlg() : CTabPage(IDD_PRINTER_SERVICES) {}

    // Icons, fonts and texts; which rows the selected product offers.
    void PrepareServicesPage();
    // The operation of the last popup a service button ran; None before the first.
    DeviceOperation LastServiceOperation() const { return lastOperation_; }

protected:
    BOOL OnInitDialog() override;
    bool OnButton(int id) override;
    void OnLinkClicked(int id) override;
    bool LinksActive() const override;

private:
    void RunService(DeviceOperation operation);

    DeviceOperation lastOperation_ = DeviceOperation::None;
};
