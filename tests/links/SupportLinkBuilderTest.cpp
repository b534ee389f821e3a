#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <set>
#include <utility>
#include <vector>

#include "LoopbackHttpServer.h"
#include "TestFolder.h"
#include "links/CountryTable.h"
#include "app/KeloTessalyApp.h"
#include "links/LinkTestHelpers.h"
#include "links/SupportLinkBuilder.h"
#include "winapi/ShellApi.h"

namespace {

// Records what would have been opened in the browser.
class RecordingShell : public NGWinApi::CShellApi {
public:
    HINSTANCE ShellExecuteW(HWND, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR, INT show) override
    {
        EXPECT_STREQ(verb, L"open");
        EXPECT_EQ(parameters, nullptr);
        EXPECT_EQ(show, SW_SHOWNORMAL);
        opened.emplace_back(file != nullptr ? file : L"");
        return reinterpret_cast<HINSTANCE>(result);
    }
    std::vector<std::wstring> opened;
    INT_PTR result = 33;
};

std::string BrokerAnswer(std::initializer_list<std::pair<std::string, std::string>> products)
{
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<products>\n";
    for (const auto& [name, oid] : products)
        xml += "  <product>\n    <name>" + name + "</name>\n    <product_bigseries_oid>" + oid +
               "</product_bigseries_oid>\n  </product>\n";
    return xml + "</products>\n";
}

std::string StringFile(const std::string& body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Strings>\n" + body + "</Strings>\n";
}

const char kCareHost[] = "127.0.4.251"; // only ever opened through the fake shell

class SupportLinkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        portal_ = LoopbackHttpServer::OnPort80();
        if (!portal_)
            GTEST_SKIP() << "no address of 127.0.4.0/24 takes a server on port 80";
        host_ = portal_->Host();
    }

    SupportLinkHosts Hosts() const { return {Widen(host_), Widen(kCareHost)}; }
    std::wstring CustomerCare() const { return L"http://" + Widen(kCareHost) + L"/go/customercare"; }
    std::string Hub(const std::string& oid, const std::string& pageType = "s-001", const std::string& lang = "en",
                    const std::string& country = "us") const
    {
        return "http://" + host_ + "/apps/Nav?h_pagetype=" + pageType + "&h_lang=" + lang + "&h_cc=" + country +
               "&h_product=" + oid + "&h_client=s-h-e021-1&h_page=kelocom";
    }
    std::string Broker(const std::string& model, const std::string& lang = "en") const
    {
        return "http://" + host_ + "/apps/Broker?&h_fields=product_bigseries_oid&h_page=kelocom&h_lang=" + lang +
               "&h_query=" + model;
    }
    void OpenForProduct(const std::wstring& model, const std::wstring& productId, const std::wstring& lang = L"en")
    {
        SupportLinkBuilder links(Hosts());
        links.SetCountryCode(L"us");
        links.OpenProductSupportLink(lang, model, L"s-001", L"s-h-e021-1", productId);
    }
    std::vector<std::wstring> Opened(const std::string& link) const { return {Widen(link)}; }

    std::unique_ptr<LoopbackHttpServer> portal_;
    std::string host_;
    NGWinApi::ComInitialization com_;
    TestFolder folder_;
    FakeExecutableFolder exe_{folder_.Path()};
    NGWinApi::ScopedApi<NGWinApi::CKernelApi> scopedExe_{exe_};
    RecordingShell shell_;
    NGWinApi::ScopedApi<NGWinApi::CShellApi> scopedShell_{shell_};
};

} // namespace

TEST_F(SupportLinkTest, ProductIdsOfTheTableOpenTheirHubLink)
{
    portal_->Answer("/apps/Nav", 200);
    const std::pair<const wchar_t*, const char*> cases[] = {
        {L"2312", "2511707"}, {L"2212", "2511707"}, {L"D102", "3542173"}, {L"9b11", "4157431"}};
    for (const auto& [productId, oid] : cases) {
        shell_.opened.clear();
        LogTail log;
        OpenForProduct(L"Printer X470 Series", productId);
        const std::string hub = Hub(oid);
        EXPECT_EQ(shell_.opened, Opened(hub)) << Narrow(productId);
        EXPECT_TRUE(Logged(log, "Hub Link Executed:  " + hub)) << log.Appended();
        EXPECT_TRUE(Logged(log, "Status of the Hub link: " + hub + " is: Live")) << log.Appended();
        EXPECT_FALSE(Logged(log, "HubLink is: " + hub)); // only the broker path says so
    }
    EXPECT_EQ(portal_->RequestsFor("/apps/Nav").size(), 4u);
    EXPECT_TRUE(portal_->RequestsFor("/apps/Broker").empty());
}

TEST_F(SupportLinkTest, HubLinkThatIsNotLiveOpensCustomerCare)
{
    portal_->Answer("/apps/Nav", 404);
    LogTail log;
    OpenForProduct(L"Printer X470 Series", L"2312");
    EXPECT_EQ(shell_.opened, std::vector<std::wstring>{CustomerCare()});
    EXPECT_TRUE(Logged(log, "Hub link is not Live,Generic Customer Care Link Executed"));
    EXPECT_TRUE(Logged(log, "Status of the Hub link: " + Hub("2511707") + " is: Page not Found")) << log.Appended();
}

TEST_F(SupportLinkTest, BrokerAnswerGivesTheOidOnTheSecondRound)
{
    const std::string answer = BrokerAnswer({{"Printer X47 Plus", "7654321"}, {"Printer Y900", "1234567"}});
    portal_->Answer("/apps/Broker", 200, "Content-Type: text/xml\r\n", answer);
    portal_->Answer("/apps/Nav", 200);
    LogTail log;
    OpenForProduct(L"Printer X470 Series", L"ffff");

    const std::string hub = Hub("7654321");
    EXPECT_EQ(shell_.opened, Opened(hub));
    const std::wstring answerFile = folder_.File(L"OidXml\\Printer X470 Series_en.xml");
    EXPECT_EQ(ReadWholeFile(answerFile), answer); // kept after use

    const auto brokerRequests = portal_->RequestsFor("/apps/Broker");
    ASSERT_EQ(brokerRequests.size(), 2u); // the live check, then the download
    EXPECT_NE(brokerRequests[1].target.find("&h_lang=en&h_query=Printer"), std::string::npos);

    const std::string base = Broker("Printer X470 Series");
    for (const std::string& line : {"Base URL: " + base, "Status of Base URL:  " + base + " is Live",
                                    "XML is: " + Narrow(answerFile), std::string("@GetModelNo X470"),
                                    std::string("@GetModelNo X47"), std::string("@GetModelNo Y900"),
                                    std::string("X47 ; X470 "), std::string("Y900 ; X470 "),
                                    std::string("X47 ; X47 "), std::string("OID is:7654321"), "HubLink is: " + hub,
                                    "Hub Link Executed:  " + hub})
        EXPECT_TRUE(Logged(log, line)) << line << "\n" << log.Appended();
}

TEST_F(SupportLinkTest, DeadEndsOpenTheCustomerCareLink)
{
    const std::string answer = BrokerAnswer({{"Printer X47 Plus", "7654321"}});
    const struct {
        const char* name;
        const wchar_t* language;
        const wchar_t* model;
        int brokerStatus; // 0: no broker request expected
        int hubStatus;
        std::vector<std::string> logs;
    } cases[] = {
        {"no model name", L"en", L"", 0, 200,
         {"Printer Model Name is Unavailable.",
          "Base URL for Product OID XML is NULL.Redirect to Generic Customer Care Link.",
          "Hub link is NULL,Generic Customer Care Link Executed"}},
        {"no language", L"", L"Printer X470 Series", 0, 200, {"Language Code Unavailable."}},
        {"model without digits", L"en", L"Printer Series", 200, 200,
         {"@GetModelNo ", "OID is:", "Failed to retrieve the Product OID",
          "Hub link is NULL,Generic Customer Care Link Executed"}},
        {"broker page missing", L"en", L"Printer X470 Series", 404, 200,
         {"Status of Base URL:  " + Broker("Printer X470 Series") + " is Page not Found",
          "Hub link is NULL,Generic Customer Care Link Executed"}},
        {"dead hub", L"en", L"Printer X470 Series", 200, 503,
         {"Hub link is not Live,Generic Customer Care Link Executed"}},
    };
    for (const auto& c : cases) {
        folder_.Remove(L"OidXml");
        portal_->Answer("/apps/Broker", c.brokerStatus != 0 ? c.brokerStatus : 200, "", answer);
        portal_->Answer("/apps/Nav", c.hubStatus);
        const auto before = portal_->RequestsFor("/apps/Broker").size();
        shell_.opened.clear();
        LogTail log;
        OpenForProduct(c.model, L"ffff", c.language);
        EXPECT_EQ(shell_.opened, std::vector<std::wstring>{CustomerCare()}) << c.name;
        for (const auto& line : c.logs)
            EXPECT_TRUE(Logged(log, line)) << c.name << ": " << line << "\n" << log.Appended();
        const auto brokerRequests = portal_->RequestsFor("/apps/Broker").size() - before;
        EXPECT_EQ(brokerRequests, c.brokerStatus == 0 ? 0u : c.brokerStatus == 200 ? 2u : 1u) << c.name;
        // Nothing is downloaded from a broker that is not live.
        if (c.brokerStatus == 404) {
            const auto answerFile = std::filesystem::path(folder_.File(L"OidXml\\Printer X470 Series_en.xml"));
            EXPECT_FALSE(std::filesystem::exists(answerFile)) << c.name;
        }
    }
}

TEST_F(SupportLinkTest, AnswerFileNameStaysInsideItsFolder)
{
    portal_->Answer("/apps/Broker", 200, "", BrokerAnswer({{"Printer X470", "7654321"}}));
    portal_->Answer("/apps/Nav", 200);
    // ("..\\" never reaches the broker here: the request's object is canonicalized on the way out.)
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"Printer X470/Series:1", L"Printer X470_Series_1_en.xml"},
        {L"Printer X470 <\"|?*>", L"Printer X470 _______en.xml"},
        {L"Printer X470 ../x", L"Printer X470 _._x_en.xml"},
    };
    std::set<std::wstring> expected{L"OidXml"};
    for (const auto& [model, fileName] : cases) {
        shell_.opened.clear();
        OpenForProduct(model, L"ffff");
        EXPECT_EQ(shell_.opened, Opened(Hub("7654321"))) << Narrow(model); // the OID is still found
        expected.insert(std::wstring(L"OidXml\\") + fileName);
    }
    // Nothing else anywhere: no stream, no subfolder, no file beside the folder.
    std::set<std::wstring> written;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(std::filesystem::path(folder_.Path())))
        written.insert(std::filesystem::relative(entry.path(), std::filesystem::path(folder_.Path())).wstring());
    EXPECT_EQ(written, expected);
}

TEST_F(SupportLinkTest, AnswerGoesBesideTheExecutableWhenOidXmlCannotBeMade)
{
    folder_.Write(L"OidXml", "a file where the folder would be");
    portal_->Answer("/apps/Broker", 200, "", BrokerAnswer({{"Printer X470", "7654321"}}));
    portal_->Answer("/apps/Nav", 200);
    OpenForProduct(L"Printer X470 Series", L"ffff");
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(folder_.File(L"Printer X470 Series_en.xml"))));
    EXPECT_EQ(shell_.opened, Opened(Hub("7654321")));
}

TEST_F(SupportLinkTest, UntrustedOrOddAnswersAreReadSafely)
{
    const std::string padding(kMaxDownloadBytes, ' ');
    const struct {
        const wchar_t* file;
        std::string content;
        const char* oid;
    } cases[] = {
        {L"Printer X470 Ok_en.xml", BrokerAnswer({{"Printer X470", "1234567"}}), "1234567"},
        // An entity from a document type would otherwise fill in the OID.
        {L"Printer X470 Dtd_en.xml",
         "<?xml version=\"1.0\"?>\n<!DOCTYPE products [<!ENTITY oid \"9999999\">]>\n"
         "<products><product><name>Printer X470</name><oid>&oid;</oid></product></products>",
         ""},
        {L"Printer X470 External_en.xml",
         "<?xml version=\"1.0\"?>\n<!DOCTYPE products SYSTEM \"http://127.0.4.251/products.dtd\">\n"
         "<products><product><name>Printer X470</name><oid>1234567</oid></product></products>",
         ""},
        {L"Printer X470 Big_en.xml", BrokerAnswer({{"Printer X470", "1234567"}}) + "<!--" + padding + "-->", ""},
        {L"Printer X470 Broken_en.xml", "<products><product><name>Printer X470", ""},
        // A product without its OID child is passed over; a later equal model number wins.
        {L"Printer X470 Shapes_en.xml",
         "<products><product><name>Printer X470</name></product>"
         "<product><name>Printer X470</name><oid>1111111</oid></product>"
         "<product><name>Other x470 Max</name><oid>2222222</oid></product></products>",
         "2222222"},
    };
    SupportLinkBuilder links(Hosts());
    for (const auto& c : cases) {
        folder_.Write(std::wstring(L"OidXml\\") + c.file, c.content);
        EXPECT_EQ(Narrow(links.ReadOidFromXml(folder_.File(std::wstring(L"OidXml\\") + c.file))), c.oid)
            << Narrow(c.file);
    }
    EXPECT_TRUE(portal_->Requests().empty());
    EXPECT_EQ(links.ReadOidFromXml(folder_.File(L"OidXml\\missing_en.xml")), L"");
}

TEST_F(SupportLinkTest, QueryVariantOpensTheVariantHubLinkEvenWithoutOid)
{
    portal_->Answer("/apps/Nav", 200);
    const struct {
        int brokerStatus;
        const char* oid;
    } cases[] = {{200, "7654321"}, {404, ""}};
    for (const auto& c : cases) {
        portal_->Answer("/apps/Broker", c.brokerStatus, "", BrokerAnswer({{"Printer X47 Plus", "7654321"}}));
        shell_.opened.clear();
        LogTail log;
        SupportLinkBuilder links(Hosts());
        links.SetCountryCode(L"at");
        links.OpenProductSupportLinkByQuery(L"de", L"Printer X470 Series", L"s-001");
        const std::string hub = "http://" + host_ + "/apps/Nav?h_pagetype=s-001&h_lang=de&h_product=" + c.oid +
                                "&h_client=s-a-e021-2&h_page=kelocom&lang=de&h_cc=at";
        EXPECT_EQ(shell_.opened, Opened(hub)) << c.brokerStatus;
        EXPECT_TRUE(Logged(log, "Status of the Hub link: " + hub + " is: Live")) << log.Appended();
    }
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(folder_.File(L"OidXml\\Printer X470 Series_de.xml"))));
}

TEST_F(SupportLinkTest, ApplicationSettingsGiveCustomerCareLinkAndCountry)
{
    XMLHandler& strings = StringTable();
    strings.SetLanguageId(1033);
    strings.SetLanguageFixed(true);
    const struct {
        const char* value;
        std::wstring expected;
    } cases[] = {
        {"", CustomerCare()}, // empty in the string file: the built-in link stays
        {"http://127.0.4.252/care", L"http://127.0.4.252/care"},
    };
    for (const auto& c : cases) {
        folder_.Write(L"strings\\1033.xml", StringFile(std::string("  <String ID=\"TSY_URL_KELO\" Value=\"") +
                                                        c.value + "\"/>\n"));
        ASSERT_TRUE(strings.Load());
        SupportLinkBuilder links(Hosts());
        links.UseApplicationSettings();
        EXPECT_EQ(links.CustomerCareUrl(), c.expected);
    }

    portal_->Answer("/apps/Nav", 200);
    SupportLinkBuilder links(Hosts());
    links.UseApplicationSettings();
    links.OpenProductSupportLink(L"en", L"Printer X470 Series", L"s-001", L"s-h-e021-1", L"2312");
    const std::string country = Narrow(CCountryTable::Lookup(::GetUserDefaultLangID()));
    EXPECT_EQ(shell_.opened, Opened(Hub("2511707", "s-001", "en", country)));
}

TEST_F(SupportLinkTest, KeywordHubLinkComesFromCatalogueAndLanguage)
{
    folder_.Write(L"config\\product_info.xml",
                  "<Catalogue><Product PID=\"5912 5913\" MODEL=\"Kelo Workline 4420\" PAGE_TYPE=\"pq4420\" "
                  "COPY_KEYWORD=\"copy4420\"/></Catalogue>");
    folder_.Write(L"strings\\1033.xml", StringFile("  <String ID=\"TSY_LANG_CODE\" Value=\"de\"/>\n"));
    StringTable().SetLanguageId(1033);
    StringTable().SetLanguageFixed(true);
    ASSERT_TRUE(StringTable().Load());

    LogTail log;
    SupportLinkBuilder links(Hosts());
    const std::string expected =
        "http://" + host_ + "/apps/Nav?h_pagetype=pq4420&h_lang=de&h_client=s-h-e021-1&h_keyword=copy4420";
    EXPECT_EQ(Narrow(links.BuildKeywordHubLink(L"5913")), expected);
    EXPECT_TRUE(Logged(log, "CString csLang = de"));
    EXPECT_TRUE(Logged(log, "Hub Link is " + expected));
    EXPECT_TRUE(shell_.opened.empty());
    EXPECT_TRUE(portal_->Requests().empty());
}

TEST(SupportLinkConfig, HostsComeFromTheConfigurationBesideTheExecutable)
{
    NGWinApi::ComInitialization com;
    TestFolder folder;
    FakeExecutableFolder exe(folder.Path());
    NGWinApi::ScopedApi<NGWinApi::CKernelApi> scoped(exe);
    const auto file = [](const std::string& hosts) {
        return "<?xml version=\"1.0\"?>\n<SupportLinks>\n" + hosts + "</SupportLinks>\n";
    };
    const struct {
        const char* name;
        std::string content; // empty: no file
        const wchar_t* support;
        const wchar_t* main;
    } cases[] = {
        {"no file", "", kBuiltInSupportHost, kBuiltInMainWebHost},
        {"both", file("<Host ID=\"SUPPORT_HOST\" Value=\"127.0.4.9\"/><Host ID=\"MAIN_WEB_HOST\" Value=\"127.0.4.8\"/>"),
         L"127.0.4.9", L"127.0.4.8"},
        {"one, one empty", file("<Host ID=\"MAIN_WEB_HOST\" Value=\"127.0.4.8\"/><Host ID=\"SUPPORT_HOST\" Value=\"\"/>"),
         kBuiltInSupportHost, L"127.0.4.8"},
        {"not well-formed", "<SupportLinks><Host ID=\"SUPPORT_HOST\" Value=\"127.0.4.9\">", kBuiltInSupportHost,
         kBuiltInMainWebHost},
    };
    for (const auto& c : cases) {
        folder.Remove(L"config");
        if (!c.content.empty())
            folder.Write(L"config\\support_links.xml", c.content);
        const SupportLinkHosts hosts = LoadSupportLinkHosts();
        EXPECT_EQ(hosts.supportHost, c.support) << c.name;
        EXPECT_EQ(hosts.mainWebHost, c.main) << c.name;
        SupportLinkBuilder links;
        EXPECT_EQ(links.CustomerCareUrl(), L"http://" + std::wstring(c.main) + L"/go/customercare") << c.name;
    }
}

// A refusal is reported to the caller, which logs it in its own words (or not at all).
TEST(SupportLinkShell, RefusalIsReportedNotLogged)
{
    RecordingShell shell;
    shell.result = 2;
    NGWinApi::ScopedApi<NGWinApi::CShellApi> scoped(shell);
    LogTail log;
    EXPECT_FALSE(SupportLinkBuilder::OpenLink(L"http://127.0.4.251/x"));
    EXPECT_EQ(log.Appended(), "");
    shell.result = 33;
    EXPECT_TRUE(SupportLinkBuilder::OpenLink(L"http://127.0.4.251/x"));
}

// Whatever a string file or a device put into an address, the shell only ever gets a plain
// web address; anything else is refused and logged.
TEST(SupportLinkShell, OnlyPlainWebAddressesReachTheShell)
{
    RecordingShell shell;
    NGWinApi::ScopedApi<NGWinApi::CShellApi> scoped(shell);
    LogTail log;
    for (const wchar_t* link : {L"javascript:alert(1)", L"file:///C:/Windows/win.ini", L"..\\..\\calc.exe",
                                L"http://127.0.4.251/\"&calc", L"http://127.0.4.251/a b"})
        EXPECT_FALSE(SupportLinkBuilder::OpenLink(link)) << Narrow(link);
    EXPECT_FALSE(SupportLinkBuilder::OpenLink(L"http://127.0.4.251/?h_keyword=" + std::wstring(10 * 1024, L'X')));
    EXPECT_TRUE(shell.opened.empty());
    EXPECT_NE(log.Appended().find("Refused to open a link that is not a plain web address: javascript:alert(1)"),
              std::string::npos)
        << log.Appended();
    EXPECT_TRUE(SupportLinkBuilder::OpenLink(L"https://127.0.4.251/x?q=" + PercentEncode(L"\"a&b\" ..\\c")));
    EXPECT_EQ(shell.opened.size(), 1u);
}
