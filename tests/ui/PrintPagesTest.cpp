// The print test, print evaluation and copy pages inside the real wizard under Xvfb: the answers
// and the pages they lead to, with the real low-level print and the real status reads against
// simulated Sable printers on 127.0.13.x, and scripted tests where the engine is not the point.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <array>
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
#include "pages/CopyEvaluationDlg.h"
#include "pages/CopyFailedDlg.h"
#include "pages/CopyTestDlg.h"
#include "pages/ImageDlg.h"
#include "pages/PrintEvaluationDlg.h"
#include "pages/PrintTestDlg.h"
#include "tools/LowLevelPrintTest.h"
#include "ui/WindowTestSupport.h"
#include "res/resource.h"

namespace {

using namespace std::chrono_literals;

const std::string kPrintJob = "\x1b%-12345X@PJL ENTER LANGUAGE=PCL3GUI\r\nKELO TEST PAGE\r\n\x1b%-12345X";

WindowTestEnvironment& g_environment =
    WindowTestEnvironment::Install({.interfaceResources = true, .extraFiles = {{L"config\\corvid_small.prn", kPrintJob}}});

constexpr SIZE kHostSize = {760, 500};

// A test that answers as told, for the steps that are not the point of a case.
class ScriptedTest : public CTest {
public:
    explicit ScriptedTest(int32_t result) : result_(result) {}
    int32_t Run(Device_Dev&) override { return result_; }

private:
    int32_t result_;
};

bool ShownAndEnabled(HWND control) { return ::IsWindowVisible(control) && ::IsWindowEnabled(control); }

using Commands = std::vector<int32_t>;

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

class PrintPages : public WizardInHost {
protected:
    void Begin() override
    {
        BeginWizardHost(kHostSize);
        theApp.AnswerTrail().clear();
        watch_ = WizardWatch{};
    }

    void Finish() override
    {
        EndWizardHost(g_environment.Kernel(), 20s);
        // The pages borrow the application's fonts; none may delete one.
        for (int n = 1; n <= 8; ++n) {
            LOGFONTW font = {};
            EXPECT_EQ(::GetObjectW(theApp.AppFont(n), sizeof(font), &font), static_cast<int>(sizeof(font)))
                << "application font " << n << " was deleted";
        }
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
        manager_->Devices().push_back(GoneUsbPrinter());
        manager_->SetSelectedIndex(0);
        return manager_->Devices().back();
    }

    CWizardDlg& CreateWizard()
    {
        CWizardDlg& wizard = CreateWizardInHost();
        ::SetWindowSubclass(wizard.GetSafeHwnd(), &WatchWizard, 7, reinterpret_cast<DWORD_PTR>(&watch_));
        return wizard;
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

    // The page the wizard shows now, which must be a `Page`.
    template <class Page>
    const Page& Showing() const
    {
        const Page* page = Current<Page>();
        EXPECT_TRUE(PageShows(page));
        static Page none;
        return page != nullptr ? *page : none;
    }

    Commands SentAfter(size_t first) const
    {
        return Commands(watch_.commands.begin() + static_cast<std::ptrdiff_t>(first), watch_.commands.end());
    }

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
    static inline RECT client = {}, picture = {};
    static inline SIZE image = {};
    static inline int ticks = 0;
    static inline int focusTicks = 0;
    static void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD)
    {
        // This thread's window only: another test program may show one of the same title meanwhile.
        HWND window = VisibleThreadWindow(theApp.WindowTitle());
        if (window == nullptr) {
            // A window under another title fails the checks below instead of holding the test.
            if (++ticks > 50 && (window = ::GetActiveWindow()) != nullptr)
                ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(2, BN_CLICKED), 0);
            return;
        }
        closeHasFocus = ::GetFocus() == ::GetDlgItem(window, 2);
        // Wine may hand an unmanaged window the focus a moment after showing it, and a window test
        // running beside this one may take the foreground: activating the dialog again makes the
        // dialog manager restore the focus the dialog chose.
        if (!closeHasFocus && ++focusTicks < 40) {
            DWORD foregroundProcess = 0;
            ::GetWindowThreadProcessId(::GetForegroundWindow(), &foregroundProcess);
            if (foregroundProcess != ::GetCurrentProcessId())
                ::SetForegroundWindow(window);
            return;
        }
        ::KillTimer(nullptr, timer);
        seen = window;
        title = TextOf(window);
        closeText = TextOf(::GetDlgItem(window, 2));
        ::GetClientRect(window, &client);
        // The window's dialog object, as the dialog procedure finds it.
        if (const auto* dialog = reinterpret_cast<const CImageDlg*>(::GetWindowLongPtrW(window, DWLP_USER))) {
            picture = dialog->PictureRect();
            BITMAP bitmap = {};
            ::GetObjectW(dialog->Picture(), sizeof bitmap, &bitmap);
            image = {bitmap.bmWidth, bitmap.bmHeight};
        }
        SavePictureWhenPainted(window, GalleryPath(L"pp_expected_page.bmp"));
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
    EXPECT_EQ(TextOf(print.GetDlgItem(IDC_SEND_TEST_PRINT)), UiText(L"TSY_SENDTESTPRINT_BUTTON"));
    EXPECT_EQ(TextOf(print.GetDlgItem(IDC_SKIP_PRINT)), UiText(L"TSY_SKIPPRINT_BUTTON"));
    EXPECT_EQ(TextOf(print.GetDlgItem(2)), UiText(L"TSY_EXIT_BUTTON"));
    EXPECT_EQ(TextOf(print.GetDlgItem(IDC_PAGE_MESSAGE)), UiText(L"TSY_DIAGNOSE_LOWLEVELPRINTTEST_MSG"));
    EXPECT_TRUE(ShownAndEnabled(print.GetDlgItem(IDC_SEND_TEST_PRINT)));
    EXPECT_TRUE(ShownAndEnabled(print.GetDlgItem(IDC_SKIP_PRINT)));
    EXPECT_EQ(TextOf(print.GetDlgItem(IDC_PAGE_HEADING)), UiText(L"TSY_DIAGNOSE_HEADING") + L" Office printer");
    EXPECT_TRUE(SavePictureWhenPainted(host_, GalleryPath(L"pp_print_test.bmp")));

    ClickButton(print, IDC_SEND_TEST_PRINT);
    EXPECT_TRUE(print.PrintSent());
    EXPECT_EQ(manager_->CurrentTestIndex(), kLowLevelPrintTestIndex);
    EXPECT_FALSE(::IsWindowVisible(print.GetDlgItem(IDC_SEND_TEST_PRINT)));
    EXPECT_FALSE(::IsWindowVisible(print.GetDlgItem(IDC_SKIP_PRINT)));
    EXPECT_EQ(TextOf(print.GetDlgItem(IDC_PAGE_MESSAGE)), UiText(L"TSY_SEND_TESTPRINT_MSG"));
    ASSERT_TRUE(PumpUntil([&] { return PageShows(Current<CPrintEvaluationDlg>()); }, 20s)) << "the print did not pass";
    EXPECT_EQ(watch_.commands, (Commands{19, 7}));
    EXPECT_EQ(sim.Get("/printers/pp-copier/received/print"), kPrintJob);
    EXPECT_NE(printer.printFile.find(L"corvid_small.prn"), std::wstring::npos);

    const CPrintEvaluationDlg& evaluation = Showing<CPrintEvaluationDlg>();
    EXPECT_EQ(StepIconsOf(evaluation), (StepIcons{kStepPassed, kStepPassed, kStepPassed, kStepCurrent, kStepNotRun,
                                          kStepNotRun}));
    // Named as on every other page, so two printers of one model stay apart.
    EXPECT_EQ(TextOf(evaluation.GetDlgItem(IDC_PAGE_HEADING)), UiText(L"TSY_DIAGNOSE_HEADING") + L" Office printer");
    EXPECT_EQ(TextOf(evaluation.GetDlgItem(IDC_PAGE_MESSAGE)), UiText(L"TSY_DIAGNOSE_PRINTEVALUATION_MSG"));
    EXPECT_EQ(::GetFocus(), evaluation.GetDlgItem(IDC_PRINT_GOOD));
    EXPECT_TRUE(SavePictureWhenPainted(host_, GalleryPath(L"pp_print_evaluation.bmp")));

    // Show Page opens the picture of the colour boxes page for this print file, modally.
    ::SetTimer(nullptr, 0, 100, &ExpectedPageVisit::Tick);
    ClickButton(evaluation, IDC_SHOW_PAGE);
    ASSERT_NE(ExpectedPageVisit::seen, nullptr);
    EXPECT_FALSE(::IsWindow(ExpectedPageVisit::seen));
    EXPECT_EQ(ExpectedPageVisit::title, theApp.WindowTitle());
    EXPECT_EQ(ExpectedPageVisit::closeText, UiText(L"TSY_CLOSE_BUTTON"));
    EXPECT_TRUE(ExpectedPageVisit::closeHasFocus);
    // The picture keeps its proportions, is centred across the window and leaves a margin above.
    const RECT& drawn = ExpectedPageVisit::picture;
    const SIZE& image = ExpectedPageVisit::image;
    ASSERT_GT(image.cx, 0);
    ASSERT_GT(drawn.right - drawn.left, 0);
    const double drawnRatio = double(drawn.right - drawn.left) / double(drawn.bottom - drawn.top);
    EXPECT_NEAR(drawnRatio, double(image.cx) / double(image.cy), 0.01) << "drawn in another aspect ratio";
    EXPECT_NEAR(drawn.left, ExpectedPageVisit::client.right - drawn.right, 1) << "not centred";
    EXPECT_GE(drawn.top, kEdgeMargin);
    EXPECT_EQ(::GetFocus(), evaluation.GetDlgItem(IDC_PRINT_GOOD));
    EXPECT_EQ(watch_.commands, (Commands{19, 7}));

    // Print Good on a printer with copier: the copy test page, the print step current again.
    ClickButton(evaluation, IDC_PRINT_GOOD);
    EXPECT_EQ(SentAfter(2), (Commands{8}));
    EXPECT_EQ(manager_->CurrentTestIndex(), kLowLevelPrintTestIndex);
    EXPECT_FALSE(PageShows(&evaluation));
    const CCopyTestDlg& copy = Showing<CCopyTestDlg>();
    EXPECT_EQ(StepIconsOf(copy), (StepIcons{kStepPassed, kStepPassed, kStepPassed, kStepPassed, kStepCurrent, kStepNotRun}));
    EXPECT_EQ(TextOf(copy.GetDlgItem(IDC_PAGE_HEADING)), UiText(L"TSY_DIAGNOSE_HEADING") + L" Office printer");
    EXPECT_EQ(TextOf(copy.GetDlgItem(IDC_PAGE_MESSAGE)), UiText(L"TSY_DIAGNOSE_COPYTEST_MSG"));
    EXPECT_EQ(TextOf(copy.GetDlgItem(IDC_COPY_FAILED)), UiText(L"TSY_COPYFAILED_BUTTON"));
    EXPECT_EQ(::GetFocus(), copy.GetDlgItem(IDC_COPY_TEST_CONTINUE));
    EXPECT_TRUE(SavePictureWhenPainted(host_, GalleryPath(L"pp_copy_test.bmp")));

    ClickButton(copy, IDC_COPY_TEST_CONTINUE);
    const CCopyEvaluationDlg& copyEvaluation = Showing<CCopyEvaluationDlg>();
    EXPECT_EQ(StepIconsOf(copyEvaluation),
              (StepIcons{kStepPassed, kStepPassed, kStepPassed, kStepPassed, kStepPassed, kStepCurrent}));
    EXPECT_EQ(::GetFocus(), copyEvaluation.GetDlgItem(IDC_COPY_GOOD));
    EXPECT_TRUE(SavePictureWhenPainted(host_, GalleryPath(L"pp_copy_evaluation.bmp")));

    ClickButton(copyEvaluation, IDC_COPY_BAD);
    EXPECT_EQ(manager_->CurrentTestIndex(), kCopyTestIndex);
    const CCopyFailedDlg& failed = Showing<CCopyFailedDlg>();
    EXPECT_EQ(failed.Mode(), 13);
    EXPECT_EQ(StepIconsOf(failed), (StepIcons{kStepPassed, kStepPassed, kStepPassed, kStepPassed, kStepPassed, kStepFailed}));
    EXPECT_EQ(TextOf(failed.GetDlgItem(IDC_COPY_HELP)), L"<a>" + UiText(L"TSY_TROUBLESHOOT_COPY_LINK") + L"</a>");
    EXPECT_EQ(TextOf(failed.GetDlgItem(IDC_FORUM_LINK)),
              UiText(L"TSY_SUPPORT_FORUM_MSG") + L"\r\n\r\n<a>" + UiText(L"TSY_SUPPORT_FORUM_LINK") + L"</a>");
    EXPECT_TRUE(ShownAndEnabled(failed.GetDlgItem(IDC_FEEDBACK_LINK)));
    EXPECT_EQ(::GetFocus(), failed.GetDlgItem(IDC_RETRY));
    EXPECT_TRUE(SavePictureWhenPainted(host_, GalleryPath(L"pp_copy_bad.bmp")));

    // Retry goes back to the copy test; no copy at all with a ready printer: mode 14.
    ClickButton(failed, IDC_RETRY);
    ClickButton(Showing<CCopyTestDlg>(), IDC_COPY_FAILED);
    EXPECT_EQ(printer.statusCode, 0);
    EXPECT_EQ(Showing<CCopyFailedDlg>().Mode(), 14);
    EXPECT_EQ(StepIconsOf(failed), (StepIcons{kStepPassed, kStepPassed, kStepPassed, kStepPassed, kStepFailed, kStepNotRun}));
    EXPECT_TRUE(SavePictureWhenPainted(host_, GalleryPath(L"pp_copy_failed.bmp")));

    ClickButton(failed, IDC_RETRY);
    ClickButton(Showing<CCopyTestDlg>(), IDC_COPY_TEST_CONTINUE);
    ClickButton(Showing<CCopyEvaluationDlg>(), IDC_COPY_GOOD);
    EXPECT_EQ(SentAfter(2), (Commands{8, 11, 13, 8, 14, 8, 11, 12}));
    EXPECT_EQ(manager_->CurrentTestIndex(), kCopyTestIndex);
    EXPECT_EQ(theApp.AnswerTrail(), L"@PrintGood@CopyBad@CopyFailed@CopyGood");

    // The tool's Cancel and Close buttons close the main window.
    ClickButton(copy, IDC_COPY_TEST_CANCEL);
    ClickButton(copyEvaluation, IDC_PAGE_CANCEL);
    ClickButton(failed, IDC_CLOSE);
    ClickButton(evaluation, IDC_PAGE_CANCEL);
    EXPECT_EQ(HostWindow::closes, 4);
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
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const bool copyPage : {false, true}) {
            SCOPED_TRACE(copyPage ? "Copy Failed" : "No Print");
            NextCase();
            if (c.statuses != nullptr) {
                ASSERT_TRUE(sim.Settings("pp-copier", std::string("alert =\nstatuses = ") + c.statuses));
                AddNetworkPrinter(L"127.0.13.10");
            } else {
                AddUsbPrinter();
            }
            manager_->Devices().front().adfStatus = c.adf;
            CreateWizard();
            for (int round = 0; round < 2; ++round) {
                if (copyPage) {
                    Command(wizard::kCmdCopyTest);
                    ClickButton(Showing<CCopyTestDlg>(), IDC_COPY_FAILED);
                    EXPECT_EQ(manager_->CurrentTestIndex(), kCopyTestIndex);
                } else {
                    Command(wizard::kCmdPrintEvaluation);
                    ClickButton(Showing<CPrintEvaluationDlg>(), IDC_NO_PRINT);
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
    ClickButton(Showing<CPrintEvaluationDlg>(), IDC_PRINT_BAD);
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
    for (const auto& p : printers) {
        SCOPED_TRACE(p.name);
        for (const bool skip : {false, true}) {
            SCOPED_TRACE(skip ? "Skip Print" : "Print Good");
            NextCase();
            AddNetworkPrinter(p.address, p.productId);
            CWizardDlg& wizard = WizardAtPrintTest();
            (void)wizard;
            const CWizardPage* page = nullptr;
            if (skip) {
                const CPrintTestDlg& print = Showing<CPrintTestDlg>();
                page = &print;
                ClickButton(print, IDC_SKIP_PRINT);
                EXPECT_EQ(manager_->CurrentTestIndex(), kCopyTestIndex);
                EXPECT_FALSE(PageShows(&print));
            } else {
                Command(wizard::kCmdPrintEvaluation);
                const CPrintEvaluationDlg& evaluation = Showing<CPrintEvaluationDlg>();
                page = &evaluation;
                ClickButton(evaluation, IDC_PRINT_GOOD);
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
    g_environment.Folder().Write(L"config\\corvid_small.prn", std::string(16 << 20, 'K'));
    struct Restore {
        ~Restore() { g_environment.Folder().Write(L"config\\corvid_small.prn", kPrintJob); }
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
    ClickButton(page, IDC_SEND_TEST_PRINT);
    ASSERT_TRUE(PumpUntil([&] { return !watch_.progress.empty(); }));
    EXPECT_TRUE(SavePictureWhenPainted(host_, GalleryPath(L"pp_print_sent.bmp"))); // also lets the job reach its wait
    EXPECT_EQ(reinterpret_cast<HFONT>(::SendMessageW(page.GetDlgItem(IDC_PAGE_MESSAGE), WM_GETFONT, 0, 0)),
              page.RoleFont(FontRole::Message));
    ClickButton(page, 2);
    EXPECT_EQ(HostWindow::closes, 1);
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
    ClickButton(Showing<CPrintTestDlg>(), 2);
    EXPECT_EQ(HostWindow::closes, 1);
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
    EXPECT_EQ(TextOf(page->GetDlgItem(IDC_PAGE_MESSAGE)), UiText(L"TSY_SEND_TESTPRINT_MSG"));
    EXPECT_FALSE(::IsWindowVisible(page->GetDlgItem(IDC_SEND_TEST_PRINT)));
    EXPECT_FALSE(::IsWindowEnabled(page->GetDlgItem(IDC_SEND_TEST_PRINT)));
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
    EXPECT_EQ(StepIconsOf(print), (StepIcons{kStepPassed, kStepPassed, kStepCurrent, kStepNotRun, kStepNotRun, kStepNotRun}));
    ClickButton(print, IDC_SEND_TEST_PRINT);
    EXPECT_FALSE(print.PrintSent());
    EXPECT_TRUE(g_environment.Kernel().Threads().empty());

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
            ClickButton(*wizard_->CurrentPage(), id);
        EXPECT_EQ(watch_.commands.size(), sent);
        EXPECT_TRUE(PageShows(wizard_->CurrentPage()));
    }
    EXPECT_EQ(StepIconsOf(Showing<CCopyFailedDlg>()),
              (StepIcons{kStepPassed, kStepPassed, kStepPassed, kStepPassed, kStepFailed, kStepNotRun}));
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
    EXPECT_EQ(StepIconsOf(Showing<CPrintEvaluationDlg>()),
              (StepIcons{kStepPassed, kStepPassed, kStepPassed, kStepCurrent, kStepNotRun, kStepNotRun}));

    ClickButton(Showing<CPrintEvaluationDlg>(), IDC_PAGE_CANCEL);
    EXPECT_EQ(HostWindow::closes, 1);
    // Skip Print keeps working (the catalogue says this printer copies).
    Command(wizard::kCmdPrintTest);
    ClickButton(Showing<CPrintTestDlg>(), IDC_SKIP_PRINT);
    EXPECT_EQ(watch_.commands.back(), 8);
}

} // namespace
