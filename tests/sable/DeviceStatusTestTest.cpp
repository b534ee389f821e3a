// The device status test as the wizard runs it: through the diagnosis manager, on records of
// the shipped catalogue's products, against the simulator's network printers (127.0.8.x), an
// in-process USB printer behind the device I/O fake, and kelodev12.dll on the Quill wire.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <memory>
#include <ostream>
#include <sstream>
#include <stdexcept>
#include <string>

#include "SimControl.h"
#include "TestFolder.h"
#include "app/engine/DiagnosticMgr.h"
#include "quill/SnmpStack.h"
#include "sable/SableManager.h"
#include "sable/StatusRules.h"
#include "sim/FakeUsbDeviceIo.h"
#include "winapi/Handles.h"

namespace sable {

void PrintTo(const StatusOutcome& o, std::ostream* out)
{
    *out << o.statusCode << (o.adfStatus ? " adf" : "") << (o.pass ? " passed" : " failed");
}

} // namespace sable

namespace {

using sable::StatusOutcome;

constexpr StatusOutcome kPass{0, false, true};

StatusOutcome Printer(int32_t code)
{
    return {code, false, false};
}

StatusOutcome Feeder(int32_t code)
{
    return {code, true, false};
}

// Products of the shipped catalogue.
const wchar_t kSableWithFeeder[] = L"5912";
const wchar_t kSableWithoutFeeder[] = L"2112";
const wchar_t kQuillWithFeeder[] = L"7511";
const wchar_t kQuillWithoutFeeder[] = L"7411";

const char kSablePrinter[] = "status-sable";
const char kQuillPrinter[] = "status-quill";
const char kUsbQuillPrinter[] = "status-quill-usb";
const wchar_t kSableAddress[] = L"127.0.8.10";
const wchar_t kQuillAddress[] = L"127.0.8.11";
// The print queue kelodev12.ini maps to the USB Quill printer's wire.
const wchar_t kUsbQuillQueue[] = L"Kelo Workline 6500 USB";

Device_Dev NetworkRecord(const wchar_t* address, const wchar_t* productId)
{
    Device_Dev device;
    device.deviceName = L"Kelo Network Printer";
    device.address = address;
    device.productId = productId;
    device.isNetwork = true;
    return device;
}

std::string EnvironmentText(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

class DeviceStatusTest : public ::testing::Test {
protected:
    // kelodev12.ini beside the library, which sits beside this program.
    static void SetUpTestSuite()
    {
        wchar_t path[MAX_PATH] = {};
        ::GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring folder(path);
        folder.resize(folder.find_last_of(L'\\') + 1);
        FILE* ini = _wfopen((folder + L"kelodev12.ini").c_str(), L"wb");
        ASSERT_NE(ini, nullptr);
        std::fputs("[Printers]\nKelo Workline 6500 USB = 127.0.8.50:9171\n[Settings]\nTimeoutMs = 2000\n", ini);
        std::fclose(ini);
    }

    DeviceStatusTest() : fake_(folder_.Path()), scopedKernel_(fake_), savedPolicy_(SnmpStack::GetRetransmitPolicy())
    {
        catalogue_ = ReadWholeFile(WinePathOf(EnvironmentText("KELO_SOURCE_DIR") + "/data/config/product_info.xml"));
        folder_.Write(L"config\\product_info.xml", catalogue_);
        manager_.BuildTests();
        SableWaits waits;
        waits.sleep = [](DWORD) {};
        waits.readEventMs = 2000;
        waits.networkTimeoutMs = 500;
        manager_.Sable().SetWaits(waits);
        SnmpStack::SetRetransmitPolicy({300, 1, 161});
    }

    ~DeviceStatusTest() override { SnmpStack::SetRetransmitPolicy(savedPolicy_); }

    void SetUp() override
    {
        ASSERT_FALSE(catalogue_.empty()) << "no catalogue (KELO_SOURCE_DIR)";
        ASSERT_TRUE(sim_.Ready()) << "no simulator (KELO_SABLE_SIM_READY)";
        ASSERT_TRUE(sim_.Settings(kSablePrinter, "fault.http =\nstatuses = ready\nalert ="));
        ASSERT_TRUE(sim_.Settings(kQuillPrinter, "fault.snmp =\nstatus-code = 0\nfeeder-status = 0010"));
        ASSERT_TRUE(sim_.Settings(kUsbQuillPrinter, "fault.quill-wire =\nfeeder-status = 0010"));
    }

    // Runs the device status test on `device` as the wizard does and checks that the record,
    // the verdict and the stored result all say `expected`.
    void ExpectRun(const Device_Dev& device, const StatusOutcome& expected, const std::string& what)
    {
        Device_Dev stale = device;
        stale.statusCode = 12345; // what an earlier run left behind
        stale.adfStatus = !expected.adfStatus;
        manager_.ReplaceDevices({stale});
        manager_.SetSelectedIndex(0);
        manager_.SetStatusVerdict(!expected.pass);
        manager_.SetCurrentTestIndex(kDeviceStatusTestIndex);
        manager_.RunCurrentTest();
        const std::optional<Device_Dev> selected = manager_.Selected();
        ASSERT_TRUE(selected);
        const StatusOutcome actual{selected->statusCode, selected->adfStatus, manager_.StatusVerdict()};
        EXPECT_EQ(actual, expected) << what;
        EXPECT_EQ(manager_.TestAt(kDeviceStatusTestIndex)->result, expected.pass ? kTestPassed : kTestFailed) << what;
    }

    NGWinApi::ComInitialization com_;
    TestFolder folder_;
    std::string catalogue_;
    FakeExecutableFolder fake_;
    NGWinApi::ScopedApi<NGWinApi::CKernelApi> scopedKernel_;
    SnmpStack::RetransmitPolicy savedPolicy_;
    SimControl sim_;
    CDiagnosticMgr manager_;
};

TEST_F(DeviceStatusTest, NetworkSableStatusDecides)
{
    const struct {
        const char* settings;
        StatusOutcome expected;
    } cases[] = {
        {"statuses = ready", kPass},
        {"statuses = READY", kPass},
        {"statuses = ready,jamInPrinter\nalert = jamInPrinter severity=Error priority=1", Printer(14)},
        {"statuses = scannerAdfJam", Feeder(3)},
        {"statuses = scannerAdfDoorOpen,jamInPrinter", Feeder(2)}, // document order without priorities
        {"statuses = paperOnFire", Printer(6)},
        {"statuses = cartridgeLow", Printer(49)},
        {"fault.http = silence", Printer(61)},
        {"fault.http = garbage", Printer(61)},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(sim_.Settings(kSablePrinter, std::string("fault.http =\nalert =\n") + c.settings));
        ExpectRun(NetworkRecord(kSableAddress, kSableWithFeeder), c.expected, c.settings);
    }

    ASSERT_TRUE(sim_.Settings(kSablePrinter,
                              "fault.http =\nstatuses = ready,jamInPrinter\nalert = jamInPrinter priority=1"));
    LogTail log;
    ExpectRun(NetworkRecord(kSableAddress, kSableWithFeeder), Printer(14), "log");
    const std::string appended = log.Appended();
    EXPECT_NE(appended.find("Status flag from  device Kelo Network Printer is 14"), std::string::npos) << appended;
    EXPECT_NE(appended.find("Status string from  XML is jamInPrinter"), std::string::npos) << appended;
}

// A status document without any status tells nothing about the printer: treated as unreadable.
TEST_F(DeviceStatusTest, NetworkSableDocumentWithoutStatusIsUnreadable)
{
    ASSERT_TRUE(sim_.Settings(kSablePrinter, "statuses ="));
    LogTail log;
    ExpectRun(NetworkRecord(kSableAddress, kSableWithFeeder), Printer(61), "no status");
    EXPECT_NE(log.Appended().find("Device status list empty."), std::string::npos);
}

TEST_F(DeviceStatusTest, NetworkQuillStatusAndFeederWord)
{
    const struct {
        const wchar_t* productId;
        const char* settings;
        StatusOutcome expected;
    } cases[] = {
        {kQuillWithFeeder, "feeder-status = 0010", kPass},  // text 0010: 16, bit 4, idle
        {kQuillWithFeeder, "feeder-status = 0000", kPass},
        {kQuillWithFeeder, "feeder-status = 0012", Feeder(1)}, // 0x12: the lowest bit decides
        {kQuillWithFeeder, "feeder-status = 0008", Feeder(3)},
        {kQuillWithoutFeeder, "feeder-status = 0012", kPass}, // no feeder, no feeder check
        {kQuillWithFeeder, "status-code = 14\nfeeder-status = 0012", Printer(14)},
        {kQuillWithFeeder, "fault.snmp = silence", Printer(61)},
    };
    // Printers send the feeder word as octets or as an integer: the outcome is the same.
    for (const std::string type : {"octets", "integer"}) {
        for (const auto& c : cases) {
            ASSERT_TRUE(sim_.Settings(kQuillPrinter, "fault.snmp =\nstatus-code = 0\ncolour-feeder-type.snmp = " + type +
                                                         "\n" + c.settings));
            ExpectRun(NetworkRecord(kQuillAddress, c.productId), c.expected, type + ": " + c.settings);
        }
    }
    ASSERT_TRUE(sim_.Settings(kQuillPrinter, "colour-feeder-type.snmp = octets"));

    LogTail log;
    ASSERT_TRUE(sim_.Settings(kQuillPrinter, "fault.snmp =\nfeeder-status = 0010"));
    ExpectRun(NetworkRecord(kQuillAddress, kQuillWithFeeder), kPass, "log");
    std::string appended = log.Appended();
    for (const char* line : {"Device status test CUE printer", "Status list count is not zero",
                             "Printer does not have any status error and now checking to find out any ADF error"})
        EXPECT_NE(appended.find(line), std::string::npos) << line;

    LogTail silentLog;
    ASSERT_TRUE(sim_.Settings(kQuillPrinter, "fault.snmp = silence"));
    ExpectRun(NetworkRecord(kQuillAddress, kQuillWithFeeder), Printer(61), "silent");
    EXPECT_NE(silentLog.Appended().find("Device status is empty."), std::string::npos);
}

// A USB printer: the identification from an in-process printer behind the device I/O fake;
// Sable statuses over its device interface, Quill objects through kelodev12.dll.
class UsbDeviceStatusTest : public DeviceStatusTest {
protected:
    UsbDeviceStatusTest() : scopedIo_(io_) { io_.SetSyncTimeout(std::chrono::milliseconds(20)); }

    // Plugs in a printer of that product and returns its record.
    Device_Dev Plug(const wchar_t* productId, const std::string& settings)
    {
        sim::PrinterConfig config = sim::DefaultPrinter("usb");
        config.usb = true;
        config.adf = true;
        config.productId = std::string(productId, productId + std::wcslen(productId));
        device_ = std::make_shared<sim::SimDevice>(config);
        std::istringstream lines(settings);
        for (std::string line; std::getline(lines, line);) {
            const size_t equals = line.find(" = ");
            std::string error;
            if (!device_->Apply(line.substr(0, equals), equals == std::string::npos ? "" : line.substr(equals + 3),
                                error))
                ADD_FAILURE() << line << ": " << error;
        }
        if (!path_.empty())
            io_.Unplug(path_);
        path_ = io_.Plug(std::make_shared<sim::UsbPrinter>(device_));

        Device_Dev record;
        record.deviceName = L"Kelo USB Printer";
        record.address = path_;
        record.productId = productId;
        record.hardwareId = kHardwareIdPrefix + record.productId;
        record.printerName = kUsbQuillQueue;
        return record;
    }

    sim::FakeUsbDeviceIo io_;
    NGWinApi::ScopedApi<NGWinApi::CDeviceIoApi> scopedIo_;
    std::shared_ptr<sim::SimDevice> device_;
    std::wstring path_;
};

TEST_F(UsbDeviceStatusTest, SableIdentificationFirstThenTheFeeder)
{
    const struct {
        const wchar_t* productId;
        const char* settings;
        StatusOutcome expected;
    } cases[] = {
        {kSableWithFeeder, "statuses = ready", kPass},
        {kSableWithFeeder, "statuses = jamInPrinter", Feeder(3)}, // the feeder is what jams
        {kSableWithFeeder, "statuses = scannerAdfDoorOpen", Feeder(2)},
        {kSableWithFeeder, "statuses = cartridgeLow", kPass},     // only feeder conditions count here
        {kSableWithFeeder, "statuses = scannerAdfJam\nfault.usb = garbage", kPass}, // unreadable: no objection
        {kSableWithoutFeeder, "statuses = scannerAdfJam", kPass},
        {kSableWithFeeder, "status-code = 31\nstatuses = scannerAdfJam", Printer(31)},
        {kSableWithFeeder, "status-code = 74", Printer(6)}, // beyond the table: unknown condition
    };
    for (const auto& c : cases)
        ExpectRun(Plug(c.productId, c.settings), c.expected, c.settings);

    LogTail log;
    ExpectRun(Plug(kSableWithFeeder, "statuses = jamInPrinter"), Feeder(3), "log");
    const std::string appended = log.Appended();
    EXPECT_NE(appended.find("Status flag from  device Kelo USB Printer is 0"), std::string::npos) << appended;
    EXPECT_NE(appended.find(" CUtil::GetStatusFlagForMerrowDevice ADF Status from  device jamInPrinter"),
              std::string::npos)
        << appended;
}

TEST_F(UsbDeviceStatusTest, UnreadableIdentificationGivesMinusOne)
{
    Device_Dev record = Plug(kSableWithFeeder, "statuses = scannerAdfJam");
    io_.Unplug(path_);
    path_.clear();
    ExpectRun(record, Printer(-1), "unplugged");
}

TEST_F(UsbDeviceStatusTest, QuillFeederWordThroughTheDeviceLibrary)
{
    const struct {
        const char* wireSettings;
        StatusOutcome expected;
    } cases[] = {
        {"feeder-status = 0010", kPass},
        {"feeder-status = 0000", kPass},
        {"feeder-status = 0012", Feeder(1)},
        {"feeder-status = 0080", Feeder(7)},
        {"feeder-status = 0100", Feeder(0x100)}, // no bit of the low byte: the whole word
    };
    // Printers send the feeder word as an integer or keep its octets: the outcome is the same.
    for (const std::string type : {"integer", "octets"}) {
        for (const auto& c : cases) {
            ASSERT_TRUE(sim_.Settings(kUsbQuillPrinter, "colour-feeder-type.usb = " + type + "\n" + c.wireSettings));
            ExpectRun(Plug(kQuillWithFeeder, ""), c.expected, type + ": " + c.wireSettings);
        }
    }
    ASSERT_TRUE(sim_.Settings(kUsbQuillPrinter, "colour-feeder-type.usb = integer"));

    // An identification error is reported before the feeder is asked.
    ASSERT_TRUE(sim_.Settings(kUsbQuillPrinter, "feeder-status = 0012"));
    ExpectRun(Plug(kQuillWithFeeder, "status-code = 22"), Printer(22), "identification error");

    // A feeder word that cannot be read is no objection.
    ASSERT_TRUE(sim_.Settings(kUsbQuillPrinter, "fault.quill-wire = silence"));
    LogTail log;
    ExpectRun(Plug(kQuillWithFeeder, ""), kPass, "device lost");
    EXPECT_NE(log.Appended().find("Error Checking Failed"), std::string::npos);
}

// A device wrapper that fails in an unexpected way.
class ThrowingDeviceIo : public NGWinApi::CDeviceIoApi {
public:
    HANDLE CreateFileW(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE) override
    {
        throw std::runtime_error("driver fault");
    }
};

TEST_F(DeviceStatusTest, ExceptionFailsTheTestAsUnreadable)
{
    ThrowingDeviceIo io;
    NGWinApi::ScopedApi<NGWinApi::CDeviceIoApi> scoped(io);
    Device_Dev record;
    record.deviceName = L"Kelo USB Printer";
    record.address = L"\\\\?\\usb#vid_0a7e&pid_5912#throws";
    record.productId = kSableWithFeeder;
    LogTail log;
    ExpectRun(record, Printer(61), "exception");
    const std::string appended = log.Appended();
    EXPECT_NE(appended.find("Exception occured in CDeviceStatusTest::Run"), std::string::npos) << appended;
    EXPECT_EQ(appended.find("Exception occured in Device Status Test"), std::string::npos) << "caught by the test";
}

} // namespace
