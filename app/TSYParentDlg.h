#pragma once
// The main window: the printer selection page first, then the four tabs of a diagnosis. It owns
// every page, switches pages on page commands (message 1034), keeps only the wizard alive across
// tab changes, draws the background and hands a picture of it to the tab strip.
#include <functional>
#include <string>

#include "app/CustomTabCtrl.h"
#include "app/DialogBase.h"
#include "app/EnumerateDlg.h"
#include "app/WizardDlg.h"
#include "pages/FirmwareDlg.h"
#include "pages/InkLevelDlg.h"
#include "pages/NoNetworkDlg.h"
#include "pages/NotListedDlg.h"
#include "pages/NotListedNetworkDlg.h"
#include "pages/NotSupportedDlg.h"
#include "pages/PrinterServicesDlg.h"
#include "pages/ResetsDlg.h"
#include "winapi/Handles.h"

// Page commands the main window acts on.
inline constexpr int kPageSelectPrinter = 1;
inline constexpr int kPageNotListed = 3;
inline constexpr int kPageNotSupported = 6;
inline constexpr int kPageChooseLanguage = 21;
inline constexpr int kPageNotListedNetwork = 24;
inline constexpr int kPageNoNetwork = 25;
inline constexpr int kPageStartDiagnosis = 28;

// The tabs, in strip order.
inline constexpr int kTabWizard = 0;
inline constexpr int kTabServices = 1;
inline constexpr int kTabInkLevels = 2;
inline constexpr int kTabFirmware = 3;

// Window menu and the two hidden menus.
inline constexpr UINT kSysCommandAbout = 16;
inline constexpr UINT kMenuChooseLanguage = ID_CHOOSE_LANGUAGE;
inline constexpr UINT kMenuBack = ID_SIMULATION_BACK;

// Control ids of the main window template.

// The tab strip's background picture, appended to the user's application data folder.
inline constexpr wchar_t kTabBackgroundFile[] = L"\\TSY_temp.bmp";
// Full path of that picture; empty when the folder is unknown.
std::wstring TabBackgroundPath();

class CTSYParentDlg : public CDialogBase {
public:
    CTSYParentDlg();
    ~CTSYParentDlg() override;

    // The start of a simulated diagnosis: the wizard opens with `pageCommand` and pretends `statusCode`.
    void SimulateOutcome(int pageCommand, int statusCode);

    // Replaceable so tests never block: a pop-up menu shown at a screen position; the default
    // tracks it, the chosen item arriving as WM_COMMAND.
    static std::function<void(HWND owner, HMENU popup, int x, int y)> trackMenu;
    // The feedback survey offered on closing with an English interface; the default runs CFeedbackDlg.
    static std::function<void(HWND owner)> runFeedback;
    // The language dialog; the default runs CChooseLanguageDlg modally. -1: nothing chosen.
    static std::function<int(HWND owner)> chooseLanguage;

    // What the window shows, for the pages and for tests.
    CEnumerateDlg& EnumeratePage() { return enumerate_; }
    CWizardDlg& Wizard() { return wizard_; }
    CCustomTabCtrl& TabStrip() { return tabs_; }
    CNotListedDlg& NotListedPage() { return notListed_; }
    CNotSupportedDlg& NotSupportedPage() { return notSupported_; }
    CNoNetworkDlg& NoNetworkPage() { return noNetwork_; }
    CNotListedNetworkDlg& NotListedNetworkPage() { return notListedNetwork_; }
    CPrinterServicesDlg& ServicesPage() { return services_; }
    CInkLevelDlg& InkLevelPage() { return inkLevels_; }
    CFirmwareDlg& FirmwarePage() { return firmware_; }
    CResetsDlg& ResetsPage() { return resets_; }
    CDialogBase* CurrentPage() const { return currentPage_; }
    int CurrentPageCommand() const { return currentPageCommand_; }
    bool PagesCreated() const { return pagesCreated_; }
    int SelectedTab() const { return selectedTab_; }

protected:
    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    void OnOK() override {}
    void OnCancel() override;

private:
    void OnPageCommand(int command);
    void CreateTabPages();
    void PrepareResultPages();
    void ShowPage(CDialogBase& page);
    void StartDiagnosis();
    void OnTabChanged();
    void ReadDeviceAgain(WPARAM what);
    void ApplyLanguageChoice();
    void OnSimulatedStatus(int code, LPARAM dirtyPowerUp);
    // An item of the error simulation menu; false for any other command.
    bool OnSimulationItem(UINT item);
    bool OnSysCommand(WPARAM command);
    void OnMenuBack();
    void OnClose();
    bool OnFocus();
    // The page object of tab `tab` (the wizard itself for tab 0); null for no tab.
    CDialogBase* TabPage(int tab);

    void SetTitleAndHeading();
    void AppendAboutItem();
    // Puts a tab page (or the wizard) below the tab strip, `offsetAboveStripBottom` higher, as
    // large as the client area; shown on top unless other flags are given.
    void PlaceTabPage(HWND page, int offsetAboveStripBottom, HWND insertAfter = HWND_TOP,
                      UINT flags = SWP_SHOWWINDOW);
    void HideTabPages();
    void Repaint();
    void DrawBackground(HDC dc);
    void SaveTabBackground(HDC source);
    POINT MenuPosition() const;

    CEnumerateDlg enumerate_;
    CNotListedDlg notListed_;
    CNotSupportedDlg notSupported_;
    CCustomTabCtrl tabs_;
    CWizardDlg wizard_;
    CPrinterServicesDlg services_;
    CInkLevelDlg inkLevels_;
    CFirmwareDlg firmware_;
    CResetsDlg resets_;
    CNoNetworkDlg noNetwork_;
    CNotListedNetworkDlg notListedNetwork_;

    CDialogBase* currentPage_ = nullptr;
    bool pagesCreated_ = false;
    int currentPageCommand_ = kPageSelectPrinter;
    int selectedTab_ = kTabWizard;
    NGWinApi::UniqueFont headingFont_;
};
