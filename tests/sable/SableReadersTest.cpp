// The readers on real documents the simulator serves over loopback.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "SableNetworkTestSupport.h"

namespace {

class SableReadersTest : public ::testing::Test, public SableNetworkFixture {
protected:
    SableReadersTest() : SableNetworkFixture("sable-b", L"127.0.6.11")
    {
        control_.Settings(printer_, "ink =\nink = K serial=SK1 drops=12 level=72 selectability=910XL\n"
                                    "ink = CMY serial=SC2 drops=3\nink = LC serial=SL3\n"
                                    "printhead =\nprinthead = 7 state=ok\n");
        manager_.ResetDeviceData();
    }

    bool NoDocumentLeft() const
    {
        for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(Folder().Path())))
            if (entry.path().extension() == ".xml")
                return false;
        return true;
    }
};

} // namespace

TEST_F(SableReadersTest, InkAndPrintheadRecords)
{
    SetPrinterRegionText(L"Not available");
    for (int read = 0; read < 2; ++read) {
        manager_.ResetDeviceData();
        ASSERT_TRUE(manager_.GetInkLevelInfo(target_));
        ASSERT_TRUE(manager_.GetPrintHeadInfo(target_));
        const DeviceRecords records = manager_.Records();
        ASSERT_EQ(records.inkList.size(), 3u) << "each supply once, the printhead not among them";
        EXPECT_EQ(records.inkList[0].colour, L"Black");
        EXPECT_EQ(records.inkList[0].level, L"72");
        EXPECT_EQ(records.inkList[0].selectabilityNumber, L"910XL");
        EXPECT_EQ(records.inkList[0].dropsUsed, L"12000");
        EXPECT_EQ(records.inkList[1].colour, L"Tri-color");
        EXPECT_EQ(records.inkList[1].dropsUsed, L"3000");
        EXPECT_EQ(records.inkList[2].colour, L"") << "LC has no colour name";
        ASSERT_EQ(records.printHeadList.size(), 1u);
        EXPECT_EQ(records.printHeadList[0].printheadNumber, L"7");
        EXPECT_EQ(records.printHeadList[0].health, L"Good");
        EXPECT_EQ(records.printHeadList[0].consumableType, L"printhead");
    }
    EXPECT_EQ(PrinterRegionText(), L"12");
    EXPECT_TRUE(NoDocumentLeft());

    ASSERT_TRUE(control_.Settings(printer_, "printhead.1.state = Failed"));
    manager_.ResetDeviceData();
    ASSERT_TRUE(manager_.GetPrintHeadInfo(target_));
    EXPECT_EQ(manager_.Records().printHeadList.at(0).health, L"failed");
}

TEST_F(SableReadersTest, DeviceInformationFromFourDocuments)
{
    ASSERT_TRUE(manager_.GetDeviceInfo(target_));
    const DeviceInfo info = manager_.Records().deviceInfo;
    EXPECT_EQ(info.modelName, L"Kelo Vireo 4500 All-in-One");
    EXPECT_EQ(info.modelBaseName, L"Kelo Vireo 4500");
    EXPECT_EQ(info.firmwareRevision, L"VIR1CN2419AR");
    EXPECT_EQ(info.serialNumber, L"CN4A7K1XYZ");
    EXPECT_EQ(info.serviceId, L"23045");
    EXPECT_EQ(info.bornDate, L"14/2/2013 ");
    EXPECT_EQ(info.inkKitNumber, L"61");
    EXPECT_EQ(info.totalImpressions, 1234);
    EXPECT_EQ(info.macAddress, L"00:1A:2B:3C:4D:5E") << "the connected adapter, not the first";
    EXPECT_EQ(info.panelProgramVersion, L"Not available") << "no product folder on this host";
    EXPECT_EQ(control_.HttpRequests(printer_), 4);
    EXPECT_TRUE(NoDocumentLeft());

    std::wstring model;
    ASSERT_TRUE(manager_.GetMakeAndModel(target_, model));
    EXPECT_EQ(model, L"Kelo Vireo 4500 All-in-One");
}

TEST_F(SableReadersTest, StatusesOrderedByAlertPriority)
{
    ASSERT_TRUE(control_.Settings(printer_, "statuses = inPowerSave,cartridgeLow,jamInPrinter\n"
                                            "alert = cartridgeLow severity=Warning priority=5\n"
                                            "alert = inPowerSave\n"));
    ASSERT_TRUE(manager_.GetDeviceStatus(target_));
    const DeviceRecords records = manager_.Records();
    ASSERT_EQ(records.statusList.size(), 3u);
    EXPECT_EQ(records.statusList[0].statusId, L"cartridgeLow");
    EXPECT_EQ(records.statusList[0].priority, 5);
    EXPECT_EQ(records.statusList[1].statusId, L"inPowerSave");
    EXPECT_EQ(records.statusList[1].priority, 10000) << "an alert without priority";
    EXPECT_EQ(records.statusList[2].statusId, L"jamInPrinter");
    ASSERT_EQ(records.alertList.size(), 2u);
    EXPECT_EQ(records.alertList[0].severity, L"Warning");
    EXPECT_TRUE(NoDocumentLeft());
}

TEST_F(SableReadersTest, FaultyAnswersFailWithinBoundsAndLeaveNoFile)
{
    for (const char* fault : {"garbage", "disconnect", "oversized", "endless"}) {
        ASSERT_TRUE(control_.Settings(printer_, std::string("fault.http = ") + fault));
        LogTail log;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(manager_.GetDeviceStatus(target_)) << fault;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20)) << fault;
        const std::string appended = log.Appended();
        EXPECT_TRUE(appended.find("Failed to get device status from xml. File: ") != std::string::npos ||
                    appended.find("Failed to save xml for network device. File: ProductStatusDyn.xml") !=
                        std::string::npos)
            << fault << "\n" << appended;
        EXPECT_TRUE(manager_.Records().statusList.empty()) << fault;
        std::filesystem::remove(std::filesystem::path(Folder().File(L"ProductStatusDyn.xml")));
    }
}

// An answer that is not a document fails the read as an unexpected answer instead of passing
// with every field unknown.
TEST_F(SableReadersTest, GarbageFailsInformationAndInkAsAnUnexpectedAnswer)
{
    ASSERT_TRUE(control_.Settings(printer_, "fault.http = garbage"));
    manager_.SetLastFault(DeviceFault::None);
    EXPECT_FALSE(manager_.GetDeviceInfo(target_));
    EXPECT_EQ(manager_.LastFault(), DeviceFault::UnexpectedAnswer);
    manager_.SetLastFault(DeviceFault::None);
    EXPECT_FALSE(manager_.GetInkLevelInfo(target_));
    EXPECT_EQ(manager_.LastFault(), DeviceFault::UnexpectedAnswer);
    EXPECT_TRUE(NoDocumentLeft());
}

TEST_F(SableReadersTest, PagesNeverSeeAStatusListBeingRefilled)
{
    ASSERT_TRUE(control_.Settings(printer_, "statuses = inPowerSave,cartridgeLow,jamInPrinter\n"
                                            "alert = cartridgeLow priority=5\n"));
    ASSERT_TRUE(manager_.GetDeviceStatus(target_));
    std::atomic<bool> reading{true};
    std::thread statusReads([&] {
        for (int i = 0; i < 15; ++i)
            manager_.GetDeviceStatus(target_);
        reading = false;
    });
    int snapshots = 0;
    while (reading) {
        const DeviceRecords records = manager_.Records();
        ASSERT_EQ(records.statusList.size(), 3u);
        EXPECT_EQ(records.statusList[0].statusId, L"cartridgeLow");
        ++snapshots;
    }
    statusReads.join();
    EXPECT_GT(snapshots, 0);
}
