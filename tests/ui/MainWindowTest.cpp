// The main window, the printer selection page, the language dialog, the About box and the
// progress popup, as real windows under Xvfb around a diagnosis manager whose printers the tests
// set. No test reaches a printer over the network: the printers that get diagnosed are USB
// printers whose interface paths lead nowhere.
#include <gtest/gtest.h>

#include <atomic>

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <chrono>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "KeloDiagnosticCore.h"
#include "TestFolder.h"
#include "app/AppMessages.h"
#include "app/ChooseLanguageDlg.h"
#include "app/engine/DiagnosticMgr.h"
#include "app/EnumerateDlg.h"
#include "app/KeloTessalyApp.h"
#include "app/TSYParentDlg.h"
#include "pages/DeviceStatusDlg.h"
#include "pages/FinalDlg.h"
#include "pages/PrgsDlg.h"
#include "pages/ResetsDlg.h"
#include "pages/SecretMenuDlg.h"
#include "quill/QuillManager.h"
#include "quill/SNMPNWManager.h"
#include "discovery/DeviceRecords.h"
#include "sable/SableManager.h"
#include "sable/SimControl.h"
#include "tools/ResetBlocks.h"
#include "ui/Screenshot.h"
#include "ui/WindowTestSupport.h"
#include "winapi/HostFilesApi.h"
#include "winapi/SpoolerApi.h"
#include "res/resource.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// A click on a row of the printer list of the selection page `page`.
void ClickRow(HWND page, int row)
{
    HWND list = ::GetDlgItem(page, IDC_PRINTER_LIST);
    ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetSelectionMark(list, row);
    NMITEMACTIVATE click = {};
    click.hdr = {list, static_cast<UINT_PTR>(IDC_PRINTER_LIST), static_cast<UINT>(NM_CLICK)};
    click.iItem = row;
    ::SendMessageW(page, WM_NOTIFY, IDC_PRINTER_LIST, reinterpret_cast<LPARAM>(&click));
}

std::wstring ListText(HWND list, int row, int column)
{
    wchar_t text[512] = {};
    ListView_GetItemText(list, row, column, text, 512);
    return text;
}

std::wstring ColumnTitle(HWND list, int column)
{
    wchar_t text[256] = {};
    LVCOLUMNW info = {};
    info.mask = LVCF_TEXT | LVCF_WIDTH;
    info.pszText = text;
    info.cchTextMax = 256;
    if (!ListView_GetColumn(list, column, &info))
        return L"<none>";
    return text;
}

int ColumnWidth(HWND list, int column) { return ListView_GetColumnWidth(list, column); }

// Where a page sits in the main window's client area.
RECT RectIn(HWND parent, HWND child)
{
    RECT rect = {};
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// Keys held (or toggled) for this thread, as GetKeyState reports them.
class HeldKeys {
public:
    HeldKeys(bool control, bool shiftDown, bool shiftToggled = false)
    {
        ::GetKeyboardState(saved_);
        BYTE state[256];
        ::GetKeyboardState(state);
        state[VK_CONTROL] = control ? 0x80 : 0;
        state[VK_SHIFT] = static_cast<BYTE>((shiftDown ? 0x80 : 0) | (shiftToggled ? 0x01 : 0));
        ::SetKeyboardState(state);
    }
    ~HeldKeys() { ::SetKeyboardState(saved_); }
    HeldKeys(const HeldKeys&) = delete;
    HeldKeys& operator=(const HeldKeys&) = delete;

private:
    BYTE saved_[256];
};

// The program's folder is the test folder; the USB device library loads only when a test says so.
class TestKernel : public FakeExecutableFolder {
public:
    using FakeExecutableFolder::FakeExecutableFolder;
    HMODULE LoadLibraryW(LPCWSTR name) override
    {
        if (::lstrcmpiW(name, L"kelodev12.dll") == 0) {
            ++usbLibraryLoads;
            return usbLibraryPresent ? ::GetModuleHandleW(nullptr) : nullptr;
        }
        return FakeExecutableFolder::LoadLibraryW(name);
    }
    BOOL FreeLibrary(HMODULE module) override
    {
        return module == ::GetModuleHandleW(nullptr) ? TRUE : FakeExecutableFolder::FreeLibrary(module);
    }
    bool usbLibraryPresent = false;
    int usbLibraryLoads = 0;
};

// One print queue whose work-offline state the tests choose; every change is recorded.
class QueueSpooler : public NGWinApi::CSpoolerApi {
public:
    explicit QueueSpooler(std::wstring queue) : queue_(std::move(queue)) {}
    BOOL OpenPrinterW(LPWSTR name, LPHANDLE printer, LPPRINTER_DEFAULTSW) override
    {
        opened.push_back(name);
        if (queue_ != name)
            return FALSE;
        *printer = reinterpret_cast<HANDLE>(0x5150);
        return TRUE;
    }
    BOOL GetPrinterW(HANDLE, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed) override
    {
        *needed = sizeof(PRINTER_INFO_2W);
        if (level != 2 || buffer == nullptr || size < sizeof(PRINTER_INFO_2W)) {
            ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        PRINTER_INFO_2W info = {};
        info.pPrinterName = const_cast<wchar_t*>(queue_.c_str());
        info.Attributes = attributes;
        memcpy(buffer, &info, sizeof info);
        return TRUE;
    }
    BOOL SetPrinterW(HANDLE, DWORD level, LPBYTE buffer, DWORD) override
    {
        if (level == 2)
            attributes = reinterpret_cast<PRINTER_INFO_2W*>(buffer)->Attributes;
        ++changes;
        return TRUE;
    }
    BOOL ClosePrinter(HANDLE) override { return TRUE; }

    DWORD attributes = PRINTER_ATTRIBUTE_WORK_OFFLINE;
    int changes = 0;
    std::vector<std::wstring> opened;

private:
    std::wstring queue_;
};

class NetworkComApi : public NGWinApi::CComApi {
public:
    HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid, LPVOID* object) override
    {
        if (clsid == CLSID_NetworkInfo)
            return info.QueryInterface(iid, object);
        return CComApi::CoCreateInstance(clsid, outer, context, iid, object);
    }
    NetworkInfoStandIn info;
};

// The demo printers as the selection page lists them: two installed network printers, a Sable
// and a Quill printer on USB.
DeviceList DemoPrinters()
{
    Device_Dev sableNet;
    sableNet.deviceName = L"Kelo Workline 4420 Series (127.0.0.10)";
    sableNet.friendlyName = L"Kelo Workline 4420 Series (127.0.0.10)";
    sableNet.address = L"127.0.0.10";
    sableNet.productId = L"5912";
    sableNet.printerName = L"Kelo Workline 4420 Series (127.0.0.10)";
    sableNet.isNetwork = true;
    sableNet.driverInstalled = 1;
    Device_Dev quillNet = sableNet;
    quillNet.deviceName = quillNet.friendlyName = quillNet.printerName = L"Kelo Workline 6500 Series (127.0.0.11)";
    quillNet.address = L"127.0.0.11";
    quillNet.productId = L"7511";
    Device_Dev sableUsb;
    sableUsb.deviceName = L"Kelo Homeline 2150 All-in-One";
    sableUsb.address = L"\\\\?\\usb#vid_0a7e&pid_2112#kelo-test-none#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";
    sableUsb.productId = L"2112";
    sableUsb.printerName = L"Kelo Homeline 2150 Series (USB001)";
    sableUsb.hardwareId = L"VID_0A7E&PID_2112";
    Device_Dev quillUsb = sableUsb;
    quillUsb.deviceName = L"Kelo Homeline 2510 All-in-One";
    quillUsb.address = L"\\\\?\\usb#vid_0a7e&pid_9311#kelo-test-none#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";
    quillUsb.productId = L"9311";
    quillUsb.printerName = L"Kelo Homeline 2510 Series (USB002)";
    quillUsb.hardwareId = L"VID_0A7E&PID_9311";
    return {sableNet, quillNet, sableUsb, quillUsb};
}

Device_Dev UsbPrinter(const std::wstring& productId, uint32_t driverInstalled = 0)
{
    Device_Dev device = DemoPrinters()[2];
    device.deviceName = L"Kelo USB " + productId;
    device.productId = productId;
    device.driverInstalled = driverInstalled;
    return device;
}

// A window in the main window's place that records what the pages send it.
class MainStandIn {
public:
    MainStandIn()
    {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = &MainStandIn::Procedure;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"KeloMainStandIn";
        ::RegisterClassW(&windowClass);
        window_ = ::CreateWindowW(L"KeloMainStandIn", L"", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600,
                                  nullptr, nullptr, windowClass.hInstance, nullptr);
        ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~MainStandIn() { ::DestroyWindow(window_); }
    HWND Window() const { return window_; }
    std::vector<WPARAM> commands;
    int closes = 0;

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<MainStandIn*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self != nullptr && message == kMsgPageCommandToMain) {
            self->commands.push_back(wParam);
            return 0;
        }
        if (self != nullptr && message == WM_CLOSE) {
            ++self->closes;
            return 0;
        }
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
    HWND window_ = nullptr;
};

struct MessageBoxCall {
    std::wstring text, caption;
    UINT type;
};

class ShellWindows : public ::testing::Test {
protected:
    static void SetUpTestSuite() { SuiteWindowServices::Start(); }
    static void TearDownTestSuite() { SuiteWindowServices::Stop(); }

    ShellWindows() : kernel_(folder_.Path()), scopedKernel_(kernel_), host_(folder_.Path())
    {
        previousHost_ = NGWinApi::Replace(&host_);
        WriteProgramData(folder_);
        EXPECT_TRUE(LoadEnglishStrings());
        LoadInterfaceResourcesOnce();

        saved_ = {CEnumerateDlg::messageBox, CEnumerateDlg::verifyDriver, CEnumerateDlg::askUsbOrNetwork,
                  CEnumerateDlg::searchNetworkPrinters};
        savedMain_ = {CTSYParentDlg::trackMenu, CTSYParentDlg::runFeedback, CTSYParentDlg::chooseLanguage};
        CEnumerateDlg::messageBox = [this](HWND, const std::wstring& text, const std::wstring& caption, UINT type) {
            messageBoxes_.push_back({text, caption, type});
            return IDOK;
        };
        CEnumerateDlg::verifyDriver = [this](HWND) {
            ++driverQuestions_;
            return driverAnswer_;
        };
        CEnumerateDlg::askUsbOrNetwork = [this](HWND) {
            ++connectionQuestions_;
            return connectionAnswer_;
        };
        CTSYParentDlg::trackMenu = [this](HWND, HMENU menu, int x, int y) {
            menus_.push_back(MenuIds(menu));
            menuAt_ = {x, y};
        };
        CTSYParentDlg::runFeedback = [this](HWND owner) {
            ++feedbacks_;
            feedbackOwnerVisible_ = HasVisibleStyle(owner);
        };
        CTSYParentDlg::chooseLanguage = [this](HWND) {
            ++languageChoices_;
            return -1;
        };
        CPrgsDlg::SetMinimumShowTime(20);
    }

    ~ShellWindows() override
    {
        theApp.AdoptDiagnosisManager(nullptr);
        theApp.SetMainWindow(nullptr);
        theApp.SetSelectedListRow(-1);
        std::tie(CEnumerateDlg::messageBox, CEnumerateDlg::verifyDriver, CEnumerateDlg::askUsbOrNetwork,
                 CEnumerateDlg::searchNetworkPrinters) = saved_;
        std::tie(CTSYParentDlg::trackMenu, CTSYParentDlg::runFeedback, CTSYParentDlg::chooseLanguage) = savedMain_;
        CPrgsDlg::SetMinimumShowTime(kProgressMinimumShowMs);
        NGWinApi::Replace(previousHost_);
    }

    CDiagnosticMgr& UseManager(const DeviceList& devices)
    {
        auto manager = std::make_unique<CDiagnosticMgr>();
        manager->BuildTests();
        manager->ReplaceDevices(devices);
        CDiagnosticMgr& used = *manager;
        theApp.AdoptDiagnosisManager(std::move(manager));
        return used;
    }

    // Every command id of a menu and its sub-menus, in order.
    static std::vector<UINT> MenuIds(HMENU menu)
    {
        std::vector<UINT> ids;
        for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
            if (HMENU sub = ::GetSubMenu(menu, i)) {
                auto inner = MenuIds(sub);
                ids.insert(ids.end(), inner.begin(), inner.end());
            } else {
                ids.push_back(::GetMenuItemID(menu, i));
            }
        }
        return ids;
    }

    std::wstring Picture(const wchar_t* name) const { return GalleryPath(name); }

    TestFolder folder_;
    TestKernel kernel_;
    NGWinApi::ScopedApi<NGWinApi::CKernelApi> scopedKernel_;
    AppDataInFolder host_;
    NGWinApi::CHostFilesApi* previousHost_ = nullptr;

    std::vector<MessageBoxCall> messageBoxes_;
    int driverQuestions_ = 0;
    INT_PTR driverAnswer_ = IDOK;
    int connectionQuestions_ = 0;
    INT_PTR connectionAnswer_ = IDCANCEL;
    std::vector<std::vector<UINT>> menus_;
    POINT menuAt_ = {};
    int feedbacks_ = 0;
    bool feedbackOwnerVisible_ = true;
    int languageChoices_ = 0;

    std::tuple<decltype(CEnumerateDlg::messageBox), decltype(CEnumerateDlg::verifyDriver),
               decltype(CEnumerateDlg::askUsbOrNetwork), decltype(CEnumerateDlg::searchNetworkPrinters)>
        saved_;
    std::tuple<decltype(CTSYParentDlg::trackMenu), decltype(CTSYParentDlg::runFeedback),
               decltype(CTSYParentDlg::chooseLanguage)>
        savedMain_;
};

// The selection page alone, with a stand-in main window that records its page commands.
class SelectionPage : public ShellWindows {
protected:
    void Open(const DeviceList& devices)
    {
        manager_ = &UseManager(devices);
        theApp.SetMainWindow(main_.Window());
        ASSERT_TRUE(page_.Create(main_.Window()));
        ::ShowWindow(page_.GetSafeHwnd(), SW_SHOW);
    }
    HWND List() const { return page_.GetDlgItem(IDC_PRINTER_LIST); }
    void Click(int id) { ClickButton(page_, id); }
    void ClickRow(int row) { ::ClickRow(page_.GetSafeHwnd(), row); }

    MainStandIn main_;
    CEnumerateDlg page_;
    CDiagnosticMgr* manager_ = nullptr;
};

} // namespace

TEST_F(SelectionPage, ListsEveryPrinterWithItsConnectionAndLogsThem)
{
    LogTail log;
    Open(DemoPrinters());
    HWND list = List();
    ASSERT_EQ(ListView_GetItemCount(list), 4);
    EXPECT_EQ(ColumnTitle(list, 0), L"Printer");
    EXPECT_EQ(ColumnTitle(list, 1), L"Connection");
    EXPECT_EQ(ColumnWidth(list, 0), 500);
    EXPECT_EQ(ColumnWidth(list, 1), 208);
    EXPECT_EQ(ColumnTitle(list, 2), L"<none>");
    const DWORD extended = ListView_GetExtendedListViewStyle(list);
    EXPECT_TRUE(extended & LVS_EX_FULLROWSELECT);
    EXPECT_TRUE(extended & LVS_EX_ONECLICKACTIVATE);

    // Network printers show their address, USB printers their queue; no friendly name, the device name.
    EXPECT_EQ(ListText(list, 0, 0), L"Kelo Workline 4420 Series (127.0.0.10)");
    EXPECT_EQ(ListText(list, 0, 1), L"127.0.0.10");
    EXPECT_EQ(ListText(list, 1, 1), L"127.0.0.11");
    EXPECT_EQ(ListText(list, 2, 0), L"Kelo Homeline 2150 All-in-One");
    EXPECT_EQ(ListText(list, 2, 1), L"Kelo Homeline 2150 Series (USB001)");
    EXPECT_EQ(ListText(list, 3, 1), L"Kelo Homeline 2510 Series (USB002)");
    EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_SELECTED), 0);
    EXPECT_EQ(ListView_GetSelectionMark(list), 0);

    EXPECT_EQ(ItemText(page_.GetSafeHwnd(), IDC_ENUMERATE_TEXT),
              UiText(L"TSY_ENUMERATE_STRING1"));
    EXPECT_EQ(ItemText(page_.GetSafeHwnd(), IDC_DIAGNOSE), L"Diagnose");
    EXPECT_EQ(ItemText(page_.GetSafeHwnd(), IDC_NOT_LISTED), L"Not Listed");
    EXPECT_EQ(ItemText(page_.GetSafeHwnd(), IDCANCEL), L"Cancel");

    const std::string lines = log.Appended();
    const std::string expected[] = {"):@ CEnumerateDlg::FillDeviceList()\r\n",
                                    "): Device Name : Kelo Workline 4420 Series (127.0.0.10)\r\n",
                                    "): Friendly Name : Kelo Workline 4420 Series (127.0.0.10)\r\n",
                                    "): Interface Name : 127.0.0.10\r\n",
                                    "): Device Name : Kelo Workline 6500 Series (127.0.0.11)\r\n",
                                    "): Interface Name : 127.0.0.11\r\n",
                                    "): Device Name : Kelo Homeline 2150 All-in-One\r\n",
                                    "): Friendly Name : \r\n",
                                    "): Device Name : Kelo Homeline 2510 All-in-One\r\n"};
    size_t at = 0;
    for (const std::string& line : expected) {
        const size_t found = lines.find(line, at);
        ASSERT_NE(found, std::string::npos) << line << "\nin\n" << lines;
        at = found + line.size();
    }
    EXPECT_EQ(lines.find("Interface Name", at), std::string::npos) << "USB printers have no interface line";

    // Refilling follows the manager's list.
    manager_->Devices().pop_back();
    page_.FillDeviceList();
    EXPECT_EQ(ListView_GetItemCount(list), 3);
}

TEST_F(SelectionPage, DiagnoseWithoutTouchingTheListDiagnosesTheFirstPrinter)
{
    Open(DemoPrinters());
    manager_->SetSelectedIndex(3);
    ListView_SetSelectionMark(List(), -1);
    Click(IDC_DIAGNOSE);
    EXPECT_EQ(main_.commands, std::vector<WPARAM>{28});
    EXPECT_EQ(manager_->SelectedIndex(), 0);
    EXPECT_EQ(manager_->CurrentTestIndex(), 0);
    EXPECT_EQ(theApp.RepaintWindow(), main_.Window());
    EXPECT_FALSE(HasVisibleStyle(page_.GetSafeHwnd()));
    EXPECT_EQ(driverQuestions_, 0);
}

TEST_F(SelectionPage, AClickedRowIsRememberedAndDiagnosed)
{
    Open(DemoPrinters());
    EXPECT_FALSE(page_.ListClicked());
    ClickRow(1);
    EXPECT_TRUE(page_.ListClicked());
    EXPECT_EQ(theApp.SelectedListRow(), 1);
    Click(IDC_DIAGNOSE);
    EXPECT_EQ(manager_->SelectedIndex(), 1);
    EXPECT_EQ(main_.commands, std::vector<WPARAM>{28});
}

TEST_F(SelectionPage, AnEmptyListOnlyWarns)
{
    Open({});
    Click(IDC_DIAGNOSE);
    ASSERT_EQ(messageBoxes_.size(), 1u);
    EXPECT_EQ(messageBoxes_[0].text, UiText(L"TSY_MESSAGE_NOPRINTER"));
    EXPECT_EQ(messageBoxes_[0].caption, L"Kelo Tessaly 4.0");
    EXPECT_EQ(messageBoxes_[0].type, static_cast<UINT>(MB_ICONWARNING));
    EXPECT_TRUE(main_.commands.empty());
    EXPECT_TRUE(HasVisibleStyle(page_.GetSafeHwnd()));
}

TEST_F(SelectionPage, AnUnsupportedPrinterLeadsToTheNotSupportedPage)
{
    Open({UsbPrinter(L"ffff", 1)});
    Click(IDC_DIAGNOSE);
    EXPECT_EQ(main_.commands, std::vector<WPARAM>{6});
    EXPECT_FALSE(HasVisibleStyle(page_.GetSafeHwnd()));
}

TEST_F(SelectionPage, AnOfflineQueueIsPutBackOnlineUnlessTheNetworkWasSearched)
{
    for (bool searched : {false, true}) {
        SCOPED_TRACE(searched);
        QueueSpooler spooler(L"Kelo Workline 4420 Series (127.0.0.10)");
        NGWinApi::CSpoolerApi* previous = NGWinApi::Replace(&spooler);
        main_.commands.clear();
        if (page_.GetSafeHwnd() == nullptr)
            Open(DemoPrinters());
        manager_->SetNetworkSearchDone(searched);
        Click(IDC_DIAGNOSE);
        NGWinApi::Replace(previous);
        EXPECT_EQ(spooler.changes, searched ? 0 : 1);
        EXPECT_EQ(spooler.attributes & PRINTER_ATTRIBUTE_WORK_OFFLINE, searched ? PRINTER_ATTRIBUTE_WORK_OFFLINE : 0u);
        EXPECT_EQ(main_.commands, std::vector<WPARAM>{28});
    }
}

TEST_F(SelectionPage, TheDriverCheckOfUsbPrinters)
{
    struct Case {
        const char* name;
        const wchar_t* productId;
        uint32_t driverInstalled;
        bool libraryPresent;
        INT_PTR answer;
        int questions;
        std::vector<WPARAM> commands;
        int closes;
    };
    const Case cases[] = {
        {"Quill without driver, library loads", L"9311", 0, true, IDOK, 0, {28}, 0},
        {"Quill without driver or library, user goes on", L"9311", 0, false, IDOK, 1, {28}, 0},
        {"Quill without driver or library, user leaves", L"9311", 0, false, IDCANCEL, 1, {}, 1},
        {"Quill with driver, no library", L"9311", 1, false, IDOK, 0, {28}, 0},
        {"Sable without driver needs one despite the library", L"2112", 0, true, IDCANCEL, 1, {}, 1},
        {"Sable with driver", L"2112", 1, true, IDOK, 0, {28}, 0},
        {"7811 on USB is a Sable product here", L"7811", 0, true, IDOK, 1, {28}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CEnumerateDlg page;
        MainStandIn main;
        UseManager({UsbPrinter(c.productId, c.driverInstalled)});
        theApp.SetMainWindow(main.Window());
        ASSERT_TRUE(page.Create(main.Window()));
        kernel_.usbLibraryPresent = c.libraryPresent;
        driverQuestions_ = 0;
        driverAnswer_ = c.answer;
        ::SendMessageW(page.GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(IDC_DIAGNOSE, BN_CLICKED), 0);
        EXPECT_EQ(driverQuestions_, c.questions);
        EXPECT_EQ(main.commands, c.commands);
        EXPECT_EQ(main.closes, c.closes);
    }
}

TEST_F(SelectionPage, NotListedAsksForTheConnectionOnlyBeforeANetworkSearch)
{
    NetworkComApi com;
    Open({DemoPrinters()[2]});

    // USB: the page for a USB printer missing from the list.
    connectionAnswer_ = IDCANCEL;
    Click(IDC_NOT_LISTED);
    EXPECT_EQ(main_.commands, std::vector<WPARAM>{3});
    EXPECT_FALSE(HasVisibleStyle(page_.GetSafeHwnd()));

    // Network without network settings: the no network page.
    main_.commands.clear();
    connectionAnswer_ = IDOK;
    Click(IDC_NOT_LISTED);
    EXPECT_EQ(main_.commands, std::vector<WPARAM>{25});

    // Network with settings: the search replaces the list and the page stays.
    main_.commands.clear();
    ::ShowWindow(page_.GetSafeHwnd(), SW_SHOW);
    int searches = 0;
    CEnumerateDlg::searchNetworkPrinters = [&](HWND) {
        ++searches;
        manager_->ReplaceDevices(DemoPrinters());
    };
    {
        NGWinApi::ScopedApi<NGWinApi::CComApi> scoped(com);
        Click(IDC_NOT_LISTED);
    }
    EXPECT_EQ(searches, 1);
    EXPECT_TRUE(main_.commands.empty());
    EXPECT_TRUE(manager_->NetworkSearchDone());
    EXPECT_EQ(ListView_GetItemCount(List()), 4);
    EXPECT_TRUE(HasVisibleStyle(page_.GetSafeHwnd()));

    // After the search: straight to the network printer not listed page.
    const int asked = connectionQuestions_;
    Click(IDC_NOT_LISTED);
    EXPECT_EQ(main_.commands, std::vector<WPARAM>{24});
    EXPECT_EQ(connectionQuestions_, asked);
}

TEST_F(SelectionPage, CancelClosesTheTool)
{
    Open(DemoPrinters());
    Click(IDCANCEL);
    EXPECT_EQ(main_.closes, 1);
}

namespace {

// The real main window, modeless, around the demo printers.
class MainWindow : public ShellWindows {
protected:
    ~MainWindow() override { window_.reset(); }
    void Open(const DeviceList& devices)
    {
        manager_ = &UseManager(devices);
        window_ = std::make_unique<CTSYParentDlg>();
        ASSERT_TRUE(window_->Create(nullptr));
        PumpWaiting();
    }
    // On screen, for pictures and painting (it costs Wine a wait when it goes).
    void ShowOnScreen()
    {
        ::ShowWindow(Main(), SW_SHOW);
        ::UpdateWindow(Main());
        PumpWaiting();
    }
    HWND Main() const { return window_->GetSafeHwnd(); }
    HWND Strip() const { return window_->GetDlgItem(IDC_TABCTRL); }
    void PageCommand(int command) { ::SendMessageW(Main(), kMsgPageCommandToMain, command, 0); }
    void SelectTab(int tab)
    {
        window_->TabStrip().SetCurSel(tab);
        CTC_NMHDR notice = {};
        notice.hdr = {Strip(), static_cast<UINT_PTR>(IDC_TABCTRL), static_cast<UINT>(kTabNotifySelChange)};
        notice.nItem = tab;
        ::SendMessageW(Main(), WM_NOTIFY, IDC_TABCTRL, reinterpret_cast<LPARAM>(&notice));
    }
    // Diagnoses the USB Sable printer from the selection page (its interface path leads nowhere,
    // so the Connectivity Test fails at once) and waits until the wizard has the outcome.
    void StartDiagnosis()
    {
        HWND page = window_->EnumeratePage().GetSafeHwnd();
        ClickRow(page, 2);
        ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_DIAGNOSE, BN_CLICKED), 0);
        EXPECT_EQ(manager_->SelectedIndex(), 2);
        EXPECT_FALSE(HasVisibleStyle(page));
        PumpUntil([&] { return manager_->TestAt(kConnectivityTestIndex)->result != 0; }, 3s);
        PumpWaiting();
    }
    std::wstring AppData(const wchar_t* name) const { return folder_.Path() + L"\\" + name; }

    std::unique_ptr<CTSYParentDlg> window_;
    CDiagnosticMgr* manager_ = nullptr;
};

} // namespace

TEST_F(MainWindow, OpensOnTheSelectionPageWithTitleHeadingAndAboutItem)
{
    Open(DemoPrinters());
    EXPECT_EQ(theApp.MainWindow(), Main());
    EXPECT_EQ(TextOf(Main()), L"Kelo Tessaly 4.0");
    EXPECT_EQ(ItemText(Main(), IDC_HEADING), L"Kelo Tessaly 4.0");
    EXPECT_EQ(reinterpret_cast<HFONT>(::SendDlgItemMessageW(Main(), IDC_HEADING, WM_GETFONT, 0, 0)),
              theApp.AppFont(2));
    HMENU menu = ::GetSystemMenu(Main(), FALSE);
    const int items = ::GetMenuItemCount(menu);
    EXPECT_EQ(::GetMenuItemID(menu, items - 1), kSysCommandAbout);
    EXPECT_EQ(::GetMenuState(menu, static_cast<UINT>(items - 2), MF_BYPOSITION) & MF_SEPARATOR,
              static_cast<UINT>(MF_SEPARATOR));
    wchar_t about[64] = {};
    ::GetMenuStringW(menu, kSysCommandAbout, about, 64, MF_BYCOMMAND);
    EXPECT_STREQ(about, L"About Kelo Tessaly");

    ASSERT_NE(Strip(), nullptr);
    wchar_t className[64] = {};
    ::GetClassNameW(Strip(), className, 64);
    EXPECT_STREQ(className, L"CCustomTabCtrl");
    EXPECT_FALSE(HasVisibleStyle(Strip()));
    EXPECT_TRUE(HasVisibleStyle(window_->EnumeratePage().GetSafeHwnd()));
    EXPECT_EQ(::GetParent(window_->EnumeratePage().GetSafeHwnd()), Main());
    EXPECT_EQ(window_->CurrentPage(), &window_->EnumeratePage());
    EXPECT_EQ(window_->CurrentPageCommand(), 1);
    // The main window took the manager's notices until the wizard took them over.
    EXPECT_TRUE(manager_->NotifyWindow() == Main() || manager_->NotifyWindow() == window_->Wizard().GetSafeHwnd());
    EXPECT_TRUE(window_->PagesCreated());
    EXPECT_NE(window_->ResetsPage().GetSafeHwnd(), nullptr);
    EXPECT_FALSE(HasVisibleStyle(window_->Wizard().GetSafeHwnd()));
    EXPECT_EQ(ListView_GetItemCount(window_->EnumeratePage().GetDlgItem(IDC_PRINTER_LIST)), 4);

    ShowOnScreen();
    EXPECT_EQ(LayoutFaults(Main()), "");
    ASSERT_TRUE(SaveWindowPicture(Main(), Picture(L"main_window_selection.bmp")));
}

TEST_F(MainWindow, WithoutPrintersTheTabPagesWaitUntilASimulationStarts)
{
    Open({});
    EXPECT_FALSE(window_->PagesCreated());
    EXPECT_EQ(window_->Wizard().GetSafeHwnd(), nullptr);
    PageCommand(kPageNotListed);
    EXPECT_FALSE(window_->PagesCreated());

    // With an empty device list a simulated outcome still starts the wizard.
    manager_->SetSimulatedErrorKind(kSimulatedFeederError);
    ::SendMessageW(Main(), kMsgSimulatedStatus, 4, 0);
    EXPECT_TRUE(manager_->ErrorSimulationActive());
    EXPECT_TRUE(window_->PagesCreated());
    EXPECT_NE(window_->Wizard().GetSafeHwnd(), nullptr);
    EXPECT_EQ(window_->CurrentPageCommand(), 28);
}

TEST_F(MainWindow, PageCommandsShowTheirPages)
{
    Open(DemoPrinters());
    struct Case {
        int command;
        CDialogBase* page;
    };
    const Case cases[] = {{3, &window_->NotListedPage()},
                          {6, &window_->NotSupportedPage()},
                          {24, &window_->NotListedNetworkPage()},
                          {25, &window_->NoNetworkPage()},
                          {1, &window_->EnumeratePage()}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        manager_->SetSelectedIndex(2);
        PageCommand(c.command);
        EXPECT_EQ(window_->CurrentPage(), c.page);
        EXPECT_TRUE(HasVisibleStyle(c.page->GetSafeHwnd()));
        EXPECT_EQ(::GetParent(c.page->GetSafeHwnd()), Main());
        EXPECT_EQ(window_->CurrentPageCommand(), c.command);
        // Each page ends itself when it sends the next command.
        c.page->EndDialog(2);
    }
    EXPECT_EQ(manager_->SelectedIndex(), 0) << "the selection page starts from the first printer";

    // The language choice leaves the current page command alone; unknown commands are remembered.
    PageCommand(kPageChooseLanguage);
    EXPECT_EQ(languageChoices_, 1);
    EXPECT_EQ(window_->CurrentPageCommand(), 1);
    PageCommand(99);
    EXPECT_EQ(window_->CurrentPageCommand(), 99);
}

TEST_F(MainWindow, DiagnosingAnUnsupportedPrinterShowsTheNotSupportedPage)
{
    Open({UsbPrinter(L"ffff", 1)});
    HWND selection = window_->EnumeratePage().GetSafeHwnd();
    ::SendMessageW(selection, WM_COMMAND, MAKEWPARAM(IDC_DIAGNOSE, BN_CLICKED), 0);
    EXPECT_EQ(window_->CurrentPageCommand(), 6);
    EXPECT_EQ(window_->CurrentPage(), &window_->NotSupportedPage());
    EXPECT_TRUE(HasVisibleStyle(window_->NotSupportedPage().GetSafeHwnd()));
    EXPECT_FALSE(HasVisibleStyle(selection));
    EXPECT_FALSE(HasVisibleStyle(Strip()));
}

TEST_F(MainWindow, StartingADiagnosisShowsFourTabsAndTheWizard)
{
    Open(DemoPrinters());
    StartDiagnosis();
    CCustomTabCtrl& tabs = window_->TabStrip();
    ASSERT_EQ(tabs.GetItemCount(), 4);
    EXPECT_EQ(tabs.GetItemText(0), L"Diagnosis");
    EXPECT_EQ(tabs.GetItemText(1), L"Printer Services");
    EXPECT_EQ(tabs.GetItemText(2), L"Ink Levels");
    EXPECT_EQ(tabs.GetItemText(3), L"Printer Information");
    EXPECT_EQ(tabs.GetCurSel(), 0);
    const LONG_PTR style = ::GetWindowLongPtrW(Strip(), GWL_STYLE);
    EXPECT_EQ(style & (kTabStyleEqualWidth | kTabStyleBottom | kTabStyleAutoButtons),
              static_cast<LONG_PTR>(kTabStyleEqualWidth | kTabStyleBottom | kTabStyleAutoButtons));
    EXPECT_TRUE(HasVisibleStyle(Strip()));

    HWND wizard = window_->Wizard().GetSafeHwnd();
    ASSERT_NE(wizard, nullptr);
    EXPECT_TRUE(HasVisibleStyle(wizard));
    const RECT strip = RectIn(Main(), Strip());
    const RECT placed = RectIn(Main(), wizard);
    RECT client;
    ::GetClientRect(Main(), &client);
    EXPECT_EQ(placed.left, strip.left);
    EXPECT_EQ(placed.top, strip.bottom);
    EXPECT_EQ(placed.right - placed.left, client.right);
    EXPECT_EQ(placed.bottom - placed.top, client.bottom);
    EXPECT_EQ(window_->CurrentPageCommand(), 28);
    EXPECT_EQ(manager_->TestAt(kConnectivityTestIndex)->result, kTestFailed) << "the wizard ran the first test";

    ShowOnScreen();
    EXPECT_EQ(LayoutFaults(Main()), "");
    ASSERT_TRUE(SaveWindowPicture(Main(), Picture(L"main_window_diagnosis.bmp")));

    // Back to the selection page: the strip goes, the wizard only hides.
    PageCommand(kPageSelectPrinter);
    EXPECT_FALSE(HasVisibleStyle(Strip()));
    EXPECT_FALSE(HasVisibleStyle(wizard));
    EXPECT_TRUE(::IsWindow(wizard));
    EXPECT_TRUE(HasVisibleStyle(window_->EnumeratePage().GetSafeHwnd()));
}

TEST_F(MainWindow, TabChangesKeepOnlyTheWizardAlive)
{
    Open(DemoPrinters());
    StartDiagnosis();
    HWND wizard = window_->Wizard().GetSafeHwnd();
    ASSERT_NE(wizard, nullptr);
    const RECT strip = RectIn(Main(), Strip());

    SelectTab(kTabServices);
    HWND services = window_->ServicesPage().GetSafeHwnd();
    ASSERT_NE(services, nullptr);
    EXPECT_TRUE(HasVisibleStyle(services));
    EXPECT_EQ(RectIn(Main(), services).left, strip.left);
    EXPECT_EQ(RectIn(Main(), services).top, strip.bottom - 2);
    EXPECT_FALSE(HasVisibleStyle(wizard));
    EXPECT_TRUE(::IsWindow(wizard));
    EXPECT_EQ(window_->ResetsPage().GetSafeHwnd(), nullptr) << "no tab shows the resets page";

    // The ink levels and firmware tabs read the printer behind the progress popup.
    manager_->Sable().MutableRecords().deviceInfo.modelName = L"stale";
    SelectTab(kTabInkLevels);
    EXPECT_EQ(manager_->Sable().Records().deviceInfo.modelName, L"Not available");
    EXPECT_TRUE(HasVisibleStyle(window_->InkLevelPage().GetSafeHwnd()));
    EXPECT_EQ(window_->ServicesPage().GetSafeHwnd(), nullptr);
    EXPECT_EQ(PrinterRegionText(), L"Not available");

    SelectTab(kTabFirmware);
    EXPECT_TRUE(HasVisibleStyle(window_->FirmwarePage().GetSafeHwnd()));
    EXPECT_EQ(window_->InkLevelPage().GetSafeHwnd(), nullptr);
    EXPECT_EQ(window_->SelectedTab(), kTabFirmware);

    window_->Wizard().SetInitialPageCommand(wizard::kCmdStatusFault);
    window_->Wizard().SetSimulatedStatusCode(8);
    SelectTab(kTabWizard);
    EXPECT_TRUE(HasVisibleStyle(wizard));
    EXPECT_EQ(window_->FirmwarePage().GetSafeHwnd(), nullptr);
    EXPECT_EQ(window_->Wizard().InitialPageCommand(), 23);
    EXPECT_EQ(window_->Wizard().SimulatedStatusCode(), 0);
    EXPECT_EQ(window_->SelectedTab(), kTabWizard);
}

namespace {

// A test that runs until it is released, as a slow printer keeps the Connectivity Test busy.
class HeldTest : public CTest {
public:
    HeldTest() : release_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~HeldTest() override { ::CloseHandle(release_); }
    int32_t Run(Device_Dev&) override
    {
        running = true;
        return ::WaitForSingleObject(release_, 10000) == WAIT_OBJECT_0 ? kRunPassed : kRunFailed;
    }
    void Release() { ::SetEvent(release_); }
    std::atomic<bool> running{false};

private:
    HANDLE release_;
};

} // namespace

TEST_F(MainWindow, ATestKeepsRunningWhileAnotherTabIsShown)
{
    Open(DemoPrinters());
    auto held = std::make_unique<HeldTest>();
    HeldTest* test = held.get();
    manager_->TestAt(kConnectivityTestIndex)->test = std::move(held);
    manager_->TestAt(kDeviceStatusTestIndex)->test = std::make_unique<CPrintEvaluationTest>(); // passes at once
    HWND page = window_->EnumeratePage().GetSafeHwnd();
    ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_DIAGNOSE, BN_CLICKED), 0);
    ASSERT_TRUE(PumpUntil([&] { return test->running.load(); }));

    SelectTab(kTabServices);
    EXPECT_FALSE(HasVisibleStyle(window_->Wizard().GetSafeHwnd()));
    test->Release();
    // The wizard, hidden, takes both outcomes and moves on to the print test page.
    const auto onPrintTestPage = [&] {
        const CDialogBase* page = window_->Wizard().CurrentPage();
        return page != nullptr && page->GetDlgItem(IDC_SKIP_PRINT) != nullptr;
    };
    EXPECT_TRUE(PumpUntil(onPrintTestPage));
    EXPECT_EQ(manager_->TestAt(kConnectivityTestIndex)->result, kTestPassed);
    EXPECT_EQ(manager_->TestAt(kDeviceStatusTestIndex)->result, kTestPassed);
    SelectTab(kTabWizard);
    EXPECT_TRUE(HasVisibleStyle(window_->Wizard().GetSafeHwnd()));
    EXPECT_TRUE(onPrintTestPage());
}

TEST_F(MainWindow, ControlShiftOpensTheSecretMenuOnlyOnTheSelectionPage)
{
    Open(DemoPrinters());
    {
        HeldKeys keys(true, true);
        ::SendMessageW(Main(), WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    ASSERT_EQ(menus_.size(), 1u);
    EXPECT_EQ(feedbacks_, 0) << "the system command is dropped";
    const std::set<UINT> secret(menus_[0].begin(), menus_[0].end());
    const std::set<UINT> expected = {ID_CHOOSE_LANGUAGE,         ID_SIMULATE_CONNECTIVITY,   ID_SIMULATE_STATUS_ERRORS,
                                     ID_SIMULATE_FEEDER_ERRORS,  ID_SIMULATE_PRINT_TEST_FAIL, ID_SIMULATE_PRINT_BAD,
                                     ID_SIMULATE_NO_PRINT,       ID_SIMULATE_COPY_FAILED,    ID_SIMULATE_COPY_BAD,
                                     ID_SUCCESS_DEVICE_STATUS,   ID_SUCCESS_PRINT_TEST,      ID_SUCCESS_PRINT_EVALUATION,
                                     ID_SUCCESS_COPY_TEST,       ID_SUCCESS_COPY_EVALUATION};
    EXPECT_EQ(secret, expected);
    EXPECT_EQ(menus_[0].front(), kMenuChooseLanguage);
    RECT window;
    ::GetWindowRect(Main(), &window);
    EXPECT_EQ(menuAt_.x, window.left + ::GetSystemMetrics(SM_CXDLGFRAME));
    EXPECT_EQ(menuAt_.y,
              window.top + ::GetSystemMetrics(SM_CYCAPTION) + ::GetSystemMetrics(SM_CYDLGFRAME) + 3);

    // Its language item runs the language choice.
    ::SendMessageW(Main(), WM_COMMAND, kMenuChooseLanguage, 0);
    EXPECT_EQ(languageChoices_, 1);

    // On another page neither menu opens while no simulation runs.
    PageCommand(kPageNotListed);
    {
        HeldKeys keys(true, true);
        ::SendMessageW(Main(), WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    EXPECT_EQ(menus_.size(), 1u);

    // Without the keys the command is carried out: closing.
    ::SendMessageW(Main(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(feedbacks_, 1);
}

TEST_F(MainWindow, BackLeavesTheSimulationForTheSelectionPage)
{
    Open(DemoPrinters());
    manager_->SetSimulatedErrorKind(kSimulatedStatusError);
    ::SendMessageW(Main(), kMsgSimulatedStatus, 5, 1);
    ASSERT_TRUE(manager_->ErrorSimulationActive());
    EXPECT_EQ(window_->CurrentPageCommand(), 28);
    EXPECT_FALSE(HasVisibleStyle(window_->EnumeratePage().GetSafeHwnd()));

    // Control with Shift merely toggled opens the Back menu while simulating.
    {
        HeldKeys keys(true, false, true);
        ::SendMessageW(Main(), WM_SYSCOMMAND, SC_KEYMENU, 0);
    }
    ASSERT_EQ(menus_.size(), 1u);
    EXPECT_EQ(menus_[0], std::vector<UINT>{kMenuBack});

    ::SendMessageW(Main(), WM_COMMAND, kMenuBack, 0);
    EXPECT_FALSE(manager_->ErrorSimulationActive());
    EXPECT_EQ(manager_->CurrentTestIndex(), -1);
    EXPECT_EQ(window_->CurrentPageCommand(), 1);
    EXPECT_TRUE(HasVisibleStyle(window_->EnumeratePage().GetSafeHwnd()));
    EXPECT_FALSE(HasVisibleStyle(Strip()));
}

TEST_F(MainWindow, ASimulatedStatusCodeChoosesTheDeviceStatusVariant)
{
    struct Case {
        int32_t kind;
        int code;
        LPARAM dirtyPowerUp;
        int command;
    };
    const Case cases[] = {{kSimulatedStatusError, 8, 1, wizard::kCmdStatusFault},
                          {kSimulatedStatusError, 61, 0, wizard::kCmdStatusFault},
                          {kSimulatedStatusError, 5, 1, wizard::kCmdPowerLoss},
                          {kSimulatedStatusError, 5, 0, wizard::kCmdStatusWithLinks},
                          {kSimulatedFeederError, 3, 0, wizard::kCmdFeederError}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.kind << "/" << c.code << "/" << c.dirtyPowerUp);
        Open(DemoPrinters());
        ClickRow(window_->EnumeratePage().GetSafeHwnd(), 1);
        manager_->SetSimulatedErrorKind(c.kind);
        ::SendMessageW(Main(), kMsgSimulatedStatus, static_cast<WPARAM>(c.code), c.dirtyPowerUp);
        EXPECT_EQ(window_->Wizard().InitialPageCommand(), c.command);
        EXPECT_EQ(window_->Wizard().SimulatedStatusCode(), c.code);
        EXPECT_TRUE(manager_->ErrorSimulationActive());
        EXPECT_EQ(manager_->SelectedIndex(), 1) << "the clicked row is the simulated printer";
        EXPECT_FALSE(window_->EnumeratePage().ListClicked());
        EXPECT_EQ(theApp.SelectedListRow(), -1);
        window_.reset();
    }
}

TEST_F(MainWindow, TheAboutBoxShowsTheProductVersion)
{
    Open(DemoPrinters());
    std::wstring message, copyright, button;
    bool closed = false;
    {
        WhileModal driver([&] {
            HWND about = VisibleThreadWindow(L"About Kelo Tessaly");
            if (about == nullptr)
                return false;
            EXPECT_EQ(LayoutFaults(about), "");
            SaveWindowPicture(about, GalleryPath(L"main_window_about.bmp"));
            message = ItemText(about, IDC_ABOUT_MESSAGE);
            copyright = ItemText(about, IDC_ABOUT_COPYRIGHT);
            button = ItemText(about, IDOK);
            ::SendMessageW(about, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            closed = true;
            return true;
        });
        ::SendMessageW(Main(), WM_SYSCOMMAND, kSysCommandAbout, 0);
    }
    ASSERT_TRUE(closed);
    EXPECT_EQ(message, L"Kelo Tessaly printer diagnostics, version 4.0.0.35");
    EXPECT_EQ(copyright, UiText(L"TSY_ABOUT_COPY"));
    EXPECT_EQ(button, L"OK");
}

TEST_F(MainWindow, AChosenLanguageRelabelsTheWindowAndTheSelectionPage)
{
    folder_.Write(L"strings\\1036.xml", R"(<?xml version="1.0" encoding="UTF-8"?>
<Strings>
  <String ID="TSY_TITLE_STRING" Value="Kelo Tessaly (essai) %1"/>
  <String ID="TSY_ABOUT_STRING" Value="A propos de Kelo Tessaly"/>
  <String ID="TSY_PRINTER_LIST" Value="Imprimante"/>
  <String ID="TSY_CONNECTION_LIST" Value="Liaison"/>
  <String ID="TSY_DIAGNOSE_BUTTON" Value="Diagnostiquer"/>
  <String ID="TSY_NOTLISTED_BUTTON" Value="Absente"/>
  <String ID="TSY_CANCEL_BUTTON" Value="Annuler"/>
  <String ID="TSY_ENUMERATE_STRING1" Value="Choisissez votre imprimante."/>
</Strings>
)");
    Open(DemoPrinters());
    CTSYParentDlg::chooseLanguage = std::get<2>(savedMain_); // the real dialog
    HMENU menu = ::GetSystemMenu(Main(), FALSE);
    const int menuItems = ::GetMenuItemCount(menu);

    // The real dialog: 21 languages in their order; OK without a row changes nothing.
    int rows = -1;
    std::vector<std::wstring> ids;
    {
        WhileModal driver([&] {
            HWND dialog = VisibleThreadWindow(L"Choose Language");
            if (dialog == nullptr)
                return false;
            HWND list = ::GetDlgItem(dialog, IDC_LANGUAGE_LIST);
            rows = ListView_GetItemCount(list);
            for (int row = 0; row < rows; ++row)
                ids.push_back(ListText(list, row, 0));
            ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            return true;
        });
        PageCommand(kPageChooseLanguage);
    }
    ASSERT_EQ(rows, 21);
    EXPECT_EQ(ids.front(), L"1033");
    EXPECT_EQ(ids[8], L"1036");
    EXPECT_EQ(ids.back(), L"2052");
    EXPECT_EQ(StringTable().LanguageId(), 1033);
    EXPECT_FALSE(UiText(L"TSY_MESSAGE_PROGRESS").empty());

    // Choosing French (row 8).
    {
        WhileModal driver([&] {
            HWND dialog = VisibleThreadWindow(L"Choose Language");
            if (dialog == nullptr)
                return false;
            HWND list = ::GetDlgItem(dialog, IDC_LANGUAGE_LIST);
            ListView_SetItemState(list, 8, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
            EXPECT_EQ(LayoutFaults(dialog), "");
            SaveWindowPicture(dialog, GalleryPath(L"main_window_languages.bmp"));
            ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            return true;
        });
        PageCommand(kPageChooseLanguage);
    }
    EXPECT_EQ(StringTable().LanguageId(), 1036);
    EXPECT_TRUE(StringTable().IsLanguageFixed());
    EXPECT_EQ(TextOf(Main()), L"Kelo Tessaly (essai) 4.0");
    EXPECT_EQ(ItemText(Main(), IDC_HEADING), L"Kelo Tessaly (essai) 4.0");
    EXPECT_EQ(::GetMenuItemCount(menu), menuItems);
    wchar_t about[64] = {};
    ::GetMenuStringW(menu, kSysCommandAbout, about, 64, MF_BYCOMMAND);
    EXPECT_STREQ(about, L"A propos de Kelo Tessaly");
    EXPECT_EQ(window_->CurrentPageCommand(), 1);

    CEnumerateDlg& page = window_->EnumeratePage();
    HWND list = page.GetDlgItem(IDC_PRINTER_LIST);
    EXPECT_EQ(ColumnTitle(list, 0), L"Imprimante");
    EXPECT_EQ(ColumnTitle(list, 1), L"Liaison");
    EXPECT_EQ(ColumnTitle(list, 2), L"<none>");
    EXPECT_EQ(ListView_GetItemCount(list), 4);
    EXPECT_EQ(ItemText(page.GetSafeHwnd(), IDC_DIAGNOSE), L"Diagnostiquer");
    EXPECT_EQ(ItemText(page.GetSafeHwnd(), IDC_NOT_LISTED), L"Absente");
    EXPECT_EQ(ItemText(page.GetSafeHwnd(), IDCANCEL), L"Annuler");
    EXPECT_EQ(ItemText(page.GetSafeHwnd(), IDC_ENUMERATE_TEXT), L"Choisissez votre imprimante.");
    // Other languages than the four take the page's own, smaller fonts.
    const auto font = [&](int id) {
        return reinterpret_cast<HFONT>(::SendDlgItemMessageW(page.GetSafeHwnd(), id, WM_GETFONT, 0, 0));
    };
    EXPECT_EQ(font(IDC_PRINTER_LIST), page.PageFont(1));
    EXPECT_EQ(font(IDC_ENUMERATE_TEXT), page.PageFont(4));
    EXPECT_EQ(font(IDC_DIAGNOSE), page.PageFont(5));
    ShowOnScreen();
    EXPECT_EQ(LayoutFaults(Main()), "");
    ASSERT_TRUE(SaveWindowPicture(Main(), Picture(L"main_window_french.bmp")));

    // Closing with a language other than English offers no feedback.
    ::SendMessageW(Main(), WM_CLOSE, 0, 0);
    EXPECT_EQ(feedbacks_, 0);
    EXPECT_FALSE(HasVisibleStyle(Main()));
}

TEST_F(MainWindow, ClosingOffersFeedbackInEnglishAndRemovesTheStripPicture)
{
    Open(DemoPrinters());
    const std::wstring picture = AppData(L"TSY_temp.bmp");
    ASSERT_EQ(TabBackgroundPath(), picture);
    ShowOnScreen();
    const std::string bytes = ReadWholeFile(picture);
    ASSERT_GT(bytes.size(), sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER));
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    BITMAPINFOHEADER header;
    memcpy(&header, bytes.data() + sizeof(BITMAPFILEHEADER), sizeof header);
    const RECT strip = RectIn(Main(), Strip());
    EXPECT_EQ(header.biWidth, strip.right - strip.left);
    EXPECT_EQ(header.biHeight, strip.bottom - strip.top);

    ::SendMessageW(Main(), WM_CLOSE, 0, 0);
    EXPECT_EQ(feedbacks_, 1);
    EXPECT_FALSE(feedbackOwnerVisible_) << "the main window hides before the survey";
    EXPECT_EQ(::GetFileAttributesW(picture.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(MainWindow, ClosingEndsAProgressPopupThatIsShowing)
{
    Open(DemoPrinters());
    StartDiagnosis();
    CPrgsDlg::SetMinimumShowTime(20000);
    bool sawPopup = false;
    const auto started = Clock::now();
    {
        WhileModal closer([&] {
            if (CPrgsDlg::ShowingWindow() == nullptr)
                return false;
            sawPopup = true;
            ::SendMessageW(Main(), WM_CLOSE, 0, 0);
            return true;
        });
        ::SendMessageW(Main(), kMsgReadDeviceAgain, 2, 0);
    }
    EXPECT_TRUE(sawPopup);
    EXPECT_LT(Clock::now() - started, 10s);
    EXPECT_EQ(CPrgsDlg::ShowingWindow(), nullptr);
    EXPECT_FALSE(HasVisibleStyle(Main()));
}

namespace {

class ProgressPopup : public ShellWindows {
protected:
    // Runs `operation` behind a popup owned by a plain window; the modal call's duration.
    std::chrono::milliseconds Run(CPrgsDlg& popup, int32_t operation)
    {
        popup.SetOperation(operation);
        const auto started = Clock::now();
        EXPECT_EQ(popup.DoModal(owner_.Window()), 1);
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started);
    }
    MainStandIn owner_;
};

} // namespace

TEST_F(ProgressPopup, ShowsAtLeastTheMinimumTimeAndEndsWithTheOperation)
{
    UseManager({UsbPrinter(L"9311")});
    CPrgsDlg::SetMinimumShowTime(400);
    for (int32_t operation : {0, 7}) {
        SCOPED_TRACE(operation);
        CPrgsDlg popup;
        EXPECT_FALSE(popup.Running());
        const auto took = Run(popup, operation);
        EXPECT_GE(took.count(), 390);
        EXPECT_LT(took.count(), 2500);
        EXPECT_FALSE(popup.Running());
        EXPECT_EQ(popup.Succeeded(), operation == 7);
        EXPECT_EQ(CPrgsDlg::ShowingWindow(), nullptr);
    }
    EXPECT_EQ(kProgressMinimumShowMs, 3000u);

    // Without a diagnosis manager there is nothing to run.
    theApp.AdoptDiagnosisManager(nullptr);
    CPrgsDlg popup;
    Run(popup, 7);
    EXPECT_FALSE(popup.Succeeded());
}

TEST_F(ProgressPopup, TheBarMovesInStepsOfThreeAndWrapsAfterNinetyNine)
{
    UseManager({UsbPrinter(L"9311")});
    CPrgsDlg::SetMinimumShowTime(1500);
    std::vector<int> positions;
    int startedAt = -1;
    bool moved = false;
    std::wstring text;
    HFONT font = nullptr;
    CPrgsDlg popup;
    {
        WhileModal driver([&] {
            HWND window = CPrgsDlg::ShowingWindow();
            if (window == nullptr)
                return false;
            HWND bar = ::GetDlgItem(window, IDC_PROGRESS_BAR);
            const int position = static_cast<int>(::SendMessageW(bar, PBM_GETPOS, 0, 0));
            if (startedAt < 0) {
                startedAt = position;
                text = ItemText(window, IDC_PROGRESS_TEXT);
                font = reinterpret_cast<HFONT>(::SendDlgItemMessageW(window, IDC_PROGRESS_TEXT, WM_GETFONT, 0, 0));
                const PBRANGE range = [&] {
                    PBRANGE r = {};
                    ::SendMessageW(bar, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&r));
                    return r;
                }();
                EXPECT_EQ(range.iLow, 0);
                EXPECT_EQ(range.iHigh, 100);
                return false;
            }
            // The popup's own timer moves the bar; then the ticks are driven one by one.
            if (!moved) {
                moved = position > startedAt;
                if (!moved)
                    return false;
            }
            EXPECT_EQ(LayoutFaults(window), "");
            SaveWindowPicture(window, GalleryPath(L"progress_popup.bmp"));
            ::SendMessageW(bar, PBM_SETPOS, 0, 0);
            for (int tick = 0; tick < 37; ++tick) {
                ::SendMessageW(window, WM_TIMER, kProgressTimerId, 0);
                positions.push_back(static_cast<int>(::SendMessageW(bar, PBM_GETPOS, 0, 0)));
            }
            return true;
        });
        Run(popup, 0);
    }
    EXPECT_EQ(startedAt, 0);
    EXPECT_TRUE(moved) << "timer 1001 moves the bar every 200 ms";
    EXPECT_EQ(text, L"Communicating with the printer. Please wait...");
    EXPECT_EQ(font, theApp.AppFont(4));
    ASSERT_EQ(positions.size(), 37u);
    for (int tick = 0; tick < 33; ++tick)
        EXPECT_EQ(positions[static_cast<size_t>(tick)], 3 * (tick + 1));
    EXPECT_EQ(positions[33], 100) << "102 is kept at the maximum";
    EXPECT_EQ(positions[34], 0);
    EXPECT_EQ(positions[35], 3);
    EXPECT_EQ(positions[36], 6);
}

TEST_F(ProgressPopup, TheAccessPathOfTheSelectedPrinter)
{
    CPrgsDlg::SetMinimumShowTime(0);
    struct Case {
        const char* name;
        Device_Dev device;
        int32_t operation;
        bool succeeded;
    };
    Device_Dev networkQuill = DemoPrinters()[1];
    const Case cases[] = {
        // USB 7811 is a Sable product in the catalogue but is served over the USB device library,
        // where reading the status is nothing to do.
        {"USB 7811 status", UsbPrinter(L"7811"), 7, true},
        {"USB Quill status", UsbPrinter(L"9311"), 7, true},
        // The Sable path talks to the device interface, which leads nowhere.
        {"USB Sable status", UsbPrinter(L"2112"), 7, false},
        {"an unknown operation", UsbPrinter(L"9311"), 42, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DeviceOperationPath(c.device) == DeviceProtocol::QuillUsb, c.device.productId != L"2112");
        UseManager({c.device});
        CPrgsDlg popup;
        Run(popup, c.operation);
        EXPECT_EQ(popup.Succeeded(), c.succeeded);
    }
    EXPECT_EQ(DeviceOperationPath(networkQuill), DeviceProtocol::QuillNetwork);
}

TEST_F(ProgressPopup, ConstructionResetsAllThreeManagersAndAnInkReadTheRegion)
{
    CDiagnosticMgr& manager = UseManager({UsbPrinter(L"9311")});
    for (CDeviceAccessManager* access : std::initializer_list<CDeviceAccessManager*>{
             &manager.Sable(), &manager.QuillUsb(), &manager.QuillNetwork()}) {
        DeviceRecords& records = access->MutableRecords();
        records.deviceInfo.serialNumber = L"CN0000";
        records.deviceInfo.totalImpressions = 12;
        records.inkList.resize(2);
        records.printHeadList.resize(1);
    }
    SetPrinterRegionText(L"Europe");
    CPrgsDlg::SetMinimumShowTime(0);
    CPrgsDlg popup;
    for (CDeviceAccessManager* access : std::initializer_list<CDeviceAccessManager*>{
             &manager.Sable(), &manager.QuillUsb(), &manager.QuillNetwork()}) {
        const DeviceRecords records = access->Records();
        EXPECT_EQ(records.deviceInfo.serialNumber, L"Not available");
        EXPECT_EQ(records.deviceInfo.totalImpressions, -1);
        EXPECT_TRUE(records.inkList.empty());
        EXPECT_TRUE(records.printHeadList.empty());
    }
    EXPECT_EQ(PrinterRegionText(), L"Europe") << "only an ink read resets the region";
    Run(popup, 2);
    EXPECT_EQ(PrinterRegionText(), L"Not available");
}

namespace {

// The simulator's Sable printer (tests/ui/simulation.scenario) as the selection page lists it.
Device_Dev SimulatorPrinter()
{
    Device_Dev device = DemoPrinters()[0];
    device.deviceName = device.friendlyName = device.printerName = L"Kelo Workline 4420 Series (127.0.14.10)";
    device.address = L"127.0.14.10";
    return device;
}

// Everything the simulator's printer was sent: HTTP requests, raw print jobs, SNMP sets.
int Heard(const SimControl& sim)
{
    return sim.Count("sim-sable", "http-requests") + sim.Count("sim-sable", "print-jobs") +
           sim.Count("sim-sable", "sets");
}

class Simulation : public MainWindow {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sim_.Ready()) << "no simulator (KELO_SABLE_SIM_READY)";
        ASSERT_TRUE(sim_.Post("/printers/sim-sable/clear", ""));
        savedBox_ = CSecretMenuDlg::messageBox;
        CSecretMenuDlg::messageBox = [this](HWND, const std::wstring& text, const std::wstring&, UINT) {
            codeWindowBoxes_.push_back(text);
            return IDOK;
        };
    }
    void TearDown() override { CSecretMenuDlg::messageBox = savedBox_; }

    // Chooses `item` with the code window answered by `answer` (run while it is open).
    void ChooseWithCodeWindow(UINT item, const std::function<void(HWND codeWindow)>& answer)
    {
        bool answered = false;
        {
            WhileModal driver([&] {
                HWND codeWindow = VisibleThreadWindow(L"Kelo Tessaly 3.1");
                if (codeWindow == nullptr)
                    return false;
                answer(codeWindow);
                answered = true;
                if (::IsWindow(codeWindow) && HasVisibleStyle(codeWindow))
                    ::SendMessageW(codeWindow, WM_CLOSE, 0, 0);
                return true;
            });
            ::SendMessageW(Main(), WM_COMMAND, item, 0);
        }
        EXPECT_TRUE(answered);
        PumpWaiting();
    }

    SimControl sim_;
    std::vector<std::wstring> codeWindowBoxes_;
    decltype(CSecretMenuDlg::messageBox) savedBox_;
};

void Type(HWND codeWindow, const wchar_t* text) { ::SetDlgItemTextW(codeWindow, IDC_SIMULATION_CODE, text); }
void Press(HWND codeWindow, int id)
{
    ::SendMessageW(codeWindow, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(codeWindow, id)));
}

} // namespace

TEST_F(Simulation, EachMenuItemReachesItsPageAndNoPrinterHearsOfIt)
{
    const struct {
        UINT item;
        int command;
    } items[] = {
        {ID_SIMULATE_CONNECTIVITY, wizard::kCmdStatusFault}, {ID_SIMULATE_PRINT_TEST_FAIL, wizard::kCmdPrintFailed},
        {ID_SIMULATE_PRINT_BAD, wizard::kCmdPrintBad},        {ID_SIMULATE_NO_PRINT, wizard::kCmdNoPrint},
        {ID_SIMULATE_COPY_FAILED, wizard::kCmdNoCopy},        {ID_SIMULATE_COPY_BAD, wizard::kCmdCopyBad},
        {ID_SUCCESS_DEVICE_STATUS, wizard::kCmdPrintTest},    {ID_SUCCESS_PRINT_TEST, wizard::kCmdPrintEvaluation},
        {ID_SUCCESS_PRINT_EVALUATION, wizard::kCmdCopyTest},  {ID_SUCCESS_COPY_TEST, wizard::kCmdCopyEvaluation},
        {ID_SUCCESS_COPY_EVALUATION, wizard::kCmdFinal},
    };
    for (const auto& c : items) {
        SCOPED_TRACE(testing::Message() << "menu item " << c.item);
        Open({SimulatorPrinter()});
        ::SendMessageW(Main(), WM_COMMAND, c.item, 0);
        PumpWaiting();
        EXPECT_TRUE(manager_->ErrorSimulationActive());
        EXPECT_EQ(window_->Wizard().InitialPageCommand(), c.command);
        const CDialogBase* page = window_->Wizard().CurrentPage();
        EXPECT_TRUE(page != nullptr && HasVisibleStyle(page->GetSafeHwnd()));
        if (c.item == ID_SIMULATE_CONNECTIVITY) {
            const auto* status = dynamic_cast<const CDeviceStatusDlg*>(page);
            ASSERT_NE(status, nullptr);
            EXPECT_EQ(status->Variant(), wizard::kCmdStatusFault);
            EXPECT_EQ(status->SimulatedStatusCode(), wizard::kStatusUnreadable);
        }
        if (c.item == ID_SUCCESS_COPY_EVALUATION) {
            EXPECT_NE(dynamic_cast<const CFinalDlg*>(page), nullptr);
        }
        window_.reset();
    }
    PumpFor(300ms);
    EXPECT_EQ(Heard(sim_), 0) << "a simulated outcome reached the printer";
}

TEST_F(Simulation, TheStatusCodeWindowChecksTheCodeAndSimulatesTheChosenStatus)
{
    Open({SimulatorPrinter()});
    bool offeredAt8 = true, offeredAt70 = true, offeredAt5 = false;
    std::wstring afterRefusal, afterLetters;
    ChooseWithCodeWindow(ID_SIMULATE_STATUS_ERRORS, [&](HWND codeWindow) {
        EXPECT_EQ(ItemText(codeWindow, IDC_SIMULATION_LABEL), L"Device Status Error Code :");
        HWND box = ::GetDlgItem(codeWindow, IDC_DIRTY_POWER_UP);
        EXPECT_TRUE(HasVisibleStyle(box));
        Type(codeWindow, L"8");
        offeredAt8 = ::IsWindowEnabled(box);
        Type(codeWindow, L"70");
        offeredAt70 = ::IsWindowEnabled(box);
        Type(codeWindow, L"61");
        Press(codeWindow, IDC_SIMULATE_ERROR);
        afterRefusal = ItemText(codeWindow, IDC_SIMULATION_CODE);
        Type(codeWindow, L"abc");
        afterLetters = ItemText(codeWindow, IDC_SIMULATION_CODE);
        Type(codeWindow, L"5");
        offeredAt5 = ::IsWindowEnabled(box);
        ::CheckDlgButton(codeWindow, IDC_DIRTY_POWER_UP, BST_CHECKED);
        Press(codeWindow, IDC_SIMULATE_ERROR);
    });
    EXPECT_FALSE(offeredAt8) << "8 is a fault code";
    EXPECT_FALSE(offeredAt70);
    EXPECT_TRUE(offeredAt5);
    EXPECT_EQ(afterRefusal, L"0");
    EXPECT_EQ(afterLetters, L"0") << "letters keep the previous code";
    EXPECT_EQ(codeWindowBoxes_, (std::vector<std::wstring>{L"Please verify the code you entered", L"Enter an integer."}));
    EXPECT_EQ(manager_->SimulatedErrorKind(), kSimulatedStatusError);
    EXPECT_EQ(window_->Wizard().InitialPageCommand(), wizard::kCmdPowerLoss);
    const auto* status = dynamic_cast<const CDeviceStatusDlg*>(window_->Wizard().CurrentPage());
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->SimulatedStatusCode(), 5);
    EXPECT_EQ(status->Variant(), wizard::kCmdPowerLoss);
    EXPECT_EQ(Heard(sim_), 0);
}

TEST_F(Simulation, TheFeederCodeWindowTakesZeroToSix)
{
    Open({SimulatorPrinter()});
    ChooseWithCodeWindow(ID_SIMULATE_FEEDER_ERRORS, [&](HWND codeWindow) {
        EXPECT_EQ(ItemText(codeWindow, IDC_SIMULATION_LABEL), L"ADF Status Error Code :");
        EXPECT_FALSE(HasVisibleStyle(::GetDlgItem(codeWindow, IDC_DIRTY_POWER_UP)));
        Type(codeWindow, L"7");
        Press(codeWindow, IDC_SIMULATE_ERROR);
        EXPECT_TRUE(::IsWindow(codeWindow)) << "a refused code keeps the window open";
        Type(codeWindow, L"6");
        Press(codeWindow, IDC_SIMULATE_ERROR);
    });
    EXPECT_EQ(codeWindowBoxes_, std::vector<std::wstring>{L"Please verify the code you entered"});
    EXPECT_EQ(window_->Wizard().InitialPageCommand(), wizard::kCmdFeederError);
    EXPECT_EQ(window_->Wizard().SimulatedStatusCode(), 6);
}

TEST_F(Simulation, BackEndsTheSimulationAndTheNextDiagnosisTalksToThePrinter)
{
    Open({SimulatorPrinter()});
    ::SendMessageW(Main(), WM_COMMAND, ID_SIMULATE_PRINT_BAD, 0);
    PumpWaiting();
    ::SendMessageW(Main(), WM_COMMAND, kMenuBack, 0);
    EXPECT_FALSE(manager_->ErrorSimulationActive());
    EXPECT_EQ(window_->CurrentPageCommand(), kPageSelectPrinter);
    EXPECT_EQ(Heard(sim_), 0);

    HWND selection = window_->EnumeratePage().GetSafeHwnd();
    ClickRow(selection, 0);
    ::SendMessageW(selection, WM_COMMAND, MAKEWPARAM(IDC_DIAGNOSE, BN_CLICKED), 0);
    EXPECT_TRUE(PumpUntil([&] { return manager_->TestAt(kDeviceStatusTestIndex)->result != kTestNotRun; }, 15s))
        << "the wizard began where the simulation had left it";
    EXPECT_GT(sim_.Count("sim-sable", "http-requests"), 0) << "the real device status test read the printer";
}

TEST_F(Simulation, TheResetsPageAsksFirstAndSendsTheResetOnlyOnOk)
{
    Device_Dev unnamed = SimulatorPrinter();
    unnamed.friendlyName.clear();
    Open({unnamed});
    CResetsDlg& resets = window_->ResetsPage();
    ASSERT_NE(resets.GetSafeHwnd(), nullptr);
    EXPECT_EQ(ItemText(resets.GetSafeHwnd(), IDC_PAGE_HEADING),
              UiText(L"TSY_DIAGNOSE_HEADING") + L" " + unnamed.deviceName);
    EXPECT_EQ(ItemText(resets.GetSafeHwnd(), IDC_RESET_HEAD), UiText(L"TSY_RESETS_HEAD1"));
    EXPECT_FALSE(HasVisibleStyle(resets.GetDlgItem(IDC_MEMORY_RESET_BUTTON)));
    EXPECT_EQ(ItemText(resets.GetSafeHwnd(), IDC_MEMORY_RESET_HEAD), UiText(L"TSY_RESETS_HEAD2"));

    // No, and closing the window, send nothing; OK sends the command block to port 9100.
    const struct {
        UINT message;
        WPARAM command;
    } answers[] = {{WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED)}, {WM_CLOSE, 0}, {WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED)}};
    std::wstring caption, question;
    for (const auto& answer : answers) {
        bool asked = false;
        {
            WhileModal driver([&] {
                HWND confirmation = VisibleThreadWindow(UiText(L"TSY_TITLE_WARNING"));
                if (confirmation == nullptr)
                    return false;
                question = ItemText(confirmation, IDC_RESET_CONFIRMATION_TEXT);
                EXPECT_EQ(ItemText(confirmation, IDCANCEL), UiText(L"TSY_NO_BUTTON"));
                if (answer.message == WM_CLOSE)
                    SaveWindowPicture(confirmation, GalleryPath(L"resets_confirmation.bmp"));
                ::SendMessageW(confirmation, answer.message, answer.command, 0);
                asked = true;
                return true;
            });
            ClickButton(resets, IDC_RESET_BUTTON);
        }
        EXPECT_TRUE(asked);
        EXPECT_TRUE(resets.Reset().Wait(10000));
        if (answer.command != MAKEWPARAM(IDOK, BN_CLICKED)) {
            EXPECT_EQ(sim_.Count("sim-sable", "print-jobs"), 0) << answer.message;
        }
    }
    EXPECT_EQ(question, UiText(L"TSY_RESET_CONFIRMATION"));
    EXPECT_TRUE(resets.Reset().LastSucceeded());
    EXPECT_EQ(sim_.Get("/printers/sim-sable/received/print"), ResetCommandBlock());
    EXPECT_EQ(sim_.Count("sim-sable", "print-jobs"), 1);
}

