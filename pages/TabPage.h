#pragma once
// What the information and service tabs share: the main window's background shows through
// them, Enter and Escape do nothing, the heading names the selected printer, and the access
// manager that serves that printer.
#include <optional>
#include <string>

#include "app/DialogExtended.h"

class CDiagnosticMgr;
class CDeviceAccessManager;
struct Device_Dev;

class CTabPage : public CDialogExtended {
public:
    explicit CTabPage(UINT templateId) : CDialogExtended(templateId, false) {}

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    void OnOK() override {}
    void OnCancel() override {}

    static CDiagnosticMgr* Manager();
    // The printer the tabs show; null without printers.
    // A copy of the selected record; nothing without printers.
    static std::optional<Device_Dev> SelectedPrinter();
    // The manager the progress popup reads the selected printer through; null without a printer.
    static CDeviceAccessManager* ServingManager();
    static std::wstring Text(const wchar_t* key);
    // The interface language takes the application fonts.
    static bool ApplicationFonts();

    void SetText(int id, const std::wstring& text);
    void SetKeyText(int id, const wchar_t* key) { SetText(id, Text(key)); }
    void SetFont(int id, HFONT font);
    // "TSY_DIAGNOSE_HEADING", a blank and the printer's name (the placeholder without one).
    void SetHeading(HFONT font);

    static void CloseMainWindow();
    // The main window paints the background beneath the tabs' transparent texts.
    static void RepaintMainWindow();
};
