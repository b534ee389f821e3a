// The device status page and its troubleshooting steps window as real windows under Xvfb.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/AppMessages.h"
#include "app/engine/DiagnosticMgr.h"
#include "app/KeloTessalyApp.h"
#include "app/WizardRules.h"
#include "pages/DeviceStatusDlg.h"
#include "pages/TroubleShootDlg.h"
#include "pages/WizardPageRules.h"
#include "ui/Screenshot.h"
#include "ui/WindowTestSupport.h"
#include "winapi/ShellApi.h"
#include "res/resource.h"

namespace {

using namespace std::chrono_literals;

[[maybe_unused]] WindowTestEnvironment& g_environment =
    WindowTestEnvironment::Install({.interfaceResources = true, .loopbackSupportLinks = true});

constexpr SIZE kHostSize = {760, 480};

std::wstring Lf(std::wstring text)
{
    for (size_t at = text.find(L"\\n"); at != std::wstring::npos; at = text.find(L"\\n", at + 1))
        text.replace(at, 2, L"\n");
    return text;
}

std::wstring CareText()
{
    std::wstring message = UiText(L"TSY_CUSTOMERCARE_DEVICE_STATUS_MSG");
    const std::wstring link = UiText(L"TSY_LINK_CUSTOMERCARE");
    message.replace(message.find(link), link.size(), L"<a>" + link + L"</a>");
    return message + L"\r\n\r\n" + UiText(L"TSY_ADDITIONAL_HELP_MSG");
}

class DeviceStatusPage : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto manager = std::make_unique<CDiagnosticMgr>();
        manager_ = manager.get();
        theApp.AdoptDiagnosisManager(std::move(manager));
        host_ = HostWindow::Get(kHostSize);
        theApp.SetMainWindow(host_);
        theApp.ErrorTrail().clear();
        previousShell_ = NGWinApi::Replace(&shell_);
    }
    void TearDown() override
    {
        NGWinApi::Replace(previousShell_);
        for (const std::wstring& verb : shell_.verbs)
            EXPECT_EQ(verb, L"open");
        page_.reset();
        theApp.AdoptDiagnosisManager(nullptr);
        theApp.SetMainWindow(nullptr);
        StringTable().SetLanguageId(1033);
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
    std::wstring Message() { return TextOf(Item(IDC_PAGE_MESSAGE)); }
    std::vector<int> ShownOf(std::initializer_list<int> ids)
    {
        std::vector<int> shown;
        for (int id : ids)
            if (HasVisibleStyle(Item(id))) {
                EXPECT_TRUE(::IsWindowEnabled(Item(id))) << id;
                shown.push_back(id);
            } else {
                EXPECT_FALSE(::IsWindowEnabled(Item(id))) << id;
            }
        return shown;
    }
    std::vector<int> Shown()
    {
        return ShownOf({IDC_TROUBLESHOOT, IDC_PAGE_CANCEL, IDC_RETRY, IDC_CLOSE, IDC_CARE_FRAMED, IDC_KEYWORD_HELP, IDC_MANUAL_STEPS, IDC_STATUS_FEEDBACK_LINK, IDC_STATUS_CARE_LINK, IDC_FORUM_LINK, IDC_RESETS_TITLE, IDC_STATUS_PICTURE, IDC_SUPPORT_LINK});
    }
    StepIcons Rows() { return StepIconsOf(*page_); }
    void Click(int id) { ClickButton(*page_, id); }
    void ClickLink(int id, UINT code = NM_CLICK) { ::ClickLink(*page_, id, code); }
    void Picture(const wchar_t* name)
    {
        EXPECT_TRUE(SavePictureWhenPainted(host_, GalleryPath(L"device_status_" + std::wstring(name) + L".bmp")));
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
            count += link.rfind(UiText(L"TSY_URL_FEEDBACK") + L"&q8=V", 0) == 0 ? 1 : 0;
        return count;
    }
};

using Ids = std::vector<int>;
constexpr int32_t P = kStepPassed, F = kStepFailed, N = kStepNotRun;

TEST_F(DeviceStatusPage, AFaultAfterThePrintStepOffersTheTroubleshootingSteps)
{
    AddPrinter(true, 14);
    manager_->SetStatusVerdict(false);
    CDeviceStatusDlg& page = Prepare(17, 2);
    EXPECT_EQ(Message(), UiText(L"TSY_DEVID_ERROR_STATUS_MSG") + L"\r\n\r\n" + UiText(L"TSY_DEVID_STATUS_MSG_14") + L"\r\n\r\n" +
                             UiText(L"TSY_DEVICE_ERROR_MSG_14"));
    EXPECT_EQ(Shown(), (Ids{1000, 1002, 1005, 1038}));
    EXPECT_EQ(TextOf(Item(IDC_STATUS_CARE_LINK)), CareText());
    EXPECT_EQ(TextOf(Item(IDC_TROUBLESHOOT)), UiText(L"TSY_TROUBLESHOOT_BUTTON"));
    EXPECT_EQ(TextOf(Item(IDC_RETRY)), UiText(L"TSY_RETRY_BUTTON"));
    EXPECT_EQ(TextOf(Item(IDC_PAGE_CANCEL)), UiText(L"TSY_CANCEL_BUTTON"));
    EXPECT_EQ(TextOf(Item(IDC_PAGE_HEADING)), UiText(L"TSY_DIAGNOSE_HEADING") + L" Office printer");
    EXPECT_EQ(page.ShownFlag(), 14);
    EXPECT_EQ(theApp.ErrorTrail(), L"@Error14");
    EXPECT_EQ(Rows(), (StepIcons{P, F, F, N, N, N}));
    EXPECT_FALSE(page.FrameMode());
    Picture(L"17_jam");
    // The page passes its focus on to Retry.
    ::SetFocus(page.GetSafeHwnd());
    EXPECT_EQ(::GetFocus(), Item(IDC_RETRY));

    // At the connectivity step the fault offers no troubleshooting.
    Prepare(17, 0);
    EXPECT_EQ(Shown(), (Ids{1002, 1005, 1038}));
    EXPECT_EQ(theApp.ErrorTrail(), L"@Error14@Error14");
    EXPECT_EQ(Rows(), (StepIcons{F, N, N, N, N, N}));
}

TEST_F(DeviceStatusPage, DocumentFeederConditionsUseTheFeederTexts)
{
    Device_Dev& printer = AddPrinter(true, 3, true);
    CDeviceStatusDlg& page = Prepare(22, 1);
    const std::wstring status = UiText(L"ADF_TSY_DEVID_STATUS_MSG_3");
    EXPECT_EQ(Message(), UiText(L"TSY_DEVID_ERROR_STATUS_MSG") + L"\r\n\r\n" + status + L"\r\n\r\n" +
                             UiText(L"ADF_TSY_DEVICE_ERROR_MSG_3"));
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
    EXPECT_EQ(TextOf(Item(IDC_CARE_FRAMED)), CareText());
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
    EXPECT_EQ(Message(), UiText(L"TSY_DEVID_ERROR_STATUS_MSG") + L"\r\n" + UiText(L"TSY_DEVID_STATUS_MSG_06") + L"\r\n\r\n" +
                             Lf(UiText(L"TSY_DIRTYPOWER_UP")));
    EXPECT_EQ(Shown(), (Ids{1002, 1005, 1038}));
    EXPECT_TRUE(manager_->Selected()->statusShown);
    Picture(L"18_power_loss");
    ASSERT_EQ(decide(), 16);
    Prepare(16, 1);
    EXPECT_EQ(Message(),
              UiText(L"TSY_DEVID_ERROR_STATUS_MSG") + L"\r\n" + UiText(L"TSY_DEVID_STATUS_MSG_06") + L"\r\n" + UiText(L"TSY_LINKMSG_STATUS"));
    EXPECT_EQ(Shown(), (Ids{1005, 1020, 1037, 1041, 1211}));
    EXPECT_EQ(TextOf(Item(IDC_SUPPORT_LINK)), UiText(L"TSY_LINK_KELO1") + L" <a>" + UiText(L"TSY_LINK_CUSTOMERCARE") + L"</a>");
    EXPECT_EQ(TextOf(Item(IDC_FORUM_LINK)), UiText(L"TSY_LINK_FORUM1") + L" <a>" + UiText(L"TSY_LINK_SUPPORTFORUM") + L"</a>");
    EXPECT_EQ(TextOf(Item(IDC_STATUS_FEEDBACK_LINK)), L"<a>" + UiText(L"TSY_LINK_FEEDBACK") + L"</a>");
    EXPECT_EQ(TextOf(Item(IDC_CLOSE)), UiText(L"TSY_CLOSE_BUTTON"));
    EXPECT_EQ(theApp.ErrorTrail(), L"@Error6@Error6");
    EXPECT_FALSE(page.FrameMode());
    Picture(L"16_links");
    // Before any test ran (index -1) nothing joins the trail; other languages get no survey link.
    StringTable().SetLanguageId(1036);
    Prepare(16, -1);
    EXPECT_EQ(theApp.ErrorTrail(), L"@Error6@Error6");
    EXPECT_EQ(Shown(), (Ids{1005, 1020, 1041, 1211}));
    EXPECT_EQ(reinterpret_cast<HFONT>(::SendMessageW(Item(IDC_PAGE_MESSAGE), WM_GETFONT, 0, 0)), page.PageFont(4));
    EXPECT_EQ(reinterpret_cast<HFONT>(::SendMessageW(Item(IDC_RETRY), WM_GETFONT, 0, 0)), page.PageFont(5));
}

TEST_F(DeviceStatusPage, ManualResetShowsTheResetSteps)
{
    AddPrinter(true, 5);
    Prepare(26, 2);
    EXPECT_EQ(Message(), UiText(L"TSY_DEVID_ERROR_STATUS_MSG") + L"\r\n" + UiText(L"TSY_DEVID_STATUS_MSG_05") + L"\r\n\r\n" +
                             Lf(UiText(L"TSY_DIRTYPOWER_UP_STATUS")));
    EXPECT_EQ(Shown(), (Ids{1002, 1005, 1036, 1038, 1092, 1146}));
    EXPECT_EQ(TextOf(Item(IDC_RESETS_TITLE)), UiText(L"TSY_RESETS_HEAD1"));
    EXPECT_EQ(TextOf(Item(IDC_MANUAL_STEPS)), Lf(UiText(L"TSY_DIRTYPOWER_UPMANUAL_STATUS")));
    EXPECT_NE(::SendMessageW(Item(IDC_STATUS_PICTURE), BM_GETIMAGE, IMAGE_ICON, 0), 0);
    EXPECT_EQ(theApp.ErrorTrail(), L"@Error5");
    Picture(L"26_manual_reset");
}

TEST_F(DeviceStatusPage, UnknownAndUnreadableStatusShowTheTextsOf61)
{
    // A network record's -1, and a USB identification that cannot be read.
    AddPrinter(true, -1);
    CDeviceStatusDlg& page = Prepare(17, 1);
    EXPECT_EQ(page.ShownFlag(), 61);
    EXPECT_NE(Message().find(UiText(L"TSY_DEVID_STATUS_MSG_61")), std::wstring::npos);
    EXPECT_EQ(theApp.ErrorTrail(), L"@Error61");
    manager_->Devices().clear();
    AddPrinter(false, 7);
    Prepare(18, 2);
    EXPECT_EQ(page.ShownFlag(), 61);
    // At the connectivity step a USB fault keeps the record's flag.
    Prepare(17, 0);
    EXPECT_EQ(page.ShownFlag(), 7);
    EXPECT_NE(Message().find(UiText(L"TSY_DEVID_STATUS_MSG_07")), std::wstring::npos);
}

TEST_F(DeviceStatusPage, APrintFailureWithoutStatus)
{
    AddPrinter(true, 0);
    manager_->SetStatusVerdict(true);
    CDeviceStatusDlg& page = Prepare(15, 2);
    EXPECT_EQ(Message(), UiText(L"TSY_PRINT_FAILED"));
    EXPECT_EQ(Shown(), (Ids{1005, 1020, 1037, 1041, 1211}));
    EXPECT_TRUE(page.FrameMode());
    EXPECT_EQ(manager_->CurrentTestIndex(), 2);
    EXPECT_EQ(theApp.ErrorTrail(), L"");
    EXPECT_EQ(Rows(), (StepIcons{P, P, F, N, N, N}));
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
        HostWindow::pageCommands.clear();
        CDeviceStatusDlg& page = Prepare(17, c.index);
        Click(IDC_RETRY);
        EXPECT_EQ(HostWindow::pageCommands, (std::vector<int32_t>{c.command}));
        EXPECT_EQ(manager_->CurrentTestIndex(), c.indexAfter);
        EXPECT_FALSE(::IsWindowVisible(page.GetSafeHwnd()));
        ::ShowWindow(page.GetSafeHwnd(), SW_SHOW);
    }
}

TEST_F(DeviceStatusPage, CancelAndClose)
{
    AddPrinter(true, 14);
    Prepare(17, 1);
    Click(IDC_PAGE_CANCEL);
    EXPECT_EQ(HostWindow::pageCommands, (std::vector<int32_t>{19}));
    EXPECT_EQ(HostWindow::closes, 0);
    Prepare(17, 2);
    Click(IDC_PAGE_CANCEL);
    EXPECT_EQ(HostWindow::closes, 1);
    Prepare(16, 2);
    Click(IDC_CLOSE);
    EXPECT_EQ(HostWindow::closes, 2);
    EXPECT_EQ(HostWindow::pageCommands, (std::vector<int32_t>{19}));
}

TEST_F(DeviceStatusPage, LinksOpenThroughTheShellAndLogFailures)
{
    AddPrinter(true, 14);
    Prepare(16, 2);
    ClickLink(IDC_FORUM_LINK);
    ClickLink(IDC_MANUAL_STEPS, NM_RETURN);
    ClickLink(IDC_KEYWORD_HELP);
    ASSERT_EQ(shell_.opened.size(), 3u);
    EXPECT_EQ(shell_.opened[0], UiText(L"TSY_URL_FORUM"));
    EXPECT_EQ(shell_.opened[1], UiText(L"TSY_URL_FORUM"));
    EXPECT_EQ(shell_.opened[2].rfind(L"http://127.0.0.1/apps/Nav?", 0), 0u) << shell_.opened[2];
    EXPECT_NE(shell_.opened[2].find(L"h_keyword="), std::wstring::npos);

    shell_.result = 2;
    {
        LogTail log;
        ClickLink(IDC_FORUM_LINK);
        EXPECT_NE(log.Appended().find("Error while opening link TSY_URL_FORUM."), std::string::npos);
    }
    {
        LogTail log;
        ClickLink(IDC_KEYWORD_HELP);
        EXPECT_NE(log.Appended().find("Error while opening link TSY_URL_KELO."), std::string::npos);
    }
    // The survey: the feedback link, and the care link after the copy steps.
    ClickLink(IDC_STATUS_FEEDBACK_LINK);
    EXPECT_EQ(Surveys(), 1);
    // After the copy steps the care link opens the survey too, and a refusal there is not logged.
    Prepare(17, 5);
    {
        LogTail log;
        ClickLink(IDC_STATUS_CARE_LINK);
        EXPECT_EQ(Surveys(), 2);
        EXPECT_EQ(log.Appended().find("Error while opening"), std::string::npos) << log.Appended();
        EXPECT_EQ(log.Appended().find("ShellExecute"), std::string::npos) << log.Appended();
    }
    // A refused forum link writes its own line once and nothing else.
    {
        LogTail log;
        ClickLink(IDC_FORUM_LINK);
        const std::string lines = log.Appended();
        EXPECT_EQ(lines.find("Error while opening link TSY_URL_FORUM."),
                  lines.rfind("Error while opening link TSY_URL_FORUM."));
        // Other programs of the prefix share the log (their start-up banners may land here): only
        // this page's kinds of line count.
        EXPECT_EQ(lines.find("ShellExecute"), std::string::npos) << lines;
        EXPECT_EQ(lines.find("Error while opening link TSY_URL_FORUM."), lines.find("Error while opening")) << lines;
    }
}

TEST_F(DeviceStatusPage, UnderSimulationThePageShowsThePretendedCodeAndIsInert)
{
    manager_->SetErrorSimulationActive(true);
    manager_->SetSimulatedErrorKind(kSimulatedFeederError);
    CDeviceStatusDlg& page = Page();
    page.SetSimulatedStatusCode(3);
    Prepare(22, 0);
    EXPECT_EQ(manager_->CurrentTestIndex(), 1);
    EXPECT_EQ(page.ShownFlag(), 3);
    EXPECT_EQ(Shown(), (Ids{1000, 1002, 1005, 1038}));
    EXPECT_EQ(TextOf(Item(IDC_PAGE_HEADING)), UiText(L"TSY_DIAGNOSE_HEADING") + L"  Kelo Dummy Printer");
    EXPECT_EQ(Rows(), (StepIcons{P, F, N, N, N, N}));
    Click(IDC_RETRY);
    Click(IDC_TROUBLESHOOT);
    for (int link : {1038, 1032, 1211, 1041, 1035, 1036, 1037})
        ClickLink(link);
    EXPECT_TRUE(HostWindow::pageCommands.empty());
    EXPECT_TRUE(shell_.opened.empty());
    EXPECT_TRUE(::IsWindowVisible(page.GetSafeHwnd()));
    // Cancel still leaves.
    Click(IDC_PAGE_CANCEL);
    EXPECT_EQ(HostWindow::pageCommands, (std::vector<int32_t>{19}));

    page.SetSimulatedStatusCode(61);
    Prepare(17, 0);
    EXPECT_EQ(Rows(), (StepIcons{F, N, N, N, N, N}));
    EXPECT_NE(Message().find(UiText(L"TSY_DEVID_STATUS_MSG_61")), std::wstring::npos);
}

// The troubleshooting window found among this thread's windows while it runs modally.
struct ModalWatch {
    std::wstring text;
    bool focusOnClose = false;
    bool seen = false;
    int waits = 0; // ticks spent waiting for the focus to arrive in the window
};
ModalWatch g_modal;

BOOL CALLBACK InspectTroubleshooting(HWND window, LPARAM)
{
    HWND steps = ::GetDlgItem(window, IDC_TROUBLESHOOT_STEPS);
    if (steps == nullptr || !::IsWindowVisible(window))
        return TRUE;
    // A loaded machine may show the window a tick before it activates; give the focus up to 3 s.
    if (!::IsChild(window, ::GetFocus()) && ++g_modal.waits < 30)
        return FALSE;
    g_modal.seen = true;
    g_modal.text = TextOf(steps);
    g_modal.focusOnClose = ::GetFocus() == ::GetDlgItem(window, IDC_CLOSE);
    EXPECT_EQ(LayoutFaults(window), "");
    SaveWindowPicture(window, GalleryPath(L"device_status_troubleshooting.bmp"));
    ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_CLOSE, BN_CLICKED), 0);
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
    Click(IDC_TROUBLESHOOT);
    EXPECT_TRUE(g_modal.seen);
    EXPECT_EQ(g_modal.text, Lf(UiText(L"TSY_TROUBLESHOOT_STEPS_14")));
    EXPECT_TRUE(g_modal.focusOnClose);
    EXPECT_TRUE(HostWindow::pageCommands.empty());
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
        EXPECT_EQ(TextOf(window.GetDlgItem(IDC_TROUBLESHOOT_STEPS)), c.key != nullptr ? Lf(UiText(c.key)) : L"");
        EXPECT_EQ(TextOf(window.GetDlgItem(IDC_CLOSE)), UiText(L"TSY_CLOSE_BUTTON"));
        EXPECT_EQ(TextOf(window.GetSafeHwnd()), UiText(L"TSY_TROUBLESHOOT_BUTTON")) << "named, not a blank title";
        window.DestroyWindow();
    }
}

} // namespace
