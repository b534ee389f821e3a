#include "app/TSYParentDlg.h"

#include <shlobj.h>

#include <vector>

#include "app/AboutDlg.h"
#include "app/AppMessages.h"
#include "app/ChooseLanguageDlg.h"
#include "app/engine/DiagnosticMgr.h"
#include "app/FontUtil.h"
#include "app/KeloTessalyApp.h"
#include "app/WindowPicture.h"
#include "app/WizardRules.h"
#include "pages/FeedbackDlg.h"
#include "pages/PrgsDlg.h"
#include "pages/SecretMenuDlg.h"
#include "pages/SimulationRules.h"
#include "res/resource.h"
#include "discovery/DeviceRecords.h"
#include "support/LanguageChoice.h"
#include "support/LogFile.h"
#include "winapi/HostFilesApi.h"

namespace {

constexpr int kBackgroundWidth = 756;
constexpr int kBackgroundHeight = 540;
// Simulated status kinds of the error simulation menu.

bool KeyDown(int key) { return (::GetKeyState(key) & 0x8000) != 0; }
bool KeyDownOrToggled(int key) { return (::GetKeyState(key) & 0x8001) != 0; }

RECT ChildRect(HWND parent, HWND child)
{
    RECT rect = {};
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

} // namespace

std::wstring TabBackgroundPath()
{
    wchar_t folder[MAX_PATH] = {};
    if (!NGWinApi::HostFiles().SHGetSpecialFolderPathW(nullptr, folder, CSIDL_APPDATA, FALSE))
        return {};
    return std::wstring(folder) + kTabBackgroundFile;
}

std::function<void(HWND, HMENU, int, int)> CTSYParentDlg::trackMenu = [](HWND owner, HMENU popup, int x, int y) {
    // A pop-up menu closes on a click elsewhere only when its owner is in the foreground.
    ::SetForegroundWindow(owner);
    ::TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_TOPALIGN, x, y, 0, owner, nullptr);
    ::PostMessageW(owner, WM_NULL, 0, 0);
};
// Until the feedback page exists closing offers nothing.
std::function<void(HWND)> CTSYParentDlg::runFeedback = [](HWND owner) {
    CFeedbackDlg feedback;
    feedback.DoModal(owner);
};
std::function<int(HWND)> CTSYParentDlg::chooseLanguage = [](HWND owner) {
    CChooseLanguageDlg dialog;
    return static_cast<int>(dialog.DoModal(owner));
};

CTSYParentDlg::CTSYParentDlg() : CDialogBase(IDD_TSY_PARENT)
{
    // The template holds the tab strip as a control of its own class.
    CCustomTabCtrl::RegisterWindowClass();
}

CTSYParentDlg::~CTSYParentDlg()
{
    if (theApp.MainWindow() == GetSafeHwnd() && GetSafeHwnd() != nullptr)
        theApp.SetMainWindow(nullptr);
    // The window goes before the pages it holds, so nothing reaches this object half destroyed.
    DestroyWindow();
}

BOOL CTSYParentDlg::OnInitDialog()
{
    HWND hwnd = GetSafeHwnd();
    theApp.SetMainWindow(hwnd);
    ::SetPropW(hwnd, kMainWindowProperty, hwnd); // what a second start looks for
    CDiagnosticMgr* manager = theApp.DiagnosisManager();
    if (manager != nullptr)
        manager->SetNotifyWindow(hwnd);

    AppendAboutItem();

    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    auto icon = [&](int size) {
        return reinterpret_cast<LPARAM>(::LoadImageW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                                     size, size, LR_SHARED));
    };
    ::SendMessageW(hwnd, WM_SETICON, ICON_BIG, icon(::GetSystemMetrics(SM_CXICON)));
    ::SendMessageW(hwnd, WM_SETICON, ICON_SMALL, icon(::GetSystemMetrics(SM_CXSMICON)));
    ::SetWindowTextW(hwnd, theApp.WindowTitle().c_str());

    tabs_.Attach(GetDlgItem(IDC_TABCTRL));
    ::ShowWindow(GetDlgItem(IDC_TABCTRL), SW_HIDE);

    enumerate_.Create(hwnd);
    currentPage_ = &enumerate_;
    ::ShowWindow(enumerate_.GetSafeHwnd(), SW_SHOW);
    ::SetParent(enumerate_.GetSafeHwnd(), hwnd);

    notSupported_.Create(hwnd);
    noNetwork_.Create(hwnd);
    notListed_.Create(hwnd);
    notListedNetwork_.Create(hwnd);

    if (manager != nullptr && !manager->Devices().empty()) {
        CreateTabPages();
        enumerate_.FillDeviceList();
        PrepareResultPages();
        Repaint();
    }

    SetTitleAndHeading();
    return FALSE; // the printer list has the focus
}

void CTSYParentDlg::SetTitleAndHeading()
{
    HWND hwnd = GetSafeHwnd();
    const std::wstring title = theApp.WindowTitle();
    ::SetWindowTextW(hwnd, title.c_str());
    HFONT heading = theApp.AppFont(2);
    if (!UsesApplicationFonts(StringTable().LanguageId())) {
        if (!headingFont_)
            headingFont_.reset(CreateInterfaceFont(15, FW_BOLD));
        heading = headingFont_.get();
    }
    ::SendDlgItemMessageW(hwnd, IDC_HEADING, WM_SETFONT, reinterpret_cast<WPARAM>(heading), TRUE);
    ::SetDlgItemTextW(hwnd, IDC_HEADING, title.c_str());
}

void CTSYParentDlg::AppendAboutItem()
{
    const std::wstring about = StringTable().GetString(L"TSY_ABOUT_STRING");
    HMENU menu = ::GetSystemMenu(GetSafeHwnd(), FALSE);
    if (about.empty() || menu == nullptr)
        return;
    ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu, MF_STRING, kSysCommandAbout, about.c_str());
}

void CTSYParentDlg::CreateTabPages()
{
    HWND hwnd = GetSafeHwnd();
    wizard_.Create(hwnd);
    services_.Create(hwnd);
    inkLevels_.Create(hwnd);
    firmware_.Create(hwnd);
    resets_.Create(hwnd);
    pagesCreated_ = true;
}

void CTSYParentDlg::PrepareResultPages()
{
    notListed_.PrepareNotListedPage();
    notSupported_.PreparePage(kPageNotSupported);
}

void CTSYParentDlg::OnCancel() { ::SendMessageW(GetSafeHwnd(), WM_CLOSE, 0, 0); }

bool CTSYParentDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    switch (message) {
    case kMsgPageCommandToMain:
        OnPageCommand(static_cast<int>(wParam));
        result = 0;
        return true;
    case kMsgReadDeviceAgain:
        ReadDeviceAgain(wParam);
        result = 0;
        return true;
    case kMsgRepaint:
        Repaint();
        result = 0;
        return true;
    case kMsgSimulatedStatus:
        OnSimulatedStatus(static_cast<int>(wParam), lParam);
        result = 0;
        return true;
    case WM_SYSCOMMAND:
        result = 0;
        return OnSysCommand(wParam);
    case WM_COMMAND:
        if (HIWORD(wParam) == 0 && LOWORD(wParam) == kMenuChooseLanguage) {
            ::SendMessageW(GetSafeHwnd(), kMsgPageCommandToMain, kPageChooseLanguage, 2);
            result = 0;
            return true;
        }
        if (HIWORD(wParam) == 0 && LOWORD(wParam) == kMenuBack) {
            OnMenuBack();
            result = 0;
            return true;
        }
        if (HIWORD(wParam) == 0 && OnSimulationItem(LOWORD(wParam))) {
            result = 0;
            return true;
        }
        return CDialogBase::OnMessage(message, wParam, lParam, result);
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom == IDC_TABCTRL && static_cast<int>(header->code) == kTabNotifySelChange) {
            OnTabChanged();
            result = 0;
            return true;
        }
        return false;
    }
    case WM_ERASEBKGND:
        DrawBackground(reinterpret_cast<HDC>(wParam));
        result = TRUE;
        return true;
    case WM_CTLCOLORSTATIC:
        result = TransparentControlColour(wParam);
        return true;
    case WM_SETFOCUS:
        result = 0;
        return OnFocus();
    case WM_CLOSE:
        OnClose();
        result = 0;
        return true;
    case WM_DESTROY:
        ::RemovePropW(GetSafeHwnd(), kMainWindowProperty);
        return CDialogBase::OnMessage(message, wParam, lParam, result);
    default:
        return CDialogBase::OnMessage(message, wParam, lParam, result);
    }
}

void CTSYParentDlg::OnPageCommand(int command)
{
    CDiagnosticMgr* manager = theApp.DiagnosisManager();
    if (!pagesCreated_ && manager != nullptr &&
        (!manager->Devices().empty() || manager->ErrorSimulationActive())) {
        CreateTabPages();
        enumerate_.FillDeviceList();
        PrepareResultPages();
        Repaint();
    }

    switch (command) {
    case kPageSelectPrinter:
        ::ShowWindow(GetDlgItem(IDC_TABCTRL), SW_HIDE);
        // The selection page takes the tab area; the wizard only hides.
        HideTabPages();
        if (manager != nullptr)
            manager->SetSelectedIndex(0);
        enumerate_.FillDeviceList();
        ShowPage(enumerate_);
        break;
    case kPageNotListed:
        ShowPage(notListed_);
        break;
    case kPageNotSupported:
        ShowPage(notSupported_);
        break;
    case kPageChooseLanguage:
        ApplyLanguageChoice();
        break;
    case kPageNotListedNetwork:
        notListedNetwork_.PrepareNotListedNetworkPage();
        ShowPage(notListedNetwork_);
        break;
    case kPageNoNetwork:
        noNetwork_.PrepareNoNetworkPage();
        ShowPage(noNetwork_);
        break;
    case kPageStartDiagnosis:
        StartDiagnosis();
        break;
    default:
        break;
    }
    if (command != kPageChooseLanguage)
        currentPageCommand_ = command;
    Repaint();
}

void CTSYParentDlg::ShowPage(CDialogBase& page)
{
    HWND hwnd = GetSafeHwnd();
    HWND pageWindow = page.GetSafeHwnd();
    currentPage_ = &page;
    if (pageWindow == nullptr)
        return;
    ::SetWindowPos(pageWindow, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    ::SetParent(pageWindow, hwnd);
    ::SetFocus(pageWindow);
    Repaint();
}

void CTSYParentDlg::HideTabPages()
{
    for (CDialogBase* page : {static_cast<CDialogBase*>(&wizard_), static_cast<CDialogBase*>(&services_),
                              static_cast<CDialogBase*>(&inkLevels_), static_cast<CDialogBase*>(&firmware_)})
        if (HWND window = page->GetSafeHwnd())
            ::ShowWindow(window, SW_HIDE);
}

void CTSYParentDlg::StartDiagnosis()
{
    HWND strip = GetDlgItem(IDC_TABCTRL);
    const XMLHandler& strings = StringTable();
    tabs_.DeleteAllItems();
    const wchar_t* labels[] = {L"TSY_PROPERTY_WIZARD", L"TSY_PROPERTY_SERVICES", L"TSY_PROPERTY_INKLEVELS",
                               L"TSY_PROPERTY_FIRMWARE"};
    for (int i = 0; i < 4; ++i)
        tabs_.InsertItem(i, strings.GetString(labels[i]), 0);
    tabs_.ModifyStyle(kTabStyleEqualWidth | kTabStyleBottom | kTabStyleAutoButtons);
    ::ShowWindow(strip, SW_SHOW);

    HWND wizard = wizard_.GetSafeHwnd();
    if (wizard != nullptr)
        PlaceTabPage(wizard, 0, nullptr, SWP_NOZORDER | SWP_NOACTIVATE);
    wizard_.Reset();
    if (wizard != nullptr && ::IsWindow(wizard))
        ::SetWindowPos(wizard, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    currentPage_ = &wizard_;
    selectedTab_ = kTabWizard;
    tabs_.SetCurSel(kTabWizard);
    ::RedrawWindow(strip, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CTSYParentDlg::PlaceTabPage(HWND page, int offsetAboveStripBottom, HWND insertAfter, UINT flags)
{
    HWND hwnd = GetSafeHwnd();
    const RECT area = ChildRect(hwnd, GetDlgItem(IDC_TABCTRL));
    RECT client;
    ::GetClientRect(hwnd, &client);
    ::SetWindowPos(page, insertAfter, area.left, area.bottom - offsetAboveStripBottom, client.right, client.bottom,
                   flags);
}

void CTSYParentDlg::OnTabChanged()
{
    HWND hwnd = GetSafeHwnd();
    CDiagnosticMgr* manager = theApp.DiagnosisManager();
    const int tab = tabs_.GetCurSel();
    const bool haveDevices = manager != nullptr && !manager->Devices().empty();
    const auto hideWizard = [&] {
        if (HWND wizard = wizard_.GetSafeHwnd())
            ::ShowWindow(wizard, SW_HIDE);
    };
    switch (tab) {
    case kTabWizard:
        if (HWND wizard = wizard_.GetSafeHwnd())
            PlaceTabPage(wizard, 0);
        services_.DestroyWindow();
        inkLevels_.DestroyWindow();
        firmware_.DestroyWindow();
        resets_.DestroyWindow();
        wizard_.SetInitialPageCommand(wizard::kCmdConnectivity);
        wizard_.SetSimulatedStatusCode(0);
        if (HWND wizard = wizard_.GetSafeHwnd())
            ::SetFocus(wizard);
        break;
    case kTabServices:
        if (services_.GetSafeHwnd() == nullptr)
            services_.Create(hwnd);
        services_.PrepareServicesPage();
        if (services_.GetSafeHwnd() != nullptr)
            PlaceTabPage(services_.GetSafeHwnd(), 2);
        hideWizard();
        inkLevels_.DestroyWindow();
        firmware_.DestroyWindow();
        resets_.DestroyWindow();
        break;
    case kTabInkLevels:
    case kTabFirmware: {
        if (!haveDevices)
            break;
        if (const std::optional<Device_Dev> device = manager->Selected())
            manager->ManagerFor(*device).ResetDeviceData();
        const bool ink = tab == kTabInkLevels;
        CDialogBase& page = ink ? static_cast<CDialogBase&>(inkLevels_) : static_cast<CDialogBase&>(firmware_);
        if (page.GetSafeHwnd() == nullptr)
            page.Create(hwnd);
        if (ink) {
            inkLevels_.PrepareInkPage();
            inkLevels_.FillInkPage();
        } else {
            firmware_.PrepareFirmwarePage();
            firmware_.FillFirmwarePage();
        }
        if (page.GetSafeHwnd() != nullptr)
            PlaceTabPage(page.GetSafeHwnd(), 2);
        hideWizard();
        services_.DestroyWindow();
        (ink ? static_cast<CDialogBase&>(firmware_) : static_cast<CDialogBase&>(inkLevels_)).DestroyWindow();
        resets_.DestroyWindow();
        ReadDeviceAgain(ink ? 2 : 3);
        break;
    }
    default:
        return;
    }
    selectedTab_ = tab;
    Repaint();
}

void CTSYParentDlg::ReadDeviceAgain(WPARAM what)
{
    if (what != 2 && what != 3)
        return;
    const bool ink = what == 2;
    {
        CPrgsDlg popup;
        popup.SetOperation(ink ? DeviceOperation::ReadInkLevels : DeviceOperation::ReadDeviceInfo);
        popup.DoModal(GetSafeHwnd());
    }
    if (ink) {
        inkLevels_.FillInkPage();
        if (HWND page = inkLevels_.GetSafeHwnd())
            ::ShowWindow(page, SW_SHOW);
    } else {
        firmware_.FillFirmwarePage();
        if (HWND page = firmware_.GetSafeHwnd())
            ::ShowWindow(page, SW_SHOW);
    }
}

void CTSYParentDlg::ApplyLanguageChoice()
{
    const int chosen = chooseLanguage(GetSafeHwnd());
    if (chosen == -1)
        return;
    XMLHandler& strings = StringTable();
    strings.SetLanguageFixed(true);
    strings.SetLanguageId(static_cast<unsigned short>(chosen));
    if (!strings.Load()) {
        CEnumerateDlg::messageBox(GetSafeHwnd(), LoadFailedText(strings), L"", MB_ICONWARNING);
        LogFile().Write(L"XML Loading Failed.");
    }
    SetTitleAndHeading();

    const std::wstring about = strings.GetString(L"TSY_ABOUT_STRING");
    HMENU menu = ::GetSystemMenu(GetSafeHwnd(), FALSE);
    if (!about.empty() && menu != nullptr) {
        ::DeleteMenu(menu, static_cast<UINT>(::GetMenuItemCount(menu) - 1), MF_BYPOSITION);
        ::AppendMenuW(menu, MF_STRING, kSysCommandAbout, about.c_str());
    }

    // The selection page takes its columns, fonts and texts anew along with the list.
    enumerate_.PreparePage();
    const CDiagnosticMgr* manager = theApp.DiagnosisManager();
    notListed_.PrepareNotListedPage();
    if (manager != nullptr && !manager->Devices().empty() && pagesCreated_)
        notSupported_.PreparePage(kPageNotSupported);
    Repaint();
}

void CTSYParentDlg::SimulateOutcome(int pageCommand, int statusCode)
{
    CDiagnosticMgr* manager = theApp.DiagnosisManager();
    if (manager == nullptr)
        return;
    manager->SetErrorSimulationActive(true);
    if (!manager->Devices().empty()) {
        if (enumerate_.ListClicked())
            manager->SetSelectedIndex(theApp.SelectedListRow());
        else
            theApp.SetSelectedListRow(0);
    }
    wizard_.SetInitialPageCommand(pageCommand);
    wizard_.SetSimulatedStatusCode(statusCode);
    ::SendMessageW(GetSafeHwnd(), kMsgPageCommandToMain, kPageStartDiagnosis, 0);
    enumerate_.Hide();
    enumerate_.SetListClicked(false);
    theApp.SetSelectedListRow(-1);
}

void CTSYParentDlg::OnSimulatedStatus(int code, LPARAM dirtyPowerUp)
{
    const CDiagnosticMgr* manager = theApp.DiagnosisManager();
    if (manager == nullptr)
        return;
    if (const int32_t command = SimulatedStatusCommand(manager->SimulatedErrorKind(), code, dirtyPowerUp == 1))
        SimulateOutcome(command, code);
}

bool CTSYParentDlg::OnSimulationItem(UINT item)
{
    CDiagnosticMgr* manager = theApp.DiagnosisManager();
    if (manager == nullptr)
        return false;
    if (item == ID_SIMULATE_STATUS_ERRORS || item == ID_SIMULATE_FEEDER_ERRORS) {
        const int32_t kind = item == ID_SIMULATE_STATUS_ERRORS ? kSimulatedStatusError : kSimulatedFeederError;
        manager->SetSimulatedErrorKind(kind);
        CSecretMenuDlg codeWindow(kind, GetSafeHwnd());
        codeWindow.DoModal(GetSafeHwnd());
        return true;
    }
    const std::optional<SimulatedOutcome> outcome = OutcomeOfMenuItem(item);
    if (!outcome)
        return false;
    if (outcome->afterDeviceStatus)
        manager->SetCurrentTestIndex(kDeviceStatusTestIndex);
    SimulateOutcome(outcome->pageCommand, outcome->statusCode);
    return true;
}

POINT CTSYParentDlg::MenuPosition() const
{
    RECT window;
    ::GetWindowRect(GetSafeHwnd(), &window);
    return {window.left + ::GetSystemMetrics(SM_CXDLGFRAME),
            window.top + ::GetSystemMetrics(SM_CYCAPTION) + ::GetSystemMetrics(SM_CYDLGFRAME) + 3};
}

bool CTSYParentDlg::OnSysCommand(WPARAM command)
{
    const auto popUp = [&](UINT menuId) {
        HMENU menu = ::LoadMenuW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(menuId));
        if (menu == nullptr)
            return;
        const POINT at = MenuPosition();
        trackMenu(GetSafeHwnd(), ::GetSubMenu(menu, 0), at.x, at.y);
        ::DestroyMenu(menu);
    };
    if (KeyDown(VK_CONTROL) && KeyDown(VK_SHIFT) && currentPageCommand_ == kPageSelectPrinter) {
        popUp(IDR_SECRET_MENU);
        return true;
    }
    if (KeyDown(VK_CONTROL) && KeyDownOrToggled(VK_SHIFT)) {
        const CDiagnosticMgr* manager = theApp.DiagnosisManager();
        if (manager != nullptr && manager->ErrorSimulationActive())
            popUp(IDR_BACK_MENU);
        return true;
    }
    if ((command & 0xFFF0) == kSysCommandAbout) {
        CAboutDlg about;
        about.DoModal(GetSafeHwnd());
        return true;
    }
    return false;
}

void CTSYParentDlg::OnMenuBack()
{
    if (CDiagnosticMgr* manager = theApp.DiagnosisManager()) {
        manager->SetErrorSimulationActive(false);
        manager->SetCurrentTestIndex(-1);
    }
    // The next diagnosis is a real one again: it starts with the connectivity test.
    wizard_.SetInitialPageCommand(wizard::kCmdConnectivity);
    wizard_.SetSimulatedStatusCode(0);
    CDialogBase* page = selectedTab_ == kTabWizard ? wizard_.CurrentPage() : TabPage(selectedTab_);
    if (page != nullptr)
        page->EndDialog(1);
    ::SendMessageW(GetSafeHwnd(), kMsgPageCommandToMain, kPageSelectPrinter, 0);
}

CDialogBase* CTSYParentDlg::TabPage(int tab)
{
    switch (tab) {
    case kTabWizard:
        return &wizard_;
    case kTabServices:
        return &services_;
    case kTabInkLevels:
        return &inkLevels_;
    case kTabFirmware:
        return &firmware_;
    default:
        return nullptr;
    }
}

bool CTSYParentDlg::OnFocus()
{
    const CDiagnosticMgr* manager = theApp.DiagnosisManager();
    if (manager == nullptr || manager->Devices().empty())
        return false;
    CDialogBase* page = currentPage_;
    if (::IsWindowVisible(GetDlgItem(IDC_TABCTRL)))
        page = TabPage(selectedTab_);
    if (page == nullptr || page->GetSafeHwnd() == nullptr || !::IsWindowVisible(page->GetSafeHwnd()))
        return false;
    ::SetFocus(page->GetSafeHwnd());
    return true;
}

void CTSYParentDlg::OnClose()
{
    if (HWND popup = CPrgsDlg::ShowingWindow())
        ::SendMessageW(popup, kMsgOperationDone, 0, 0);
    if (StringTable().LanguageId() == 1033) {
        ::ShowWindow(GetSafeHwnd(), SW_HIDE);
        runFeedback(GetSafeHwnd());
    }
    const std::wstring picture = TabBackgroundPath();
    if (!picture.empty())
        ::DeleteFileW(picture.c_str());
    EndDialog(IDCANCEL);
}

void CTSYParentDlg::Repaint()
{
    ::RedrawWindow(GetSafeHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void CTSYParentDlg::DrawBackground(HDC dc)
{
    HWND hwnd = GetSafeHwnd();
    RECT client;
    ::GetClientRect(hwnd, &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    if (width <= 0 || height <= 0)
        return;
    // Drawn off-screen first, so the tab strip's picture does not depend on what is clipped.
    NGWinApi::MemoryDc canvas(dc);
    NGWinApi::UniqueBitmap surface(::CreateCompatibleBitmap(dc, width, height));
    NGWinApi::Selection surfaceSelected(canvas.get(), surface.get());
    HBITMAP background = theApp.PageImage(0);
    if (background == nullptr) {
        ::FillRect(canvas.get(), &client, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    } else {
        NGWinApi::MemoryDc memory(dc);
        NGWinApi::Selection backgroundSelected(memory.get(), background);
        BITMAP info = {};
        ::GetObjectW(background, sizeof info, &info);
        if (width == kBackgroundWidth && height == kBackgroundHeight) {
            ::BitBlt(canvas.get(), 0, 0, width, height, memory.get(), 0, 0, SRCCOPY);
        } else {
            ::SetStretchBltMode(canvas.get(), HALFTONE);
            ::StretchBlt(canvas.get(), 0, 0, width, height + 2, memory.get(), 0, 0, info.bmWidth, info.bmHeight,
                         SRCCOPY);
        }
    }
    ::BitBlt(dc, 0, 0, width, height, canvas.get(), 0, 0, SRCCOPY);
    SaveTabBackground(canvas.get());
}

void CTSYParentDlg::SaveTabBackground(HDC source)
{
    HWND strip = GetDlgItem(IDC_TABCTRL);
    if (strip == nullptr)
        return;
    const RECT area = ChildRect(GetSafeHwnd(), strip);
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width <= 0 || height <= 0)
        return;
    NGWinApi::UniqueBitmap picture = CopyArea(source, area);
    const std::wstring path = TabBackgroundPath();
    if (!path.empty())
        SaveBitmapFile(picture.get(), path);
}
