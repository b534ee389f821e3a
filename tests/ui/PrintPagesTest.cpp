// The print test, print evaluation and copy pages inside the real wizard under Xvfb: the answers
// and the pages they lead to, with the real low-level print and the real status reads against
// simulated Sable printers on 127.0.13.x, and scripted tests where the engine is not the point.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "sable/SimControl.h"
#include "TestFolder.h"
#include "app/AppMessages.h"
#include "app/DiagnosticMgr.h"
#include "app/GdiplusSupport.h"
#include "app/KeloTessalyApp.h"
#include "app/WizardDlg.h"
#include "app/WizardRules.h"
#include "pages/CopyEvaluationDlg.h"
#include "pages/CopyFailedDlg.h"
#include "pages/CopyTestDlg.h"
#include "pages/ImageDlg.h"
#include "pages/PrintEvaluationDlg.h"
#include "pages/PrintTestDlg.h"
#include "tools/LowLevelPrintTest.h"
#include "ui/Screenshot.h"

namespace {

using namespace std::chrono_literals;

std::string EnvironmentText(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// The executable's folder is a scratch folder (strings, catalogue and print file beside it);
// the threads the pages start are kept so a test can wait for them.
class TestKernel : public FakeExecutableFolder {
public:
    using FakeExecutableFolder::FakeExecutableFolder;
    HANDLE CreateThread(LPSECURITY_ATTRIBUTES attributes, SIZE_T stackSize, LPTHREAD_START_ROUTINE start,
                        LPVOID parameter, DWORD flags, LPDWORD threadId) override
    {
        HANDLE thread = CKernelApi::CreateThread(attributes, stackSize, start, parameter, flags, threadId);
        HANDLE copy = nullptr;
        if (thread != nullptr && ::DuplicateHandle(::GetCurrentProcess(), thread, ::GetCurrentProcess(), &copy, 0,
                                                   FALSE, DUPLICATE_SAME_ACCESS)) {
            std::lock_guard lock(lock_);
            threads_.push_back(copy);
        }
        return thread;
    }
    std::vector<HANDLE> Threads()
    {
        std::lock_guard lock(lock_);
        return threads_;
    }
    void ForgetThreads()
    {
        std::lock_guard lock(lock_);
        for (HANDLE thread : threads_)
            ::CloseHandle(thread);
        threads_.clear();
    }

private:
    std::mutex lock_;
    std::vector<HANDLE> threads_;
};

TestKernel* g_kernel = nullptr;
const TestFolder* g_folder = nullptr;
const std::string kPrintJob = "\x1b%-12345X@PJL ENTER LANGUAGE=PCL3GUI\r\nKELO TEST PAGE\r\n\x1b%-12345X";

class PrintPagesEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        const std::string source = EnvironmentText("KELO_SOURCE_DIR");
        ASSERT_FALSE(source.empty()) << "KELO_SOURCE_DIR is not set";
        folder_ = std::make_unique<TestFolder>();
        folder_->Write(L"strings\\1033.xml", ReadWholeFile(WinePathOf(source + "/data/strings/1033.xml")));
        folder_->Write(L"config\\product_info.xml", ReadWholeFile(WinePathOf(source + "/data/config/product_info.xml")));
        folder_->Write(L"config\\corvid_small.prn", kPrintJob);
        g_folder = folder_.get();
        kernel_ = std::make_unique<TestKernel>(folder_->Path());
        previous_ = NGWinApi::Replace(static_cast<NGWinApi::CKernelApi*>(kernel_.get()));
        g_kernel = kernel_.get();
        theApp.Strings().SetLanguageId(1033);
        theApp.Strings().SetLanguageFixed(true);
        ASSERT_TRUE(theApp.Strings().Load());
        gdiplus_ = std::make_unique<GdiplusSession>();
        // Fonts, step icons and the expected-page pictures, as start-up makes them.
        theApp.LoadInterfaceResources();
    }
    void TearDown() override
    {
        gdiplus_.reset();
        NGWinApi::Replace(previous_);
        g_kernel = nullptr;
        kernel_.reset();
        g_folder = nullptr;
        folder_.reset();
    }

private:
    std::unique_ptr<TestFolder> folder_;
    std::unique_ptr<TestKernel> kernel_;
    NGWinApi::CKernelApi* previous_ = nullptr;
    std::unique_ptr<GdiplusSession> gdiplus_;
};

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new PrintPagesEnvironment);

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 10s)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
            if (done())
                return true;
        }
        if (done())
            return true;
        if (std::chrono::steady_clock::now() > end)
            return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// A test that answers as told, for the steps that are not the point of a case.
class ScriptedTest : public CTest {
public:
    explicit ScriptedTest(int32_t result) : result_(result) {}
    int32_t Run(Device_Dev&) override { return result_; }

private:
    int32_t result_;
};

// The main window and window to repaint in one; counts the closes the pages ask for.
struct Host {
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM w, LPARAM l)
    {
        if (message == WM_CLOSE) {
            ++closes;
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
            windowClass.lpszClassName = L"KeloPrintPagesHost";
            ::RegisterClassW(&windowClass);
            return ::CreateWindowW(L"KeloPrintPagesHost", L"Print pages host", WS_POPUP | WS_BORDER | WS_VISIBLE, 0, 0,
                                   760, 500, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
        }();
        closes = 0;
        return hwnd;
    }
    static inline int closes = 0;
};

std::wstring TextOf(HWND window)
{
    wchar_t text[1024] = {};
    ::GetWindowTextW(window, text, 1024);
    return text;
}

std::wstring Key(const wchar_t* key) { return theApp.Strings().GetString(key); }

bool Shows(const CDialogBase* page) { return page != nullptr && ::IsWindowVisible(page->GetSafeHwnd()); }

bool ShownAndEnabled(HWND control) { return ::IsWindowVisible(control) && ::IsWindowEnabled(control); }

using RowIcons = std::array<int32_t, 6>;
using Commands = std::vector<int32_t>;

RowIcons Rows(const CWizardPage& page)
{
    RowIcons icons{};
    for (int row = 0; row < 6; ++row)
        icons[static_cast<size_t>(row)] = page.StepIconOf(row);
    return icons;
}

// The page commands and test progress the wizard gets.
struct WizardWatch {
    Commands commands;
    std::vector<int32_t> progress;
};

LRESULT CALLBACK WatchWizard(HWND hwnd, UINT message, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR data)
{
    auto* watch = reinterpret_cast<WizardWatch*>(data);
    if (message == kMsgPageCommand)
        watch->commands.push_back(static_cast<int32_t>(w));
    if (message == kMsgTestProgress)
        watch->progress.push_back(static_cast<int32_t>(w));
    if (message == WM_NCDESTROY)
        ::RemoveWindowSubclass(hwnd, &WatchWizard, 7);
    return ::DefSubclassProc(hwnd, message, w, l);
}

bool SavePicture(HWND window, const std::wstring& path)
{
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpUntil([] { return false; }, 300ms);
    return SaveWindowPicture(window, path);
}

void Click(const CDialogBase& page, int id)
{
    ::SendMessageW(page.GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(page.GetDlgItem(id)));
}

class PrintPages : public ::testing::Test {
protected:
    void SetUp() override { Begin(); }
    void TearDown() override { Finish(); }

    void Begin()
    {
        auto manager = std::make_unique<CDiagnosticMgr>();
        manager->BuildTests();
        manager_ = manager.get();
        theApp.AdoptDiagnosisManager(std::move(manager));
        host_ = Host::Get();
        theApp.SetMainWindow(host_);
        theApp.SetRepaintWindow(host_);
        theApp.AnswerTrail().clear();
        watch_ = WizardWatch{};
    }

    void Finish()
    {
        const bool ended = PumpUntil([] {
            for (HANDLE thread : g_kernel->Threads())
                if (::WaitForSingleObject(thread, 0) != WAIT_OBJECT_0)
                    return false;
            return true;
        }, 20s);
        EXPECT_TRUE(ended) << "a test worker is still running";
        g_kernel->ForgetThreads();
        wizard_.reset();
        // The pages borrow the application's fonts; none may delete one.
        for (int n = 1; n <= 8; ++n) {
            LOGFONTW font = {};
            EXPECT_EQ(::GetObjectW(theApp.AppFont(n), sizeof(font), &font), static_cast<int>(sizeof(font)))
                << "application font " << n << " was deleted";
        }
        theApp.AdoptDiagnosisManager(nullptr);
        manager_ = nullptr;
        theApp.SetMainWindow(nullptr);
        theApp.SetRepaintWindow(nullptr);
    }

    // A simulated network printer (127.0.13.x) of catalogue product `productId`.
    Device_Dev& AddNetworkPrinter(const wchar_t* address, const wchar_t* productId = L"2112")
    {
        Device_Dev device;
        device.deviceName = L"Kelo Homeline 2150";
        device.friendlyName = L"Office printer";
        device.address = address;
        device.productId = productId;
        device.isNetwork = true;
        manager_->Devices().push_back(device);
        manager_->SetSelectedIndex(0);
        return manager_->Devices().back();
    }

    // A USB printer whose device interface does not exist: its status cannot be read.
    Device_Dev& AddUsbPrinter()
    {
        Device_Dev device;
        device.deviceName = L"Kelo Vireo 4500";
        device.address = L"\\\\?\\usb#vid_0a7e&pid_2312#gone#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";
        device.productId = L"2312";
        manager_->Devices().push_back(device);
        manager_->SetSelectedIndex(0);
        return manager_->Devices().back();
    }

    CWizardDlg& CreateWizard()
    {
        wizard_ = std::make_unique<CWizardDlg>();
        EXPECT_TRUE(wizard_->Create(host_));
        HWND hwnd = wizard_->GetSafeHwnd();
        RECT client;
        ::GetClientRect(host_, &client);
        ::SetWindowPos(hwnd, nullptr, 0, 0, client.right, client.bottom, SWP_NOZORDER | SWP_SHOWWINDOW);
        ::SetWindowSubclass(hwnd, &WatchWizard, 7, reinterpret_cast<DWORD_PTR>(&watch_));
        return *wizard_;
    }

    // The wizard as it stands after a passed device status step.
    CWizardDlg& WizardAtPrintTest()
    {
        CWizardDlg& wizard = CreateWizard();
        manager_->SetStatusVerdict(true);
        manager_->SetCurrentTestIndex(kDeviceStatusTestIndex);
        Command(wizard::kCmdPrintTest);
        return wizard;
    }

    void Command(int32_t command)
    {
        ::SendMessageW(wizard_->GetSafeHwnd(), kMsgPageCommand, static_cast<WPARAM>(command), 0);
    }

    template <class Page>
    const Page* Current() const
    {
        return dynamic_cast<const Page*>(wizard_->CurrentPage());
    }

    // The page the wizard shows now, which must be a `Page`.
    template <class Page>
    const Page& Showing() const
    {
        const Page* page = Current<Page>();
        EXPECT_TRUE(Shows(page));
        static Page none;
        return page != nullptr ? *page : none;
    }

    Commands SentAfter(size_t first) const
    {
        return Commands(watch_.commands.begin() + static_cast<std::ptrdiff_t>(first), watch_.commands.end());
    }

    CDiagnosticMgr* manager_ = nullptr;
    HWND host_ = nullptr;
    std::unique_ptr<CWizardDlg> wizard_;
    WizardWatch watch_;
};

TEST(ExpectedPage, ThePrintFileChoosesThePicture)
{
    EXPECT_EQ(ExpectedPageImage(L"C:\\Kelo\\config\\DS2_based.prn"), 2);
    EXPECT_EQ(ExpectedPageImage(L"C:\\Kelo\\config\\corvid_small.prn"), 4);
    EXPECT_EQ(ExpectedPageImage(L"C:\\Kelo\\config\\Vireo_Prn.prn"), 4);
    EXPECT_EQ(ExpectedPageImage(L"C:\\Kelo\\config\\Wren_4c.prn"), 3);
    EXPECT_EQ(ExpectedPageImage(L""), 3);
}

// Finds the expected-page window inside its modal loop, pictures it and presses Close.
struct ExpectedPageVisit {
    static inline HWND seen = nullptr;
    static inline std::wstring title, closeText;
    static inline bool closeHasFocus = false;
    static inline int ticks = 0;
    static void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD)
    {
        HWND window = ::FindWindowW(L"#32770", theApp.WindowTitle().c_str());
        if (window == nullptr || !::IsWindowVisible(window)) {
            // A window under another title fails the checks below instead of holding the test.
            if (++ticks > 50 && (window = ::GetActiveWindow()) != nullptr)
                ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(2, BN_CLICKED), 0);
            return;
        }
        ::KillTimer(nullptr, timer);
        seen = window;
        title = TextOf(window);
        closeText = TextOf(::GetDlgItem(window, 2));
        closeHasFocus = ::GetFocus() == ::GetDlgItem(window, 2);
        SavePicture(window, L"Z:\\tmp\\pp_expected_page.bmp");
        ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(2, BN_CLICKED), 0);
    }
};

// The whole way for a healthy printer with copier: the real print goes out, the user likes it
// and goes through the copy pages, with each answer in the trail.
TEST_F(PrintPages, AHealthyPrinterFromTheTestPrintThroughTheCopyPages)
{
    SimControl sim;
    ASSERT_TRUE(sim.Ready()) << "no simulator (KELO_SABLE_SIM_READY)";
    ASSERT_TRUE(sim.Settings("pp-copier", "statuses = ready\nalert =\nfault.raw ="));
    Device_Dev& printer = AddNetworkPrinter(L"127.0.13.10");
    WizardAtPrintTest();
    const CPrintTestDlg& print = Showing<CPrintTestDlg>();
    EXPECT_EQ(TextOf(print.GetDlgItem(1021)), Key(L"TSY_SENDTESTPRINT_BUTTON"));
    EXPECT_EQ(TextOf(print.GetDlgItem(1212)), Key(L"TSY_SKIPPRINT_BUTTON"));
    EXPECT_EQ(TextOf(print.GetDlgItem(2)), Key(L"TSY_EXIT_BUTTON"));
    EXPECT_EQ(TextOf(print.GetDlgItem(kIdMessage)), Key(L"TSY_DIAGNOSE_LOWLEVELPRINTTEST_MSG"));
    EXPECT_TRUE(ShownAndEnabled(print.GetDlgItem(1021)));
    EXPECT_TRUE(ShownAndEnabled(print.GetDlgItem(1212)));
    EXPECT_EQ(TextOf(print.GetDlgItem(kIdHeading)), Key(L"TSY_DIAGNOSE_HEADING") + L" Office printer");
    EXPECT_TRUE(SavePicture(host_, L"Z:\\tmp\\pp_print_test.bmp"));

    Click(print, 1021);
    EXPECT_TRUE(print.PrintSent());
    EXPECT_EQ(manager_->CurrentTestIndex(), kLowLevelPrintTestIndex);
    EXPECT_FALSE(::IsWindowVisible(print.GetDlgItem(1021)));
    EXPECT_FALSE(::IsWindowVisible(print.GetDlgItem(1212)));
    EXPECT_EQ(TextOf(print.GetDlgItem(kIdMessage)), Key(L"TSY_SEND_TESTPRINT_MSG"));
    ASSERT_TRUE(PumpUntil([&] { return Shows(Current<CPrintEvaluationDlg>()); }, 20s)) << "the print did not pass";
    EXPECT_EQ(watch_.commands, (Commands{19, 7}));
    EXPECT_EQ(sim.Get("/printers/pp-copier/received/print"), kPrintJob);
    EXPECT_NE(printer.printFile.find(L"corvid_small.prn"), std::wstring::npos);

    const CPrintEvaluationDlg& evaluation = Showing<CPrintEvaluationDlg>();
    EXPECT_EQ(Rows(evaluation), (RowIcons{kStepPassed, kStepPassed, kStepPassed, kStepCurrent, kStepNotRun,
                                          kStepNotRun}));
    EXPECT_EQ(TextOf(evaluation.GetDlgItem(kIdHeading)), Key(L"TSY_DIAGNOSE_HEADING") + L" Kelo Homeline 2150");
    EXPECT_EQ(TextOf(evaluation.GetDlgItem(kIdMessage)), Key(L"TSY_DIAGNOSE_PRINTEVALUATION_MSG"));
    EXPECT_EQ(::GetFocus(), evaluation.GetDlgItem(1003));
    EXPECT_TRUE(SavePicture(host_, L"Z:\\tmp\\pp_print_evaluation.bmp"));

    // Show Page opens the picture of the colour boxes page for this print file, modally.
    ::SetTimer(nullptr, 0, 100, &ExpectedPageVisit::Tick);
    Click(evaluation, 1019);
    ASSERT_NE(ExpectedPageVisit::seen, nullptr);
    EXPECT_FALSE(::IsWindow(ExpectedPageVisit::seen));
    EXPECT_EQ(ExpectedPageVisit::title, theApp.WindowTitle());
    EXPECT_EQ(ExpectedPageVisit::closeText, Key(L"TSY_CLOSE_BUTTON"));
    EXPECT_TRUE(ExpectedPageVisit::closeHasFocus);
    EXPECT_EQ(::GetFocus(), evaluation.GetDlgItem(1003));
    EXPECT_EQ(watch_.commands, (Commands{19, 7}));

    // Print Good on a printer with copier: the copy test page, the print step current again.
    Click(evaluation, 1003);
    EXPECT_EQ(SentAfter(2), (Commands{8}));
    EXPECT_EQ(manager_->CurrentTestIndex(), kLowLevelPrintTestIndex);
    EXPECT_FALSE(Shows(&evaluation));
    const CCopyTestDlg& copy = Showing<CCopyTestDlg>();
    EXPECT_EQ(Rows(copy), (RowIcons{kStepPassed, kStepPassed, kStepPassed, kStepPassed, kStepCurrent, kStepNotRun}));
    EXPECT_EQ(TextOf(copy.GetDlgItem(kIdHeading)), Key(L"TSY_DIAGNOSE_HEADING") + L" Office printer");
    EXPECT_EQ(TextOf(copy.GetDlgItem(kIdMessage)), Key(L"TSY_DIAGNOSE_COPYTEST_MSG"));
    EXPECT_EQ(TextOf(copy.GetDlgItem(1020)), Key(L"TSY_COPYFAILED_BUTTON"));
    EXPECT_EQ(::GetFocus(), copy.GetDlgItem(1002));
    EXPECT_TRUE(SavePicture(host_, L"Z:\\tmp\\pp_copy_test.bmp"));

    Click(copy, 1002);
    const CCopyEvaluationDlg& copyEvaluation = Showing<CCopyEvaluationDlg>();
    EXPECT_EQ(Rows(copyEvaluation),
              (RowIcons{kStepPassed, kStepPassed, kStepPassed, kStepPassed, kStepPassed, kStepCurrent}));
    EXPECT_EQ(::GetFocus(), copyEvaluation.GetDlgItem(1045));
    EXPECT_TRUE(SavePicture(host_, L"Z:\\tmp\\pp_copy_evaluation.bmp"));

    Click(copyEvaluation, 1044);
    EXPECT_EQ(manager_->CurrentTestIndex(), kCopyTestIndex);
    const CCopyFailedDlg& failed = Showing<CCopyFailedDlg>();
    EXPECT_EQ(failed.Mode(), 13);
    EXPECT_EQ(Rows(failed), (RowIcons{kStepPassed, kStepPassed, kStepPassed, kStepPassed, kStepPassed, kStepFailed}));
    EXPECT_EQ(TextOf(failed.GetDlgItem(1207)), L"<a>" + Key(L"TSY_TROUBLESHOOT_COPY_LINK") + L"</a>");
    EXPECT_EQ(TextOf(failed.GetDlgItem(1041)),
              Key(L"TSY_SUPPORT_FORUM_MSG") + L"\r\n\r\n<a>" + Key(L"TSY_SUPPORT_FORUM_LINK") + L"</a>");
    EXPECT_TRUE(ShownAndEnabled(failed.GetDlgItem(1042)));
    EXPECT_EQ(::GetFocus(), failed.GetDlgItem(1005));
    EXPECT_TRUE(SavePicture(host_, L"Z:\\tmp\\pp_copy_bad.bmp"));

    // Retry goes back to the copy test; no copy at all with a ready printer: mode 14.
    Click(failed, 1005);
    Click(Showing<CCopyTestDlg>(), 1020);
    EXPECT_EQ(printer.statusCode, 0);
    EXPECT_EQ(Showing<CCopyFailedDlg>().Mode(), 14);
    EXPECT_EQ(Rows(failed), (RowIcons{kStepPassed, kStepPassed, kStepPassed, kStepPassed, kStepFailed, kStepNotRun}));
    EXPECT_TRUE(SavePicture(host_, L"Z:\\tmp\\pp_copy_failed.bmp"));

    Click(failed, 1005);
    Click(Showing<CCopyTestDlg>(), 1002);
    Click(Showing<CCopyEvaluationDlg>(), 1045);
    EXPECT_EQ(SentAfter(2), (Commands{8, 11, 13, 8, 14, 8, 11, 12}));
    EXPECT_EQ(manager_->CurrentTestIndex(), kCopyTestIndex);
    EXPECT_EQ(theApp.AnswerTrail(), L"@PrintGood@CopyBad@CopyFailed@CopyGood");

    // The tool's Cancel and Close buttons close the main window.
    Click(copy, 1004);
    Click(copyEvaluation, 1002);
    Click(failed, 1020);
    Click(evaluation, 1002);
    EXPECT_EQ(Host::closes, 4);
}

// The answer No Print and a failed copy read the printer's status now and send the page that
// explains it; the power-loss form comes once per printer.
TEST_F(PrintPages, NoPrintAndCopyFailedFollowTheStatusReadNow)
{
    SimControl sim;
    ASSERT_TRUE(sim.Ready()) << "no simulator (KELO_SABLE_SIM_READY)";
    const struct {
        const char* name;
        const char* statuses; // null: a USB printer whose status cannot be read
        bool adf;
        Commands noPrint;    // No Print, twice
        Commands copyFailed; // Copy Failed, twice
    } cases[] = {
        {"ready", "ready", false, {10, 10}, {14, 14}},
        {"paper jam", "jamInPrinter", false, {17, 17}, {17, 17}},
        {"feeder condition", "jamInPrinter", true, {17, 17}, {14, 14}},
        {"other status", "cartridgeInWrongOrder", false, {18, 16}, {18, 16}},
        {"USB status unreadable", nullptr, false, {17, 17}, {17, 17}},
    };
    bool first = true;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const bool copyPage : {false, true}) {
            SCOPED_TRACE(copyPage ? "Copy Failed" : "No Print");
            if (!first) {
                Finish();
                Begin();
            }
            first = false;
            if (c.statuses != nullptr) {
                ASSERT_TRUE(sim.Settings("pp-copier", std::string("alert =\nstatuses = ") + c.statuses));
                AddNetworkPrinter(L"127.0.13.10");
            } else {
                AddUsbPrinter();
            }
            manager_->Devices().front().adfStatus = c.adf;
            manager_->PublishSelection();
            CreateWizard();
            for (int round = 0; round < 2; ++round) {
                if (copyPage) {
                    Command(wizard::kCmdCopyTest);
                    Click(Showing<CCopyTestDlg>(), 1020);
                    EXPECT_EQ(manager_->CurrentTestIndex(), kCopyTestIndex);
                } else {
                    Command(wizard::kCmdPrintEvaluation);
                    Click(Showing<CPrintEvaluationDlg>(), 1013);
                }
            }
            const Commands& expected = copyPage ? c.copyFailed : c.noPrint;
            EXPECT_EQ(watch_.commands, (Commands{copyPage ? 8 : 7, expected[0], copyPage ? 8 : 7, expected[1]}));
            EXPECT_EQ(theApp.AnswerTrail(), copyPage ? L"@CopyFailed@CopyFailed" : L"@NoPrint@NoPrint");
            const int32_t status = manager_->Devices().front().statusCode;
            const int32_t expectedStatus = c.statuses == nullptr ? 61 : std::string(c.statuses) == "ready" ? 0 : -2;
            if (expectedStatus != -2) {
                EXPECT_EQ(status, expectedStatus);
            } else {
                EXPECT_GT(status, 0);
            }
        }
    }
    ASSERT_TRUE(sim.Settings("pp-copier", "statuses = ready"));
}

TEST_F(PrintPages, PrintBadShowsThePrintBadPage)
{
    AddNetworkPrinter(L"127.0.13.10");
    CreateWizard();
    Command(wizard::kCmdPrintEvaluation);
    Click(Showing<CPrintEvaluationDlg>(), 1018);
    EXPECT_EQ(watch_.commands, (Commands{7, 9}));
    EXPECT_EQ(theApp.AnswerTrail(), L"@PrintBad");
}

// Without a copier (by the catalogue, or by a Sable model that has none whatever its product id
// says) Print Good and Skip Print end at the final page with the print steps passed.
TEST_F(PrintPages, WithoutCopierTheAnswersEndAtTheFinalPage)
{
    SimControl sim;
    ASSERT_TRUE(sim.Ready()) << "no simulator (KELO_SABLE_SIM_READY)";
    const struct {
        const char* name;
        const wchar_t* address;
        const wchar_t* productId;
        bool copier;
    } printers[] = {
        {"copier", L"127.0.13.10", L"2112", true},
        {"catalogue says no copier", L"127.0.13.12", L"2312", false},
        {"model without copier", L"127.0.13.11", L"2112", false},
        {"model unreadable: the catalogue decides", L"127.0.13.99", L"2112", true},
    };
    bool first = true;
    for (const auto& p : printers) {
        SCOPED_TRACE(p.name);
        for (const bool skip : {false, true}) {
            SCOPED_TRACE(skip ? "Skip Print" : "Print Good");
            if (!first) {
                Finish();
                Begin();
            }
            first = false;
            AddNetworkPrinter(p.address, p.productId);
            CWizardDlg& wizard = WizardAtPrintTest();
            (void)wizard;
            const CWizardPage* page = nullptr;
            if (skip) {
                const CPrintTestDlg& print = Showing<CPrintTestDlg>();
                page = &print;
                Click(print, 1212);
                EXPECT_EQ(manager_->CurrentTestIndex(), kCopyTestIndex);
                EXPECT_FALSE(Shows(&print));
            } else {
                Command(wizard::kCmdPrintEvaluation);
                const CPrintEvaluationDlg& evaluation = Showing<CPrintEvaluationDlg>();
                page = &evaluation;
                Click(evaluation, 1003);
                EXPECT_EQ(manager_->CurrentTestIndex(), p.copier ? kLowLevelPrintTestIndex : kCopyTestIndex);
                EXPECT_EQ(theApp.AnswerTrail(), L"@PrintGood");
            }
            EXPECT_EQ(watch_.commands.back(), p.copier ? 8 : 12);
            if (!p.copier) {
                EXPECT_EQ(page->StepIconOf(2), kStepPassed);
                EXPECT_EQ(page->StepIconOf(3), kStepPassed);
            }
        }
    }
}

// Exit while the print waits on a printer that does not take it: the job is told to stop, the
// tool closes and the run is abandoned.
TEST_F(PrintPages, ExitDuringAPrintReleasesTheWaitingJob)
{
    SimControl sim;
    ASSERT_TRUE(sim.Ready()) << "no simulator (KELO_SABLE_SIM_READY)";
    // A jammed printer ends the wait at the cancel; a ready one would be waited on longer.
    ASSERT_TRUE(sim.Settings("pp-copier", "statuses = jamInPrinter\nfault.raw = stall\nfault.http ="));
    // More than the socket buffers take, so the transfer stays pending.
    g_folder->Write(L"config\\corvid_small.prn", std::string(16 << 20, 'K'));
    struct Restore {
        ~Restore() { g_folder->Write(L"config\\corvid_small.prn", kPrintJob); }
    } restore;
    AddNetworkPrinter(L"127.0.13.10");
    auto job = std::make_unique<CLowLevelPrintTest>(*manager_);
    // Long enough for the cancel; a lost cancel ends as a time-out, not a hang.
    job->SetWaits(PrintWaits{3000, 4000, 1, 9100});
    CLowLevelPrintTest& print = *job;
    manager_->TestAt(kLowLevelPrintTestIndex)->test = std::move(job);
    CWizardDlg& wizard = WizardAtPrintTest();
    HWND hwnd = wizard.GetSafeHwnd();
    const CPrintTestDlg& page = Showing<CPrintTestDlg>();
    Click(page, 1021);
    ASSERT_TRUE(PumpUntil([&] { return !watch_.progress.empty(); }));
    EXPECT_TRUE(SavePicture(host_, L"Z:\\tmp\\pp_print_sent.bmp")); // also lets the job reach its wait
    EXPECT_EQ(reinterpret_cast<HFONT>(::SendMessageW(page.GetDlgItem(kIdMessage), WM_GETFONT, 0, 0)),
              page.RoleFont(FontRole::Message));
    Click(page, 2);
    EXPECT_EQ(Host::closes, 1);
    ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(hwnd); }, 10s)) << "the job was not released";
    EXPECT_TRUE(print.Cancelled());
    EXPECT_EQ(watch_.progress, (std::vector<int32_t>{3, 2}));
    ASSERT_TRUE(sim.Settings("pp-copier", "statuses = ready\nfault.raw ="));
}

// Exit before anything was sent closes the tool and signals nothing.
TEST_F(PrintPages, ExitBeforeAPrintOnlyClosesTheTool)
{
    AddNetworkPrinter(L"127.0.13.10");
    WizardAtPrintTest();
    HANDLE cancel = manager_->CancelEvent();
    Click(Showing<CPrintTestDlg>(), 2);
    EXPECT_EQ(Host::closes, 1);
    if (cancel != nullptr) {
        EXPECT_EQ(::WaitForSingleObject(cancel, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    }
}

// A retried print (command 2) shows the page with its message and without the send button.
TEST_F(PrintPages, ARetriedPrintShowsThePageWithoutTheSendButton)
{
    AddNetworkPrinter(L"127.0.13.10");
    CreateWizard();
    manager_->TestAt(kLowLevelPrintTestIndex)->test = std::make_unique<ScriptedTest>(kRunFailed);
    manager_->SetCurrentTestIndex(kLowLevelPrintTestIndex);
    Command(wizard::kCmdRetryTest);
    const CPrintTestDlg* page = Current<CPrintTestDlg>();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(TextOf(page->GetDlgItem(kIdMessage)), Key(L"TSY_SEND_TESTPRINT_MSG"));
    EXPECT_FALSE(::IsWindowVisible(page->GetDlgItem(1021)));
    EXPECT_FALSE(::IsWindowEnabled(page->GetDlgItem(1021)));
    EXPECT_TRUE(ShownAndEnabled(page->GetDlgItem(2)));
    EXPECT_EQ(page->StepIconOf(2), kStepCurrent);
    ASSERT_TRUE(PumpUntil([&] { return watch_.commands.size() >= 2; }));
}

// Under error simulation the answers, Send Test Print, Retry and the links do nothing; Skip Print
// and the buttons that close the tool still work.
TEST_F(PrintPages, UnderSimulationTheAnswerButtonsAreInert)
{
    AddNetworkPrinter(L"127.0.13.10");
    manager_->SetErrorSimulationActive(true);
    WizardAtPrintTest();
    const CPrintTestDlg& print = Showing<CPrintTestDlg>();
    EXPECT_EQ(Rows(print), (RowIcons{kStepPassed, kStepPassed, kStepCurrent, kStepNotRun, kStepNotRun, kStepNotRun}));
    Click(print, 1021);
    EXPECT_FALSE(print.PrintSent());
    EXPECT_TRUE(g_kernel->Threads().empty());

    const struct {
        int32_t command;
        std::vector<int> inert;
    } pages[] = {
        {wizard::kCmdPrintEvaluation, {1003, 1018, 1013, 1019}},
        {wizard::kCmdCopyTest, {1002, 1020}},
        {wizard::kCmdCopyEvaluation, {1045, 1044}},
        {wizard::kCmdNoCopy, {1005}},
    };
    for (const auto& p : pages) {
        SCOPED_TRACE(p.command);
        Command(p.command);
        const size_t sent = watch_.commands.size();
        for (int id : p.inert)
            Click(*wizard_->CurrentPage(), id);
        EXPECT_EQ(watch_.commands.size(), sent);
        EXPECT_TRUE(Shows(wizard_->CurrentPage()));
    }
    EXPECT_EQ(Rows(Showing<CCopyFailedDlg>()),
              (RowIcons{kStepPassed, kStepPassed, kStepPassed, kStepPassed, kStepFailed, kStepNotRun}));
    // The copy help link would add to the trail and go to the portal: under simulation it does neither.
    for (const int link : {1207, 1041, 1042}) {
        const CCopyFailedDlg& failed = Showing<CCopyFailedDlg>();
        NMLINK click = {};
        click.hdr.hwndFrom = failed.GetDlgItem(link);
        click.hdr.idFrom = static_cast<UINT_PTR>(link);
        click.hdr.code = NM_CLICK;
        ::SendMessageW(failed.GetSafeHwnd(), WM_NOTIFY, static_cast<WPARAM>(link), reinterpret_cast<LPARAM>(&click));
    }
    EXPECT_TRUE(theApp.AnswerTrail().empty());
    Command(wizard::kCmdPrintEvaluation);
    EXPECT_EQ(Rows(Showing<CPrintEvaluationDlg>()),
              (RowIcons{kStepPassed, kStepPassed, kStepPassed, kStepCurrent, kStepNotRun, kStepNotRun}));

    Click(Showing<CPrintEvaluationDlg>(), 1002);
    EXPECT_EQ(Host::closes, 1);
    // Skip Print keeps working (the catalogue says this printer copies).
    Command(wizard::kCmdPrintTest);
    Click(Showing<CPrintTestDlg>(), 1212);
    EXPECT_EQ(watch_.commands.back(), 8);
}

} // namespace
