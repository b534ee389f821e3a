// The result pages, the USB-or-network question, the driver warning and the feedback survey as
// real windows under Xvfb. Links go to a shell stand-in (no browser); the support hosts point at
// loopback, where nothing answers, so every product link falls back to customer care.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "KeloDiagnosticCore.h"
#include "TestFolder.h"
#include "app/AppMessages.h"
#include "app/DiagnosticMgr.h"
#include "app/EnumerateDlg.h"
#include "app/GdiplusSupport.h"
#include "app/KeloTessalyApp.h"
#include "app/TSYParentDlg.h"
#include "pages/DriverVerificationDlg.h"
#include "pages/FeedbackDlg.h"
#include "pages/FinalDlg.h"
#include "pages/NoNetworkDlg.h"
#include "pages/NoPrintDlg.h"
#include "pages/NotListedDlg.h"
#include "pages/NotListedNetworkDlg.h"
#include "pages/NotSupportedDlg.h"
#include "pages/PrgsDlg.h"
#include "pages/PrintBadDlg.h"
#include "pages/USBNetworkPopup.h"
#include "ui/Screenshot.h"
#include "winapi/ShellApi.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

std::string SourceFile(const std::string& relative)
{
    const char* root = std::getenv("KELO_SOURCE_DIR");
    return root != nullptr ? ReadWholeFile(WinePathOf(std::string(root) + "/" + relative)) : std::string();
}

std::wstring TextOf(HWND window)
{
    wchar_t text[2048] = {};
    ::GetWindowTextW(window, text, 2048);
    return text;
}

std::wstring S(const wchar_t* key) { return theApp.Strings().GetString(key); }

bool Visible(HWND window) { return window != nullptr && (::GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE) != 0; }

void Pump()
{
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 5s)
{
    for (auto end = Clock::now() + limit; Clock::now() < end;) {
        Pump();
        if (done())
            return true;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return done();
}

// Runs `step` from a thread timer, which the modal loop of whatever dialog runs then dispatches,
// until it returns true.
class WhileModal {
public:
    explicit WhileModal(std::function<bool()> step) : step_(std::move(step))
    {
        current_ = this;
        timer_ = ::SetTimer(nullptr, 0, 30, &WhileModal::Tick);
    }
    ~WhileModal()
    {
        if (timer_ != 0)
            ::KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    WhileModal(const WhileModal&) = delete;
    WhileModal& operator=(const WhileModal&) = delete;

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD)
    {
        if (current_ == nullptr || id != current_->timer_ || current_->busy_)
            return;
        current_->busy_ = true;
        if (current_->step_()) {
            ::KillTimer(nullptr, current_->timer_);
            current_->timer_ = 0;
        }
        current_->busy_ = false;
    }
    static inline WhileModal* current_ = nullptr;
    std::function<bool()> step_;
    UINT_PTR timer_ = 0;
    bool busy_ = false;
};

// The visible top-level window of this thread captioned `title` (any when empty) other than `except`.
struct PopupSearch {
    const std::wstring* title;
    HWND except;
    HWND found;
};

BOOL CALLBACK MatchPopup(HWND hwnd, LPARAM param)
{
    auto* s = reinterpret_cast<PopupSearch*>(param);
    if (hwnd != s->except && ::IsWindowVisible(hwnd) && (s->title->empty() || TextOf(hwnd) == *s->title)) {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND ThreadPopup(const std::wstring& title, HWND except = nullptr)
{
    PopupSearch search = {&title, except, nullptr};
    ::EnumThreadWindows(::GetCurrentThreadId(), &MatchPopup, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Records what would have gone to the browser; answers `result`.
class RecordingShell : public NGWinApi::CShellApi {
public:
    HINSTANCE ShellExecuteW(HWND, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory,
                            INT show) override
    {
        opened.push_back(file != nullptr ? file : L"");
        verbs.push_back(verb != nullptr ? verb : L"");
        EXPECT_EQ(parameters, nullptr);
        EXPECT_EQ(directory, nullptr);
        EXPECT_EQ(show, SW_SHOWNORMAL);
        return reinterpret_cast<HINSTANCE>(result);
    }
    std::vector<std::wstring> opened, verbs;
    INT_PTR result = 33;
};

// The diagnostic core's network information, reporting settings: the computer has a network.
class NetworkInfoStandIn : public INetworkInfo {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_INetworkInfo) {
            *object = this;
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetNetworkSettings(VARIANT* settings) override
    {
        settings->vt = VT_UNKNOWN;
        settings->punkVal = this;
        return S_OK;
    }
};

// The diagnostic core is absent: enumeration finds nothing and, unless a test gives it network
// information, the computer reports no network.
class NoComponentCom : public NGWinApi::CComApi {
public:
    HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid, LPVOID* object) override
    {
        if (clsid == CLSID_NetworkInfo && networkPresent)
            return info.QueryInterface(iid, object);
        if (clsid == CLSID_NetworkInfo || clsid == CLSID_DeviceEnumerator) {
            ++componentRequests;
            *object = nullptr;
            return REGDB_E_CLASSNOTREG;
        }
        return CComApi::CoCreateInstance(clsid, outer, context, iid, object);
    }
    int componentRequests = 0;
    bool networkPresent = false;
    NetworkInfoStandIn info;
};

// One visible top-level window for the whole program, parent of the pages and the window the
// pages send their commands to (Wine takes seconds to let a visible top-level window go).
struct Host {
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM w, LPARAM l)
    {
        if (message == WM_CLOSE) {
            ++closes;
            return 0;
        }
        if (message == kMsgPageCommand) {
            wizardCommands.push_back(static_cast<int>(w));
            return 0;
        }
        if (message == kMsgPageCommandToMain) {
            mainCommands.push_back(static_cast<int>(w));
            return 0;
        }
        return ::DefWindowProcW(hwnd, message, w, l);
    }
    static HWND Get()
    {
        static HWND hwnd = [] {
            WNDCLASSW windowClass = {};
            windowClass.lpfnWndProc = &Host::Proc;
            windowClass.hInstance = ::GetModuleHandleW(nullptr);
            windowClass.hbrBackground = ::GetSysColorBrush(COLOR_3DFACE);
            windowClass.lpszClassName = L"KeloResultHost";
            ::RegisterClassW(&windowClass);
            return ::CreateWindowW(L"KeloResultHost", L"Result host", WS_POPUP | WS_BORDER | WS_VISIBLE, 0, 0, 760,
                                   560, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
        }();
        closes = 0;
        wizardCommands.clear();
        mainCommands.clear();
        return hwnd;
    }
    static inline int closes = 0;
    static inline std::vector<int> wizardCommands;
    static inline std::vector<int> mainCommands;
};

class ResultPages : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        INITCOMMONCONTROLSEX controls = {sizeof controls, 0xFF};
        ::InitCommonControlsEx(&controls);
        gdiplus_ = new GdiplusSession;
        ::OleInitialize(nullptr);
    }
    static void TearDownTestSuite()
    {
        ::OleUninitialize();
        delete gdiplus_;
    }

    ResultPages() : kernel_(folder_.Path()), scopedKernel_(kernel_), scopedShell_(shell_), scopedCom_(com_)
    {
        folder_.Write(L"strings\\1033.xml", SourceFile("data/strings/1033.xml"));
        folder_.Write(L"config\\product_info.xml", SourceFile("data/config/product_info.xml"));
        // Support portal and main web site on loopback, where no server answers.
        folder_.Write(L"config\\support_links.xml",
                      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SupportLinks>\n"
                      "  <Host ID=\"SUPPORT_HOST\" Value=\"127.0.0.1\"/>\n"
                      "  <Host ID=\"MAIN_WEB_HOST\" Value=\"127.0.0.1\"/>\n</SupportLinks>\n");
        XMLHandler& strings = theApp.Strings();
        strings.SetLanguageFixed(true);
        strings.SetLanguageId(1033);
        EXPECT_TRUE(strings.Load());
        static bool resourcesLoaded = false;
        if (!std::exchange(resourcesLoaded, true))
            theApp.LoadInterfaceResources();
        auto manager = std::make_unique<CDiagnosticMgr>();
        manager->BuildTests();
        manager_ = manager.get();
        theApp.AdoptDiagnosisManager(std::move(manager));
        host_ = Host::Get();
        theApp.SetMainWindow(host_);
        theApp.AnswerTrail().clear();
        theApp.ErrorTrail().clear();
        savedClock_ = surveyClock;
        CPrgsDlg::SetMinimumShowTime(20);
    }
    ~ResultPages() override
    {
        // Wine's SysLink deletes its font when it goes: no window may take a shared font along.
        EXPECT_EQ(::GetObjectType(theApp.AppFont(4)), static_cast<DWORD>(OBJ_FONT)) << "a shared font was deleted";
        surveyClock = savedClock_;
        CPrgsDlg::SetMinimumShowTime(kProgressMinimumShowMs);
        theApp.Strings().SetLanguageId(1033);
        theApp.SetMainWindow(nullptr);
        theApp.AdoptDiagnosisManager(nullptr);
        theApp.AnswerTrail().clear();
        theApp.ErrorTrail().clear();
    }

    // A USB printer whose device interface leads nowhere, selected.
    Device_Dev& AddUsbPrinter(const std::wstring& productId = L"2112", const std::wstring& friendlyName = L"")
    {
        Device_Dev device;
        device.deviceName = L"Printer X470 Series";
        device.friendlyName = friendlyName;
        device.address = L"\\\\?\\usb#vid_0a7e&pid_" + productId + L"#kelo-none#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";
        device.productId = productId;
        manager_->Devices().push_back(device);
        manager_->SetSelectedIndex(0);
        return manager_->Devices().back();
    }

    template <class Page>
    void Open(Page& page)
    {
        ASSERT_TRUE(page.Create(host_)) << ::GetLastError();
        RECT client;
        ::GetClientRect(host_, &client);
        ::SetWindowPos(page.GetSafeHwnd(), nullptr, 0, 0, client.right, client.bottom, SWP_NOZORDER | SWP_SHOWWINDOW);
    }

    static void Click(const CDialogBase& page, int id)
    {
        ::SendMessageW(page.GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                       reinterpret_cast<LPARAM>(page.GetDlgItem(id)));
    }
    static void Link(const CDialogBase& page, int id, UINT code = NM_CLICK)
    {
        NMLINK link = {};
        link.hdr.hwndFrom = page.GetDlgItem(id);
        link.hdr.idFrom = static_cast<UINT_PTR>(id);
        link.hdr.code = code;
        ::SendMessageW(page.GetSafeHwnd(), WM_NOTIFY, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&link));
    }
    static std::wstring Item(const CDialogBase& page, int id) { return TextOf(page.GetDlgItem(id)); }

    void Picture(HWND window, const wchar_t* name)
    {
        ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        PumpUntil([] { return false; }, 200ms);
        EXPECT_TRUE(SaveWindowPicture(window, L"Z:\\tmp\\rp\\" + std::wstring(name)));
    }

    static std::array<int32_t, 6> Rows(const CWizardPage& page)
    {
        std::array<int32_t, 6> icons{};
        for (int row = 0; row < 6; ++row)
            icons[static_cast<size_t>(row)] = page.StepIconOf(row);
        return icons;
    }

    static inline GdiplusSession* gdiplus_ = nullptr;
    TestFolder folder_;
    FakeExecutableFolder kernel_;
    NGWinApi::ScopedApi<NGWinApi::CKernelApi> scopedKernel_;
    RecordingShell shell_;
    NGWinApi::ScopedApi<NGWinApi::CShellApi> scopedShell_;
    NoComponentCom com_;
    NGWinApi::ScopedApi<NGWinApi::CComApi> scopedCom_;
    CDiagnosticMgr* manager_ = nullptr;
    HWND host_ = nullptr;
    std::function<SYSTEMTIME()> savedClock_;
};

using Icons = std::array<int32_t, 6>;

// A page's failure line: its message, the line break and the address on the next line.
bool Logged(const std::string& lines, const std::string& message, const std::string& address)
{
    const size_t at = lines.find(message);
    return at != std::string::npos && lines.find("\n" + address, at) != std::string::npos;
}

std::wstring LinkText(const wchar_t* linkKey, const wchar_t* textKey, const wchar_t* joint = L" ")
{
    return L"<a>" + S(linkKey) + L"</a>" + joint + S(textKey);
}

} // namespace

TEST_F(ResultPages, WizardPagesShowTheirTextsLinksAndSteps)
{
    AddUsbPrinter(L"2112", L"Office USB printer");
    manager_->SetStatusVerdict(false);
    {
        CPrintBadDlg page;
        Open(page);
        page.PreparePage(9);
        EXPECT_EQ(Item(page, kIdHeading), S(L"TSY_DIAGNOSE_HEADING") + L" Office USB printer");
        EXPECT_EQ(Item(page, 1027), S(L"TSY_DIAGNOSE_LOWLEVELPRINTTEST_FAIL"));
        EXPECT_EQ(Item(page, 1084), S(L"TSY_SERVICES_HEAD3"));
        EXPECT_EQ(Item(page, 1088), S(L"TSY_SERVICES_HEAD2"));
        EXPECT_EQ(Item(page, 1207), L"<a>" + S(L"TSY_TROUBLESHOOT_LINK") + L"</a>");
        EXPECT_EQ(Item(page, 1042), L"<a>" + S(L"TSY_LINK_FEEDBACK") + L"</a>");
        EXPECT_TRUE(Visible(page.GetDlgItem(1042)));
        EXPECT_EQ(Item(page, 1005), S(L"TSY_RETRY_BUTTON"));
        EXPECT_EQ(Item(page, 1020), S(L"TSY_CLOSE_BUTTON"));
        EXPECT_EQ(Rows(page), (Icons{kStepPassed, kStepFailed, kStepPassed, kStepFailed, kStepNotRun, kStepNotRun}));
        EXPECT_EQ(reinterpret_cast<HFONT>(::SendMessageW(page.GetDlgItem(1207), WM_GETFONT, 0, 0)), theApp.AppFont(6));
        Picture(host_, L"print_bad.bmp");
    }
    manager_->SetStatusVerdict(true);
    {
        CNoPrintDlg page;
        Open(page);
        page.PreparePage(10);
        EXPECT_EQ(Item(page, 1027), S(L"TSY_NOPRINT"));
        EXPECT_EQ(Item(page, 1043), LinkText(L"TSY_LINK_CUSTOMERCARE", L"TSY_LINK_KELO1"));
        EXPECT_EQ(Item(page, 1041), LinkText(L"TSY_LINK_SUPPORTFORUM", L"TSY_LINK_FORUM1"));
        EXPECT_TRUE(Visible(page.GetDlgItem(1042)));
        EXPECT_EQ(Rows(page), (Icons{kStepPassed, kStepPassed, kStepPassed, kStepFailed, kStepNotRun, kStepNotRun}));
        Picture(host_, L"no_print.bmp");
    }
    {
        CFinalDlg page;
        Open(page);
        page.PreparePage(12);
        page.RefreshShown();
        EXPECT_EQ(Item(page, 1030), S(L"TSY_HARDWAREPASSED_HEADING1"));
        EXPECT_EQ(Item(page, 1027), S(L"TSY_HARDWAREPASSED_MESSAGE1"));
        EXPECT_EQ(Item(page, 1046), LinkText(L"TSY_LINK_DOWNLOADDU", L"TSY_LINK_DU", L"\r\n"));
        EXPECT_EQ(Item(page, 1006), S(L"TSY_BACK_BUTTON"));
        EXPECT_EQ(Rows(page), (Icons{kStepPassed, kStepPassed, kStepPassed, kStepPassed, kStepPassed, kStepPassed}));
        Picture(host_, L"final.bmp");
    }
    // Other languages see no survey link.
    theApp.Strings().SetLanguageId(1036);
    CPrintBadDlg printBad;
    CNoPrintDlg noPrint;
    CFinalDlg final;
    for (CWizardPage* page : std::initializer_list<CWizardPage*>{&printBad, &noPrint, &final}) {
        Open(*page);
        page->PreparePage(0);
        EXPECT_FALSE(Visible(page->GetDlgItem(1042)));
        EXPECT_FALSE(::IsWindowEnabled(page->GetDlgItem(1042)));
        page->EndDialog(2);
    }
}

TEST_F(ResultPages, RetryPrintsAgainExceptUnderSimulation)
{
    AddUsbPrinter();
    CPrintBadDlg printBad;
    CNoPrintDlg noPrint;
    for (CWizardPage* page : std::initializer_list<CWizardPage*>{&printBad, &noPrint}) {
        Open(*page);
        page->PreparePage(9);
        Host::wizardCommands.clear();
        manager_->SetErrorSimulationActive(true);
        Click(*page, 1005);
        EXPECT_TRUE(Host::wizardCommands.empty());
        EXPECT_TRUE(Visible(page->GetSafeHwnd()));
        manager_->SetErrorSimulationActive(false);
        manager_->SetCurrentTestIndex(3);
        Click(*page, 1005);
        EXPECT_EQ(Host::wizardCommands, std::vector<int>{2});
        EXPECT_EQ(manager_->CurrentTestIndex(), 2);
        EXPECT_FALSE(Visible(page->GetSafeHwnd()));
        // Close goes to the parent's closing sequence.
        Host::closes = 0;
        Click(*page, 1020);
        EXPECT_EQ(Host::closes, 1);
    }
    // Under simulation the print bad page shows its own step picture.
    manager_->SetErrorSimulationActive(true);
    printBad.PreparePage(9);
    EXPECT_EQ(Rows(printBad), (Icons{kStepPassed, kStepPassed, kStepPassed, kStepCurrent, kStepNotRun, kStepNotRun}));
}

TEST_F(ResultPages, CleanAndAlignRunTheProgressPopupUnlessTheProductCannot)
{
    Device_Dev& printer = AddUsbPrinter(L"2112");
    CPrgsDlg::SetMinimumShowTime(300);
    CPrintBadDlg page;
    Open(page);
    page.PreparePage(9);
    for (auto [button, operation] : {std::pair{kPrintBadCleanId, DeviceOperation::CleanPrintheads},
                                     std::pair{kPrintBadAlignId, DeviceOperation::AlignPrintheads}}) {
        ASSERT_TRUE(::IsWindowEnabled(page.GetDlgItem(button)));
        bool popupSeen = false;
        {
            WhileModal watch([&] {
                popupSeen = popupSeen || CPrgsDlg::ShowingWindow() != nullptr;
                return popupSeen;
            });
            Click(page, button);
        }
        EXPECT_TRUE(popupSeen);
        EXPECT_EQ(page.LastServiceOperation(), operation);
        EXPECT_FALSE(::IsWindowEnabled(page.GetDlgItem(button)));
    }
    // Shown again: both usable again.
    page.PreparePage(9);
    EXPECT_TRUE(::IsWindowEnabled(page.GetDlgItem(kPrintBadCleanId)));
    EXPECT_TRUE(::IsWindowEnabled(page.GetDlgItem(kPrintBadAlignId)));

    // A product that can neither be cleaned nor aligned, its id in capitals.
    printer.productId = L"B311";
    page.PreparePage(9);
    for (int id : {kPrintBadCleanId, 1084, kPrintBadAlignId, 1088})
        EXPECT_FALSE(::IsWindowEnabled(page.GetDlgItem(id))) << id;
    EXPECT_TRUE(CleaningExcluded(L"aa11"));
    EXPECT_FALSE(AlignmentExcluded(L"2112"));

    // Under simulation the buttons do nothing.
    printer.productId = L"2112";
    page.PreparePage(9);
    manager_->SetErrorSimulationActive(true);
    Click(page, kPrintBadCleanId);
    EXPECT_TRUE(::IsWindowEnabled(page.GetDlgItem(kPrintBadCleanId)));
}

TEST_F(ResultPages, FinalBackStartsTheToolOver)
{
    AddUsbPrinter();
    CFinalDlg page;
    Open(page);
    page.PreparePage(12);
    theApp.AnswerTrail() = L"@PrintGood@CopyGood";
    theApp.ErrorTrail() = L"@Error14";
    manager_->SetNetworkSearchDone(true);
    manager_->SetCurrentTestIndex(5);

    manager_->SetErrorSimulationActive(true);
    Click(page, 1006);
    EXPECT_TRUE(Host::mainCommands.empty());
    EXPECT_EQ(theApp.AnswerTrail(), L"@PrintGood@CopyGood");
    manager_->SetErrorSimulationActive(false);

    Click(page, 1006);
    EXPECT_EQ(Host::mainCommands, std::vector<int>{1});
    EXPECT_TRUE(theApp.AnswerTrail().empty());
    EXPECT_TRUE(theApp.ErrorTrail().empty());
    EXPECT_FALSE(manager_->NetworkSearchDone());
    EXPECT_EQ(manager_->CurrentTestIndex(), 0);
    EXPECT_EQ(com_.componentRequests, 1) << "the printers are enumerated again";
    EXPECT_TRUE(manager_->Devices().empty()) << "the absent component found none";
    EXPECT_FALSE(Visible(page.GetSafeHwnd()));

    // Close closes the tool through the main window.
    Click(page, 1020);
    EXPECT_EQ(Host::closes, 1);
}

TEST_F(ResultPages, SurveyLinkForms)
{
    os_info os;
    os.name = "Microsoft Windows 7";
    os.version = "6.1";
    os.edition = "Ultimate Edition";
    os.servicePack = "Service Pack 1";
    os.bitness = "64 bit";
    SYSTEMTIME time = {};
    time.wYear = 2013;
    time.wMonth = 3;
    time.wDay = 7;
    time.wHour = 9;
    time.wMinute = 5;
    time.wSecond = 2;
    const std::wstring address = S(L"TSY_URL_FEEDBACK");

    // No printer: only the dialog builds a link, the no-device form with the time stamp.
    EXPECT_EQ(CurrentSurveyLink(SurveyCaller::Page, os, time), L"");
    EXPECT_EQ(CurrentSurveyLink(SurveyCaller::FeedbackDialog, os, time),
              address + L"&q8=V4.0.0.35@Microsoft Windows 7 Ultimate Edition Service Pack 1 - @64 bit User Aborted "
                        L"Before Diagnosse Mar 7 2013 9:5:2");
    time.wMonth = 12;
    time.wHour = 23;
    EXPECT_EQ(SurveyTimeStamp(time), L" Dec 7 2013 23:5:2");

    // A USB printer without friendly name, one status tag and the print bad answer.
    AddUsbPrinter();
    theApp.ErrorTrail() = L"@Error14";
    theApp.AnswerTrail() = L"@PrintBad";
    const std::wstring device =
        L"V4.0.0.35@Microsoft Windows 7 Ultimate Edition Service Pack 1 - 64 bit@Printer X470 Series@USB@Error14@PrintBad";
    EXPECT_EQ(CurrentSurveyLink(SurveyCaller::Page, os, time), address + L"&q8=" + device);
    EXPECT_EQ(CurrentSurveyLink(SurveyCaller::FeedbackDialog, os, time), address + L"&q8=" + device);

    // Empty trails end after the connection; an empty service pack leaves two blanks.
    theApp.ErrorTrail().clear();
    theApp.AnswerTrail().clear();
    manager_->Devices()[0].friendlyName = L"Office";
    manager_->Devices()[0].isNetwork = true;
    os.servicePack.clear();
    EXPECT_EQ(CurrentSurveyLink(SurveyCaller::Page, os, time),
              address + L"&q8=V4.0.0.35@Microsoft Windows 7 Ultimate Edition  - 64 bit@Office@Network");
    // A selection outside a non-empty list names no printer.
    manager_->SetSelectedIndex(4);
    EXPECT_EQ(CurrentSurveyLink(SurveyCaller::Page, os, time), L"");
}

TEST_F(ResultPages, PageLinksOpenTheirAddressesAndLogFailures)
{
    AddUsbPrinter();
    theApp.ErrorTrail() = L"@Error14";
    CNoPrintDlg noPrint;
    Open(noPrint);
    noPrint.PreparePage(10);

    Link(noPrint, 1042, NM_RETURN);
    ASSERT_EQ(shell_.opened.size(), 1u);
    EXPECT_EQ(shell_.verbs[0], L"open");
    EXPECT_EQ(shell_.opened[0].rfind(S(L"TSY_URL_FEEDBACK") + L"&q8=V4.0.0.35@", 0), 0u);
    EXPECT_NE(shell_.opened[0].find(L"@Printer X470 Series@USB@Error14"), std::wstring::npos);

    shell_.result = 2;
    {
        LogTail log;
        Link(noPrint, 1041);
        Link(noPrint, 1042);
        const std::string lines = log.Appended();
        EXPECT_TRUE(Logged(lines, "@CNoPrintDlg::OnNMClickSyslinkForum Page not found\r", "http://forum.kelo.example/"));
        EXPECT_NE(lines.find("Error while opening link TSY_URL_FEEDBACK."), std::string::npos);
    }
    {
        CFinalDlg final;
        Open(final);
        final.PreparePage(12);
        LogTail log;
        Link(final, 1041);
        Link(final, 1046);
        EXPECT_EQ(shell_.opened[shell_.opened.size() - 2], S(L"TSY_URL_FORUM"));
        EXPECT_EQ(shell_.opened.back(), S(L"TSY_URL_DU"));
        EXPECT_EQ(log.Appended().find("Page not found"), std::string::npos) << "the final page logs nothing";
    }
    shell_.result = 33;

    // Troubleshooting: the answer trail learns it, and the product link falls back to customer
    // care (the portal on loopback does not answer).
    CPrintBadDlg printBad;
    Open(printBad);
    printBad.PreparePage(9);
    Link(printBad, 1207);
    EXPECT_EQ(theApp.AnswerTrail(), L"@PQ Help");
    EXPECT_EQ(shell_.opened.back(), S(L"TSY_URL_KELO"));

    // Under simulation the wizard pages' links are inert.
    const size_t opened = shell_.opened.size();
    manager_->SetErrorSimulationActive(true);
    Link(printBad, 1207);
    Link(printBad, 1042);
    Link(noPrint, 1043);
    EXPECT_EQ(shell_.opened.size(), opened);
    EXPECT_EQ(theApp.AnswerTrail(), L"@PQ Help");
}

TEST_F(ResultPages, MainWindowPages)
{
    AddUsbPrinter(L"ffff", L"Mystery printer");
    {
        CNoNetworkDlg page;
        Open(page);
        page.PrepareNoNetworkPage();
        std::wstring message = S(L"TSY_NONETWORK_STRING1");
        for (size_t at; (at = message.find(L"\\n")) != std::wstring::npos;)
            message.replace(at, 2, L"\r\n");
        EXPECT_EQ(Item(page, 1023), message);
        EXPECT_EQ(Item(page, 1028), LinkText(L"TSY_LINK_CUSTOMERCARE", L"TSY_LINK_KELO1"));
        EXPECT_EQ(Item(page, 1029), LinkText(L"TSY_LINK_SUPPORTFORUM", L"TSY_LINK_FORUM1"));
        EXPECT_EQ(Item(page, 1031), LinkText(L"TSY_LINK_DOWNLOADDU", L"TSY_LINK_DU"));
        EXPECT_EQ(Item(page, 1006), S(L"TSY_BACK_BUTTON"));
        EXPECT_EQ(Item(page, IDCANCEL), S(L"TSY_CANCEL_BUTTON"));
        Picture(host_, L"no_network.bmp");
        // The main-window pages' links work under simulation too.
        manager_->SetErrorSimulationActive(true);
        shell_.result = 2;
        LogTail log;
        Link(page, 1028);
        Link(page, 1029);
        Link(page, 1031);
        const std::string lines = log.Appended();
        EXPECT_TRUE(Logged(lines, "@CNoNetworkDlg::OnNMClickSyslink1 Page not found\r",
                           "http://support.kelo.example/go/customercare"));
        EXPECT_NE(lines.find("@CNoNetworkDlg::OnNMClickSyslink2 Page not found"), std::string::npos);
        EXPECT_NE(lines.find("@CNoNetworkDlg::OnNMClickSyslink3 Page not found"), std::string::npos);
        EXPECT_EQ(shell_.opened, (std::vector<std::wstring>{S(L"TSY_URL_KELO"), S(L"TSY_URL_FORUM"), S(L"TSY_URL_DU")}));
        manager_->SetErrorSimulationActive(false);
        shell_.result = 33;
        Click(page, 1006);
        EXPECT_EQ(Host::mainCommands, std::vector<int>{1});
        EXPECT_FALSE(Visible(page.GetSafeHwnd()));
        Click(page, IDCANCEL);
        EXPECT_EQ(Host::closes, 1);
    }
    {
        Host::mainCommands.clear();
        CNotListedNetworkDlg page;
        Open(page);
        page.PrepareNotListedNetworkPage();
        EXPECT_EQ(Item(page, 1009).find(L"\\n"), std::wstring::npos);
        EXPECT_NE(Item(page, 1009).find(L"\r\n"), std::wstring::npos);
        EXPECT_EQ(Item(page, 1005), S(L"TSY_RETRY_BUTTON"));
        EXPECT_EQ(Item(page, IDCANCEL), S(L"TSY_EXIT_BUTTON"));
        Picture(host_, L"not_listed_network.bmp");
        // Without network settings Retry leads to the no network page.
        Click(page, 1005);
        EXPECT_EQ(Host::mainCommands, std::vector<int>{25});
        EXPECT_FALSE(Visible(page.GetSafeHwnd()));
        // With them it searches again, then shows the selection page.
        const auto savedSearch = CEnumerateDlg::searchNetworkPrinters;
        int searches = 0;
        CEnumerateDlg::searchNetworkPrinters = [&](HWND) {
            ++searches;
            EXPECT_TRUE(Host::mainCommands.size() == 1u) << "the search comes first";
        };
        com_.networkPresent = true;
        ::ShowWindow(page.GetSafeHwnd(), SW_SHOW);
        Click(page, 1005);
        com_.networkPresent = false;
        CEnumerateDlg::searchNetworkPrinters = savedSearch;
        EXPECT_EQ(searches, 1);
        EXPECT_EQ(Host::mainCommands, (std::vector<int>{25, 1}));
        EXPECT_FALSE(Visible(page.GetSafeHwnd()));
    }
    {
        Host::mainCommands.clear();
        CNotListedDlg page;
        Open(page);
        page.PrepareNotListedPage();
        EXPECT_EQ(Item(page, 1009), S(L"TSY_NOTLISTED_STRING0"));
        const std::wstring steps = S(L"TSY_NOTLISTED_STRING1") + L"\r\n" + S(L"TSY_NOTLISTED_STRING2") + L"\r\n\t" +
                                   S(L"TSY_NOTLISTED_STRING3") + L"\r\n\t" + S(L"TSY_NOTLISTED_STRING4") + L"\r\n" +
                                   S(L"TSY_NOTLISTED_STRING5") + L"\r\n" + S(L"TSY_NOTLISTED_STRING6") + L"\r\n" +
                                   S(L"TSY_NOTLISTED_STRING7") + L"\r\n" + S(L"TSY_NOTLISTED_STRING8");
        EXPECT_EQ(Item(page, 1010), steps);
        EXPECT_EQ(Item(page, 1011), L"");
        EXPECT_EQ(Item(page, 1031), S(L"TSY_EXIT_BUTTON"));
        EXPECT_EQ(reinterpret_cast<HFONT>(::SendMessageW(page.GetDlgItem(1009), WM_GETFONT, 0, 0)), theApp.AppFont(2));
        Picture(host_, L"not_listed.bmp");
        // Chinese (traditional) keeps the page's own fonts here, unlike the no network page.
        theApp.Strings().SetLanguageId(1028);
        EXPECT_EQ(page.RoleFont(4), page.PageFont(4));
        CNoNetworkDlg noNetwork;
        EXPECT_EQ(noNetwork.RoleFont(4), theApp.AppFont(4));
        theApp.Strings().SetLanguageId(1033);
        const int requests = com_.componentRequests;
        Click(page, 1005);
        EXPECT_EQ(Host::mainCommands, std::vector<int>{1});
        EXPECT_EQ(com_.componentRequests, requests + 1) << "Retry enumerates again";
        EXPECT_TRUE(manager_->Devices().empty());
    }
    {
        Host::mainCommands.clear();
        AddUsbPrinter(L"ffff", L"Mystery printer");
        manager_->SetNetworkSearchDone(true);
        CNotSupportedDlg page;
        Open(page);
        EXPECT_NE(Item(page, 1023).find(L"Mystery printer"), std::wstring::npos);
        EXPECT_EQ(Item(page, 1023).find(L"%s"), std::wstring::npos);
        Picture(host_, L"not_supported.bmp");
        // The forum link is live even under simulation, and logs its page's line on failure.
        manager_->SetErrorSimulationActive(true);
        shell_.result = 2;
        LogTail log;
        Link(page, 1029);
        EXPECT_NE(log.Appended().find("@CNotSupportedDlg::OnNMClickSyslink2 Page not found"), std::string::npos);
        manager_->SetErrorSimulationActive(false);
        shell_.result = 33;
        Click(page, 1006);
        EXPECT_EQ(Host::mainCommands, std::vector<int>{1});
        EXPECT_FALSE(manager_->NetworkSearchDone());
        EXPECT_TRUE(manager_->Devices().empty());
    }
}

TEST_F(ResultPages, UsbOrNetworkAndDriverVerificationCodes)
{
    const auto answer = [&](CDialogBase& dialog, int button, const wchar_t* picture) {
        HWND shown = nullptr;
        WhileModal press([&] {
            shown = dialog.GetSafeHwnd();
            if (shown == nullptr || !::IsWindowVisible(shown))
                return false;
            if (picture != nullptr)
                Picture(shown, picture);
            ::PostMessageW(shown, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
            return true;
        });
        return dialog.DoModal(host_);
    };
    {
        CUSBNetworkPopup popup;
        EXPECT_EQ(answer(popup, kUsbButtonId, L"usb_network.bmp"), IDCANCEL);
        CUSBNetworkPopup again;
        EXPECT_EQ(answer(again, kNetworkButtonId, nullptr), IDOK);
    }
    {
        CDriverVerificationDlg dialog;
        EXPECT_EQ(answer(dialog, kDriverContinueId, L"driver_verification.bmp"), IDOK);
        CDriverVerificationDlg again;
        EXPECT_EQ(answer(again, kDriverExitId, nullptr), IDCANCEL);
    }
    // The selection page's hooks run these windows.
    CUSBNetworkPopup texts;
    WhileModal check([&] {
        HWND hwnd = texts.GetSafeHwnd();
        if (hwnd == nullptr)
            return false;
        EXPECT_EQ(TextOf(::GetDlgItem(hwnd, kUsbNetworkTextId)), S(L"TSY_USBNETWORKPOPUP_STRING1"));
        EXPECT_EQ(TextOf(::GetDlgItem(hwnd, kUsbButtonId)), S(L"TSY_USB_STRING"));
        EXPECT_EQ(TextOf(::GetDlgItem(hwnd, kNetworkButtonId)), S(L"TSY_NETWORK_STRING"));
        ::PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(kNetworkButtonId, BN_CLICKED), 0);
        return true;
    });
    EXPECT_EQ(texts.DoModal(host_), IDOK);
    int seen = 0;
    WhileModal viaHook([&] {
        HWND popup = ThreadPopup(L"", host_);
        if (popup == nullptr || ::GetDlgItem(popup, kDriverExitId) == nullptr)
            return false;
        ++seen;
        EXPECT_EQ(TextOf(::GetDlgItem(popup, kDriverInfoTextId)), S(L"TSY_DRIVER_VERIFICATION_INFO"));
        ::PostMessageW(popup, WM_COMMAND, MAKEWPARAM(kDriverExitId, BN_CLICKED), 0);
        return true;
    });
    EXPECT_EQ(CEnumerateDlg::verifyDriver(host_), IDCANCEL);
    EXPECT_EQ(seen, 1);
}

TEST_F(ResultPages, FeedbackDialog)
{
    SYSTEMTIME fixed = {};
    fixed.wYear = 2013;
    fixed.wMonth = 3;
    fixed.wDay = 7;
    fixed.wHour = 9;
    fixed.wMinute = 5;
    fixed.wSecond = 2;
    surveyClock = [&] { return fixed; };
    {
        // "Yes" with no printer: the no-device form, then the dialog ends with 1.
        CFeedbackDlg dialog;
        WhileModal yes([&] {
            HWND hwnd = dialog.GetSafeHwnd();
            if (hwnd == nullptr || !::IsWindowVisible(hwnd))
                return false;
            EXPECT_EQ(TextOf(hwnd), L"Kelo Tessaly 4.0");
            EXPECT_EQ(TextOf(::GetDlgItem(hwnd, kFeedbackNoLinkId)), L"<a>No, Exit without taking survey</a>");
            EXPECT_EQ(TextOf(::GetDlgItem(hwnd, IDOK)), L"Yes, Exit taking survey");
            EXPECT_EQ(TextOf(::GetDlgItem(hwnd, kFeedbackTextId)).rfind(L"Kelo values your feedback.\n\nWe'd like", 0), 0u);
            Picture(hwnd, L"feedback.bmp");
            ::PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            return true;
        });
        EXPECT_EQ(dialog.DoModal(host_), IDOK);
        ASSERT_EQ(shell_.opened.size(), 1u);
        EXPECT_EQ(shell_.opened[0].rfind(S(L"TSY_URL_FEEDBACK") + L"&q8=V4.0.0.35@", 0), 0u);
        const std::wstring tail = L" User Aborted Before Diagnosse Mar 7 2013 9:5:2";
        ASSERT_GE(shell_.opened[0].size(), tail.size());
        EXPECT_EQ(shell_.opened[0].substr(shell_.opened[0].size() - tail.size()), tail);
    }
    {
        // Under simulation "Yes" does nothing; "No" closes without opening anything.
        manager_->SetErrorSimulationActive(true);
        CFeedbackDlg dialog;
        int ticks = 0;
        WhileModal steps([&] {
            HWND hwnd = dialog.GetSafeHwnd();
            if (hwnd == nullptr || !::IsWindowVisible(hwnd))
                return false;
            if (++ticks == 1) {
                ::SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
                return false;
            }
            EXPECT_TRUE(::IsWindowVisible(hwnd));
            Link(dialog, kFeedbackNoLinkId);
            return true;
        });
        EXPECT_EQ(dialog.DoModal(host_), IDOK);
        EXPECT_EQ(shell_.opened.size(), 1u);
        manager_->SetErrorSimulationActive(false);
    }
}

// Escape on a page of the real main window ends in the feedback dialog (English only).
TEST_F(ResultPages, EscapeClosesTheToolThroughTheFeedbackDialog)
{
    for (unsigned short language : {1036, 1033}) {
        SCOPED_TRACE(language);
        theApp.Strings().SetLanguageId(language);
        CTSYParentDlg window;
        ASSERT_TRUE(window.Create(nullptr));
        ::SendMessageW(window.GetSafeHwnd(), kMsgPageCommandToMain, 25, 0);
        CNoNetworkDlg& page = window.NoNetworkPage();
        ASSERT_TRUE(Visible(page.GetSafeHwnd()));
        int dialogs = 0;
        WhileModal closeIt([&] {
            HWND feedback = ThreadPopup(L"Kelo Tessaly 4.0", window.GetSafeHwnd());
            if (feedback == nullptr || ::GetDlgItem(feedback, kFeedbackNoLinkId) == nullptr)
                return false;
            ++dialogs;
            ::PostMessageW(feedback, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
            return true;
        });
        MSG escape = {page.GetDlgItem(1006), WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
        ::IsDialogMessageW(page.GetSafeHwnd(), &escape);
        Pump();
        EXPECT_EQ(dialogs, language == 1033 ? 1 : 0);
        EXPECT_EQ(shell_.opened.size(), 0u);
        theApp.SetMainWindow(host_);
    }
}
