#pragma once
// The first page: the printers enumeration found, "Diagnose" for the chosen one, "Not Listed"
// for a printer missing from the list, and Cancel.
#include <functional>
#include <string>

#include "app/DialogExtended.h"


class CEnumerateDlg : public CDialogExtended {
public:
    CEnumerateDlg();

    // Columns, fonts and texts for the current language, then the list.
    void PreparePage();
    // Rebuilds the list from the diagnosis manager's devices and selects the first.
    void FillDeviceList();

    // The user has clicked an entry since the flag was last cleared.
    bool ListClicked() const { return listClicked_; }
    void SetListClicked(bool clicked) { listClicked_ = clicked; }

    // Replaceable so tests never block on a modal window.
    static std::function<int(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type)>
        messageBox;
    // The driver verification window: 2 leaves the tool, anything else goes on.
    static std::function<INT_PTR(HWND owner)> verifyDriver;
    // The USB-or-network question: 1 is network, anything else USB.
    static std::function<INT_PTR(HWND owner)> askUsbOrNetwork;
    // The network printer search window; it replaces the manager's device list.
    static std::function<void(HWND owner)> searchNetworkPrinters;

protected:
    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

private:
    void OnDiagnose();
    void OnNotListed();
    void OnListClick();
    // The driver check of a USB printer.
    bool DriverCheckPasses() const;
    void SendToMainWindow(int pageCommand);

    bool listClicked_ = false;
};
