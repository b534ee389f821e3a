#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <stdexcept>

#include "QuillTestSupport.h"
#include "TestFolder.h"
#include "quill/QuillRules.h"
#include "quill/SNMPNWManager.h"
#include "winapi/SocketApi.h"

namespace {

// The simulator of tests/quill/quill.scenario, started by the ctest fixture.
class SnmpManagerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(sim_.Ready()) << "no simulator (KELO_QUILL_SIM_READY)"; }

    ProductStrings strings_;
    SimControl sim_{"KELO_QUILL_SIM_READY"};
    CSNMPNWManager manager_;
};

TEST_F(SnmpManagerTest, DeviceInformationOfALivePrinter)
{
    const Device_Dev printer = NetworkPrinter(L"127.0.7.10");
    LogTail log;
    manager_.ResetDeviceData();
    ASSERT_TRUE(manager_.GetDeviceInfo(printer));
    const DeviceInfo info = manager_.Records().deviceInfo;
    EXPECT_EQ(info.modelName, L"Kelo Workline 6500 All-in-One"); // quotes trimmed
    EXPECT_EQ(info.serialNumber, L"SN1");
    EXPECT_EQ(info.firmwareRevision, L"WKL6500CN1947BR");
    EXPECT_EQ(info.macAddress, L"00:1A:2B:3C:4D:11"); // no ARP on loopback: the Quill object
    EXPECT_EQ(info.serviceId, L"24187");
    EXPECT_EQ(info.bornDate, L"6/7/2014 ");
    EXPECT_EQ(info.totalImpressions, 40211);
    EXPECT_EQ(info.inkKitNumber, Text(L"TSY_NOT_AVAILABLE"));
    const std::string appended = log.Appended();
    for (const char* line : {"@CSNMPNWManager::GetDeviceInfo", "@ QuillInit", "Model name value Kelo Workline 6500",
                             "serial number value SN1.", "Service ID checking.", " SNMP QuillUninit "})
        EXPECT_NE(appended.find(line), std::string::npos) << line;
    EXPECT_EQ(appended.find("OID failed to get service id"), std::string::npos);
}

TEST_F(SnmpManagerTest, InstallationDateStandsInForTheServiceId)
{
    ASSERT_TRUE(sim_.Apply("quill-dated", "quill.1.1.3.6 = hex 41-42-43\nquill.1.2.5.3 = absent"));
    const Device_Dev printer = NetworkPrinter(L"127.0.7.11");
    LogTail log;
    manager_.ResetDeviceData();
    ASSERT_TRUE(manager_.GetDeviceInfo(printer));
    DeviceInfo info = manager_.Records().deviceInfo;
    EXPECT_EQ(info.serviceId, L"23044");
    EXPECT_EQ(info.bornDate, L"13/2/2013 ");
    EXPECT_EQ(info.totalImpressions, 1234); // " 1234 " trimmed
    EXPECT_EQ(info.firmwareRevision, Text(L"TSY_NOT_AVAILABLE")); // printable text has no dash to decode
    // Without the Quill object, the first interface's physical address, its six bytes in full.
    EXPECT_EQ(info.macAddress, L"001A2B3C4D5E");
    const std::string appended = log.Appended();
    EXPECT_NE(appended.find("1.3.6.1.4.1.48213.2.3.9.4.2.1.1.2.19.0   OID failed to get service id"),
              std::string::npos);
    EXPECT_NE(appended.find("Install date OID succeed..."), std::string::npos);
    EXPECT_NE(appended.find("FindServiceIDFromInstallationDate "), std::string::npos);

    // Neither object: both fields not available; a missing page count keeps -1.
    ASSERT_TRUE(sim_.Apply("quill-dated", "quill.1.1.2.8 = absent\nquill.1.4.1.2.5 = absent"));
    manager_.ResetDeviceData();
    ASSERT_TRUE(manager_.GetDeviceInfo(printer));
    info = manager_.Records().deviceInfo;
    EXPECT_EQ(info.serviceId, Text(L"TSY_NOT_AVAILABLE"));
    EXPECT_EQ(info.bornDate, Text(L"TSY_NOT_AVAILABLE"));
    EXPECT_EQ(info.totalImpressions, -1);
    ASSERT_TRUE(sim_.Apply("quill-dated", "quill.1.1.2.8 =\nquill.1.4.1.2.5 = hex 20-31-32-33-34-20"));
}

TEST_F(SnmpManagerTest, InksFollowTheAgentFlagsAndSkipUnknownColours)
{
    const Device_Dev printer = NetworkPrinter(L"127.0.7.10");
    SetPrinterRegionText(Text(L"TSY_NOT_AVAILABLE"));
    manager_.ResetDeviceData();
    manager_.GetInkLevelInfo(printer);
    manager_.GetInkLevelInfo(printer); // a second read replaces the list
    const std::vector<InkInfo> inks = manager_.Records().inkList;
    ASSERT_EQ(inks.size(), 5u); // the colour code 16 of slot 5 is not in the table
    const struct {
        const wchar_t* colour;
        const wchar_t* state;
        const wchar_t* brand;
        const wchar_t* level;
    } expected[] = {
        {L"TSY_COLOR_BLACK", L"TSY_INKSTATE_MISSING", L"Kelo", L"45"},
        {L"TSY_COLOR_CYAN", L"TSY_INKSTATE_OUT", L"Non Kelo", L"33"},
        {L"TSY_COLOR_MAGENTA", L"TSY_INKSTATE_MISSING", L"Kelo", L"52"},
        {L"TSY_COLOR_YELLOW", L"TSY_INKSTATE_LOW", L"Kelo", L"61"},
        {L"TSY_COLOR_PHOTO_BLACK", L"TSY_INKSTATE_VERYLOW", L"Kelo", L"90"},
    };
    for (size_t i = 0; i < inks.size(); ++i) {
        EXPECT_EQ(inks[i].colour, Text(expected[i].colour)) << i;
        EXPECT_EQ(inks[i].consumableState, Text(expected[i].state)) << i;
        EXPECT_EQ(inks[i].brand, expected[i].brand) << i;
        EXPECT_EQ(inks[i].level, expected[i].level) << i;
        EXPECT_EQ(inks[i].installationDate, L"22-06-2014") << i;
        EXPECT_EQ(inks[i].warranty, Text(L"TSY_NOT_AVAILABLE")) << i;
    }
    EXPECT_EQ(inks[0].selectabilityNumber, L"920XL");
    EXPECT_EQ(inks[0].serialNumber, L"KB920B01");
    EXPECT_EQ(inks[0].dropsUsed, L"88000");
    EXPECT_EQ(PrinterRegionText(), L"7");
}

TEST_F(SnmpManagerTest, PrintheadsAndStatus)
{
    const Device_Dev printer = NetworkPrinter(L"127.0.7.10");
    manager_.ResetDeviceData();
    ASSERT_TRUE(manager_.GetPrintHeadInfo(printer));
    const std::vector<PrintHeadInfo> heads = manager_.Records().printHeadList;
    ASSERT_EQ(heads.size(), 4u);
    EXPECT_EQ(heads[0].printheadNumber, L"1");
    EXPECT_EQ(heads[0].installationDate, L"20140622");
    EXPECT_EQ(heads[0].warranty, L"valid");
    EXPECT_EQ(heads[0].health, L"ok");
    EXPECT_EQ(heads[1].health, L"failed");
    EXPECT_EQ(heads[3].printheadNumber, Text(L"TSY_NOT_AVAILABLE"));
    EXPECT_EQ(heads[0].consumableType, Text(L"TSY_NOT_AVAILABLE"));

    ASSERT_TRUE(manager_.GetDeviceStatus(printer));
    const std::vector<StatusEntry> status = manager_.Records().statusList;
    ASSERT_EQ(status.size(), 2u);
    EXPECT_EQ(status[0].statusId, L"31");
    EXPECT_EQ(status[1].statusId, L"0010");
    EXPECT_EQ(status[1].priority, 10000);
    EXPECT_EQ(manager_.GetStatusFlag(printer), 31);
}

// Colour codes, the feeder word and printhead health and warranty as integers read as the
// octets and texts of the other printers do.
TEST_F(SnmpManagerTest, ObjectsTypedAsIntegersReadAlike)
{
    const Device_Dev printer = NetworkPrinter(L"127.0.7.13");
    manager_.ResetDeviceData();
    manager_.GetInkLevelInfo(printer);
    const std::vector<InkInfo> inks = manager_.Records().inkList;
    ASSERT_EQ(inks.size(), 3u) << "4096 and 128 are codes, not hexadecimal digits";
    EXPECT_EQ(inks[0].colour, Text(L"TSY_COLOR_BLACK"));
    EXPECT_EQ(inks[1].colour, Text(L"TSY_COLOR_PHOTO_BLACK"));
    EXPECT_EQ(inks[2].colour, Text(L"TSY_COLOR_LIGHT_CYAN"));
    EXPECT_EQ(inks[1].level, L"90");

    ASSERT_TRUE(manager_.GetPrintHeadInfo(printer));
    const PrintHeadInfo head = manager_.Records().printHeadList.at(0);
    EXPECT_EQ(head.health, L"3");
    EXPECT_EQ(head.warranty, L"1");
    EXPECT_EQ(head.printheadNumber, L"1");

    ASSERT_TRUE(manager_.GetDeviceStatus(printer));
    EXPECT_EQ(manager_.Records().statusList.at(1).statusId, L"0010") << "the word 16 as its hexadecimal digits";
}

TEST_F(SnmpManagerTest, ServiceCommandsWriteTheirObjectsInOrder)
{
    const Device_Dev printer = NetworkPrinter(L"127.0.7.10");
    const std::string service = "1.3.6.1.4.1.48213.2.3.9.4.2.1.1.5.2.0\t";
    const std::string cleaning = "1.3.6.1.4.1.48213.2.3.9.4.2.1.4.1.5.1.1.0\t";
    const struct {
        bool (CSNMPNWManager::*run)(const Device_Dev&);
        std::string sets;
        const char* logName;
    } cases[] = {
        {&CSNMPNWManager::PrintQualityDiagnosticPage, service + "1000\n", "PrintQualityDiagnosticPage"},
        {&CSNMPNWManager::AlignPrintHead, service + "1100\n", "AlignPrintHead"},
        {&CSNMPNWManager::CleanPrintHead, cleaning + "100\n" + service + "1000\n", "CleanPrintHead"},
        {&CSNMPNWManager::PrintDiagnosticPage, service + "10\n", "PrintDiagnosticPage"},
    };
    for (const auto& c : cases) {
        sim_.Clear("quill-net");
        LogTail log;
        EXPECT_TRUE((manager_.*c.run)(printer));
        EXPECT_EQ(sim_.Sets("quill-net"), c.sets) << c.logName;
        EXPECT_NE(log.Appended().find(std::string(c.logName) + " @ QuillInit"), std::string::npos);
        EXPECT_NE(log.Appended().find(std::string(c.logName) + " @ QuillUnInit"), std::string::npos);
    }
}

TEST_F(SnmpManagerTest, SilentPrinterCostsOneTimeOutPerOperation)
{
    const SnmpStack::RetransmitPolicy saved = SnmpStack::GetRetransmitPolicy();
    SnmpStack::SetRetransmitPolicy({200, 2, 161});
    const Device_Dev printer = NetworkPrinter(L"127.0.7.12");
    manager_.ResetDeviceData();
    const uint64_t sentBefore = SnmpStack::DatagramsSent();
    const auto start = std::chrono::steady_clock::now();
    manager_.GetInkLevelInfo(printer);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_LT(elapsed, std::chrono::milliseconds(1500)); // one cycle of 3 x 200 ms, not one per object
    EXPECT_EQ(SnmpStack::DatagramsSent() - sentBefore, 3u);
    EXPECT_TRUE(manager_.Records().inkList.empty());

    EXPECT_EQ(manager_.GetStatusFlag(printer), 61);
    ASSERT_TRUE(manager_.GetDeviceStatus(printer));
    EXPECT_EQ(manager_.Records().statusList.at(0).statusId, L"");
    EXPECT_FALSE(manager_.GetDeviceInfo(printer)) << "a printer that answered nothing is no success";
    EXPECT_EQ(manager_.Records().deviceInfo.serialNumber, Text(L"TSY_NOT_AVAILABLE"));

    // Device information is two brackets (printheads, identity): still one time-out cycle.
    manager_.SetLastFault(DeviceFault::None);
    const auto info = std::chrono::steady_clock::now();
    EXPECT_FALSE(manager_.ReadDeviceInformation(printer));
    EXPECT_LT(std::chrono::steady_clock::now() - info, std::chrono::milliseconds(1500));
    EXPECT_EQ(manager_.LastFault(), DeviceFault::NotAnswering);
    manager_.SetLastFault(DeviceFault::None);
    EXPECT_FALSE(manager_.PrintDiagnosticPage(printer));
    EXPECT_EQ(manager_.LastFault(), DeviceFault::NotAnswering);
    SnmpStack::SetRetransmitPolicy(saved);
}

// SendARP failing the way an unforeseen fault does: by throwing, inside the read's bracket.
class ThrowingArp : public NGWinApi::CSocketApi {
public:
    DWORD SendARP(IPAddr, IPAddr, PVOID, PULONG) override { throw std::runtime_error("ARP"); }
};

TEST_F(SnmpManagerTest, AnExceptionInsideAReadReleasesTheSession)
{
    const Device_Dev printer = NetworkPrinter(L"127.0.7.10");
    ThrowingArp arp;
    NGWinApi::CSocketApi* previous = NGWinApi::Replace(&arp);
    EXPECT_FALSE(manager_.GetDeviceInfo(printer));
    NGWinApi::Replace(previous);

    // The status test reads on its own thread next: it must not wait on a lock left held.
    auto flag = std::async(std::launch::async, [&] { return manager_.GetStatusFlag(printer); });
    const bool ended = flag.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    if (!ended)
        manager_.GetPrintHeadInfo(printer); // frees the lock this thread left, so the test can end
    EXPECT_TRUE(ended) << "the status read hung";
    EXPECT_EQ(flag.get(), 31);
}

TEST_F(SnmpManagerTest, AServiceWaitsForAReadOnTheSameManager)
{
    const Device_Dev printer = NetworkPrinter(L"127.0.7.10");
    sim_.Clear("quill-net");
    std::future<bool> service;
    {
        auto reading = manager_.LockRecords(); // a read in progress on the window's popup
        service = std::async(std::launch::async, [&] { return manager_.PrintDiagnosticPage(printer); });
        EXPECT_EQ(service.wait_for(std::chrono::milliseconds(400)), std::future_status::timeout);
        EXPECT_EQ(sim_.Sets("quill-net"), "") << "the service used the session under the read";
    }
    EXPECT_TRUE(service.get());
    EXPECT_EQ(sim_.Sets("quill-net"), "1.3.6.1.4.1.48213.2.3.9.4.2.1.1.5.2.0\t10\n");
}

} // namespace
