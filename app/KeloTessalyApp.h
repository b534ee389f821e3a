#pragma once
// The application object: start-up, the objects all pages share, shutdown.
#include <windows.h>
#include <commctrl.h>

#include <array>
#include <memory>
#include <string>

#include "support/XMLHandler.h"
#include "winapi/Handles.h"

class GdiplusSession;
class CDiagnosticMgr;

// The window property that marks the running tool's main window, whatever its title's language.
inline constexpr wchar_t kMainWindowProperty[] = L"Kelo_Tessaly.MainWindow";

class CKeloTessalyApp {
public:
    // A second start: brings the running tool's window (or the dialog it shows) to the front.
    static bool RaiseRunningInstance();
    CKeloTessalyApp();
    ~CKeloTessalyApp();
    CKeloTessalyApp(const CKeloTessalyApp&) = delete;
    CKeloTessalyApp& operator=(const CKeloTessalyApp&) = delete;

    // The whole run; always false, so the process ends when it returns.
    BOOL InitInstance();

    bool CheckAdministrator() const;
    // Decodes PNG resource `id` of the executable; null when that fails.
    HBITMAP LoadPngResource(UINT id) const;

    // The diagnosis manager; null before start-up has created it and after shutdown.
    CDiagnosticMgr* DiagnosisManager() const { return diagnosis_.get(); }
    // Fonts, step images and page images (start-up does this; window tests call it too).
    void LoadInterfaceResources();
    // Hands a manager to the application (tests build windows around one); null removes it.
    void AdoptDiagnosisManager(std::unique_ptr<CDiagnosticMgr> manager);
    std::wstring WindowTitle() const { return BuildWindowTitle(StringTable()); }
    // Application font n (1 to 8).
    HFONT AppFont(int n) const { return appFonts_[static_cast<size_t>(n - 1)].get(); }
    HIMAGELIST StepImages() const { return stepImages_; }
    // Page image n (0: main background, 1: white page, 2 to 4: expected pages).
    HBITMAP PageImage(int n) const { return pageImages_[static_cast<size_t>(n)].get(); }

    HWND MainWindow() const { return mainWindow_; }
    void SetMainWindow(HWND window) { mainWindow_ = window; }
    HWND RepaintWindow() const { return repaintWindow_; }
    void SetRepaintWindow(HWND window) { repaintWindow_ = window; }
    int SelectedListRow() const { return selectedListRow_; }
    void SetSelectedListRow(int row) { selectedListRow_ = row; }
    std::wstring& AnswerTrail() { return answerTrail_; }
    std::wstring& ErrorTrail() { return errorTrail_; }

private:
    void CreateFonts();
    void BuildStepImages();
    void LoadPageImages();
    void Shutdown();

    std::unique_ptr<CDiagnosticMgr> diagnosis_;
    std::array<NGWinApi::UniqueFont, 8> appFonts_;
    HIMAGELIST stepImages_ = nullptr;
    std::array<NGWinApi::UniqueBitmap, 5> pageImages_;
    std::wstring answerTrail_;
    std::wstring errorTrail_;
    int selectedListRow_ = -1;
    HWND mainWindow_ = nullptr;
    HWND repaintWindow_ = nullptr;
    std::unique_ptr<GdiplusSession> gdiplus_;
    bool oleInitialized_ = false;
};

extern CKeloTessalyApp theApp;
