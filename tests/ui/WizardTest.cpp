// The wizard and its pages as real windows under Xvfb: scripted tests drive every branch of the
// state machine, and one run goes through the real tests against a simulated Sable printer.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "sable/SimControl.h"
#include "app/AppMessages.h"
#include "app/engine/DiagnosticMgr.h"
#include "app/KeloTessalyApp.h"
#include "app/WizardDlg.h"
#include "app/WizardRules.h"
#include "pages/ConnectivityDlg.h"
#include "pages/DeviceStatusDlg.h"
#include "pages/NoPrintDlg.h"
#include "pages/PrintEvaluationDlg.h"
#include "pages/PrintTestDlg.h"
#include "res/resource.h"
#include "ui/WindowTestSupport.h"

namespace {

using namespace std::chrono_literals;

WindowTestEnvironment& g_environment = WindowTestEnvironment::Install({});

constexpr SIZE kHostSize = {760, 500};

// A test object that answers what a case needs, optionally after the test lets it go.
class ScriptedTest : public CTest {
public:
    ScriptedTest(int32_t result, int32_t statusCode, bool adf) : result_(result), statusCode_(statusCode), adf_(adf)
    {
    }
    ~ScriptedTest() override
    {
        if (gate_ != nullptr)
            ::CloseHandle(gate_);
    }
    // Run waits until Release.
    void Hold() { gate_ = ::CreateEventW(nullptr, TRUE, FALSE, nullptr); }
    void Release() { ::SetEvent(gate_); }
    int Runs() const { return runs_; }

    int32_t Run(Device_Dev& device) override
    {
        if (gate_ != nullptr)
            ::WaitForSingleObject(gate_, 10000);
        device.statusCode = statusCode_;
        device.adfStatus = adf_;
        ++runs_;
        return result_;
    }

private:
    int32_t result_, statusCode_;
    bool adf_;
    HANDLE gate_ = nullptr;
    std::atomic<int> runs_{0};
};

// What the wizard was told, seen from a subclass of its window.
struct WizardWatch {
    const CWizardDlg* wizard = nullptr;
    std::vector<int32_t> commands;
    const CConnectivityDlg* connectivity = nullptr;
    std::vector<StepIcons> rowsAtConnectivity; // after each command 23
};

LRESULT CALLBACK WatchWizard(HWND hwnd, UINT message, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR data)
{
    auto* watch = reinterpret_cast<WizardWatch*>(data);
    if (message == kMsgPageCommand)
        watch->commands.push_back(static_cast<int32_t>(w));
    const LRESULT result = ::DefSubclassProc(hwnd, message, w, l);
    if (message == kMsgPageCommand && w == wizard::kCmdConnectivity) {
        watch->connectivity = dynamic_cast<const CConnectivityDlg*>(watch->wizard->CurrentPage());
        if (watch->connectivity != nullptr)
            watch->rowsAtConnectivity.push_back(StepIconsOf(*watch->connectivity));
    }
    if (message == WM_NCDESTROY)
        ::RemoveWindowSubclass(hwnd, &WatchWizard, 1);
    return result;
}

// The blink messages a page gets, with the icon its current row shows afterwards.
struct BlinkWatch {
    const CWizardPage* page = nullptr;
    std::vector<std::pair<int32_t, int32_t>> blinks;
};

LRESULT CALLBACK WatchBlinks(HWND hwnd, UINT message, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR data)
{
    auto* watch = reinterpret_cast<BlinkWatch*>(data);
    const LRESULT result = ::DefSubclassProc(hwnd, message, w, l);
    if (message == kMsgStepBlink)
        watch->blinks.emplace_back(static_cast<int32_t>(w),
                                   watch->page->StepIconOf(theApp.DiagnosisManager()->CurrentTestIndex()));
    if (message == WM_NCDESTROY)
        ::RemoveWindowSubclass(hwnd, &WatchBlinks, 2);
    return result;
}

// The step images as the application builds them, for pictures a person looks at.
HIMAGELIST StepImagesForPictures()
{
    static HIMAGELIST images = [] {
        HIMAGELIST list = ::ImageList_Create(30, 30, ILC_COLOR32, 0, 0);
        for (HBITMAP bitmap : {theApp.LoadPngResource(IDP_STEP_FAILED),
                               static_cast<HBITMAP>(::LoadImageW(::GetModuleHandleW(nullptr),
                                                                 MAKEINTRESOURCEW(IDB_STEP_NOTRUN), IMAGE_BITMAP, 0,
                                                                 0, LR_CREATEDIBSECTION)),
                               theApp.LoadPngResource(IDP_STEP_PASSED), theApp.LoadPngResource(IDP_STEP_CURRENT)}) {
            ::ImageList_Add(list, bitmap, nullptr);
            ::DeleteObject(bitmap);
        }
        return list;
    }();
    return images;
}

class WizardFlow : public WizardInHost {
protected:
    void Begin() override
    {
        BeginWizardHost(kHostSize);
        watch_ = WizardWatch{};
    }
    void Finish() override { EndWizardHost(g_environment.Kernel(), 10s); }

    Device_Dev& AddNetworkPrinter(const wchar_t* friendlyName = L"Office printer",
                                  const wchar_t* address = L"127.0.11.99")
    {
        Device_Dev device;
        device.deviceName = L"Kelo Homeline 2150";
        device.friendlyName = friendlyName;
        device.address = address;
        device.productId = L"2112";
        device.isNetwork = true;
        manager_->Devices().push_back(device);
        return manager_->Devices().back();
    }

    // A USB printer whose device interface does not exist: its status cannot be read.
    Device_Dev& AddUsbPrinter()
    {
        manager_->Devices().push_back(GoneUsbPrinter());
        return manager_->Devices().back();
    }

    ScriptedTest& Script(int32_t index, int32_t result, int32_t statusCode = 0, bool adf = false)
    {
        auto test = std::make_unique<ScriptedTest>(result, statusCode, adf);
        ScriptedTest& scripted = *test;
        manager_->TestAt(index)->test = std::move(test);
        return scripted;
    }

    CWizardDlg& CreateWizard()
    {
        CWizardDlg& wizard = CreateWizardInHost();
        watch_.wizard = &wizard;
        ::SetWindowSubclass(wizard.GetSafeHwnd(), &WatchWizard, 1, reinterpret_cast<DWORD_PTR>(&watch_));
        return wizard;
    }

    // The wizard on its connectivity page, whose test waits until the case releases it.
    ScriptedTest& StartHeldConnectivityRun()
    {
        AddNetworkPrinter();
        ScriptedTest& connectivity = Script(0, kRunFailed);
        connectivity.Hold();
        CreateWizard().Reset();
        return connectivity;
    }

    // Runs the current test index `index` as a page's retry does (page command 2).
    void RetryAt(int32_t index)
    {
        manager_->SetCurrentTestIndex(index);
        ::SendMessageW(wizard_->GetSafeHwnd(), kMsgPageCommand, wizard::kCmdRetryTest, 0);
    }

    bool CommandsReach(size_t count, std::chrono::milliseconds limit = 10s)
    {
        return PumpUntil([&] { return watch_.commands.size() >= count; }, limit);
    }

    bool BlinkTimerRuns() const
    {
        // Killing a timer that exists succeeds; it is set again when the next test starts.
        return ::KillTimer(wizard_->GetSafeHwnd(), 100) != FALSE;
    }

    WizardWatch watch_;
};

using Commands = std::vector<int32_t>;

TEST_F(WizardFlow, PassingTestsRunOnTheConnectivityPageThenThePrintTestPageShows)
{
    AddNetworkPrinter();
    Script(0, kRunPassed);
    Script(1, kRunPassed, 0);
    CWizardDlg& wizard = CreateWizard();
    EXPECT_EQ(manager_->NotifyWindow(), wizard.GetSafeHwnd());
    EXPECT_EQ(wizard.CurrentPage(), nullptr);

    wizard.Reset();
    ASSERT_TRUE(PumpUntil([&] { return PageShows(Current<CPrintTestDlg>()); }));
    EXPECT_EQ(watch_.commands, (Commands{23, 23, 19}));
    EXPECT_EQ(Current<CPrintTestDlg>()->PreparedCommand(), 19);
    ASSERT_NE(watch_.connectivity, nullptr);
    EXPECT_FALSE(PageShows(watch_.connectivity));
    // The connectivity page's rows: the connectivity step runs, then the device status step.
    EXPECT_EQ(watch_.rowsAtConnectivity,
              (std::vector<StepIcons>{{kStepCurrent, kStepNotRun, kStepNotRun, kStepNotRun, kStepNotRun, kStepNotRun},
                                     {kStepPassed, kStepCurrent, kStepNotRun, kStepNotRun, kStepNotRun, kStepNotRun}}));
    EXPECT_EQ(manager_->CurrentTestIndex(), 1);
    EXPECT_EQ(manager_->TestAt(0)->result, kTestPassed);
    EXPECT_EQ(manager_->TestAt(1)->result, kTestPassed);
    EXPECT_EQ(::GetParent(Current<CPrintTestDlg>()->GetSafeHwnd()), wizard.GetSafeHwnd());
    EXPECT_FALSE(BlinkTimerRuns());
    EXPECT_GT(HostWindow::paints, 0);
}

TEST_F(WizardFlow, EachFailureShowsItsPage)
{
    enum class Start { Connectivity, Print };
    const struct {
        const char* name;
        bool usb;
        Start start;
        int32_t result, statusCode;
        bool adf, statusShown;
        Commands commands;
    } cases[] = {
        {"USB printer unreachable, status unreadable", true, Start::Connectivity, kRunFailed, 0, false, false, {23, 17}},
        {"status failed: feeder over a fault code", false, Start::Connectivity, kRunFailed, 14, true, false, {23, 23, 22}},
        {"status failed: fault code", false, Start::Connectivity, kRunFailed, 14, false, false, {23, 23, 17}},
        {"status failed: first time", false, Start::Connectivity, kRunFailed, 5, false, false, {23, 23, 18}},
        {"status failed: shown before", false, Start::Connectivity, kRunFailed, 5, false, true, {23, 23, 16}},
        {"print failed, status clear", false, Start::Print, kRunFailed, 0, false, true, {2, 15}},
        {"print failed on USB, status unreadable", true, Start::Print, kRunFailed, 0, false, false, {2, 17}},
        {"print failed: first time", false, Start::Print, kRunFailed, 7, false, false, {2, 18}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        NextCase();
        Device_Dev& device = c.usb ? AddUsbPrinter() : AddNetworkPrinter();
        device.statusShown = c.statusShown;
        CWizardDlg& wizard = CreateWizard();
        if (c.start == Start::Connectivity) {
            Script(0, c.commands.size() == 2 ? c.result : kRunPassed);
            Script(1, c.result, c.statusCode, c.adf);
            wizard.Reset();
        } else {
            Script(2, c.result, c.statusCode, c.adf);
            RetryAt(2);
            EXPECT_TRUE(PageShows(Current<CPrintTestDlg>()));
            EXPECT_EQ(Current<CPrintTestDlg>()->PreparedCommand(), 2);
        }
        ASSERT_TRUE(CommandsReach(c.commands.size()));
        EXPECT_FALSE(BlinkTimerRuns());
        EXPECT_EQ(watch_.commands, c.commands);
        const auto* status = Current<CDeviceStatusDlg>();
        ASSERT_TRUE(PageShows(status));
        EXPECT_EQ(status->PreparedCommand(), c.commands.back());
        if (watch_.connectivity != nullptr) {
            EXPECT_FALSE(PageShows(watch_.connectivity));
        }
        EXPECT_EQ(manager_->TestAt(c.start == Start::Print ? 2 : static_cast<int32_t>(c.commands.size()) - 2)->result,
                  kTestFailed);
    }
}

TEST_F(WizardFlow, APrintThatWentOutShowsTheEvaluationPage)
{
    AddNetworkPrinter();
    Script(2, kRunPassed);
    CreateWizard();
    RetryAt(2);
    const auto* print = Current<CPrintTestDlg>();
    ASSERT_TRUE(PageShows(print));
    ASSERT_TRUE(PumpUntil([&] { return PageShows(Current<CPrintEvaluationDlg>()); }));
    EXPECT_EQ(watch_.commands, (Commands{2, 7}));
    EXPECT_EQ(manager_->CurrentTestIndex(), 3);
    EXPECT_EQ(Current<CPrintEvaluationDlg>()->PreparedCommand(), 7);
    EXPECT_FALSE(PageShows(print));
    EXPECT_FALSE(BlinkTimerRuns());
}

TEST_F(WizardFlow, ARetryAtTheConnectivityStepOnlyRunsTheTest)
{
    AddNetworkPrinter();
    ScriptedTest& connectivity = Script(0, kRunFailed);
    CreateWizard();
    RetryAt(0);
    ASSERT_TRUE(CommandsReach(2));
    EXPECT_EQ(watch_.commands, (Commands{2, 17}));
    EXPECT_EQ(connectivity.Runs(), 1);
    EXPECT_TRUE(PageShows(Current<CDeviceStatusDlg>()));
}

TEST_F(WizardFlow, ACancelledPrintDestroysTheWizard)
{
    AddNetworkPrinter();
    Script(2, kRunAbandon);
    CWizardDlg& wizard = CreateWizard();
    HWND hwnd = wizard.GetSafeHwnd();
    RetryAt(2);
    ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(hwnd); }));
    EXPECT_EQ(watch_.commands, (Commands{2}));
    EXPECT_EQ(wizard.GetSafeHwnd(), nullptr);
    EXPECT_EQ(manager_->TestAt(2)->result, kTestFailed);
    EXPECT_EQ(manager_->NotifyWindow(), nullptr);
    wizard.Reset(); // the wizard is not created again during this run
    EXPECT_EQ(watch_.commands, (Commands{2}));
}

TEST_F(WizardFlow, TheRunningStepBlinksUntilItsOutcome)
{
    ScriptedTest& connectivity = StartHeldConnectivityRun();
    const auto* page = Current<CConnectivityDlg>();
    ASSERT_NE(page, nullptr);
    BlinkWatch blinks{page, {}};
    ::SetWindowSubclass(page->GetSafeHwnd(), &WatchBlinks, 2, reinterpret_cast<DWORD_PTR>(&blinks));

    ASSERT_TRUE(PumpUntil([&] { return blinks.blinks.size() >= 3; }, 5s));
    using Blink = std::pair<int32_t, int32_t>;
    EXPECT_EQ(std::vector<Blink>(blinks.blinks.begin(), blinks.blinks.begin() + 3),
              (std::vector<Blink>{{kStepCurrent, kStepCurrent}, {kStepNotRun, kStepNotRun}, {kStepCurrent, kStepCurrent}}));
    // Only the current row blinks.
    EXPECT_EQ(page->StepIconOf(1), kStepNotRun);

    connectivity.Release();
    ASSERT_TRUE(CommandsReach(2));
    EXPECT_EQ(watch_.commands, (Commands{23, 17}));
    EXPECT_FALSE(BlinkTimerRuns());
    ::RemoveWindowSubclass(page->GetSafeHwnd(), &WatchBlinks, 2);
}

TEST_F(WizardFlow, TheHeadingNamesTheSelectedPrinter)
{
    const struct {
        const char* name;
        int devices;
        const wchar_t* friendlyName;
        std::wstring heading;
    } cases[] = {
        {"friendly name", 1, L"Office printer", L"Selected printer: Office printer"},
        {"no friendly name", 1, L"", L"Selected printer: Kelo Homeline 2150"},
        {"no printer at all", 0, L"", L"Selected printer:  Kelo Dummy Printer"},
    };
    ASSERT_EQ(UiText(L"TSY_DIAGNOSE_HEADING"), L"Selected printer:");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        NextCase();
        if (c.devices > 0)
            AddNetworkPrinter(c.friendlyName);
        Script(0, kRunFailed);
        CWizardDlg& wizard = CreateWizard();
        wizard.Reset();
        const auto* page = Current<CConnectivityDlg>();
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(TextOf(page->GetDlgItem(IDC_PAGE_HEADING)), c.heading);
        ASSERT_TRUE(CommandsReach(2)); // a test without a printer fails too
        EXPECT_EQ(TextOf(Current<CDeviceStatusDlg>()->GetDlgItem(IDC_PAGE_HEADING)), c.heading);
    }
}

namespace {

struct HeadedPages {
    std::vector<std::pair<int, RECT>> places; // the page's child id and where its heading is
};

BOOL CALLBACK CollectHeadedPage(HWND child, LPARAM param)
{
    wchar_t name[16] = {};
    ::GetClassNameW(child, name, 16);
    if (std::wstring(name) == L"#32770" && ::GetDlgItem(child, IDC_PAGE_HEADING) != nullptr &&
        ::GetDlgItem(child, IDC_STEP_LIST) != nullptr)
        reinterpret_cast<HeadedPages*>(param)->places.emplace_back(::GetDlgCtrlID(child), HeadingPlace(child));
    return TRUE;
}

} // namespace

// Going from page to page, the heading never jumps: every page with the step list has it at
// one place and size.
TEST_F(WizardFlow, EveryPageHasItsHeadingAtOnePlace)
{
    AddNetworkPrinter(L"Office printer");
    CWizardDlg& wizard = CreateWizard();
    HeadedPages pages;
    ::EnumChildWindows(wizard.GetSafeHwnd(), &CollectHeadedPage, reinterpret_cast<LPARAM>(&pages));
    ASSERT_GE(pages.places.size(), 9u) << "the wizard creates its pages up front";
    const RECT& first = pages.places.front().second;
    EXPECT_GT(first.left, 0) << "a margin from the page's edge";
    for (const auto& [id, place] : pages.places)
        EXPECT_TRUE(::EqualRect(&place, &first)) << "page " << id << ": " << place.left << "," << place.top << " "
                                                 << place.right - place.left << "x" << place.bottom - place.top;
}

TEST_F(WizardFlow, StepRowsCannotBeSelectedButTheirIconsChange)
{
    ScriptedTest& connectivity = StartHeldConnectivityRun();
    auto* page = const_cast<CConnectivityDlg*>(Current<CConnectivityDlg>());
    ASSERT_NE(page, nullptr);
    HWND list = page->GetDlgItem(IDC_STEP_LIST);
    EXPECT_EQ(ListView_GetItemCount(list), 6);
    wchar_t text[64] = {};
    ListView_GetItemText(list, 2, 1, text, 64);
    EXPECT_EQ(std::wstring(text), UiText(L"TSY_DIAGNOSE_LOWLEVELPRINTTEST"));

    RECT row = {};
    ListView_GetItemRect(list, 2, &row, LVIR_BOUNDS);
    const LPARAM point = MAKELPARAM((row.left + row.right) / 2, (row.top + row.bottom) / 2);
    ::PostMessageW(list, WM_LBUTTONUP, 0, point);
    ::SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, point);
    PumpUntil([] { return false; }, 100ms);
    ListView_SetItemState(list, 3, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    EXPECT_EQ(ListView_GetSelectedCount(list), 0u);
    EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_FOCUSED), -1);

    page->SetStepIcon(2, kStepPassed);
    EXPECT_EQ(page->StepIconOf(2), kStepPassed);
    ::SendMessageW(page->GetSafeHwnd(), kMsgStepBlink, kStepFailed, 0);
    EXPECT_EQ(page->StepIconOf(0), kStepFailed); // the current test's row
    ListView_GetItemText(list, 2, 1, text, 64);
    EXPECT_EQ(std::wstring(text), UiText(L"TSY_DIAGNOSE_LOWLEVELPRINTTEST"));

    connectivity.Release();
    ASSERT_TRUE(CommandsReach(2));
}

TEST_F(WizardFlow, ASimulatedOutcomeShowsItsPageWithoutRunningATest)
{
    ScriptedTest& connectivity = Script(0, kRunPassed);
    manager_->SetErrorSimulationActive(true);
    CWizardDlg& wizard = CreateWizard();
    wizard.SetInitialPageCommand(wizard::kCmdStatusFault);
    wizard.SetSimulatedStatusCode(61);
    wizard.Reset();
    EXPECT_EQ(watch_.commands, (Commands{17}));
    const auto* status = Current<CDeviceStatusDlg>();
    ASSERT_TRUE(PageShows(status));
    EXPECT_EQ(status->PreparedCommand(), 17);
    EXPECT_EQ(status->SimulatedStatusCode(), 61);
    // The status page explains a simulated code as found by the device status step.
    EXPECT_EQ(manager_->CurrentTestIndex(), 1);
    EXPECT_TRUE(g_environment.Kernel().Threads().empty());
    EXPECT_EQ(connectivity.Runs(), 0);
    // Outside simulation the page keeps no pretended code.
    manager_->SetErrorSimulationActive(false);
    wizard.SetSimulatedStatusCode(5);
    int paints = HostWindow::paints;
    ::SendMessageW(wizard.GetSafeHwnd(), kMsgPageCommand, wizard::kCmdPowerLoss, 0);
    EXPECT_EQ(status->SimulatedStatusCode(), 61);
    EXPECT_EQ(status->PreparedCommand(), 18);
    EXPECT_GT(HostWindow::paints, paints);
    // Every page command repaints the application's window, even one that changes nothing.
    paints = HostWindow::paints;
    ::SendMessageW(wizard.GetSafeHwnd(), kMsgPageCommand, 3, 0);
    EXPECT_GT(HostWindow::paints, paints);
    EXPECT_EQ(wizard.CurrentPage(), status);
}

TEST_F(WizardFlow, CloseOnTheConnectivityPageClosesTheTool)
{
    ScriptedTest& connectivity = StartHeldConnectivityRun();
    const auto* page = Current<CConnectivityDlg>();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(TextOf(page->GetDlgItem(IDC_CLOSE)), UiText(L"TSY_CLOSE_BUTTON"));
    ClickButton(*page, IDC_CLOSE);
    EXPECT_EQ(HostWindow::closes, 1);
    connectivity.Release();
    ASSERT_TRUE(CommandsReach(2));
}

// A page whose links report to the test.
class LinkPage : public CNoPrintDlg {
public:
    std::vector<int> clicked;

protected:
    void OnLinkClicked(int id) override { clicked.push_back(id); }
};

void Notify(HWND page, int id, UINT code)
{
    NMLINK link = {};
    link.hdr.hwndFrom = ::GetDlgItem(page, id);
    link.hdr.idFrom = static_cast<UINT_PTR>(id);
    link.hdr.code = code;
    ::SendMessageW(page, WM_NOTIFY, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&link));
}

TEST_F(WizardFlow, LinksAnswerClicksAndEnterExceptUnderSimulation)
{
    AddNetworkPrinter();
    LinkPage page;
    ASSERT_TRUE(page.Create(host_));
    HWND hwnd = page.GetSafeHwnd();
    EXPECT_EQ(TextOf(page.GetDlgItem(IDC_FORUM_LINK)),
              L"<a>" + UiText(L"TSY_LINK_SUPPORTFORUM") + L"</a> " + UiText(L"TSY_LINK_FORUM1"));
    // The survey link is offered to English users only.
    EXPECT_EQ(TextOf(page.GetDlgItem(IDC_FEEDBACK_LINK)), L"<a>" + UiText(L"TSY_LINK_FEEDBACK") + L"</a>");
    EXPECT_TRUE(::GetWindowLongW(page.GetDlgItem(IDC_FEEDBACK_LINK), GWL_STYLE) & WS_VISIBLE);
    EXPECT_TRUE(::IsWindowEnabled(page.GetDlgItem(IDC_FEEDBACK_LINK)));
    {
        StringTable().SetLanguageId(1036);
        LinkPage french;
        ASSERT_TRUE(french.Create(host_));
        StringTable().SetLanguageId(1033);
        EXPECT_FALSE(::GetWindowLongW(french.GetDlgItem(IDC_FEEDBACK_LINK), GWL_STYLE) & WS_VISIBLE);
        EXPECT_FALSE(::IsWindowEnabled(french.GetDlgItem(IDC_FEEDBACK_LINK)));
    }

    Notify(hwnd, 1041, NM_CLICK);
    Notify(hwnd, 1043, NM_RETURN);
    Notify(hwnd, IDC_STEP_LIST, NM_CLICK); // not a link
    EXPECT_EQ(page.clicked, (std::vector<int>{1041, 1043}));
    manager_->SetErrorSimulationActive(true);
    Notify(hwnd, 1041, NM_CLICK);
    Notify(hwnd, 1043, NM_RETURN);
    EXPECT_EQ(page.clicked, (std::vector<int>{1041, 1043}));
    // Cancel still closes the tool.
    ::SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_EQ(HostWindow::closes, 1);
}

TEST_F(WizardFlow, FontsFollowTheRoleAndTheLanguage)
{
    AddNetworkPrinter();
    const auto fontOf = [](const CDialogBase& page, int id) {
        return reinterpret_cast<HFONT>(::SendMessageW(page.GetDlgItem(id), WM_GETFONT, 0, 0));
    };
    for (unsigned short language : {1036, 1033}) {
        SCOPED_TRACE(language);
        StringTable().SetLanguageId(language);
        CPrintEvaluationDlg page;
        ASSERT_TRUE(page.Create(host_));
        const bool own = language == 1036;
        const FontRole roles[] = {FontRole::StepList, FontRole::Heading, FontRole::Message,
                                  FontRole::Button,   FontRole::Link,    FontRole::SmallLink};
        const int numbers[] = {1, 2, 4, 5, 4, 6};
        for (size_t i = 0; i < std::size(roles); ++i)
            EXPECT_EQ(page.RoleFont(roles[i]), own ? page.PageFont(numbers[i]) : theApp.AppFont(numbers[i])) << i;
        if (own) { // the application fonts exist only after start-up
            EXPECT_EQ(fontOf(page, IDC_STEP_LIST), page.PageFont(1));
            EXPECT_EQ(fontOf(page, IDC_PAGE_HEADING), page.PageFont(2));
            EXPECT_EQ(fontOf(page, IDC_PAGE_MESSAGE), page.PageFont(4));
            EXPECT_EQ(fontOf(page, IDC_PRINT_GOOD), page.PageFont(5));
        }
        // The evaluation page names the printer as the others do and shows icons in sub-items.
        EXPECT_EQ(TextOf(page.GetDlgItem(IDC_PAGE_HEADING)), L"Selected printer: Office printer");
        EXPECT_TRUE(ListView_GetExtendedListViewStyle(page.GetDlgItem(IDC_STEP_LIST)) & LVS_EX_SUBITEMIMAGES);
    }
    StringTable().SetLanguageId(1033);
}

// The whole engine: real Connectivity and Device Status Tests on the simulator's Sable printer.
TEST_F(WizardFlow, ASableNetworkPrinterThroughTheRealTests)
{
    SimControl sim;
    ASSERT_TRUE(sim.Ready()) << "no simulator (KELO_SABLE_SIM_READY)";
    // Slow answers keep the device status step on screen long enough for a picture.
    ASSERT_TRUE(sim.Settings("wizard-sable", "statuses = ready\nalert =\nfault.http = delay=600"));
    Device_Dev& printer = AddNetworkPrinter(L"Kelo Homeline 2150 (network)", L"127.0.11.10");
    printer.statusCode = -1;
    StringTable().SetLanguageId(1036); // the page fonts, which tests have
    CWizardDlg& wizard = CreateWizard();
    StringTable().SetLanguageId(1033);
    ::SetForegroundWindow(host_);

    wizard.Reset();
    ASSERT_TRUE(CommandsReach(2, 15s)) << "the connectivity test did not pass";
    const auto* connectivity = Current<CConnectivityDlg>();
    ASSERT_NE(connectivity, nullptr);
    ListView_SetImageList(connectivity->GetDlgItem(IDC_STEP_LIST), StepImagesForPictures(), LVSIL_SMALL);
    EXPECT_EQ(StepIconsOf(*connectivity)[0], kStepPassed);
    EXPECT_TRUE(SavePictureWhenPainted(host_, GalleryPath(L"wizard_connectivity.bmp")));

    ASSERT_TRUE(PumpUntil([&] { return PageShows(Current<CPrintTestDlg>()); }, 20s));
    EXPECT_EQ(watch_.commands, (Commands{23, 23, 19}));
    EXPECT_EQ(printer.statusCode, 0);
    EXPECT_TRUE(manager_->StatusVerdict());
    const auto* print = Current<CPrintTestDlg>();
    ListView_SetImageList(print->GetDlgItem(IDC_STEP_LIST), StepImagesForPictures(), LVSIL_SMALL);
    EXPECT_TRUE(SavePictureWhenPainted(host_, GalleryPath(L"wizard_print_test.bmp")));

    // A paper jam: the device status step fails with a fault code.
    ASSERT_TRUE(sim.Settings("wizard-sable",
                             "statuses = jamInPrinter\nalert = jamInPrinter severity=Error priority=1\nfault.http ="));
    watch_.commands.clear();
    wizard.Reset();
    ASSERT_TRUE(CommandsReach(3, 20s));
    EXPECT_EQ(watch_.commands, (Commands{23, 23, 17}));
    EXPECT_EQ(printer.statusCode, 14);
    EXPECT_FALSE(manager_->StatusVerdict());
    const auto* status = Current<CDeviceStatusDlg>();
    ASSERT_TRUE(PageShows(status));
    ListView_SetImageList(status->GetDlgItem(IDC_STEP_LIST), StepImagesForPictures(), LVSIL_SMALL);
    EXPECT_TRUE(SavePictureWhenPainted(host_, GalleryPath(L"wizard_device_status.bmp")));
    ASSERT_TRUE(sim.Settings("wizard-sable", "statuses = ready\nalert ="));
}

} // namespace
