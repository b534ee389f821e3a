// The device status page and its troubleshooting steps window as real windows under Xvfb.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "TestFolder.h"
#include "app/AppMessages.h"
#include "app/DiagnosticMgr.h"
#include "app/GdiplusSupport.h"
#include "app/KeloTessalyApp.h"
#include "app/WizardRules.h"
#include "pages/DeviceStatusDlg.h"
#include "pages/TroubleShootDlg.h"
#include "pages/WizardPageRules.h"
#include "ui/Screenshot.h"
#include "winapi/ShellApi.h"

namespace {

using namespace std::chrono_literals;

std::wstring S(const wchar_t* key) { return theApp.Strings().GetString(key); }

// Records what would have been opened in the browser; never starts one.
class RecordingShell : public NGWinApi::CShellApi {
public:
    HINSTANCE ShellExecuteW(HWND, LPCWSTR verb, LPCWSTR file, LPCWSTR, LPCWSTR, INT) override
    {
        EXPECT_STREQ(verb, L"open");
        opened.emplace_back(file != nullptr ? file : L"");
        return reinterpret_cast<HINSTANCE>(result);
    }
    std::vector<std::wstring> opened;
    INT_PTR result = 42;
};

class PageEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        const char* source = std::getenv("KELO_SOURCE_DIR");
        ASSERT_NE(source, nullptr) << "KELO_SOURCE_DIR is not set";
        const std::string root = source;
        folder_ = std::make_unique<TestFolder>();
        folder_->Write(L"strings\\1033.xml", ReadWholeFile(WinePathOf(root + "/data/strings/1033.xml")));
        folder_->Write(L"config\\product_info.xml", ReadWholeFile(WinePathOf(root + "/data/config/product_info.xml")));
        // Should a support link ever be built here, it stays on this machine.
        folder_->Write(L"config\\support_links.xml",
                       "<?xml version=\"1.0\"?>\n<Hosts><Host ID=\"SUPPORT_HOST\" Value=\"127.0.0.1\"/>"
                       "<Host ID=\"MAIN_WEB_HOST\" Value=\"127.0.0.1\"/></Hosts>\n");
        kernel_ = std::make_unique<FakeExecutableFolder>(folder_->Path());
        previous_ = NGWinApi::Replace(static_cast<NGWinApi::CKernelApi*>(kernel_.get()));
        theApp.Strings().SetLanguageId(1033);
        theApp.Strings().SetLanguageFixed(true);
        ASSERT_TRUE(theApp.Strings().Load());
        gdiplus_ = std::make_unique<GdiplusSession>();
        theApp.LoadInterfaceResources();
    }
    void TearDown() override
    {
        gdiplus_.reset();
        NGWinApi::Replace(previous_);
        kernel_.reset();
        folder_.reset();
    }

private:
    std::unique_ptr<TestFolder> folder_;
    std::unique_ptr<FakeExecutableFolder> kernel_;
    NGWinApi::CKernelApi* previous_ = nullptr;
    std::unique_ptr<GdiplusSession> gdiplus_;
};

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new PageEnvironment);

void Pump(std::chrono::milliseconds time)
{
    const auto end = std::chrono::steady_clock::now() + time;
    while (std::chrono::steady_clock::now() < end) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// The page's parent: stands for the wizard (page commands) and the main window (WM_CLOSE).
struct Host {
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM w, LPARAM l)
    {
        if (message == WM_CLOSE) {
            ++closes;
            return 0;
        }
        if (message == kMsgPageCommand) {
            commands.push_back(static_cast<int32_t>(w));
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
            windowClass.lpszClassName = L"KeloStatusHost";
            ::RegisterClassW(&windowClass);
            return ::CreateWindowW(L"KeloStatusHost", L"Status host", WS_POPUP | WS_BORDER | WS_VISIBLE, 0, 0, 760,
                                   480, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
        }();
        closes = 0;
        commands.clear();
        return hwnd;
    }
    static inline int closes = 0;
    static inline std::vector<int32_t> commands;
};

std::wstring TextOf(HWND window)
{
    const int length = ::GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    ::GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<size_t>(length));
    return text;
}

bool Visible(HWND control) { return (::GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) != 0; }

std::wstring Lf(std::wstring text)
{
    for (size_t at = text.find(L"\\n"); at != std::wstring::npos; at = text.find(L"\\n", at + 1))
        text.replace(at, 2, L"\n");
    return text;
}

std::wstring CareText()
{
    std::wstring message = S(L"TSY_CUSTOMERCARE_DEVICE_STATUS_MSG");
    const std::wstring link = S(L"TSY_LINK_CUSTOMERCARE");
    message.replace(message.find(link), link.size(), L"<a>" + link + L"</a>");
    return message + L"\r\n\r\n" + S(L"TSY_ADDITIONAL_HELP_MSG");
}

class DeviceStatusPage : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto manager = std::make_unique<CDiagnosticMgr>();
        manager_ = manager.get();
        theApp.AdoptDiagnosisManager(std::move(manager));
        host_ = Host::Get();
        theApp.SetMainWindow(host_);
        theApp.ErrorTrail().clear();
        previousShell_ = NGWinApi::Replace(&shell_);
    }
    void TearDown() override
    {
        NGWinApi::Replace(previousShell_);
        page_.reset();
        theApp.AdoptDiagnosisManager(nullptr);
        theApp.SetMainWindow(nullptr);
        theApp.Strings().SetLanguageId(1033);
    }

    Device_Dev& AddPrinter(bool network, int32_t statusCode, bool adf = false)
    {
        Device_Dev device;
        device.deviceName = L"Kelo Homeline 2150";
        device.friendlyName = L"Office printer";
        device.productId = L"2312";
        device.isNetwork = network;
        // A USB interface that does not exist: its identification cannot be read.
        device.address = network ? L"127.0.0.1" : L"\\\\?\\usb#vid_0a7e&pid_2312#gone#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";
        device.statusCode = statusCode;
        device.adfStatus = adf;
        manager_->Devices().push_back(device);
        return manager_->Devices().back();
    }

    CDeviceStatusDlg& Page()
    {
        if (!page_) {
            page_ = std::make_unique<CDeviceStatusDlg>();
            EXPECT_TRUE(page_->Create(host_));
            ::SetWindowPos(page_->GetSafeHwnd(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
        }
        return *page_;
    }

    CDeviceStatusDlg& Prepare(int32_t variant, int32_t testIndex)
    {
        CDeviceStatusDlg& page = Page();
        manager_->SetCurrentTestIndex(testIndex);
        page.PreparePage(variant);
        return page;
    }

    HWND Item(int id) { return page_->GetDlgItem(id); }
    std::wstring Message() { return TextOf(Item(1027)); }
    std::vector<int> ShownOf(std::initializer_list<int> ids)
    {
        std::vector<int> shown;
        for (int id : ids)
            if (Visible(Item(id))) {
                EXPECT_TRUE(::IsWindowEnabled(Item(id))) << id;
                shown.push_back(id);
            } else {
                EXPECT_FALSE(::IsWindowEnabled(Item(id))) << id;
            }
        return shown;
    }
    std::vector<int> Shown()
    {
        return ShownOf({1000, 1002, 1005, 1020, 1032, 1035, 1036, 1037, 1038, 1041, 1092, 1146, 1211});
    }
    std::array<int32_t, 6> Rows()
    {
        std::array<int32_t, 6> icons{};
        for (int row = 0; row < 6; ++row)
            icons[static_cast<size_t>(row)] = page_->StepIconOf(row);
        return icons;
    }
    void Click(int id)
    {
        ::SendMessageW(page_->GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Item(id)));
    }
    void ClickLink(int id, UINT code = NM_CLICK)
    {
        NMLINK link = {};
        link.hdr.hwndFrom = Item(id);
        link.hdr.idFrom = static_cast<UINT_PTR>(id);
        link.hdr.code = code;
        ::SendMessageW(page_->GetSafeHwnd(), WM_NOTIFY, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&link));
    }
    void Picture(const wchar_t* name)
    {
        ::RedrawWindow(host_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Pump(200ms);
        EXPECT_TRUE(SaveWindowPicture(host_, std::wstring(L"Z:\\tmp\\device_status_") + name + L".bmp"));
    }

    CDiagnosticMgr* manager_ = nullptr;
    HWND host_ = nullptr;
    std::unique_ptr<CDeviceStatusDlg> page_;
    RecordingShell shell_;
    NGWinApi::CShellApi* previousShell_ = nullptr;
    // Links opened that start with the survey address.
    int Surveys() const
    {
        int count = 0;
        for (const std::wstring& link : shell_.opened)
            count += link.rfind(S(L"TSY_URL_FEEDBACK") + L"&q8=V", 0) == 0 ? 1 : 0;
        return count;
    }
};

using Ids = std::vector<int>;
using Icons = std::array<int32_t, 6>;
constexpr int32_t P = kStepPassed, F = kStepFailed, N = kStepNotRun;

TEST_F(DeviceStatusPage, AFaultAfterThePrintStepOffersTheTroubleshootingSteps)
{
    AddPrinter(true, 14);
    manager_->SetStatusVerdict(false);
    CDeviceStatusDlg& page = Prepare(17, 2);
    EXPECT_EQ(Message(), S(L"TSY_DEVID_ERROR_STATUS_MSG") + L"\r\n\r\n" + S(L"TSY_DEVID_STATUS_MSG_14") + L"\r\n\r\n" +
                             S(L"TSY_DEVICE_ERROR_MSG_14"));
    EXPECT_EQ(Shown(), (Ids{1000, 1002, 1005, 1038}));
    EXPECT_EQ(TextOf(Item(1038)), CareText());
    EXPECT_EQ(TextOf(Item(1000)), S(L"TSY_TROUBLESHOOT_BUTTON"));
    EXPECT_EQ(TextOf(Item(1005)), S(L"TSY_RETRY_BUTTON"));
    EXPECT_EQ(TextOf(Item(1002)), S(L"TSY_CANCEL_BUTTON"));
    EXPECT_EQ(TextOf(Item(kIdHeading)), S(L"TSY_DIAGNOSE_HEADING") + L" Office printer");
    EXPECT_EQ(page.ShownFlag(), 14);
    EXPECT_EQ(theApp.ErrorTrail(), L"@Error14");
    EXPECT_EQ(Rows(), (Icons{P, F, F, N, N, N}));
    EXPECT_FALSE(page.FrameMode());
    Picture(L"17_jam");
    // The page passes its focus on to Retry.
    ::SetFocus(page.GetSafeHwnd());
    EXPECT_EQ(::GetFocus(), Item(1005));

    // At the connectivity step the fault offers no troubleshooting.
    Prepare(17, 0);
    EXPECT_EQ(Shown(), (Ids{1002, 1005, 1038}));
    EXPECT_EQ(theApp.ErrorTrail(), L"@Error14@Error14");
    EXPECT_EQ(Rows(), (Icons{F, N, N, N, N, N}));
}

TEST_F(DeviceStatusPage, DocumentFeederConditionsUseTheFeederTexts)
{
    Device_Dev& printer = AddPrinter(true, 3, true);
    CDeviceStatusDlg& page = Prepare(22, 1);
    const std::wstring status = S(L"ADF_TSY_DEVID_STATUS_MSG_3");
    EXPECT_EQ(Message(), S(L"TSY_DEVID_ERROR_STATUS_MSG") + L"\r\n\r\n" + status + L"\r\n\r\n" +
                             S(L"ADF_TSY_DEVICE_ERROR_MSG_3"));
    EXPECT_EQ(Shown(), (Ids{1000, 1002, 1005, 1038}));
    EXPECT_EQ(theApp.ErrorTrail(), L"@not-ready-source-scanner," + status);
    Picture(L"22_adf_jam");
    // Feeder flags counted from 62 are reduced.
    printer.statusCode = 66;
    Prepare(22, 4);
    EXPECT_EQ(page.ShownFlag(), 4);
    EXPECT_EQ(Shown(), (Ids{1000, 1002, 1005, 1038}));
    // Not at the print evaluation step, and not for other feeder conditions: the framed care link.
    Prepare(22, 3);
    EXPECT_EQ(Shown(), (Ids{1002, 1005, 1032}));
    EXPECT_EQ(TextOf(Item(1032)), CareText());
    EXPECT_TRUE(page.FrameMode());
    Picture(L"22_framed");
    printer.statusCode = 17;
    Prepare(22, 3);
    EXPECT_EQ(Shown(), (Ids{1002, 1005, 1038}));
    EXPECT_FALSE(page.FrameMode());
}

TEST_F(DeviceStatusPage, PowerLossFirstThenTheSupportLinks)
{
    Device_Dev& printer = AddPrinter(true, 6);
    // The wizard's choice for an unknown condition depends on whether the power-loss form was shown.
    auto decide = [&] {
        return wizard::DecideOutcome({1, wizard::kOutcomeFailed, printer.statusCode, printer.adfStatus,
                                      manager_->Selected()->statusShown})
            .command.value_or(0);
    };
    ASSERT_EQ(decide(), 18);
    CDeviceStatusDlg& page = Prepare(18, 1);
    EXPECT_EQ(Message(), S(L"TSY_DEVID_ERROR_STATUS_MSG") + L"\r\n" + S(L"TSY_DEVID_STATUS_MSG_06") + L"\r\n\r\n" +
                             Lf(S(L"TSY_DIRTYPOWER_UP")));
    EXPECT_EQ(Shown(), (Ids{1002, 1005, 1038}));
    EXPECT_TRUE(manager_->Selected()->statusShown);
    Picture(L"18_power_loss");
    ASSERT_EQ(decide(), 16);
    Prepare(16, 1);
    EXPECT_EQ(Message(),
              S(L"TSY_DEVID_ERROR_STATUS_MSG") + L"\r\n" + S(L"TSY_DEVID_STATUS_MSG_06") + L"\r\n" + S(L"TSY_LINKMSG_STATUS"));
    EXPECT_EQ(Shown(), (Ids{1005, 1020, 1037, 1041, 1211}));
    EXPECT_EQ(TextOf(Item(1211)), S(L"TSY_LINK_KELO1") + L" <a>" + S(L"TSY_LINK_CUSTOMERCARE") + L"</a>");
    EXPECT_EQ(TextOf(Item(1041)), S(L"TSY_LINK_FORUM1") + L" <a>" + S(L"TSY_LINK_SUPPORTFORUM") + L"</a>");
    EXPECT_EQ(TextOf(Item(1037)), L"<a>" + S(L"TSY_LINK_FEEDBACK") + L"</a>");
    EXPECT_EQ(TextOf(Item(1020)), S(L"TSY_CLOSE_BUTTON"));
    EXPECT_EQ(theApp.ErrorTrail(), L"@Error6@Error6");
    EXPECT_FALSE(page.FrameMode());
    Picture(L"16_links");
    // Before any test ran (index -1) nothing joins the trail; other languages get no survey link.
    theApp.Strings().SetLanguageId(1036);
    Prepare(16, -1);
    EXPECT_EQ(theApp.ErrorTrail(), L"@Error6@Error6");
    EXPECT_EQ(Shown(), (Ids{1005, 1020, 1041, 1211}));
    EXPECT_EQ(reinterpret_cast<HFONT>(::SendMessageW(Item(1027), WM_GETFONT, 0, 0)), page.PageFont(4));
    EXPECT_EQ(reinterpret_cast<HFONT>(::SendMessageW(Item(1005), WM_GETFONT, 0, 0)), page.PageFont(5));
}

TEST_F(DeviceStatusPage, ManualResetShowsTheResetSteps)
{
    AddPrinter(true, 5);
    Prepare(26, 2);
    EXPECT_EQ(Message(), S(L"TSY_DEVID_ERROR_STATUS_MSG") + L"\r\n" + S(L"TSY_DEVID_STATUS_MSG_05") + L"\r\n\r\n" +
                             Lf(S(L"TSY_DIRTYPOWER_UP_STATUS")));
    EXPECT_EQ(Shown(), (Ids{1002, 1005, 1036, 1038, 1092, 1146}));
    EXPECT_EQ(TextOf(Item(1092)), S(L"TSY_RESETS_HEAD1"));
    EXPECT_EQ(TextOf(Item(1036)), Lf(S(L"TSY_DIRTYPOWER_UPMANUAL_STATUS")));
    EXPECT_NE(::SendMessageW(Item(1146), BM_GETIMAGE, IMAGE_ICON, 0), 0);
    EXPECT_EQ(theApp.ErrorTrail(), L"@Error5");
    Picture(L"26_manual_reset");
}

TEST_F(DeviceStatusPage, UnknownAndUnreadableStatusShowTheTextsOf61)
{
    // A network record's -1, and a USB identification that cannot be read.
    AddPrinter(true, -1);
    CDeviceStatusDlg& page = Prepare(17, 1);
    EXPECT_EQ(page.ShownFlag(), 61);
    EXPECT_NE(Message().find(S(L"TSY_DEVID_STATUS_MSG_61")), std::wstring::npos);
    EXPECT_EQ(theApp.ErrorTrail(), L"@Error61");
    manager_->Devices().clear();
    AddPrinter(false, 7);
    Prepare(18, 2);
    EXPECT_EQ(page.ShownFlag(), 61);
    // At the connectivity step a USB fault keeps the record's flag.
    Prepare(17, 0);
    EXPECT_EQ(page.ShownFlag(), 7);
    EXPECT_NE(Message().find(S(L"TSY_DEVID_STATUS_MSG_07")), std::wstring::npos);
}

TEST_F(DeviceStatusPage, APrintFailureWithoutStatus)
{
    AddPrinter(true, 0);
    manager_->SetStatusVerdict(true);
    CDeviceStatusDlg& page = Prepare(15, 2);
    EXPECT_EQ(Message(), S(L"TSY_PRINT_FAILED"));
    EXPECT_EQ(Shown(), (Ids{1005, 1020, 1037, 1041, 1211}));
    EXPECT_TRUE(page.FrameMode());
    EXPECT_EQ(manager_->CurrentTestIndex(), 2);
    EXPECT_EQ(theApp.ErrorTrail(), L"");
    EXPECT_EQ(Rows(), (Icons{P, P, F, N, N, N}));
    Picture(L"15_print_failed");
}

TEST_F(DeviceStatusPage, RetrySendsTheCommandOfTheStoppedStep)
{
    AddPrinter(true, 14);
    const struct {
        int32_t index, command, indexAfter;
    } cases[] = {{0, 23, 0}, {1, 23, 1}, {2, 2, 2}, {3, 2, 2}, {4, 8, 4}, {5, 8, 4}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.index);
        Host::commands.clear();
        CDeviceStatusDlg& page = Prepare(17, c.index);
        Click(1005);
        EXPECT_EQ(Host::commands, (std::vector<int32_t>{c.command}));
        EXPECT_EQ(manager_->CurrentTestIndex(), c.indexAfter);
        EXPECT_FALSE(::IsWindowVisible(page.GetSafeHwnd()));
        ::ShowWindow(page.GetSafeHwnd(), SW_SHOW);
    }
}

TEST_F(DeviceStatusPage, CancelAndClose)
{
    AddPrinter(true, 14);
    Prepare(17, 1);
    Click(1002);
    EXPECT_EQ(Host::commands, (std::vector<int32_t>{19}));
    EXPECT_EQ(Host::closes, 0);
    Prepare(17, 2);
    Click(1002);
    EXPECT_EQ(Host::closes, 1);
    Prepare(16, 2);
    Click(1020);
    EXPECT_EQ(Host::closes, 2);
    EXPECT_EQ(Host::commands, (std::vector<int32_t>{19}));
}

TEST_F(DeviceStatusPage, LinksOpenThroughTheShellAndLogFailures)
{
    AddPrinter(true, 14);
    Prepare(16, 2);
    ClickLink(1041);
    ClickLink(1036, NM_RETURN);
    ClickLink(1035);
    ASSERT_EQ(shell_.opened.size(), 3u);
    EXPECT_EQ(shell_.opened[0], S(L"TSY_URL_FORUM"));
    EXPECT_EQ(shell_.opened[1], S(L"TSY_URL_FORUM"));
    EXPECT_EQ(shell_.opened[2].rfind(L"http://127.0.0.1/apps/Nav?", 0), 0u) << shell_.opened[2];
    EXPECT_NE(shell_.opened[2].find(L"h_keyword="), std::wstring::npos);

    shell_.result = 2;
    {
        LogTail log;
        ClickLink(1041);
        EXPECT_NE(log.Appended().find("Error while opening link TSY_URL_FORUM."), std::string::npos);
    }
    {
        LogTail log;
        ClickLink(1035);
        EXPECT_NE(log.Appended().find("Error while opening link TSY_URL_KELO."), std::string::npos);
    }
    // The survey: the feedback link, and the care link after the copy steps.
    ClickLink(1037);
    EXPECT_EQ(Surveys(), 1);
    // After the copy steps the care link opens the survey too.
    Prepare(17, 5);
    ClickLink(1038);
    EXPECT_EQ(Surveys(), 2);
}

TEST_F(DeviceStatusPage, UnderSimulationThePageShowsThePretendedCodeAndIsInert)
{
    manager_->SetErrorSimulationActive(true);
    manager_->SetSimulatedErrorKind(2);
    CDeviceStatusDlg& page = Page();
    page.SetSimulatedStatusCode(3);
    Prepare(22, 0);
    EXPECT_EQ(manager_->CurrentTestIndex(), 1);
    EXPECT_EQ(page.ShownFlag(), 3);
    EXPECT_EQ(Shown(), (Ids{1000, 1002, 1005, 1038}));
    EXPECT_EQ(TextOf(Item(kIdHeading)), S(L"TSY_DIAGNOSE_HEADING") + L"  Kelo Dummy Printer");
    EXPECT_EQ(Rows(), (Icons{P, F, N, N, N, N}));
    Click(1005);
    Click(1000);
    for (int link : {1038, 1032, 1211, 1041, 1035, 1036, 1037})
        ClickLink(link);
    EXPECT_TRUE(Host::commands.empty());
    EXPECT_TRUE(shell_.opened.empty());
    EXPECT_TRUE(::IsWindowVisible(page.GetSafeHwnd()));
    // Cancel still leaves.
    Click(1002);
    EXPECT_EQ(Host::commands, (std::vector<int32_t>{19}));

    page.SetSimulatedStatusCode(61);
    Prepare(17, 0);
    EXPECT_EQ(Rows(), (Icons{F, N, N, N, N, N}));
    EXPECT_NE(Message().find(S(L"TSY_DEVID_STATUS_MSG_61")), std::wstring::npos);
}

// The troubleshooting window found among this thread's windows while it runs modally.
struct ModalWatch {
    std::wstring text;
    bool focusOnClose = false;
    bool seen = false;
};
ModalWatch g_modal;

BOOL CALLBACK InspectTroubleshooting(HWND window, LPARAM)
{
    HWND steps = ::GetDlgItem(window, 1048);
    if (steps == nullptr || !::IsWindowVisible(window))
        return TRUE;
    g_modal.seen = true;
    g_modal.text = TextOf(steps);
    g_modal.focusOnClose = ::GetFocus() == ::GetDlgItem(window, 1020);
    SaveWindowPicture(window, L"Z:\\tmp\\device_status_troubleshooting.bmp");
    ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(1020, BN_CLICKED), 0);
    return FALSE;
}

void CALLBACK CloseTroubleshooting(HWND, UINT, UINT_PTR timer, DWORD)
{
    ::EnumThreadWindows(::GetCurrentThreadId(), &InspectTroubleshooting, 0);
    if (g_modal.seen)
        ::KillTimer(nullptr, timer);
}

TEST_F(DeviceStatusPage, TheTroubleshootingButtonOpensTheStepsOfTheShownFlag)
{
    AddPrinter(true, 14);
    Prepare(17, 2);
    g_modal = {};
    ::SetTimer(nullptr, 0, 100, &CloseTroubleshooting);
    Click(1000);
    EXPECT_TRUE(g_modal.seen);
    EXPECT_EQ(g_modal.text, Lf(S(L"TSY_TROUBLESHOOT_STEPS_14")));
    EXPECT_TRUE(g_modal.focusOnClose);
    EXPECT_TRUE(Host::commands.empty());
}

TEST(TroubleShootWindow, TextPerCase)
{
    const struct {
        int32_t number;
        const wchar_t* key;
    } cases[] = {{9, L"TSY_TROUBLESHOOT_STEPS_09"}, {3, L"ADF_TSY_TROUBLESHOOT_STEPS_3"}, {5, nullptr}, {-1, nullptr}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.number);
        CTroubleShootDlg window;
        window.SetCase(c.number);
        ASSERT_TRUE(window.Create(nullptr));
        EXPECT_EQ(TextOf(window.GetDlgItem(1048)), c.key != nullptr ? Lf(S(c.key)) : L"");
        EXPECT_EQ(TextOf(window.GetDlgItem(1020)), S(L"TSY_CLOSE_BUTTON"));
        EXPECT_EQ(TextOf(window.GetSafeHwnd()), L"");
        window.DestroyWindow();
    }
}

} // namespace
