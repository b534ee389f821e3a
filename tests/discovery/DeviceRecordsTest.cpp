#include <gtest/gtest.h>

#include "discovery/DeviceRecords.h"
#include "sable/SableTestSupport.h"

namespace {

class DeviceRecordsTest : public ::testing::Test, public SableFolderFixture {};

// The records and their locks alone; these tests run no device operation.
class RecordsOnlyManager : public CDeviceAccessManager {
public:
    bool ReadDeviceInformation(const Device_Dev&) override { return false; }
    bool ReadInkLevels(const Device_Dev&) override { return false; }
    bool PrintDiagnosticsPage(const Device_Dev&) override { return false; }
    bool PrintQualityPage(const Device_Dev&) override { return false; }
    bool CleanPrintheads(const Device_Dev&) override { return false; }
    bool AlignPrintheads(const Device_Dev&) override { return false; }
    bool ReadDeviceStatus(const Device_Dev&) override { return false; }
};

std::vector<std::wstring> Texts(const DeviceInfo& info)
{
    return {info.modelName, info.modelBaseName, info.firmwareRevision, info.serialNumber, info.serviceId,
            info.inkKitNumber, info.panelProgramVersion, info.printerDriverVersion, info.macAddress, info.bornDate};
}

std::vector<std::wstring> Texts(const InkInfo& ink)
{
    return {ink.colour, ink.level, ink.regionalCartridge, ink.dropsUsed, ink.installationDate, ink.brand,
            ink.warranty, ink.selectabilityNumber, ink.serialNumber, ink.consumableState, ink.consumableType};
}

} // namespace

TEST_F(DeviceRecordsTest, ResetFillsEveryTextAndEmptiesTheListsButLeavesTheRegion)
{
    RecordsOnlyManager manager;
    SetPrinterRegionText(L"region 12");
    {
        auto guard = manager.LockRecords();
        DeviceRecords& records = manager.MutableRecords();
        records.deviceInfo.modelName = L"Vireo";
        records.deviceInfo.totalImpressions = 1234;
        records.inkList.push_back(InkInfo{L"Black"});
        records.spareInk.level = L"40";
        records.printHeadList.push_back(PrintHeadInfo{L"printhead"});
        records.statusList.push_back(StatusEntry{L"ready"});
        records.alertList.push_back(AlertEntry{L"cartridgeLow", L"Info", 5});
    }
    manager.ResetDeviceData();

    const DeviceRecords records = manager.Records();
    for (const std::wstring& text : Texts(records.deviceInfo))
        EXPECT_EQ(text, L"Not available");
    EXPECT_EQ(records.deviceInfo.totalImpressions, -1);
    for (const std::wstring& text : Texts(records.spareInk))
        EXPECT_EQ(text, L"Not available");
    EXPECT_TRUE(records.inkList.empty());
    EXPECT_TRUE(records.printHeadList.empty());
    EXPECT_TRUE(records.statusList.empty());
    EXPECT_TRUE(records.alertList.empty());
    EXPECT_EQ(PrinterRegionText(), L"region 12");
}

TEST_F(DeviceRecordsTest, LanguageChangeReachesOnlyTheNextReset)
{
    RecordsOnlyManager manager;
    manager.ResetDeviceData();
    LoadStrings("Non disponible", "Bon");
    EXPECT_EQ(manager.Records().deviceInfo.serialNumber, L"Not available");
    manager.ResetDeviceData();
    EXPECT_EQ(manager.Records().deviceInfo.serialNumber, L"Non disponible");
    manager.ResetDeviceInfo(L"-");
    EXPECT_EQ(manager.Records().deviceInfo.bornDate, L"-");
}

TEST_F(DeviceRecordsTest, ManagersShareOneNamedAutoResetJobEvent)
{
    RecordsOnlyManager sable;
    RecordsOnlyManager quill;
    ASSERT_NE(sable.JobEvent(), nullptr);
    EXPECT_FALSE(sable.JobCompleted());
    ::SetEvent(quill.JobEvent());
    EXPECT_EQ(::WaitForSingleObject(sable.JobEvent(), 0), WAIT_OBJECT_0);
    EXPECT_EQ(::WaitForSingleObject(sable.JobEvent(), 0), static_cast<DWORD>(WAIT_TIMEOUT)); // auto-reset
}
