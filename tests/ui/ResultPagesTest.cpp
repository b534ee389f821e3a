// The result pages, the USB-or-network question, the driver warning and the feedback survey as
// real windows under Xvfb. Links go to a shell stand-in (no browser); the support hosts point at
// loopback, where nothing answers, so every product link falls back to customer care.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "KeloDiagnosticCore.h"
#include "app/AppMessages.h"
#include "app/engine/DiagnosticMgr.h"
#include "app/EnumerateDlg.h"
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
#include "ui/WindowTestSupport.h"
#include "winapi/ShellApi.h"
#include "links/LinkRules.h"
#include "res/resource.h"

namespace {

using namespace std::chrono_literals;

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

constexpr SIZE kHostSize = {760, 560};

class ResultPages : public ::testing::Test {
protected:
    static void SetUpTestSuite() { SuiteWindowServices::Start(); }
    static void TearDownTestSuite() { SuiteWindowServices::Stop(); }

    ResultPages() : kernel_(folder_.Path()), scopedKernel_(kernel_), scopedShell_(shell_), scopedCom_(com_)
    {
        WriteProgramData(folder_);
        // Support portal and main web site on loopback, where no server answers.
        WriteLoopbackSupportLinks(folder_);
        EXPECT_TRUE(LoadEnglishStrings());
        LoadInterfaceResourcesOnce();
        manager_ = &AdoptManagerWithTests();
        host_ = HostWindow::Get(kHostSize);
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
        StringTable().SetLanguageId(1033);
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

    static void Click(const CDialogBase& page, int id) { ClickButton(page, id); }
    static void Link(const CDialogBase& page, int id, UINT code = NM_CLICK) { ClickLink(page, id, code); }
    static std::wstring Item(const CDialogBase& page, int id) { return ItemText(page.GetSafeHwnd(), id); }
    void Picture(HWND window, const wchar_t* name)
    {
        EXPECT_TRUE(SavePictureWhenPainted(window, GalleryPath(L"rp\\" + std::wstring(name))));
    }

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


// The moment the survey tests stamp their links with: 7 March 2013, 9:05:02.
SYSTEMTIME SurveyMoment()
{
    SYSTEMTIME time = {};
    time.wYear = 2013;
    time.wMonth = 3;
    time.wDay = 7;
    time.wHour = 9;
    time.wMinute = 5;
    time.wSecond = 2;
    return time;
}

// A page's failure line: its message, the line break and the address on the next line.
bool Logged(const std::string& lines, const std::string& message, const std::string& address)
{
    const size_t at = lines.find(message);
    return at != std::string::npos && lines.find("\n" + address, at) != std::string::npos;
}

std::wstring LinkText(const wchar_t* linkKey, const wchar_t* textKey, const wchar_t* joint = L" ")
{
    return L"<a>" + UiText(linkKey) + L"</a>" + joint + UiText(textKey);
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
        EXPECT_EQ(Item(page, IDC_PAGE_HEADING), UiText(L"TSY_DIAGNOSE_HEADING") + L" Office USB printer");
        EXPECT_EQ(Item(page, IDC_PAGE_MESSAGE), UiText(L"TSY_DIAGNOSE_LOWLEVELPRINTTEST_FAIL"));
        EXPECT_EQ(Item(page, IDC_CLEAN_TITLE), UiText(L"TSY_SERVICES_HEAD3"));
        EXPECT_EQ(Item(page, IDC_ALIGN_TITLE), UiText(L"TSY_SERVICES_HEAD2"));
        EXPECT_EQ(Item(page, IDC_PRINT_BAD_TROUBLESHOOTING), L"<a>" + UiText(L"TSY_TROUBLESHOOT_LINK") + L"</a>");
        EXPECT_EQ(Item(page, IDC_FEEDBACK_LINK), L"<a>" + UiText(L"TSY_LINK_FEEDBACK") + L"</a>");
        EXPECT_TRUE(HasVisibleStyle(page.GetDlgItem(IDC_FEEDBACK_LINK)));
        EXPECT_EQ(Item(page, IDC_RETRY), UiText(L"TSY_RETRY_BUTTON"));
        EXPECT_EQ(Item(page, IDC_CLOSE), UiText(L"TSY_CLOSE_BUTTON"));
        EXPECT_EQ(StepIconsOf(page), (StepIcons{kStepPassed, kStepFailed, kStepPassed, kStepFailed, kStepNotRun, kStepNotRun}));
        EXPECT_EQ(reinterpret_cast<HFONT>(::SendMessageW(page.GetDlgItem(IDC_PRINT_BAD_TROUBLESHOOTING), WM_GETFONT, 0, 0)), theApp.AppFont(6));
        Picture(host_, L"print_bad.bmp");
    }
    manager_->SetStatusVerdict(true);
    {
        CNoPrintDlg page;
        Open(page);
        page.PreparePage(10);
        EXPECT_EQ(Item(page, IDC_PAGE_MESSAGE), UiText(L"TSY_NOPRINT"));
        EXPECT_EQ(Item(page, IDC_CUSTOMER_CARE_LINK), LinkText(L"TSY_LINK_CUSTOMERCARE", L"TSY_LINK_KELO1"));
        EXPECT_EQ(Item(page, IDC_FORUM_LINK), LinkText(L"TSY_LINK_SUPPORTFORUM", L"TSY_LINK_FORUM1"));
        EXPECT_TRUE(HasVisibleStyle(page.GetDlgItem(IDC_FEEDBACK_LINK)));
        EXPECT_EQ(StepIconsOf(page), (StepIcons{kStepPassed, kStepPassed, kStepPassed, kStepFailed, kStepNotRun, kStepNotRun}));
        Picture(host_, L"no_print.bmp");
    }
    {
        CFinalDlg page;
        Open(page);
        page.PreparePage(12);
        page.RefreshShown();
        EXPECT_EQ(Item(page, IDC_FINAL_HEADING), UiText(L"TSY_HARDWAREPASSED_HEADING1"));
        EXPECT_EQ(Item(page, IDC_PAGE_MESSAGE), UiText(L"TSY_HARDWAREPASSED_MESSAGE1"));
        EXPECT_EQ(Item(page, IDC_DOWNLOAD_LINK), LinkText(L"TSY_LINK_DOWNLOADDU", L"TSY_LINK_DU", L"\r\n"));
        EXPECT_EQ(Item(page, IDC_BACK), UiText(L"TSY_BACK_BUTTON"));
        EXPECT_EQ(StepIconsOf(page), (StepIcons{kStepPassed, kStepPassed, kStepPassed, kStepPassed, kStepPassed, kStepPassed}));
        Picture(host_, L"final.bmp");
    }
    // Other languages see no survey link.
    StringTable().SetLanguageId(1036);
    CPrintBadDlg printBad;
    CNoPrintDlg noPrint;
    CFinalDlg final;
    for (CWizardPage* page : std::initializer_list<CWizardPage*>{&printBad, &noPrint, &final}) {
        Open(*page);
        page->PreparePage(0);
        EXPECT_FALSE(HasVisibleStyle(page->GetDlgItem(IDC_FEEDBACK_LINK)));
        EXPECT_FALSE(::IsWindowEnabled(page->GetDlgItem(IDC_FEEDBACK_LINK)));
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
        HostWindow::pageCommands.clear();
        manager_->SetErrorSimulationActive(true);
        Click(*page, IDC_RETRY);
        EXPECT_TRUE(HostWindow::pageCommands.empty());
        EXPECT_TRUE(HasVisibleStyle(page->GetSafeHwnd()));
        manager_->SetErrorSimulationActive(false);
        manager_->SetCurrentTestIndex(kPrintEvaluationTestIndex);
        Click(*page, IDC_RETRY);
        EXPECT_EQ(HostWindow::pageCommands, std::vector<int>{2});
        EXPECT_EQ(manager_->CurrentTestIndex(), 2);
        EXPECT_FALSE(HasVisibleStyle(page->GetSafeHwnd()));
        // Close goes to the parent's closing sequence.
        HostWindow::closes = 0;
        Click(*page, IDC_CLOSE);
        EXPECT_EQ(HostWindow::closes, 1);
    }
    // Under simulation the print bad page shows its own step picture.
    manager_->SetErrorSimulationActive(true);
    printBad.PreparePage(9);
    EXPECT_EQ(StepIconsOf(printBad), (StepIcons{kStepPassed, kStepPassed, kStepPassed, kStepCurrent, kStepNotRun, kStepNotRun}));
}

TEST_F(ResultPages, CleanAndAlignRunTheProgressPopupUnlessTheProductCannot)
{
    Device_Dev& printer = AddUsbPrinter(L"2112");
    CPrgsDlg::SetMinimumShowTime(300);
    CPrintBadDlg page;
    Open(page);
    page.PreparePage(9);
    for (auto [button, operation] : {std::pair{IDC_PRINT_BAD_CLEAN, DeviceOperation::CleanPrintheads},
                                     std::pair{IDC_PRINT_BAD_ALIGN, DeviceOperation::AlignPrintheads}}) {
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
    EXPECT_TRUE(::IsWindowEnabled(page.GetDlgItem(IDC_PRINT_BAD_CLEAN)));
    EXPECT_TRUE(::IsWindowEnabled(page.GetDlgItem(IDC_PRINT_BAD_ALIGN)));

    // A product that can neither be cleaned nor aligned, its id in capitals.
    printer.productId = L"B311";
    page.PreparePage(9);
    for (int id : {IDC_PRINT_BAD_CLEAN, IDC_CLEAN_TITLE, IDC_PRINT_BAD_ALIGN, IDC_ALIGN_TITLE})
        EXPECT_FALSE(::IsWindowEnabled(page.GetDlgItem(id))) << id;

    // Under simulation the buttons do nothing.
    printer.productId = L"2112";
    page.PreparePage(9);
    manager_->SetErrorSimulationActive(true);
    Click(page, IDC_PRINT_BAD_CLEAN);
    EXPECT_TRUE(::IsWindowEnabled(page.GetDlgItem(IDC_PRINT_BAD_CLEAN)));
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
    manager_->SetCurrentTestIndex(kCopyEvaluationTestIndex);

    manager_->SetErrorSimulationActive(true);
    Click(page, IDC_BACK);
    EXPECT_TRUE(HostWindow::commandsToMain.empty());
    EXPECT_EQ(theApp.AnswerTrail(), L"@PrintGood@CopyGood");
    manager_->SetErrorSimulationActive(false);

    Click(page, IDC_BACK);
    EXPECT_EQ(HostWindow::commandsToMain, std::vector<int>{kPageSelectPrinter});
    EXPECT_TRUE(theApp.AnswerTrail().empty());
    EXPECT_TRUE(theApp.ErrorTrail().empty());
    EXPECT_FALSE(manager_->NetworkSearchDone());
    EXPECT_EQ(manager_->CurrentTestIndex(), 0);
    EXPECT_EQ(com_.componentRequests, 1) << "the printers are enumerated again";
    EXPECT_TRUE(manager_->Devices().empty()) << "the absent component found none";
    EXPECT_FALSE(HasVisibleStyle(page.GetSafeHwnd()));

    // Close closes the tool through the main window.
    Click(page, IDC_CLOSE);
    EXPECT_EQ(HostWindow::closes, 1);
}

TEST_F(ResultPages, SurveyLinkForms)
{
    os_info os;
    os.name = "Microsoft Windows 7";
    os.version = "6.1";
    os.edition = "Ultimate Edition";
    os.servicePack = "Service Pack 1";
    os.bitness = "64 bit";
    SYSTEMTIME time = SurveyMoment();
    const std::wstring address = UiText(L"TSY_URL_FEEDBACK");

    // No printer: only the dialog builds a link, the no-device form with the time stamp.
    EXPECT_EQ(CurrentSurveyLink(SurveyCaller::Page, os, time), L"");
    EXPECT_EQ(CurrentSurveyLink(SurveyCaller::FeedbackDialog, os, time),
              address + L"&q8=" + PercentEncode(L"V4.0.0.35@Microsoft Windows 7 Ultimate Edition Service Pack 1 - @64 "
                                                L"bit User Aborted Before Diagnosse Mar 7 2013 9:5:2"));
    time.wMonth = 12;
    time.wHour = 23;
    EXPECT_EQ(SurveyTimeStamp(time), L" Dec 7 2013 23:5:2");

    // A USB printer without friendly name, one status tag and the print bad answer.
    AddUsbPrinter();
    theApp.ErrorTrail() = L"@Error14";
    theApp.AnswerTrail() = L"@PrintBad";
    const std::wstring device =
        L"V4.0.0.35@Microsoft Windows 7 Ultimate Edition Service Pack 1 - 64 bit@Printer X470 Series@USB@Error14@PrintBad";
    EXPECT_EQ(CurrentSurveyLink(SurveyCaller::Page, os, time), address + L"&q8=" + PercentEncode(device));
    EXPECT_EQ(CurrentSurveyLink(SurveyCaller::FeedbackDialog, os, time), address + L"&q8=" + PercentEncode(device));

    // Empty trails end after the connection; an empty service pack leaves two blanks.
    theApp.ErrorTrail().clear();
    theApp.AnswerTrail().clear();
    manager_->Devices()[0].friendlyName = L"Office";
    manager_->Devices()[0].isNetwork = true;
    os.servicePack.clear();
    EXPECT_EQ(CurrentSurveyLink(SurveyCaller::Page, os, time),
              address + L"&q8=" + PercentEncode(L"V4.0.0.35@Microsoft Windows 7 Ultimate Edition  - 64 bit@Office@Network"));
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

    Link(noPrint, IDC_FEEDBACK_LINK, NM_RETURN);
    ASSERT_EQ(shell_.opened.size(), 1u);
    EXPECT_EQ(shell_.verbs[0], L"open");
    EXPECT_EQ(shell_.opened[0].rfind(UiText(L"TSY_URL_FEEDBACK") + L"&q8=V4.0.0.35%40", 0), 0u);
    EXPECT_NE(shell_.opened[0].find(PercentEncode(L"@Printer X470 Series@USB@Error14")), std::wstring::npos);

    shell_.result = 2;
    {
        LogTail log;
        Link(noPrint, IDC_FORUM_LINK);
        Link(noPrint, IDC_FEEDBACK_LINK);
        const std::string lines = log.Appended();
        EXPECT_TRUE(Logged(lines, "@CNoPrintDlg::OnNMClickSyslinkForum Page not found\r", "http://forum.kelo.example/"));
        EXPECT_NE(lines.find("Error while opening link TSY_URL_FEEDBACK."), std::string::npos);
    }
    {
        CFinalDlg final;
        Open(final);
        final.PreparePage(12);
        LogTail log;
        Link(final, IDC_FORUM_LINK);
        Link(final, IDC_DOWNLOAD_LINK);
        EXPECT_EQ(shell_.opened[shell_.opened.size() - 2], UiText(L"TSY_URL_FORUM"));
        EXPECT_EQ(shell_.opened.back(), UiText(L"TSY_URL_DU"));
        EXPECT_EQ(log.Appended().find("Page not found"), std::string::npos) << "the final page logs nothing";
    }
    shell_.result = 33;

    // Troubleshooting: the answer trail learns it, and the product link falls back to customer
    // care (the portal on loopback does not answer).
    CPrintBadDlg printBad;
    Open(printBad);
    printBad.PreparePage(9);
    Link(printBad, IDC_PRINT_BAD_TROUBLESHOOTING);
    EXPECT_EQ(theApp.AnswerTrail(), L"@PQ Help");
    EXPECT_EQ(shell_.opened.back(), UiText(L"TSY_URL_KELO"));

    // Under simulation the wizard pages' links are inert.
    const size_t opened = shell_.opened.size();
    manager_->SetErrorSimulationActive(true);
    Link(printBad, IDC_PRINT_BAD_TROUBLESHOOTING);
    Link(printBad, IDC_FEEDBACK_LINK);
    Link(noPrint, IDC_CUSTOMER_CARE_LINK);
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
        std::wstring message = UiText(L"TSY_NONETWORK_STRING1");
        for (size_t at; (at = message.find(L"\\n")) != std::wstring::npos;)
            message.replace(at, 2, L"\r\n");
        EXPECT_EQ(Item(page, IDC_RESULT_MESSAGE), message);
        EXPECT_EQ(Item(page, IDC_RESULT_CUSTOMER_CARE), LinkText(L"TSY_LINK_CUSTOMERCARE", L"TSY_LINK_KELO1"));
        EXPECT_EQ(Item(page, IDC_RESULT_FORUM), LinkText(L"TSY_LINK_SUPPORTFORUM", L"TSY_LINK_FORUM1"));
        EXPECT_EQ(Item(page, IDC_RESULT_DOWNLOAD), LinkText(L"TSY_LINK_DOWNLOADDU", L"TSY_LINK_DU"));
        EXPECT_EQ(Item(page, IDC_BACK), UiText(L"TSY_BACK_BUTTON"));
        EXPECT_EQ(Item(page, IDCANCEL), UiText(L"TSY_CANCEL_BUTTON"));
        Picture(host_, L"no_network.bmp");
        // The main-window pages' links work under simulation too.
        manager_->SetErrorSimulationActive(true);
        shell_.result = 2;
        LogTail log;
        Link(page, IDC_RESULT_CUSTOMER_CARE);
        Link(page, IDC_RESULT_FORUM);
        Link(page, IDC_RESULT_DOWNLOAD);
        const std::string lines = log.Appended();
        EXPECT_TRUE(Logged(lines, "@CNoNetworkDlg::OnNMClickSyslink1 Page not found\r",
                           "http://support.kelo.example/go/customercare"));
        EXPECT_NE(lines.find("@CNoNetworkDlg::OnNMClickSyslink2 Page not found"), std::string::npos);
        EXPECT_NE(lines.find("@CNoNetworkDlg::OnNMClickSyslink3 Page not found"), std::string::npos);
        EXPECT_EQ(shell_.opened, (std::vector<std::wstring>{UiText(L"TSY_URL_KELO"), UiText(L"TSY_URL_FORUM"), UiText(L"TSY_URL_DU")}));
        manager_->SetErrorSimulationActive(false);
        shell_.result = 33;
        Click(page, IDC_BACK);
        EXPECT_EQ(HostWindow::commandsToMain, std::vector<int>{kPageSelectPrinter});
        EXPECT_FALSE(HasVisibleStyle(page.GetSafeHwnd()));
        Click(page, IDCANCEL);
        EXPECT_EQ(HostWindow::closes, 1);
    }
    {
        HostWindow::commandsToMain.clear();
        CNotListedNetworkDlg page;
        Open(page);
        page.PrepareNotListedNetworkPage();
        EXPECT_EQ(Item(page, IDC_NOT_LISTED_NETWORK_MESSAGE).find(L"\\n"), std::wstring::npos);
        EXPECT_NE(Item(page, IDC_NOT_LISTED_NETWORK_MESSAGE).find(L"\r\n"), std::wstring::npos);
        EXPECT_EQ(Item(page, IDC_RETRY), UiText(L"TSY_RETRY_BUTTON"));
        EXPECT_EQ(Item(page, IDCANCEL), UiText(L"TSY_EXIT_BUTTON"));
        Picture(host_, L"not_listed_network.bmp");
        // Without network settings Retry leads to the no network page.
        Click(page, IDC_RETRY);
        EXPECT_EQ(HostWindow::commandsToMain, std::vector<int>{kPageNoNetwork});
        EXPECT_FALSE(HasVisibleStyle(page.GetSafeHwnd()));
        // With them it searches again, then shows the selection page.
        const auto savedSearch = CEnumerateDlg::searchNetworkPrinters;
        int searches = 0;
        CEnumerateDlg::searchNetworkPrinters = [&](HWND) {
            ++searches;
            EXPECT_TRUE(HostWindow::commandsToMain.size() == 1u) << "the search comes first";
        };
        com_.networkPresent = true;
        ::ShowWindow(page.GetSafeHwnd(), SW_SHOW);
        Click(page, IDC_RETRY);
        com_.networkPresent = false;
        CEnumerateDlg::searchNetworkPrinters = savedSearch;
        EXPECT_EQ(searches, 1);
        EXPECT_EQ(HostWindow::commandsToMain, (std::vector<int>{kPageNoNetwork, kPageSelectPrinter}));
        EXPECT_FALSE(HasVisibleStyle(page.GetSafeHwnd()));
    }
    {
        HostWindow::commandsToMain.clear();
        CNotListedDlg page;
        Open(page);
        page.PrepareNotListedPage();
        EXPECT_EQ(Item(page, IDC_NOT_LISTED_TITLE), UiText(L"TSY_NOTLISTED_STRING0"));
        const std::wstring steps = UiText(L"TSY_NOTLISTED_STRING1") + L"\r\n" + UiText(L"TSY_NOTLISTED_STRING2") + L"\r\n\t" +
                                   UiText(L"TSY_NOTLISTED_STRING3") + L"\r\n\t" + UiText(L"TSY_NOTLISTED_STRING4") + L"\r\n" +
                                   UiText(L"TSY_NOTLISTED_STRING5") + L"\r\n" + UiText(L"TSY_NOTLISTED_STRING6") + L"\r\n" +
                                   UiText(L"TSY_NOTLISTED_STRING7") + L"\r\n" + UiText(L"TSY_NOTLISTED_STRING8");
        EXPECT_EQ(Item(page, IDC_NOT_LISTED_STEPS), steps);
        EXPECT_EQ(Item(page, IDC_NOT_LISTED_TITLE2), L"");
        EXPECT_EQ(Item(page, IDC_NOT_LISTED_EXIT), UiText(L"TSY_EXIT_BUTTON"));
        EXPECT_EQ(reinterpret_cast<HFONT>(::SendMessageW(page.GetDlgItem(IDC_NOT_LISTED_TITLE), WM_GETFONT, 0, 0)), theApp.AppFont(2));
        Picture(host_, L"not_listed.bmp");
        // Chinese (traditional) keeps the page's own fonts here, unlike the no network page.
        StringTable().SetLanguageId(1028);
        EXPECT_EQ(page.RoleFont(4), page.PageFont(4));
        CNoNetworkDlg noNetwork;
        EXPECT_EQ(noNetwork.RoleFont(4), theApp.AppFont(4));
        StringTable().SetLanguageId(1033);
        const int requests = com_.componentRequests;
        Click(page, IDC_RETRY);
        EXPECT_EQ(HostWindow::commandsToMain, std::vector<int>{kPageSelectPrinter});
        EXPECT_EQ(com_.componentRequests, requests + 1) << "Retry enumerates again";
        EXPECT_TRUE(manager_->Devices().empty());
    }
    {
        HostWindow::commandsToMain.clear();
        AddUsbPrinter(L"ffff", L"Mystery printer");
        manager_->SetNetworkSearchDone(true);
        CNotSupportedDlg page;
        Open(page);
        EXPECT_NE(Item(page, IDC_RESULT_MESSAGE).find(L"Mystery printer"), std::wstring::npos);
        EXPECT_EQ(Item(page, IDC_RESULT_MESSAGE).find(L"%s"), std::wstring::npos);
        Picture(host_, L"not_supported.bmp");
        // The forum link is live even under simulation, and logs its page's line on failure.
        manager_->SetErrorSimulationActive(true);
        shell_.result = 2;
        LogTail log;
        Link(page, IDC_RESULT_FORUM);
        EXPECT_NE(log.Appended().find("@CNotSupportedDlg::OnNMClickSyslink2 Page not found"), std::string::npos);
        manager_->SetErrorSimulationActive(false);
        shell_.result = 33;
        Click(page, IDC_BACK);
        EXPECT_EQ(HostWindow::commandsToMain, std::vector<int>{kPageSelectPrinter});
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
        EXPECT_EQ(answer(popup, IDC_USB_BUTTON, L"usb_network.bmp"), IDCANCEL);
        CUSBNetworkPopup again;
        EXPECT_EQ(answer(again, IDC_NETWORK_BUTTON, nullptr), IDOK);
    }
    {
        CDriverVerificationDlg dialog;
        EXPECT_EQ(answer(dialog, IDC_DRIVER_CONTINUE, L"driver_verification.bmp"), IDOK);
        CDriverVerificationDlg again;
        EXPECT_EQ(answer(again, IDC_DRIVER_EXIT, nullptr), IDCANCEL);
    }
    // The selection page's hooks run these windows.
    CUSBNetworkPopup texts;
    WhileModal check([&] {
        HWND hwnd = texts.GetSafeHwnd();
        if (hwnd == nullptr)
            return false;
        EXPECT_EQ(TextOf(::GetDlgItem(hwnd, IDC_USB_NETWORK_TEXT)), UiText(L"TSY_USBNETWORKPOPUP_STRING1"));
        EXPECT_EQ(TextOf(::GetDlgItem(hwnd, IDC_USB_BUTTON)), UiText(L"TSY_USB_STRING"));
        EXPECT_EQ(TextOf(::GetDlgItem(hwnd, IDC_NETWORK_BUTTON)), UiText(L"TSY_NETWORK_STRING"));
        ::PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDC_NETWORK_BUTTON, BN_CLICKED), 0);
        return true;
    });
    EXPECT_EQ(texts.DoModal(host_), IDOK);
    int seen = 0;
    WhileModal viaHook([&] {
        HWND popup = VisibleThreadWindow(L"", host_);
        if (popup == nullptr || ::GetDlgItem(popup, IDC_DRIVER_EXIT) == nullptr)
            return false;
        ++seen;
        EXPECT_EQ(TextOf(::GetDlgItem(popup, IDC_DRIVER_INFO_TEXT)), UiText(L"TSY_DRIVER_VERIFICATION_INFO"));
        ::PostMessageW(popup, WM_COMMAND, MAKEWPARAM(IDC_DRIVER_EXIT, BN_CLICKED), 0);
        return true;
    });
    EXPECT_EQ(CEnumerateDlg::verifyDriver(host_), IDCANCEL);
    EXPECT_EQ(seen, 1);
}

TEST_F(ResultPages, FeedbackDialog)
{
    SYSTEMTIME fixed = SurveyMoment();
    surveyClock = [&] { return fixed; };
    {
        // "Yes" with no printer: the no-device form, then the dialog ends with 1.
        CFeedbackDlg dialog;
        WhileModal yes([&] {
            HWND hwnd = dialog.GetSafeHwnd();
            if (hwnd == nullptr || !::IsWindowVisible(hwnd))
                return false;
            EXPECT_EQ(TextOf(hwnd), L"Kelo Tessaly 4.0");
            EXPECT_EQ(TextOf(::GetDlgItem(hwnd, IDC_FEEDBACK_NO_LINK)), L"<a>No, Exit without taking survey</a>");
            EXPECT_EQ(TextOf(::GetDlgItem(hwnd, IDOK)), L"Yes, Exit taking survey");
            EXPECT_EQ(TextOf(::GetDlgItem(hwnd, IDC_FEEDBACK_TEXT)).rfind(L"Kelo values your feedback.\n\nWe'd like", 0), 0u);
            Picture(hwnd, L"feedback.bmp");
            ::PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            return true;
        });
        EXPECT_EQ(dialog.DoModal(host_), IDOK);
        ASSERT_EQ(shell_.opened.size(), 1u);
        EXPECT_EQ(shell_.opened[0].rfind(UiText(L"TSY_URL_FEEDBACK") + L"&q8=V4.0.0.35%40", 0), 0u);
        const std::wstring tail = PercentEncode(L" User Aborted Before Diagnosse Mar 7 2013 9:5:2");
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
            Link(dialog, IDC_FEEDBACK_NO_LINK);
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
        StringTable().SetLanguageId(language);
        CTSYParentDlg window;
        ASSERT_TRUE(window.Create(nullptr));
        ::SendMessageW(window.GetSafeHwnd(), kMsgPageCommandToMain, kPageNoNetwork, 0);
        CNoNetworkDlg& page = window.NoNetworkPage();
        ASSERT_TRUE(HasVisibleStyle(page.GetSafeHwnd()));
        int dialogs = 0;
        WhileModal closeIt([&] {
            HWND feedback = VisibleThreadWindow(L"Kelo Tessaly 4.0", window.GetSafeHwnd());
            if (feedback == nullptr || ::GetDlgItem(feedback, IDC_FEEDBACK_NO_LINK) == nullptr)
                return false;
            ++dialogs;
            ::PostMessageW(feedback, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
            return true;
        });
        MSG escape = {page.GetDlgItem(IDC_BACK), WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
        ::IsDialogMessageW(page.GetSafeHwnd(), &escape);
        PumpWaiting();
        EXPECT_EQ(dialogs, language == 1033 ? 1 : 0);
        EXPECT_EQ(shell_.opened.size(), 0u);
        theApp.SetMainWindow(host_);
    }
}
