#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <stdexcept>

#include "LoopbackHttpServer.h"
#include "TestFolder.h"
#include "links/LinkChecker.h"
#include "links/LinkTestHelpers.h"

namespace {

// The real WinINet, with every handle it hands out and takes back counted.
class CountingInternet : public NGWinApi::CInternetApi {
public:
    HINTERNET InternetOpenW(LPCWSTR agent, DWORD access, LPCWSTR proxy, LPCWSTR bypass, DWORD flags) override
    {
        return Track(CInternetApi::InternetOpenW(agent, access, proxy, bypass, flags));
    }
    HINTERNET InternetConnectW(HINTERNET session, LPCWSTR server, INTERNET_PORT port, LPCWSTR user,
                               LPCWSTR password, DWORD service, DWORD flags, DWORD_PTR context) override
    {
        return Track(CInternetApi::InternetConnectW(session, server, port, user, password, service, flags, context));
    }
    HINTERNET HttpOpenRequestW(HINTERNET connection, LPCWSTR verb, LPCWSTR object, LPCWSTR version,
                               LPCWSTR referrer, LPCWSTR* accept, DWORD flags, DWORD_PTR context) override
    {
        return Track(CInternetApi::HttpOpenRequestW(connection, verb, object, version, referrer, accept, flags,
                                                    context));
    }
    BOOL InternetCloseHandle(HINTERNET handle) override
    {
        EXPECT_EQ(open.erase(handle), 1u) << "closed a handle that was not open";
        return CInternetApi::InternetCloseHandle(handle);
    }

    std::set<HINTERNET> open;
    int opened = 0;

private:
    HINTERNET Track(HINTERNET handle)
    {
        if (handle != nullptr) {
            open.insert(handle);
            ++opened;
        }
        return handle;
    }
};

class LinkCheckTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        server_ = LoopbackHttpServer::OnPort80();
        if (!server_)
            GTEST_SKIP() << "no address of 127.0.4.0/24 takes a server on port 80";
    }

    std::unique_ptr<LoopbackHttpServer> server_;
    CLinkChecker checker_;
};

} // namespace

TEST_F(LinkCheckTest, StatusCodesReachTheCallerWithTheirTextsAndLogLines)
{
    const struct {
        int code;
        const char* status;
        const char* log; // nullptr: no log line
    } cases[] = {
        {200, "Live", nullptr},
        {204, "No information to return", "No information to return:"},
        {300, "The Server could not decide the return information",
         "The Server could not decide the return information:"},
        {305, "Redirection to proxy", "Redirection to proxy:"},
        {400, "Invalid request", "Invalid request:"},
        {401, "Access Denied", "Access Denied:"},
        {402, "Payment Required", "Payment Required:"},
        {403, "Forbidden", "Forbidden:"},
        {404, "Page not Found", "Page Not Found:"},
        {405, "Method Not Allowed", "Method Not Allowed:"},
        {406, "No response acceptable to client was found", "No response acceptable to client was found:"},
        {407, "Proxy authentication required", "Proxy authentication required:"},
        {408, "Request timed out", "Request timed out:"},
        {410, "Page Not Found", "Page Not Found:"},
        {413, "Requested entity too large", "Requested entity too large:"},
        {415, "Unsupported media type", "Unsupported media type:"},
        {500, "Internal server error.", "Internal server error:"},
        {501, "Not supported", "Not supported:"},
        {502, "Error response received from gateway", "Error response received from gateway:"},
        {503, "Temporarily overloaded", "Temporarily overloaded:"},
        {504, "Timed out waiting for gateway", "Timed out waiting for gateway:"},
        {505, "HTTP Version not supported", "HTTP Version not supported:"},
        {201, "Unknown Error", "Unknown Error:"},
        {307, "Unknown Error", "Unknown Error:"}, // not one of the redirects the check follows
    };
    for (const auto& c : cases) {
        const std::string path = "/status/" + std::to_string(c.code);
        server_->Answer(path, c.code, c.code == 307 ? "Location: /status/200\r\n" : "", "body");
        LogTail log;
        const std::wstring link = server_->Link(path);
        EXPECT_EQ(Narrow(checker_.CheckLink(link)), c.status) << c.code;
        if (c.log != nullptr)
            EXPECT_TRUE(Logged(log, std::string(c.log) + " " + Narrow(link))) << c.code << log.Appended();
        else
            EXPECT_EQ(log.Appended(), "") << c.code;
    }
    EXPECT_EQ(server_->RequestsFor("/status/200").size(), 1u); // the 307 was not followed
}

TEST_F(LinkCheckTest, RequestIsAPlainHttp10GetWithoutCache)
{
    server_->Answer("/apps/Nav", 200);
    ASSERT_EQ(checker_.CheckLink(server_->Link("/apps/Nav?h_lang=en&h_query=Printer X470")), L"Live");
    const auto requests = server_->RequestsFor("/apps/Nav");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].version, "HTTP/1.0");
    EXPECT_EQ(requests[0].Header("Accept"), "*/*");
    EXPECT_EQ(requests[0].target.find("/apps/Nav?h_lang=en&h_query=Printer"), 0u) << requests[0].target;

    // Asked again, the page comes from the server, not from a cache.
    ASSERT_EQ(checker_.CheckLink(server_->Link("/apps/Nav?h_lang=en&h_query=Printer X470")), L"Live");
    EXPECT_EQ(server_->RequestsFor("/apps/Nav").size(), 2u);
}

TEST_F(LinkCheckTest, FtpHttpsAndWrittenPortsAreAskedOverPlainHttpOnPort80)
{
    server_->Answer("/pub/driver", 200);
    server_->Answer("/secure/page", 200);
    server_->Answer("/other/port", 200);
    const std::string address = server_->Address();
    const std::string links[] = {
        "ftp://" + address + "/pub/driver",
        "https://" + address + "/secure/page",
        "HTTPS://" + address + ":443/secure/page",
        "http://" + address + ":8080/other/port",
        "ftp://anonymous:guest@" + address + ":21/pub/driver",
    };
    for (const auto& link : links)
        EXPECT_EQ(checker_.CheckLink(std::wstring(link.begin(), link.end())), L"Live") << link;
    EXPECT_EQ(server_->RequestsFor("/pub/driver").size(), 2u);
    EXPECT_EQ(server_->RequestsFor("/secure/page").size(), 2u);
    EXPECT_EQ(server_->RequestsFor("/other/port").size(), 1u);
    for (const auto& request : server_->Requests())
        EXPECT_EQ(request.version, "HTTP/1.0") << request.target;
}

TEST_F(LinkCheckTest, RedirectsAreFollowedToTheirEnd)
{
    const std::string live = "/pages/live";
    server_->Answer(live, 200);
    server_->Redirect("/r/302", 302, "http://" + server_->Address() + live);
    server_->Redirect("/r/301", 301, live); // no server part: the answering server's
    server_->Redirect("/r/303", 303, "pages/live");
    server_->Redirect("/r/chain", 302, "/r/301");
    server_->Redirect("/r/dead", 302, "/pages/missing");
    for (const char* path : {"/r/302", "/r/301", "/r/303", "/r/chain"})
        EXPECT_EQ(checker_.CheckLink(server_->Link(path)), L"Live") << path;
    EXPECT_EQ(server_->RequestsFor(live).size(), 4u);

    LogTail log;
    EXPECT_EQ(checker_.CheckLink(server_->Link("/r/dead")), L"Page not Found");
    // The target's own status is logged with the target.
    EXPECT_TRUE(Logged(log, "Page Not Found: " + Narrow(server_->Link("/pages/missing")))) << log.Appended();
}

TEST_F(LinkCheckTest, RedirectsThatEndTheCheck)
{
    const std::string errorPage = "http://" + server_->Address() + "/apps/Error?code=404";
    server_->Redirect("/r/error", 302, errorPage);
    server_->Answer("/r/nowhere", 302);
    server_->Redirect("/r/gopher", 302, "gopher://" + server_->Address() + "/x");
    server_->Redirect("/r/loop", 302, "/r/loop");
    const struct {
        const char* path;
        const char* status;
        std::string log;
    } cases[] = {
        {"/r/error", "Page Not Found. Page does not exist", "Page Not Found. Page does not exist: " + errorPage},
        {"/r/nowhere", "Location not found", "Location not found."},
        {"/r/gopher", "Invalid Service Type.", "Invalid Service Type: gopher://" + server_->Address() + "/x"},
        {"/r/loop", "Too many redirects", "Too many redirects: " + Narrow(server_->Link("/r/loop"))},
    };
    for (const auto& c : cases) {
        LogTail log;
        EXPECT_EQ(Narrow(checker_.CheckLink(server_->Link(c.path))), c.status) << c.path;
        EXPECT_TRUE(Logged(log, c.log)) << c.path << "\n" << log.Appended();
    }
    EXPECT_TRUE(server_->RequestsFor("/apps/Error").empty()); // the error page is never asked for
    EXPECT_EQ(server_->RequestsFor("/r/loop").size(), static_cast<std::size_t>(kMaxLinkRedirects + 1));
}

TEST_F(LinkCheckTest, HttpsLinksLeaveRedirectsToTheSystem)
{
    // Automatic redirects stay on for HTTPS links: the system follows even to the error page.
    server_->Redirect("/s/error", 302, "/apps/Error?code=1");
    server_->Answer("/apps/Error", 200);
    const std::wstring https = L"https://" + std::wstring(server_->Address().begin(), server_->Address().end());
    EXPECT_EQ(checker_.CheckLink(https + L"/s/error"), L"Live");
    EXPECT_EQ(checker_.CheckLink(server_->Link("/s/error")), L"Page Not Found. Page does not exist");
    EXPECT_EQ(server_->RequestsFor("/apps/Error").size(), 1u);
}

TEST_F(LinkCheckTest, LongHeadersComeThroughTheSecondQuery)
{
    const std::string target = "/long/" + std::string(3000, 'a');
    server_->Answer(target, 200);
    server_->Redirect("/r/long", 302, target);
    EXPECT_EQ(checker_.CheckLink(server_->Link("/r/long")), L"Live");
    EXPECT_EQ(server_->RequestsFor(target).size(), 1u);
}

TEST_F(LinkCheckTest, LinksThatCannotBeCheckedSendNothing)
{
    const std::string address = server_->Address();
    const std::string links[] = {
        address + "/apps/Nav",                 // no scheme
        "mailto:support@" + address,
        "file://" + address + "/share",
        "http://" + address + "/x\r\nX-Injected: 1", // a model name with a line break
        "",
    };
    for (const auto& link : links) {
        LogTail log;
        EXPECT_EQ(checker_.CheckLink(std::wstring(link.begin(), link.end())), L"Invalid Link") << link;
        const std::string printable = link.substr(0, link.find_first_of("\r\n"));
        EXPECT_NE(log.Appended().find("):Invalid Link: " + printable), std::string::npos) << link;
    }
    EXPECT_TRUE(server_->Requests().empty());
}

TEST_F(LinkCheckTest, NoAnswerEndsWithinTheTimeOut)
{
    server_->Silence("/silent");
    checker_.SetTimeoutMilliseconds(300);
    LogTail log;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(checker_.CheckLink(server_->Link("/silent")), L"HttpSendRequest failed");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_TRUE(Logged(log, "HttpSendRequest failed To: " + Narrow(server_->Link("/silent")))) << log.Appended();
    EXPECT_EQ(server_->RequestsFor("/silent").size(), 1u);

    // Nothing listens on port 80 there.
    EXPECT_EQ(checker_.CheckLink(L"http://127.0.4.250/x"), L"HttpSendRequest failed");
}

TEST_F(LinkCheckTest, HeaderQueryFailuresBecomeTheirTextsAndCloseEverything)
{
    enum class Fault { HugeHeader, NoHeader, Throws };
    class FaultyQuery : public CountingInternet {
    public:
        BOOL HttpQueryInfoW(HINTERNET, DWORD, LPVOID, LPDWORD length, LPDWORD) override
        {
            switch (fault) {
            case Fault::HugeHeader:
                *length = 0x7FFFFFF0;
                ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
                return FALSE;
            case Fault::NoHeader:
                ::SetLastError(ERROR_HTTP_HEADER_NOT_FOUND);
                return FALSE;
            case Fault::Throws:
                break;
            }
            throw std::runtime_error("query");
        }
        Fault fault = Fault::Throws;
    };
    const struct {
        Fault fault;
        const char* status;
        std::vector<std::string> logs;
    } cases[] = {
        {Fault::HugeHeader, "Out of memory", {"Out of Memory", "Out of memory"}},
        {Fault::NoHeader, "Requested HTTP Header not found", {"Requested HTTP Header not found"}},
        {Fault::Throws, "Unhandled exception.", {"Unhandled exception."}},
    };
    server_->Answer("/q", 200);
    for (const auto& c : cases) {
        FaultyQuery faulty;
        faulty.fault = c.fault;
        NGWinApi::ScopedApi<NGWinApi::CInternetApi> scoped(faulty);
        LogTail log;
        EXPECT_EQ(Narrow(checker_.CheckLink(server_->Link("/q"))), c.status);
        for (const auto& line : c.logs)
            EXPECT_TRUE(Logged(log, line)) << line << "\n" << log.Appended();
        EXPECT_EQ(faulty.opened, 3);
        EXPECT_TRUE(faulty.open.empty());
    }
}

TEST_F(LinkCheckTest, EveryHandleIsClosedOnEveryPath)
{
    server_->Answer("/pages/live", 200);
    server_->Redirect("/r/live", 302, "/pages/live");
    server_->Silence("/silent");
    checker_.SetTimeoutMilliseconds(300);
    for (const char* path : {"/pages/live", "/r/live", "/pages/missing", "/silent"}) {
        CountingInternet counting;
        NGWinApi::ScopedApi<NGWinApi::CInternetApi> scoped(counting);
        checker_.CheckLink(server_->Link(path));
        EXPECT_GE(counting.opened, 3) << path;
        EXPECT_TRUE(counting.open.empty()) << path;
    }
}

// ---- DownloadToFile: the link's own port, here a free one on 127.0.0.1 ---------------------

class DownloadTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server_.Listening()); }

    LoopbackHttpServer server_;
    TestFolder folder_;
    CLinkChecker checker_;
};

TEST_F(DownloadTest, CopiesTheBodyWhateverItsStatusAndFraming)
{
    std::string binary(200 * 1024, '\0');
    for (std::size_t i = 0; i < binary.size(); ++i)
        binary[i] = static_cast<char>(i * 7 % 251);
    const std::string xml = "<products><product><name>Printer X47</name><oid>7654321</oid></product></products>";
    server_.Answer("/sized", 200, "Content-Type: application/octet-stream\r\n", binary);
    server_.AnswerRaw("/unsized", "HTTP/1.0 200 OK\r\nContent-Type: text/xml\r\n\r\n" + xml); // ends at close
    server_.Answer("/missing", 404, "", "<html>no such page</html>");
    server_.Answer("/empty", 200);

    const struct {
        const char* path;
        std::string body;
    } cases[] = {{"/sized", binary}, {"/unsized", xml}, {"/missing", "<html>no such page</html>"}, {"/empty", ""}};
    for (const auto& c : cases) {
        const std::wstring file = folder_.File(L"answer.xml");
        folder_.Write(L"answer.xml", std::string(300 * 1024, 'x')); // a longer old answer goes entirely
        EXPECT_TRUE(checker_.DownloadToFile(server_.Link(c.path), file)) << c.path;
        EXPECT_TRUE(ReadWholeFile(file) == c.body) << c.path;
    }
}

TEST_F(DownloadTest, FailuresReturnFalse)
{
    server_.Answer("/huge", 200, "", std::string(kMaxDownloadBytes + 1, 'a'));
    server_.Answer("/fine", 200, "", "fine");
    LogTail log;
    EXPECT_FALSE(checker_.DownloadToFile(server_.Link("/huge"), folder_.File(L"huge.xml")));
    EXPECT_NE(log.Appended().find("Download stopped after"), std::string::npos);

    EXPECT_FALSE(checker_.DownloadToFile(L"not a link", folder_.File(L"a.xml")));
    EXPECT_FALSE(checker_.DownloadToFile(server_.Link("/fine"), folder_.File(L"no-such-folder\\a.xml")));

    EXPECT_FALSE(checker_.DownloadToFile(L"ftp://127.0.0.1/pub/answer.xml", folder_.File(L"c.xml")));

    std::wstring refused;
    {
        LoopbackHttpServer gone;
        refused = gone.Link("/fine");
    }
    EXPECT_FALSE(checker_.DownloadToFile(refused, folder_.File(L"b.xml")));
}

TEST_F(DownloadTest, NoAnswerEndsWithinTheTimeOut)
{
    server_.Silence("/silent");
    server_.Hold("/stalls", "HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\npart of it");
    checker_.SetTimeoutMilliseconds(300);
    LogTail log;
    for (const char* path : {"/silent", "/stalls"}) {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(checker_.DownloadToFile(server_.Link(path), folder_.File(L"silent.xml"))) << path;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << path;
    }
    EXPECT_TRUE(Logged(log, "Error in InternetReadFile.")) << log.Appended(); // the stalled body
}
