// The Low level print Test run by a real diagnosis manager: simulated USB printers behind the
// device I/O fake, and the simulator's network printers on 127.0.9.x (tests/tools/print.scenario).
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <thread>

#include "TestFolder.h"
#include "app/AppMessages.h"
#include "app/engine/DiagnosticMgr.h"
#include "sable/SimControl.h"
#include "sim/FakeUsbDeviceIo.h"
#include "sim/SimDevice.h"
#include "sim/UsbPrinter.h"
#include "tools/LowLevelPrintTest.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr WPARAM kNoOutcome = 99;

long long MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

std::string SourceFile(const std::string& relative)
{
    const char* root = std::getenv("KELO_SOURCE_DIR");
    return ReadWholeFile(WinePathOf(std::string(root != nullptr ? root : ".") + "/" + relative));
}

// Models the shipped catalogue lacks: no print file, a print file that is not on disk, and a
// job too large for the socket buffers (a stalled sink must hold the transfer up).
const char kTestProducts[] = R"(  <Family NAME="Print test">
    <Product PID="0b01" MODEL="Kelo Print Test 1" INSTALL_NAME="Kelo Print Test 1 Series" DEVICE_TYPE="rest"
             COPY="NO" ADF="NO"/>
    <Product PID="0b02" MODEL="Kelo Print Test 2" INSTALL_NAME="Kelo Print Test 2 Series" DEVICE_TYPE="rest"
             COPY="NO" ADF="NO" PRN_FILE="Lost_Page.prn"/>
    <Product PID="0b03" MODEL="Kelo Print Test 3" INSTALL_NAME="Kelo Print Test 3 Series" DEVICE_TYPE="rest"
             COPY="NO" ADF="NO" PRN_FILE="Large_Job.prn"/>
    <Product PID="0b04" MODEL="Kelo Print Test 4" INSTALL_NAME="Kelo Print Test 4 Series" DEVICE_TYPE="snmp"
             COPY="NO" ADF="NO" PRN_FILE="Large_Job.prn"/>
  </Family>
</ProductInfo>)";

// The tool's folder: the shipped catalogue with the test models, and the print files.
const TestFolder& ProductFolder()
{
    static const TestFolder folder;
    static const bool written = [] {
        std::string catalogue = SourceFile("data/config/product_info.xml");
        const size_t end = catalogue.rfind("</ProductInfo>");
        if (end != std::string::npos)
            catalogue.replace(end, std::string::npos, kTestProducts);
        folder.Write(L"config\\product_info.xml", catalogue);
        for (const char* name : {"Vireo_Prn.prn", "Wren_4c.prn", "corvid_small.prn", "DS2_based.prn"})
            folder.Write(L"config\\" + Widen(name), SourceFile(std::string("data/config/") + name));
        std::string large(16u << 20, '\0');
        for (size_t i = 0; i < large.size(); ++i)
            large[i] = static_cast<char>('A' + i % 23);
        folder.Write(L"config\\Large_Job.prn", large);
        return true;
    }();
    (void)written;
    return folder;
}

std::string PrintFile(const char* name)
{
    return ReadWholeFile(ProductFolder().File(L"config\\" + Widen(name)));
}

// A message-only window on the calling thread that keeps the last outcome of message 1035.
class OutcomeWindow {
public:
    OutcomeWindow()
    {
        static const ATOM registered = [] {
            WNDCLASSW windowClass{};
            windowClass.lpfnWndProc = &OutcomeWindow::Procedure;
            windowClass.hInstance = ::GetModuleHandleW(nullptr);
            windowClass.lpszClassName = L"KeloPrintOutcome";
            return ::RegisterClassW(&windowClass);
        }();
        (void)registered;
        window_ = ::CreateWindowExW(0, L"KeloPrintOutcome", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    ::GetModuleHandleW(nullptr), nullptr);
        ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~OutcomeWindow() { ::DestroyWindow(window_); }
    OutcomeWindow(const OutcomeWindow&) = delete;
    OutcomeWindow& operator=(const OutcomeWindow&) = delete;

    HWND Window() const { return window_; }
    WPARAM outcome = kNoOutcome;

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<OutcomeWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self != nullptr && message == kMsgTestProgress) {
            if (wParam != kProgressStarted)
                self->outcome = wParam;
            return 0;
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    }

    HWND window_ = nullptr;
};

class LowLevelPrint : public ::testing::Test {
protected:
    LowLevelPrint() : executable_(ProductFolder().Path()), kernel_(executable_), deviceIo_(io_)
    {
        manager_.BuildTests();
        test_ = static_cast<CLowLevelPrintTest*>(manager_.TestAt(kLowLevelPrintTestIndex)->test.get());
        SetSlices(2000);
    }

    void SetSlices(DWORD sliceMs)
    {
        PrintWaits waits;
        waits.usbSliceMs = waits.networkSliceMs = sliceMs;
        test_->SetWaits(waits);
    }

    void Select(const Device_Dev& device)
    {
        manager_.ReplaceDevices({device});
        manager_.SetSelectedIndex(0);
    }

    static Device_Dev NetworkPrinter(const char* address, const wchar_t* productId)
    {
        Device_Dev device;
        device.deviceName = L"Kelo network printer";
        device.address = Widen(address);
        device.productId = productId;
        device.isNetwork = true;
        device.statusCode = 0;
        return device;
    }

    // A simulated USB printer, plugged in.
    Device_Dev PlugUsbPrinter(const wchar_t* productId)
    {
        sim::PrinterConfig config = sim::DefaultPrinter("usb-print");
        config.usb = true;
        config.serial = "CNPRINT" + std::to_string(++plugged_); // a path of its own
        usbDevice_ = std::make_shared<sim::SimDevice>(config);
        Device_Dev device;
        device.deviceName = L"Kelo USB printer";
        device.address = io_.Plug(std::make_shared<sim::UsbPrinter>(usbDevice_));
        device.productId = productId;
        device.statusCode = 0;
        return device;
    }

    void SetUsb(const std::string& key, const std::string& value)
    {
        std::string error;
        ASSERT_TRUE(usbDevice_->Apply(key, value, error)) << error;
    }

    // The print test as the print page starts it: RunCurrentTest on a worker thread, whose
    // notify window records the outcome; `meanwhile` runs on this thread during the job.
    WPARAM RunPrintTest(const std::function<void()>& meanwhile = {})
    {
        manager_.SetCurrentTestIndex(kLowLevelPrintTestIndex);
        WPARAM outcome = kNoOutcome;
        std::thread worker([&] {
            OutcomeWindow window;
            manager_.SetNotifyWindow(window.Window());
            manager_.RunCurrentTest();
            finished_ = Clock::now();
            outcome = window.outcome;
        });
        if (meanwhile)
            meanwhile();
        worker.join();
        return outcome;
    }

    // Waits until the running test has its cancel event (made just before Run).
    bool WaitForCancelEvent() const
    {
        const Clock::time_point start = Clock::now();
        while (manager_.CancelEvent() == nullptr) {
            if (MillisecondsSince(start) > 5000)
                return false;
            ::Sleep(1);
        }
        return true;
    }

    FakeExecutableFolder executable_;
    NGWinApi::ScopedApi<NGWinApi::CKernelApi> kernel_;
    sim::FakeUsbDeviceIo io_;
    NGWinApi::ScopedApi<NGWinApi::CDeviceIoApi> deviceIo_;
    std::shared_ptr<sim::SimDevice> usbDevice_;
    int plugged_ = 0;
    Clock::time_point finished_; // when the last RunPrintTest's worker was done
    CDiagnosticMgr manager_;
    CLowLevelPrintTest* test_ = nullptr;
    SimControl sim_;
};

int ReceivedCount(const SimControl& sim, const std::string& printer, const std::string& what)
{
    const std::string received = sim.Get("/printers/" + printer + "/received");
    const size_t at = received.find(what + " ");
    return at == std::string::npos ? -1 : std::atoi(received.c_str() + at + what.size() + 1);
}

// The raw sink's bytes once `expected` bytes have arrived (or after five seconds).
std::string ReceivedPrint(const SimControl& sim, const std::string& printer, size_t expected)
{
    const Clock::time_point start = Clock::now();
    while (ReceivedCount(sim, printer, "print-bytes") < static_cast<int>(expected) && MillisecondsSince(start) < 5000)
        ::Sleep(20);
    return sim.Get("/printers/" + printer + "/received/print");
}

TEST_F(LowLevelPrint, UsbPrinterReceivesThePrintFileByteForByte)
{
    Select(PlugUsbPrinter(L"5912"));
    const LogTail log;

    EXPECT_EQ(RunPrintTest(), kProgressPassed);

    const std::string expected = PrintFile("Vireo_Prn.prn");
    const sim::ReceivedLog received = usbDevice_->Received();
    EXPECT_EQ(received.printJobs, 1);
    EXPECT_TRUE(std::string(received.printBytes.begin(), received.printBytes.end()) == expected)
        << received.printBytes.size() << " of " << expected.size() << " bytes";
    EXPECT_EQ(manager_.TestAt(kLowLevelPrintTestIndex)->result, kTestPassed);
    EXPECT_EQ(manager_.Selected()->printFile, ProductFolder().File(L"config\\Vireo_Prn.prn"));
    EXPECT_EQ(test_->PrintFilePath(), manager_.Selected()->printFile);
    EXPECT_NE(log.Appended().find("Writing the data to printer success."), std::string::npos);
    EXPECT_EQ(io_.OpenHandles(), 0u);
    // The job leaves the manager's cancel event open: the print page may still signal it.
    manager_.SignalCancel();
    EXPECT_EQ(::WaitForSingleObject(manager_.CancelEvent(), 0), WAIT_OBJECT_0);
}

TEST_F(LowLevelPrint, NetworkPrintersReceiveThePrintFileOnTheRawPort)
{
    const struct {
        const char* printer;
        const char* address;
        const wchar_t* productId;
        const char* file;
    } cases[] = {
        {"sable-net", "127.0.9.10", L"5912", "Vireo_Prn.prn"},
        {"quill-net", "127.0.9.11", L"7511", "Wren_4c.prn"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.printer);
        ASSERT_TRUE(sim_.Post(std::string("/printers/") + c.printer + "/clear", ""));
        Select(NetworkPrinter(c.address, c.productId));

        EXPECT_EQ(RunPrintTest(), kProgressPassed);

        const std::string expected = PrintFile(c.file);
        const std::string received = ReceivedPrint(sim_, c.printer, expected.size());
        EXPECT_TRUE(received == expected) << received.size() << " of " << expected.size() << " bytes";
        EXPECT_EQ(ReceivedCount(sim_, c.printer, "print-jobs"), 1);
        EXPECT_EQ(manager_.Selected()->printFile, ProductFolder().File(L"config\\" + Widen(c.file)));
    }
}

// Failures before anything reaches the printer: each ends the test at once with its log line.
TEST_F(LowLevelPrint, UsbJobThatCannotStartSendsNothing)
{
    const struct {
        const char* name;
        const wchar_t* productId;
        std::function<void(Device_Dev&)> change;
        const char* line;
    } cases[] = {
        {"model without a print file", L"0b01", {}, "PRN file information - failure"},
        {"print file not on disk", L"0b02", {}, "Prn file open failed. Err: 2"},
        {"printer unplugged", L"5912", [this](Device_Dev& d) { io_.Unplug(d.address); },
         "Device Interface opening failed ."},
        {"no interface path", L"5912", [](Device_Dev& d) { d.address.clear(); }, "Interface name empty."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Device_Dev device = PlugUsbPrinter(c.productId);
        if (c.change)
            c.change(device);
        Select(device);
        const LogTail log;

        EXPECT_EQ(RunPrintTest(), kProgressFailed);

        EXPECT_EQ(usbDevice_->Received().printJobs, 0);
        EXPECT_EQ(io_.OpenHandles(), 0u);
        const std::string lines = log.Appended();
        EXPECT_NE(lines.find(c.line), std::string::npos) << lines;
        if (c.productId != std::wstring(L"0b01")) {
            EXPECT_NE(lines.find("Printing of Prn file Failed."), std::string::npos) << lines;
        }
        EXPECT_FALSE(test_->Cancelled());
    }
    EXPECT_TRUE(manager_.Selected()->printFile.ends_with(L"\\config\\Vireo_Prn.prn"));
}

TEST_F(LowLevelPrint, ModelWithoutPrintFileSendsNothingToNetworkPrinter)
{
    ASSERT_TRUE(sim_.Post("/printers/sable-net/clear", ""));
    Select(NetworkPrinter("127.0.9.10", L"0b01"));
    manager_.Devices()[0].printFile = L"stale.prn";
    const LogTail log;

    EXPECT_EQ(RunPrintTest(), kProgressFailed);

    EXPECT_NE(log.Appended().find("PRN file information - failure"), std::string::npos);
    EXPECT_TRUE(manager_.Selected()->printFile.empty());
    EXPECT_TRUE(test_->PrintFilePath().empty());
    ::Sleep(100);
    EXPECT_EQ(ReceivedCount(sim_, "sable-net", "print-jobs"), 0);
}

// A refused port 9100: the test fails and re-reads the status (the simulated paper jam) over
// the model's own protocol into the selected record.
TEST_F(LowLevelPrint, RefusedRawPortReReadsTheStatus)
{
    const struct {
        const char* address;
        const wchar_t* productId;
    } cases[] = {{"127.0.9.12", L"5912"}, {"127.0.9.13", L"7511"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address);
        Select(NetworkPrinter(c.address, c.productId));
        const LogTail log;

        EXPECT_EQ(RunPrintTest(), kProgressFailed);

        const std::string lines = log.Appended();
        EXPECT_NE(lines.find("Connection to the network printer is failed."), std::string::npos) << lines;
        EXPECT_NE(lines.find("Printing of Prn file Failed."), std::string::npos) << lines;
        EXPECT_EQ(manager_.Selected()->statusCode, 14);
        EXPECT_FALSE(test_->Cancelled());
    }
}

// A transfer the printer does not take. With the printer jammed, a cancel ends the job at once
// and the wizard abandons the run; with the printer idle, the cancel is used up and the job
// waits on until the time-out after all its slices.
struct StalledJob {
    const char* name;
    bool usb;
    const char* printer; // network: the simulator's name
    const char* address;
    const wchar_t* productId;
    const char* jam;  // settings that jam the printer
    const char* idle; // settings that make it idle
};

void PrintTo(const StalledJob& job, std::ostream* out)
{
    *out << job.name;
}

const StalledJob kStalledJobs[] = {
    {"usb", true, nullptr, nullptr, L"5912", "status-code = 14", "status-code = 0"},
    {"sable", false, "sable-stall", "127.0.9.14", L"0b03",
     "statuses = jamInPrinter\nalert = jamInPrinter severity=Error priority=1", "statuses = ready\nalert ="},
    {"quill", false, "quill-stall", "127.0.9.15", L"0b04", "status-code = 14", "status-code = 0"},
};

class StalledPrint : public LowLevelPrint, public ::testing::WithParamInterface<StalledJob> {
protected:
    void Prepare(bool jammed)
    {
        const StalledJob& job = GetParam();
        const std::string settings = jammed ? job.jam : job.idle;
        if (job.usb) {
            Select(PlugUsbPrinter(job.productId));
            SetUsb("fault.usb", "stall");
            size_t from = 0;
            while (from < settings.size()) {
                size_t end = settings.find('\n', from);
                end = end == std::string::npos ? settings.size() : end;
                const std::string line = settings.substr(from, end - from);
                const size_t equals = line.find(" = ");
                SetUsb(line.substr(0, equals), line.substr(equals + 3));
                from = end + 1;
            }
        } else {
            ASSERT_TRUE(sim_.Settings(job.printer, settings));
            Select(NetworkPrinter(job.address, job.productId));
        }
        manager_.Devices()[0].statusCode = 77;
    }
};

TEST_P(StalledPrint, CancelWhileJammedEndsTheJobAtOnce)
{
    Prepare(true);
    SetSlices(3000);
    const LogTail log;
    Clock::time_point cancelled;

    const WPARAM outcome = RunPrintTest([&] {
        ASSERT_TRUE(WaitForCancelEvent());
        ::Sleep(200); // the transfer is under way
        cancelled = Clock::now();
        manager_.SignalCancel();
    });

    EXPECT_EQ(outcome, kProgressAbandon);
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(finished_ - cancelled).count(), 1500);
    EXPECT_TRUE(test_->Cancelled());
    EXPECT_EQ(manager_.TestAt(kLowLevelPrintTestIndex)->result, kTestFailed);
    const std::string lines = log.Appended();
    EXPECT_NE(lines.find("Writing the data to printer failed- Cancel Event."), std::string::npos) << lines;
    EXPECT_EQ(lines.find("Time out - Error printing."), std::string::npos) << lines;
    // A cancelled job does not read the status again.
    EXPECT_EQ(manager_.Selected()->statusCode, 77);
    EXPECT_EQ(io_.OpenHandles(), 0u);
}

TEST_P(StalledPrint, CancelWhileIdleWaitsUntilTheTimeOut)
{
    Prepare(false);
    SetSlices(100);
    const LogTail log;
    const Clock::time_point start = Clock::now();

    const WPARAM outcome = RunPrintTest([&] {
        ASSERT_TRUE(WaitForCancelEvent());
        manager_.SignalCancel();
    });

    const long long elapsedMs = MillisecondsSince(start);
    EXPECT_EQ(outcome, kProgressFailed);
    // Six slices in all, one of them cut short by the cancel.
    EXPECT_GE(elapsedMs, 480);
    EXPECT_LT(elapsedMs, 3000);
    EXPECT_FALSE(test_->Cancelled());
    const std::string lines = log.Appended();
    EXPECT_NE(lines.find("Time out - Error printing."), std::string::npos) << lines;
    EXPECT_EQ(lines.find("Cancel Event"), std::string::npos) << lines;
    if (!GetParam().usb) {
        EXPECT_EQ(manager_.Selected()->statusCode, 0); // read again after the failure
    }
    EXPECT_EQ(io_.OpenHandles(), 0u);
}

TEST_P(StalledPrint, StalledJobTimesOutAfterAllSlices)
{
    Prepare(false);
    SetSlices(100);
    if (!GetParam().usb) {
        ASSERT_TRUE(sim_.Post(std::string("/printers/") + GetParam().printer + "/clear", ""));
    }
    const LogTail log;
    const Clock::time_point start = Clock::now();

    EXPECT_EQ(RunPrintTest(), kProgressFailed);

    const long long elapsedMs = MillisecondsSince(start);
    EXPECT_GE(elapsedMs, 580);
    EXPECT_LT(elapsedMs, 3000);
    EXPECT_NE(log.Appended().find("Time out - Error printing."), std::string::npos);
    EXPECT_FALSE(test_->Cancelled());
    if (GetParam().usb) {
        EXPECT_EQ(usbDevice_->Received().printJobs, 0);
    }
    // One status read after each of the six slices, and one more after the failure.
    if (!GetParam().usb && std::string(GetParam().printer) == "sable-stall") {
        EXPECT_EQ(sim_.HttpRequests("sable-stall"), 7);
    }
}

// The print row of bench/run.sh: the sender's time for the file it names (put in place of
// the large job) to the 9100 sink at the address it names.
TEST_F(LowLevelPrint, TimesALargeNetworkJobForTheBenchmark)
{
    const char* file = std::getenv("KELO_PRINT_BENCH_FILE");
    const char* sink = std::getenv("KELO_PRINT_BENCH_SINK");
    if (file == nullptr || sink == nullptr)
        GTEST_SKIP() << "bench/run.sh runs this";
    ProductFolder().Write(L"config\\Large_Job.prn", ReadWholeFile(WinePathOf(file)));
    Select(NetworkPrinter(sink, L"0b03"));
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(RunPrintTest(), kProgressPassed);
    std::printf("print seconds %.3f\n", static_cast<double>(MillisecondsSince(start)) / 1000.0);
}

INSTANTIATE_TEST_SUITE_P(Transports, StalledPrint, ::testing::ValuesIn(kStalledJobs),
                         [](const ::testing::TestParamInfo<StalledJob>& info) { return std::string(info.param.name); });

} // namespace
