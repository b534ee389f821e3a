// Every page of the tool prepared in each of the 21 user-interface languages, from the shipped
// string files, and checked for texts that do not fit their controls, overlaps and edges. Here, in
// the tool's own process, the checker measures with the fonts the pages really use (the page fonts
// for 17 languages, the larger application fonts for the other four); each language runs under a
// locale of its own, as its users' Windows would (ctest: language_layout_<id>).
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "TestFolder.h"
#include "app/CustomTabCtrl.h"
#include "app/EnumerateDlg.h"
#include "app/KeloTessalyApp.h"
#include "app/engine/DiagnosticMgr.h"
#include "discovery/DeviceRecords.h"
#include "pages/ConnectivityDlg.h"
#include "pages/CopyEvaluationDlg.h"
#include "pages/CopyFailedDlg.h"
#include "pages/CopyTestDlg.h"
#include "pages/DeviceStatusDlg.h"
#include "pages/FinalDlg.h"
#include "pages/FirmwareDlg.h"
#include "pages/InkLevelDlg.h"
#include "pages/NoNetworkDlg.h"
#include "pages/NoPrintDlg.h"
#include "pages/NotListedDlg.h"
#include "pages/NotListedNetworkDlg.h"
#include "pages/NotSupportedDlg.h"
#include "pages/PrintBadDlg.h"
#include "pages/PrintEvaluationDlg.h"
#include "pages/PrintTestDlg.h"
#include "pages/PrinterServicesDlg.h"
#include "pages/ResetsDlg.h"
#include "quill/QuillManager.h"
#include "quill/SNMPNWManager.h"
#include "support/LanguageChoice.h"
#include "support/XMLHandler.h"
#include "ui/WindowTestSupport.h"
#include "app/WizardRules.h"
#include "res/resource.h"

namespace {

constexpr SIZE kHostSize = {760, 560};

// The device status codes that have a text of their own, and the document feeder's.
constexpr int kLastStatusCode = 61;
constexpr int kLastFeederCode = 6;

std::string LanguageName(const ::testing::TestParamInfo<unsigned short>& info)
{
    return std::to_string(info.param);
}

class LanguageLayout : public ::testing::TestWithParam<unsigned short> {
protected:
    static void SetUpTestSuite() { SuiteWindowServices::Start(); }
    static void TearDownTestSuite() { SuiteWindowServices::Stop(); }

    LanguageLayout() : kernel_(folder_.Path()), scopedKernel_(kernel_), scopedShell_(shell_)
    {
        WriteProgramData(folder_);
        WriteLoopbackSupportLinks(folder_);
        for (unsigned short language : kSupportedLanguages) {
            const std::string file = "data/strings/" + std::to_string(language) + ".xml";
            folder_.Write(L"strings\\" + std::to_wstring(language) + L".xml", SourceFile(file));
        }
        LoadInterfaceResourcesOnce();
        manager_ = &AdoptManagerWithTests();
        host_ = HostWindow::Get(kHostSize);
        theApp.SetMainWindow(host_);
    }
    ~LanguageLayout() override
    {
        LoadEnglishStrings();
        theApp.SetMainWindow(nullptr);
        theApp.AdoptDiagnosisManager(nullptr);
        theApp.AnswerTrail().clear();
        theApp.ErrorTrail().clear();
    }

    // A network copier with a document feeder, selected, and its records as a read leaves them.
    Device_Dev& SelectCopier(int32_t statusCode = 0, bool feeder = false)
    {
        Device_Dev device;
        device.deviceName = L"Kelo Workline 6500 All-in-One";
        device.friendlyName = L"Kelo Workline 6500 All-in-One (127.0.0.11)";
        device.productId = L"7511";
        device.isNetwork = true;
        device.address = L"127.0.0.1";
        device.statusCode = statusCode;
        device.adfStatus = feeder;
        manager_->ReplaceDevices({device});
        manager_->SetSelectedIndex(0);
        return manager_->Devices().back();
    }

    // Opens `page` filling the host, lets `prepare` fill it, and names every layout fault.
    template <class Page>
    void Check(const std::string& name, const std::function<void(Page&)>& prepare)
    {
        Page page;
        ASSERT_TRUE(page.Create(host_)) << name;
        RECT client;
        ::GetClientRect(host_, &client);
        ::SetWindowPos(page.GetSafeHwnd(), nullptr, 0, 0, client.right, client.bottom, SWP_NOZORDER | SWP_SHOWWINDOW);
        prepare(page);
        EXPECT_EQ(LayoutFaults(host_), "") << name << " in " << GetParam();
        ++checked_;
    }
    template <class Page>
    void CheckWizardPage(const std::string& name, int32_t command)
    {
        Check<Page>(name, [command](Page& page) { page.PreparePage(command); });
    }

    TestFolder folder_;
    FakeExecutableFolder kernel_;
    NGWinApi::ScopedApi<NGWinApi::CKernelApi> scopedKernel_;
    RecordingShell shell_;
    NGWinApi::ScopedApi<NGWinApi::CShellApi> scopedShell_;
    CDiagnosticMgr* manager_ = nullptr;
    HWND host_ = nullptr;
    int checked_ = 0;
};

INSTANTIATE_TEST_SUITE_P(Languages, LanguageLayout, ::testing::ValuesIn(kSupportedLanguages), LanguageName);

} // namespace

TEST_P(LanguageLayout, EveryPageFitsItsTexts)
{
    const unsigned short language = GetParam();
    ASSERT_EQ(ChooseUiLanguage(::GetUserDefaultLangID()), language) << "runs under a locale of its language (LC_ALL)";
    XMLHandler& strings = StringTable();
    strings.SetLanguageFixed(true);
    strings.SetLanguageId(language);
    ASSERT_TRUE(strings.Load());
    ASSERT_EQ(strings.LanguageId(), language) << "no string file for this language";
    using namespace wizard;

    SelectCopier();
    manager_->QuillNetwork().ResetDeviceData();
    Check<CEnumerateDlg>("selection page", [](CEnumerateDlg& page) {
        page.PreparePage();
        page.FillDeviceList();
    });
    Check<CNoNetworkDlg>("no network page", [](CNoNetworkDlg& page) { page.PrepareNoNetworkPage(); });
    Check<CNotListedNetworkDlg>("not listed network page",
                                [](CNotListedNetworkDlg& page) { page.PrepareNotListedNetworkPage(); });
    Check<CNotListedDlg>("not listed page", [](CNotListedDlg& page) { page.PrepareNotListedPage(); });
    Check<CResetsDlg>("resets page", [](CResetsDlg& page) { page.PrepareResetsPage(); });
    Check<CInkLevelDlg>("ink levels tab", [](CInkLevelDlg& page) { page.FillInkPage(); });
    Check<CFirmwareDlg>("printer information tab", [](CFirmwareDlg& page) { page.FillFirmwarePage(); });
    Check<CPrinterServicesDlg>("printer services tab", [](CPrinterServicesDlg& page) { page.PrepareServicesPage(); });

    CheckWizardPage<CConnectivityDlg>("connectivity page", kCmdConnectivity);
    CheckWizardPage<CPrintTestDlg>("print test page", kCmdPrintTest);
    CheckWizardPage<CNotSupportedDlg>("not supported page", kCmdNotSupported);
    CheckWizardPage<CPrintEvaluationDlg>("print evaluation page", kCmdPrintEvaluation);
    CheckWizardPage<CCopyTestDlg>("copy test page", kCmdCopyTest);
    CheckWizardPage<CCopyEvaluationDlg>("copy evaluation page", kCmdCopyEvaluation);
    CheckWizardPage<CFinalDlg>("final page", kCmdFinal);
    CheckWizardPage<CNoPrintDlg>("no print page", kCmdNoPrint);
    CheckWizardPage<CPrintBadDlg>("print bad page", kCmdPrintBad);
    CheckWizardPage<CCopyFailedDlg>("copy bad page", kCmdCopyBad);
    CheckWizardPage<CCopyFailedDlg>("no copy page", kCmdNoCopy);

    // The device status page, as the wizard reuses it, in each of its forms and for every status code.
    Check<CDeviceStatusDlg>("device status page", [&](CDeviceStatusDlg& page) {
        const auto again = [&](const std::string& name, int32_t command, int32_t code, bool feeder) {
            SelectCopier(code, feeder);
            manager_->SetCurrentTestIndex(1);
            page.PreparePage(command);
            EXPECT_EQ(LayoutFaults(host_), "") << name << " in " << GetParam();
            ++checked_;
        };
        for (int32_t command : {kCmdPrintFailed, kCmdStatusWithLinks, kCmdPowerLoss, kCmdPowerLossManual})
            again("device status page " + std::to_string(command), command, kLastStatusCode, false);
        for (int32_t code = 1; code <= kLastStatusCode; ++code)
            again("device status page, code " + std::to_string(code), kCmdStatusFault, code, false);
        for (int32_t code = 0; code <= kLastFeederCode; ++code)
            again("document feeder page, code " + std::to_string(code), kCmdFeederError, code, true);
        SelectCopier(14);
        page.PreparePage(kCmdStatusFault);
    });
    // The tab strip of the main window shows its four labels without scrolling.
    {
        CCustomTabCtrl::RegisterWindowClass();
        struct Empty {
            static INT_PTR CALLBACK Procedure(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
        };
        HWND main = ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_TSY_PARENT), nullptr,
                                         &Empty::Procedure, 0);
        ASSERT_NE(main, nullptr);
        CCustomTabCtrl tabs;
        ASSERT_TRUE(tabs.Attach(::GetDlgItem(main, IDC_TABCTRL)));
        const wchar_t* labels[] = {L"TSY_PROPERTY_WIZARD", L"TSY_PROPERTY_SERVICES", L"TSY_PROPERTY_INKLEVELS",
                                   L"TSY_PROPERTY_FIRMWARE"};
        for (int i = 0; i < 4; ++i)
            tabs.InsertItem(i, strings.GetString(labels[i]), 0);
        tabs.ModifyStyle(kTabStyleEqualWidth | kTabStyleBottom | kTabStyleAutoButtons);
        EXPECT_FALSE(tabs.ScrollButtonsShown()) << "the tab labels need scrolling in " << language;
        ++checked_;
        ::DestroyWindow(main);
    }
    std::printf("[ checked  ] %d pages in language %d\n", checked_, language);
}
