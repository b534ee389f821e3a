#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

#include "TestFolder.h"
#include "app/AppMessages.h"
#include "app/engine/DiagnosticMgr.h"
#include "quill/QuillManager.h"
#include "quill/SNMPNWManager.h"
#include "sable/SableManager.h"

namespace {

const char kCatalogue[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<Catalogue>
  <Product PID="5912" MODEL="Kelo Workline 4420" INSTALL_NAME="Kelo Workline 4420 Series"
           PRN_FILE="DS2_based.prn" COPY="YES" ADF="YES" DEVICE_TYPE="rest"/>
  <Product PID="7511" MODEL="Kelo Workline 6500" INSTALL_NAME="Kelo Workline 6500 Series"
           PRN_FILE="corvid_small.prn" COPY="YES" ADF="YES" DEVICE_TYPE="quill"/>
</Catalogue>
)";

// A test whose Run answers what it is told and notes whether the 'started' notice came first.
class ScriptedTest : public CTest {
public:
    explicit ScriptedTest(int32_t answer, const std::atomic<int>* startedSeen = nullptr)
        : answer_(answer), startedSeen_(startedSeen) {}
    int32_t Run(Device_Dev& device) override
    {
        ranAfterStarted = startedSeen_ == nullptr || startedSeen_->load() > 0;
        device.statusCode = 42;
        if (whileRunning)
            whileRunning();
        return answer_;
    }
    bool ranAfterStarted = false;
    std::function<void()> whileRunning; // what the user does meanwhile

private:
    int32_t answer_;
    const std::atomic<int>* startedSeen_;
};

// A message-only window that records the test progress it is sent, on the thread that made it.
class ProgressRecorder {
public:
    ProgressRecorder()
    {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &ProgressRecorder::Procedure;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"KeloProgressRecorder";
        ::RegisterClassW(&windowClass);
        window_ = ::CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    windowClass.hInstance, nullptr);
        ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~ProgressRecorder() { ::DestroyWindow(window_); }

    HWND Window() const { return window_; }
    std::vector<WPARAM> progress;
    std::vector<LPARAM> second;
    std::atomic<int> started{0};
    bool wrongThread = false;

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<ProgressRecorder*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self != nullptr && message == kMsgTestProgress) {
            self->wrongThread |= ::GetWindowThreadProcessId(window, nullptr) != ::GetCurrentThreadId();
            self->progress.push_back(wParam);
            self->second.push_back(lParam);
            if (wParam == kProgressStarted)
                ++self->started;
            return 0;
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    }

    HWND window_ = nullptr;
};

class DiagnosticMgrTest : public ::testing::Test {
protected:
    DiagnosticMgrTest() : fake_(folder_.Path()), scoped_(fake_)
    {
        folder_.Write(L"config\\product_info.xml", kCatalogue);
        manager_.BuildTests();
        Device_Dev usb;
        usb.deviceName = L"Kelo Workline 6500";
        usb.productId = L"7511";
        Device_Dev network;
        network.deviceName = L"Kelo Workline 4420 Series (127.0.0.10)";
        network.friendlyName = L"Kelo Workline 4420 Series";
        network.address = L"127.0.0.10";
        network.productId = L"0000";
        network.isNetwork = true;
        manager_.ReplaceDevices({usb, network});
    }

    // Runs the current test on a worker while this thread pumps messages, as the wizard does.
    void RunOnWorker()
    {
        NGWinApi::UniqueHandle worker(
            ::CreateThread(nullptr, 0, &CDiagnosticMgr::TestWorker, &manager_, 0, nullptr));
        ASSERT_TRUE(worker.valid());
        HANDLE workerHandle = worker.get();
        while (::MsgWaitForMultipleObjects(1, &workerHandle, FALSE, 10000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
            MSG message;
            while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
                ::DispatchMessageW(&message);
        }
        ASSERT_EQ(::WaitForSingleObject(worker.get(), 0), WAIT_OBJECT_0);
    }

    TestFolder folder_;
    FakeExecutableFolder fake_;
    NGWinApi::ScopedApi<NGWinApi::CKernelApi> scoped_;
    CDiagnosticMgr manager_;
    ProgressRecorder recorder_;
};

} // namespace

TEST_F(DiagnosticMgrTest, BuildsTheSixTestsInOrder)
{
    const wchar_t* names[] = {L"Connectivity Test", L"Device Status Test", L"Low level print Test",
                              L"Print Evaluation Test", L"Copy Test", L"Copy Evaluation Test"};
    ASSERT_EQ(manager_.Tests().size(), 6u);
    for (int32_t i = 0; i < 6; ++i) {
        const ::Test* entry = manager_.TestAt(i);
        EXPECT_EQ(entry->id, i + 1);
        EXPECT_EQ(entry->name, names[i]);
        EXPECT_EQ(entry->result, kTestNotRun);
        ASSERT_TRUE(entry->test);
    }
    EXPECT_EQ(manager_.CurrentTestIndex(), -1);
    EXPECT_EQ(manager_.TestAt(6), nullptr);
    EXPECT_EQ(manager_.TestAt(-1), nullptr);
    // The judged tests only ever answer "passed".
    Device_Dev device;
    for (int32_t i = kPrintEvaluationTestIndex; i <= kCopyEvaluationTestIndex; ++i)
        EXPECT_EQ(manager_.TestAt(i)->test->Run(device), kRunPassed);
}

TEST_F(DiagnosticMgrTest, ReportsStartedThenTheOutcomeAndStoresTheResult)
{
    manager_.SetNotifyWindow(recorder_.Window());
    const struct {
        int32_t runAnswer;
        std::vector<WPARAM> messages;
        int32_t stored;
    } cases[] = {
        {kRunPassed, {kProgressStarted, kProgressPassed}, kTestPassed},
        {kRunFailed, {kProgressStarted, kProgressFailed}, kTestFailed},
        {kRunAbandon, {kProgressStarted, kProgressAbandon}, kTestFailed},
        {7, {kProgressStarted}, kTestNotRun}, // anything else leaves the result alone
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.runAnswer);
        recorder_.progress.clear();
        recorder_.second.clear();
        recorder_.started = 0;
        manager_.SetCurrentTestIndex(kLowLevelPrintTestIndex);
        ::Test* entry = manager_.TestAt(kLowLevelPrintTestIndex);
        entry->result = kTestNotRun;
        auto scripted = std::make_unique<ScriptedTest>(c.runAnswer, &recorder_.started);
        ScriptedTest* test = scripted.get();
        entry->test = std::move(scripted);
        RunOnWorker();
        EXPECT_EQ(recorder_.progress, c.messages);
        EXPECT_EQ(recorder_.second, std::vector<LPARAM>(c.messages.size(), 0));
        EXPECT_FALSE(recorder_.wrongThread);
        EXPECT_TRUE(test->ranAfterStarted);
        EXPECT_EQ(entry->result, c.stored);
    }
    // The test ran on a copy of the selected record, and what it found is stored back.
    EXPECT_EQ(manager_.Selected()->statusCode, 42);
}

TEST_F(DiagnosticMgrTest, AFindingOfAReplacedListIsDropped)
{
    manager_.SetCurrentTestIndex(kLowLevelPrintTestIndex);
    auto scripted = std::make_unique<ScriptedTest>(kRunFailed);
    Device_Dev found;
    found.address = L"127.0.0.44";
    found.statusCode = 7;
    scripted->whileRunning = [&] { manager_.ReplaceDevices({found, found}); };
    manager_.TestAt(kLowLevelPrintTestIndex)->test = std::move(scripted);
    manager_.SetSelectedIndex(1);
    RunOnWorker();
    ASSERT_TRUE(manager_.Selected());
    EXPECT_EQ(manager_.Selected()->address, L"127.0.0.44");
    EXPECT_EQ(manager_.Selected()->statusCode, 7) << "the old printer's status landed on the new record";
}

TEST_F(DiagnosticMgrTest, ATestWithoutObjectOrPrinterFails)
{
    manager_.SetNotifyWindow(recorder_.Window());
    manager_.SetCurrentTestIndex(kDeviceStatusTestIndex);
    manager_.TestAt(kDeviceStatusTestIndex)->test.reset();
    RunOnWorker();
    EXPECT_EQ(recorder_.progress, (std::vector<WPARAM>{kProgressStarted, kProgressFailed}));
    EXPECT_EQ(manager_.TestAt(kDeviceStatusTestIndex)->result, kTestFailed);

    recorder_.progress.clear();
    manager_.SetCurrentTestIndex(kPrintEvaluationTestIndex);
    manager_.SetSelectedIndex(5);
    RunOnWorker();
    EXPECT_EQ(recorder_.progress, (std::vector<WPARAM>{kProgressStarted, kProgressFailed}));
    EXPECT_EQ(manager_.TestAt(kPrintEvaluationTestIndex)->result, kTestFailed);
}

TEST_F(DiagnosticMgrTest, EveryRunGetsAFreshUnsignalledCancelEvent)
{
    manager_.SetCurrentTestIndex(kPrintEvaluationTestIndex);
    manager_.RunCurrentTest();
    const HANDLE first = manager_.CancelEvent();
    ASSERT_NE(first, nullptr);
    manager_.SignalCancel();
    EXPECT_EQ(::WaitForSingleObject(first, 0), WAIT_OBJECT_0);
    manager_.SignalCancel(); // a cancel pressed after the job ended must not reach the next run
    manager_.RunCurrentTest();
    const HANDLE second = manager_.CancelEvent();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(::WaitForSingleObject(second, 0), static_cast<DWORD>(WAIT_TIMEOUT));
}

// A test that waits as a print on a stalled port does, until the run is cancelled.
class UntilCancelled : public CTest {
public:
    UntilCancelled(const CDiagnosticMgr& manager, std::atomic<bool>& ended) : manager_(manager), ended_(ended) {}
    int32_t Run(Device_Dev&) override
    {
        const DWORD woken = ::WaitForSingleObject(manager_.CancelEvent(), 10000);
        ::Sleep(100); // winding down touches the manager's records still
        ended_ = true;
        return woken == WAIT_OBJECT_0 ? kRunAbandon : kRunFailed;
    }

private:
    const CDiagnosticMgr& manager_;
    std::atomic<bool>& ended_;
};

TEST_F(DiagnosticMgrTest, AManagerGoingAwayCancelsAndWaitsForItsWorker)
{
    // Close on the connectivity page or Exit on the print page while the check runs.
    auto manager = std::make_unique<CDiagnosticMgr>();
    manager->BuildTests();
    manager->ReplaceDevices({Device_Dev{}});
    std::atomic<bool> ended{false};
    manager->SetCurrentTestIndex(kLowLevelPrintTestIndex);
    manager->TestAt(kLowLevelPrintTestIndex)->test = std::make_unique<UntilCancelled>(*manager, ended);
    manager->SetNotifyWindow(recorder_.Window());
    ASSERT_TRUE(manager->StartTestWorker());
    for (int i = 0; i < 500 && recorder_.started == 0; ++i) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageW(&message);
        ::Sleep(10);
    }
    ASSERT_EQ(recorder_.started, 1);
    EXPECT_TRUE(manager->TestWorkerRunning());

    const auto start = std::chrono::steady_clock::now();
    manager.reset();
    EXPECT_TRUE(ended) << "the worker outlived its manager";
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    // The wait served the worker's last report instead of deadlocking on it.
    EXPECT_EQ(recorder_.progress, (std::vector<WPARAM>{kProgressStarted, kProgressAbandon}));
}

TEST_F(DiagnosticMgrTest, SelectionIsVerifiedAgainstTheCatalogue)
{
    ASSERT_TRUE(manager_.Selected());
    EXPECT_EQ(manager_.Selected()->productId, L"7511");
    manager_.SetSelectedIndex(1);
    EXPECT_EQ(manager_.Selected()->address, L"127.0.0.10");

    // A network printer takes the catalogue's product id.
    EXPECT_TRUE(manager_.VerifySelectedPrinter());
    EXPECT_EQ(manager_.Selected()->productId, L"5912");

    manager_.SetStatusShown(true);
    EXPECT_TRUE(manager_.StatusShown());
    EXPECT_TRUE(manager_.Devices()[1].statusShown);
    EXPECT_FALSE(manager_.AdfStatus());

    manager_.SetSelectedIndex(7);
    EXPECT_FALSE(manager_.Selected());
    EXPECT_FALSE(manager_.VerifySelectedPrinter());
    EXPECT_FALSE(manager_.StatusShown());
}

TEST_F(DiagnosticMgrTest, ReplaceDevicesCopiesInOrder)
{
    Device_Dev found;
    found.address = L"127.0.0.44";
    found.isNetwork = true;
    manager_.ReplaceDevices({found, found});
    ASSERT_EQ(manager_.Devices().size(), 2u);
    EXPECT_EQ(manager_.Devices()[0].address, L"127.0.0.44");
    manager_.ReplaceDevices({});
    EXPECT_TRUE(manager_.Devices().empty());
    EXPECT_FALSE(manager_.Selected());
}

TEST_F(DiagnosticMgrTest, ChoosesTheAccessManagerByCatalogueAndConnection)
{
    Device_Dev device;
    device.productId = L"5912";
    EXPECT_EQ(ProtocolFor(device), DeviceProtocol::Sable);
    EXPECT_EQ(&manager_.ManagerFor(device), static_cast<CDeviceAccessManager*>(&manager_.Sable()));
    device.isNetwork = true;
    EXPECT_EQ(ProtocolFor(device), DeviceProtocol::Sable);
    device.productId = L"7511";
    EXPECT_EQ(ProtocolFor(device), DeviceProtocol::QuillNetwork);
    EXPECT_EQ(&manager_.ManagerFor(device), static_cast<CDeviceAccessManager*>(&manager_.QuillNetwork()));
    device.isNetwork = false;
    EXPECT_EQ(ProtocolFor(device), DeviceProtocol::QuillUsb);
    EXPECT_EQ(&manager_.ManagerFor(device), static_cast<CDeviceAccessManager*>(&manager_.QuillUsb()));
    device.productId = L"ffff"; // not in the catalogue: Quill by connection
    EXPECT_EQ(ProtocolFor(device), DeviceProtocol::QuillUsb);
}

namespace {

class FailingCreation : public NGWinApi::CComApi {
public:
    HRESULT CoCreateInstance(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID* object) override
    {
        *object = nullptr;
        return REGDB_E_CLASSNOTREG;
    }
};

} // namespace

TEST(DiagnosticMgrNetwork, NetworkSettingsComeFromTheComponent)
{
    NGWinApi::ComInitialization com;
    CDiagnosticMgr manager;
    LogTail log;
    EXPECT_TRUE(manager.CheckNetworkSettings());
    EXPECT_NE(log.Appended().find("CDiagnosticMgr:: calling raw_GetNetworkSettings"), std::string::npos);

    FailingCreation failing;
    NGWinApi::ScopedApi<NGWinApi::CComApi> scoped(failing);
    LogTail failed;
    EXPECT_FALSE(manager.CheckNetworkSettings());
    EXPECT_NE(failed.Appended().find("CDiagnosticMgr:: Trying to cocreate NetworkInfo interface : Failed"),
              std::string::npos);
}
