// The USB channel against the simulator's USB printer behind the device I/O wrapper.
#include <gtest/gtest.h>

#include <chrono>

#include "SableUsbTestSupport.h"

namespace {

class SableUsbChannelTest : public ::testing::Test, public SableUsbFixture<> {
protected:
    void Fault(const std::string& words) { Set("fault.usb", words); }

    std::string Fetched(const std::wstring& resource = L"/DevMgmt/ProductConfigDyn.xml")
    {
        EXPECT_TRUE(manager_.GetDocumentOverUsb(target_, resource, L"Fetched.xml"));
        return ReadWholeFile(Folder().File(L"Fetched.xml"));
    }
};

} // namespace

TEST_F(SableUsbChannelTest, EveryFramingTheDeviceUsesGivesTheSameDocument)
{
    io_.Plug(printer_);
    const std::string expected = Fetched();
    ASSERT_NE(expected.find("ProductConfigDyn"), std::string::npos);
    ASSERT_GT(expected.size(), 1000u) << "small read sizes should need many reads";
    for (const char* faults : {"chunked", "chunked read-size=100", "noise", "read-size=7", "empty-reads=3",
                               "chunked noise empty-reads=3 read-size=1000", "delay=50"}) {
        Fault(faults);
        EXPECT_EQ(Fetched(), expected) << faults;
    }
    EXPECT_EQ(io_.OpenHandles(), 0u);
}

TEST_F(SableUsbChannelTest, StaleInputIsDrainedAndTheImagingClassIsSearchedToo)
{
    io_.Plug(printer_, sim::UsbSetupClass::Imaging);
    const std::string expected = Fetched();
    printer_->QueueStaleInput("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nstale");
    EXPECT_EQ(Fetched(), expected);
}

TEST_F(SableUsbChannelTest, RequestCarriesTheLowByteOfEachCharacterAndErrorPagesGiveAnEmptyFile)
{
    io_.Plug(printer_);
    LogTail log;
    EXPECT_EQ(Fetched(L"/DevMgmt/\u0141\u00e9.xml"), "");
    const sim::ReceivedLog received = device_->Received();
    ASSERT_FALSE(received.httpRequests.empty());
    EXPECT_EQ(received.httpRequests.back(), "GET /DevMgmt/A\xe9.xml HTTP/1.1");
    EXPECT_EQ(log.Appended().find("Failed to found"), std::string::npos) << "a 404 is HTTP/1.1 all the same";
}

TEST_F(SableUsbChannelTest, MissingDeviceFailsWithItsLogLine)
{
    LogTail log;
    EXPECT_FALSE(manager_.GetDocumentOverUsb(target_, L"/DevMgmt/ProductConfigDyn.xml", L"Fetched.xml"));
    EXPECT_NE(log.Appended().find("Failed to get InterfaceSymbolicLink."), std::string::npos);
}

TEST_F(SableUsbChannelTest, FaultyDevicesEndWithinTheirBounds)
{
    io_.Plug(printer_);
    struct Case {
        const char* faults;
        bool result;
        const char* logLine;
    };
    for (const Case& c : {Case{"silence", false, "ReadSOAPResponseHeader Failed."},
                          Case{"garbage", false, "ReadSOAPResponseHeader Failed."},
                          Case{"endless", false, "Failed to read the chunked content."},
                          Case{"disconnect", true, "Read Failure count : 10"}}) {
        Fault(c.faults);
        LogTail log;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(manager_.GetDocumentOverUsb(target_, L"/DevMgmt/ProductConfigDyn.xml", L"Fetched.xml"), c.result)
            << c.faults;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10)) << c.faults;
        EXPECT_NE(log.Appended().find(c.logLine), std::string::npos) << c.faults << "\n" << log.Appended();
        EXPECT_EQ(io_.OpenHandles(), 0u) << c.faults;
    }
}
