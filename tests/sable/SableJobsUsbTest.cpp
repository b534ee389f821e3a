// Jobs and readers over USB against the simulator's USB printer.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>

#include "SableUsbTestSupport.h"

namespace {

// Lists the printer only for the first `listings` interface lookups.
class VanishingUsbDeviceIo : public sim::FakeUsbDeviceIo {
public:
    HDEVINFO SetupDiGetClassDevsW(const GUID* classGuid, PCWSTR enumerator, HWND parent, DWORD flags) override
    {
        if (listings-- <= 0) {
            ::SetLastError(ERROR_INVALID_DATA);
            return INVALID_HANDLE_VALUE;
        }
        return FakeUsbDeviceIo::SetupDiGetClassDevsW(classGuid, enumerator, parent, flags);
    }
    std::atomic<int> listings{1000};
};

class SableUsbJobsTest : public ::testing::Test, public SableUsbFixture<VanishingUsbDeviceIo> {
protected:
    SableUsbJobsTest()
    {
        io_.Plug(printer_);
        Set("job-check", "strict"); // the printer parses what it is sent
    }
};

} // namespace

TEST_F(SableUsbJobsTest, PrintJobIsTrueOnlyWhenCompletedAndCalibrationWheneverItEnds)
{
    LogTail log;
    EXPECT_TRUE(manager_.PrintDiagnosticsPage(target_));
    EXPECT_NE(log.Appended().find("Job completed."), std::string::npos);
    ASSERT_FALSE(device_->Received().jobPosts.empty());
    EXPECT_EQ(device_->Received().jobPosts.back().jobType, "diagnosticsPage");

    Set("job-final-state", "canceled");
    EXPECT_FALSE(manager_.PrintQualityPage(target_));
    EXPECT_TRUE(manager_.AlignPrintheads(target_));
    EXPECT_EQ(device_->Received().jobPosts.back().path, "/Calibration/Session");
    EXPECT_EQ(io_.OpenHandles(), 0u);
}

TEST_F(SableUsbJobsTest, ADriverThatReportsNothingWaitingAsZeroBytesStillRunsTheJob)
{
    for (const char* idle : {"none", "zero"}) {
        Set("usb-idle-size", idle);
        device_->ClearReceived();
        EXPECT_TRUE(manager_.PrintDiagnosticsPage(target_)) << idle;
        EXPECT_TRUE(manager_.AlignPrintheads(target_)) << idle;
        EXPECT_EQ(device_->Received().jobPosts.size(), 2u) << idle;
    }
    // Stale bytes still wait: they are read away and the job goes on.
    printer_->QueueStaleInput("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n");
    EXPECT_TRUE(manager_.PrintDiagnosticsPage(target_));
}

TEST_F(SableUsbJobsTest, AnswerWithoutCreatedFailsTheService)
{
    Set("fault.usb", "garbage");
    LogTail log;
    EXPECT_FALSE(manager_.CleanPrintheads(target_));
    const std::string appended = log.Appended();
    EXPECT_NE(appended.find("Request failed."), std::string::npos) << appended;
    EXPECT_NE(appended.find("Failed to start service. Service: cleaningPage"), std::string::npos) << appended;
}

TEST_F(SableUsbJobsTest, PollerThatCannotFetchTheJobEndsTheWaitWithFalse)
{
    io_.listings = 1; // the job finds the printer, its poller no longer does
    LogTail log;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(manager_.PrintDiagnosticsPage(target_));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4)) << "the event ends the wait";
    EXPECT_NE(log.Appended().find("Failed to save xml. File: \\Job.xml "), std::string::npos) << log.Appended();
}

TEST_F(SableUsbJobsTest, StatusReadOverUsbLeavesNoFileAndLogsUsbFailures)
{
    Set("statuses", "jamInPrinter");
    ASSERT_TRUE(manager_.GetDeviceStatus(target_));
    EXPECT_EQ(manager_.Records().statusList.at(0).statusId, L"jamInPrinter");
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(Folder().File(L"ProductStatusDyn.xml"))));

    io_.listings = 0;
    LogTail log;
    EXPECT_FALSE(manager_.GetDeviceStatus(target_));
    EXPECT_NE(log.Appended().find("Failed to save xml . File: ProductStatusDyn.xml"), std::string::npos);
}

TEST_F(SableUsbJobsTest, DeviceInformationOverUsbKeepsTheMacWithoutConnectedAdapter)
{
    manager_.ResetDeviceData();
    LogTail log;
    ASSERT_TRUE(manager_.GetDeviceInfo(target_));
    const DeviceInfo info = manager_.Records().deviceInfo;
    EXPECT_EQ(info.serialNumber, L"CN4A7K1XYZ");
    EXPECT_EQ(info.bornDate, L"14/2/2013 ");
    EXPECT_EQ(info.totalImpressions, 1234);
    EXPECT_EQ(info.macAddress, L"Not available") << "a USB printer's adapters are all idle";
    EXPECT_NE(log.Appended().find("Failed to GetMacAddress. File: Adapters.xml"), std::string::npos);
    EXPECT_EQ(device_->Received().httpRequests.size(), 4u);
}
