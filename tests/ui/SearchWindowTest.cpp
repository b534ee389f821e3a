// The network search window with the real diagnostic core component over 127.0.15.0/28
// (tests/ui/search.scenario), run beside the component's assembly.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <set>
#include <string>
#include <vector>

#include "TestFolder.h"
#include "app/KeloTessalyApp.h"
#include "app/engine/DiagnosticMgr.h"
#include "components/diagcore/CoreTestSupport.h"
#include "pages/SearchNetPrinterDlg.h"
#include "sable/SimControl.h"
#include "ui/WindowTestSupport.h"

using namespace std::chrono_literals;

namespace {

[[maybe_unused]] WindowTestEnvironment& g_environment = WindowTestEnvironment::Install({.interfaceResources = true});

class SearchWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sim_.Ready()) << "no simulator (KELO_SABLE_SIM_READY)";
        for (const char* printer : {"search-sable", "search-quill", "search-outside"})
            sim_.Post(std::string("/printers/") + printer + "/clear", "");
        savedBox_ = CSearchNetPrinterDlg::messageBox;
        CSearchNetPrinterDlg::messageBox = [this](HWND, const std::wstring& text, const std::wstring&, UINT) {
            boxes_.push_back(text);
            return IDOK;
        };
        manager_ = &AdoptManagerWithTests();
        Device_Dev installed;
        installed.deviceName = L"Installed before the search";
        manager_->ReplaceDevices({installed});
    }
    void TearDown() override
    {
        CSearchNetPrinterDlg::messageBox = savedBox_;
        CSearchNetPrinterDlg::SetCompletionBound(180000);
        theApp.AdoptDiagnosisManager(nullptr);
    }

    std::vector<std::wstring> Names() const
    {
        std::vector<std::wstring> names;
        for (const Device_Dev& device : manager_->Devices())
            names.push_back(device.deviceName + L" " + device.address);
        return names;
    }

    SimControl sim_;
    CDiagnosticMgr* manager_ = nullptr;
    std::vector<std::wstring> boxes_;
    decltype(CSearchNetPrinterDlg::messageBox) savedBox_;
};

TEST_F(SearchWindow, FindsTheSuitablePrintersOfTheRangeAndNothingElse)
{
    SearchConfigFile config("[Search]\r\nRanges=127.0.15.0/28\r\nProbeTimeoutMs=300\r\n");
    std::set<int> positions;
    bool appeared = false;
    const auto start = std::chrono::steady_clock::now();
    {
        WhileModal watcher(
            [&] {
                HWND window = VisibleThreadWindow(L"");
                if (window == nullptr || ::GetDlgItem(window, IDC_PROGRESS_BAR) == nullptr)
                    return false;
                appeared = true;
                positions.insert(static_cast<int>(::SendDlgItemMessageW(window, IDC_PROGRESS_BAR, PBM_GETPOS, 0, 0)));
                return false; // keep watching until the window ends by itself
            },
            100);
        CSearchNetPrinterDlg search;
        search.DoModal(HostWindow::Get({800, 600}));
        EXPECT_TRUE(search.Completed());
        EXPECT_TRUE(search.ListReplaced());
    }
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    std::printf("search window: %lld ms from opening to the replaced list\n", static_cast<long long>(took.count()));
    EXPECT_TRUE(appeared);
    EXPECT_GT(positions.size(), 1u) << "the bar moved";
    EXPECT_TRUE(boxes_.empty());
    EXPECT_EQ(Names(), (std::vector<std::wstring>{L"Kelo Workline 4420 All-in-One 127.0.15.10",
                                                  L"Kelo Workline 6500 All-in-One 127.0.15.11"}));
    for (const Device_Dev& device : manager_->Devices()) {
        EXPECT_TRUE(device.isNetwork);
        EXPECT_EQ(device.statusCode, -1);
    }
    EXPECT_GT(sim_.HttpRequests("search-sable"), 0) << "the Sable printer was asked for its configuration";
    EXPECT_EQ(sim_.HttpRequests("search-outside"), 0) << "an address outside the range was probed";
}

TEST_F(SearchWindow, NoConnectionSaysSoAndEndsAtOnceWithTheListAsItWas)
{
    SearchConfigFile config("[Search]\r\nRanges=not a range\r\n");
    CSearchNetPrinterDlg search;
    const auto start = std::chrono::steady_clock::now();
    search.DoModal(HostWindow::Get({800, 600}));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_FALSE(search.Completed());
    EXPECT_EQ(boxes_, std::vector<std::wstring>{L"No network connection found,failed to start network scan"});
    EXPECT_EQ(Names(), std::vector<std::wstring>{L"Installed before the search "});
}

TEST_F(SearchWindow, ACompletionThatNeverComesEndsTheWindowWithinItsBound)
{
    SearchConfigFile config("[Search]\r\nRanges=127.0.15.0/28\r\nProbeTimeoutMs=3000\r\n");
    CSearchNetPrinterDlg::SetCompletionBound(700);
    const LogTail log;
    CSearchNetPrinterDlg search;
    search.DoModal(HostWindow::Get({800, 600}));
    EXPECT_FALSE(search.Completed());
    EXPECT_NE(log.Appended().find("The network search did not complete in 700 ms"), std::string::npos);
    EXPECT_EQ(Names(), std::vector<std::wstring>{L"Installed before the search "});
}

// For bench/run.sh (its search row): the whole window path over the range it names, from the
// window's opening to the replaced list; skipped otherwise.
TEST_F(SearchWindow, TimesTheWindowPathForTheBenchmark)
{
    const char* range = std::getenv("KELO_SEARCH_BENCH_RANGE");
    if (range == nullptr)
        GTEST_SKIP() << "the search benchmark runs this";
    SearchConfigFile config(std::string("[Search]\r\nRanges=") + range + "\r\nProbeTimeoutMs=1000\r\n");
    CSearchNetPrinterDlg search;
    const auto start = std::chrono::steady_clock::now();
    search.DoModal(HostWindow::Get({800, 600}));
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    EXPECT_TRUE(search.Completed());
    std::printf("window seconds %.3f\nlisted %u\n", took.count(), static_cast<unsigned>(manager_->Devices().size()));
}

} // namespace
