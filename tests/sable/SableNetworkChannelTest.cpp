// The network channel against the simulator over loopback.
#include <gtest/gtest.h>

#include "SableNetworkTestSupport.h"

namespace {

// Counts the ANSI calls and can make the connection step fail; forwards to WinINet.
class CountingInternet : public NGWinApi::CInternetApi {
public:
    HINTERNET InternetConnectA(HINTERNET session, LPCSTR serverName, INTERNET_PORT port, LPCSTR userName,
                               LPCSTR password, DWORD service, DWORD flags, DWORD_PTR context) override
    {
        ++connects;
        if (failConnect) {
            ::SetLastError(ERROR_INTERNET_CANNOT_CONNECT);
            return nullptr;
        }
        return CInternetApi::InternetConnectA(session, serverName, port, userName, password, service, flags,
                                              context);
    }
    HINTERNET HttpOpenRequestA(HINTERNET connection, LPCSTR verb, LPCSTR objectName, LPCSTR version,
                               LPCSTR referrer, LPCSTR* acceptTypes, DWORD flags, DWORD_PTR context) override
    {
        lastPath = objectName;
        lastFlags = flags;
        return CInternetApi::HttpOpenRequestA(connection, verb, objectName, version, referrer, acceptTypes, flags,
                                              context);
    }
    BOOL HttpSendRequestA(HINTERNET request, LPCSTR headers, DWORD headersLength, LPVOID optional,
                          DWORD optionalLength) override
    {
        ++urlOpens;
        return CInternetApi::HttpSendRequestA(request, headers, headersLength, optional, optionalLength);
    }

    bool failConnect = false;
    int connects = 0;
    int urlOpens = 0;
    std::string lastPath;
    DWORD lastFlags = 0;
};

class SableNetworkChannelTest : public ::testing::Test, public SableNetworkFixture {
protected:
    SableNetworkChannelTest() : SableNetworkFixture("sable-a", L"127.0.6.10") {}
    ~SableNetworkChannelTest() override { NGWinApi::Replace(previous_); }

    CountingInternet internet_;
    NGWinApi::CInternetApi* previous_ = NGWinApi::Replace(&internet_);
};

} // namespace

TEST_F(SableNetworkChannelTest, DownloadsEveryTimeFromTheDeviceAndKeepsErrorPages)
{
    ASSERT_TRUE(control_.Ready()) << "KELO_SABLE_SIM_READY names no running simulator";
    ASSERT_TRUE(manager_.GetDocumentOverNetwork(target_, L"ProductStatusDyn.xml", L"/DevMgmt/ProductStatusDyn.xml"));
    EXPECT_EQ(internet_.lastPath, "/DevMgmt/ProductStatusDyn.xml");
    EXPECT_EQ(internet_.lastFlags, static_cast<DWORD>(INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE));
    EXPECT_NE(ReadWholeFile(Folder().File(L"ProductStatusDyn.xml")).find(">ready<"), std::string::npos);

    ASSERT_TRUE(control_.Settings(printer_, "statuses = jamInPrinter"));
    ASSERT_TRUE(manager_.GetDocumentOverNetwork(target_, L"ProductStatusDyn.xml", L"/DevMgmt/ProductStatusDyn.xml"));
    EXPECT_NE(ReadWholeFile(Folder().File(L"ProductStatusDyn.xml")).find("jamInPrinter"), std::string::npos)
        << "no cached copy";
    EXPECT_EQ(control_.HttpRequests(printer_), 2);

    EXPECT_TRUE(manager_.GetDocumentOverNetwork(target_, L"Missing.xml", L"/No/Such/Resource"));
    EXPECT_NE(ReadWholeFile(Folder().File(L"Missing.xml")).find("<html"), std::string::npos);
}

TEST_F(SableNetworkChannelTest, UnreachableDevicesFailAfterThreeAttemptsWithOneLine)
{
    {
        target_.address = L"127.0.6.99";
        LogTail log;
        EXPECT_FALSE(manager_.GetDocumentOverNetwork(target_, L"Refused.xml", L"/DevMgmt/ProductStatusDyn.xml"));
        EXPECT_EQ(internet_.urlOpens, 3);
        const std::string appended = log.Appended();
        EXPECT_NE(appended.find("InternetOpenUrl API failed.Err: "), std::string::npos) << appended;
        EXPECT_EQ(appended.find("InternetOpenUrl API failed.Err: "), appended.rfind("InternetOpenUrl API failed"));
    }
    {
        internet_.failConnect = true;
        internet_.urlOpens = 0;
        internet_.connects = 0;
        LogTail log;
        EXPECT_FALSE(manager_.GetDocumentOverNetwork(target_, L"Refused.xml", L"/DevMgmt/ProductStatusDyn.xml"));
        EXPECT_EQ(internet_.connects, 3);
        EXPECT_EQ(internet_.urlOpens, 0);
        const std::string appended = log.Appended();
        EXPECT_NE(appended.find("InternetConnect API failed.Err: 12029"), std::string::npos) << appended;
    }
}

TEST_F(SableNetworkChannelTest, EndlessBodyIsCutOffAndTheFileKept)
{
    ASSERT_TRUE(control_.Settings(printer_, "fault.http = endless"));
    LogTail log;
    EXPECT_FALSE(manager_.GetDocumentOverNetwork(target_, L"Endless.xml", L"/DevMgmt/ProductStatusDyn.xml"));
    EXPECT_NE(log.Appended().find("Failed to save the file."), std::string::npos);
    EXPECT_GT(ReadWholeFile(Folder().File(L"Endless.xml")).size(), 0u);
}

TEST_F(SableNetworkChannelTest, SilentPrinterEndsWithinTheTimeOut)
{
    SableWaits waits = manager_.Waits();
    waits.networkTimeoutMs = 300;
    manager_.SetWaits(waits);
    ASSERT_TRUE(control_.Settings(printer_, "fault.http = silence"));
    LogTail log;
    const DWORD start = ::GetTickCount();
    EXPECT_FALSE(manager_.GetDocumentOverNetwork(target_, L"Silent.xml", L"/DevMgmt/ProductStatusDyn.xml"));
    EXPECT_LT(::GetTickCount() - start, 5000u) << "three attempts of 300 ms each, not the library's minutes";
    EXPECT_NE(log.Appended().find("InternetOpenUrl API failed.Err: "), std::string::npos);
    ASSERT_TRUE(control_.Settings(printer_, "fault.http = "));
}

TEST_F(SableNetworkChannelTest, EmptyBodyGivesAnEmptyFile)
{
    ASSERT_TRUE(control_.Settings(printer_, "fault.http = empty"));
    ASSERT_TRUE(manager_.GetDocumentOverNetwork(target_, L"Empty.xml", L"/DevMgmt/ProductStatusDyn.xml"));
    EXPECT_EQ(ReadWholeFile(Folder().File(L"Empty.xml")), "");
}
