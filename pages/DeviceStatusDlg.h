#pragma once
// The device status page: what the printer reports, in the string table's words, and the way
// on: retry the failed step, cancel, the troubleshooting steps or support links.
#include "pages/WizardPage.h"

class CDeviceStatusDlg : public CWizardPage {
public:
    CDeviceStatusDlg();
    ~CDeviceStatusDlg() override;

    // The status code error simulation pretends; the wizard hands it over before preparing.
    void SetSimulatedStatusCode(int32_t code) { simulatedStatusCode_ = code; }
    int32_t SimulatedStatusCode() const { return simulatedStatusCode_; }
    // The variant prepared last and the flag its texts explain.
    int32_t Variant() const { return variant_; }
    int32_t ShownFlag() const { return shownFlag_; }

protected:
    BOOL OnInitDialog() override;
    void OnPrepare(int32_t command) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    bool OnButton(int id) override;
    void OnLinkClicked(int id) override;

private:
    int32_t DetermineFlag(int32_t variant);
    void BuildVariant(int32_t variant);
    void AssignFonts();
    void OpenCustomerCareLink();

    int32_t variant_ = 16;
    int32_t shownFlag_ = 0;
    int32_t simulatedStatusCode_ = 0;
    HICON serviceIcon_ = nullptr;
};
