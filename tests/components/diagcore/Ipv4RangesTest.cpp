#include "components/diagcore/Ipv4Ranges.h"

#include <gtest/gtest.h>

using namespace diagcore;

namespace {

Ipv4 Address(const char* text)
{
    return *ParseIpv4(std::string_view(text));
}

} // namespace

TEST(Ipv4Ranges, ParsesOnlyPlainDottedQuads)
{
    EXPECT_EQ(ParseIpv4(std::string_view("127.0.0.1")), 0x7F000001u);
    EXPECT_EQ(ParseIpv4(std::wstring_view(L"192.0.2.255")), 0xC00002FFu);
    for (const char* bad : {"", "1.2.3", "1.2.3.4.5", "256.0.0.1", "1.2.3.4 ", " 1.2.3.4", "1..2.3", "1.2.3.-4",
                            "1.2.3.0004", "a.b.c.d", "1.2.3.4/24"})
        EXPECT_FALSE(ParseIpv4(std::string_view(bad))) << bad;
    EXPECT_EQ(FormatIpv4(0x7F000A05), "127.0.10.5");
}

TEST(Ipv4Ranges, NetworkListsRejectAnyBadEntry)
{
    auto list = ParseNetworkList(" 127.0.5.0/24,127.0.6.7 ;10.1.2.3/8\n");
    ASSERT_TRUE(list);
    ASSERT_EQ(list->size(), 3u);
    EXPECT_EQ((*list)[0], (Ipv4Network{0x7F000500, 24}));
    EXPECT_EQ((*list)[1], (Ipv4Network{0x7F000607, 32}));
    EXPECT_EQ((*list)[2], (Ipv4Network{0x0A000000, 8})); // host bits cleared
    EXPECT_EQ(FormatNetworkList(*list), "127.0.5.0/24,127.0.6.7/32,10.0.0.0/8");
    EXPECT_TRUE(ParseNetworkList("")->empty());
    for (const char* bad : {"127.0.0.0/33", "127.0.0.0/", "127.0.0.0/2x", "127.0.0.0/24, 127.0.0", "loopback"})
        EXPECT_FALSE(ParseNetworkList(bad)) << bad;
}

TEST(Ipv4Ranges, SearchHostsSkipNetworkAndBroadcastAddresses)
{
    auto hosts = SearchHosts(Ipv4Network{Address("127.0.5.0"), 24}, std::nullopt);
    ASSERT_TRUE(hosts);
    ASSERT_EQ(hosts->size(), 254u);
    EXPECT_EQ(hosts->front(), Address("127.0.5.1"));
    EXPECT_EQ(hosts->back(), Address("127.0.5.254"));
    // Point-to-point and single-host networks have no such addresses.
    EXPECT_EQ(SearchHosts(Ipv4Network{Address("127.0.5.4"), 31}, std::nullopt)->size(), 2u);
    EXPECT_EQ(*SearchHosts(Ipv4Network{Address("127.0.5.9"), 32}, std::nullopt), std::vector<Ipv4>{Address("127.0.5.9")});
}

TEST(Ipv4Ranges, AllowedNetworksBoundTheSearch)
{
    Ipv4Network request{Address("127.0.5.0"), 24};
    // Only the overlap is probed, once, however the allowed networks overlap each other.
    std::vector<Ipv4Network> allowed{{Address("127.0.5.0"), 30}, {Address("127.0.5.2"), 31}, {Address("127.0.9.0"), 24}};
    auto hosts = SearchHosts(request, allowed);
    ASSERT_TRUE(hosts);
    EXPECT_EQ(*hosts, (std::vector<Ipv4>{Address("127.0.5.1"), Address("127.0.5.2"), Address("127.0.5.3")}));
    // A request outside every allowed network probes nothing; so does an empty allowance.
    EXPECT_TRUE(SearchHosts(Ipv4Network{Address("192.168.1.0"), 24}, allowed)->empty());
    EXPECT_TRUE(SearchHosts(request, std::vector<Ipv4Network>{})->empty());
    // A wide request narrowed by the configuration stays allowed.
    EXPECT_EQ(SearchHosts(Ipv4Network{0, 0}, std::vector<Ipv4Network>{{Address("127.0.5.0"), 28}})->size(), 16u);
}

TEST(Ipv4Ranges, SearchesAboveTheHostLimitAreRefused)
{
    EXPECT_TRUE(SearchHosts(Ipv4Network{Address("10.0.0.0"), 20}, std::nullopt));
    EXPECT_FALSE(SearchHosts(Ipv4Network{Address("10.0.0.0"), 19}, std::nullopt));
    EXPECT_FALSE(SearchHosts(Ipv4Network{0, 0}, std::nullopt));
}

TEST(Ipv4Ranges, AdapterNetworksWiderThanSlash22AreNarrowedToTheAdaptersSlash24)
{
    EXPECT_EQ(AdapterSearchNetwork(Address("192.168.7.42"), 24), (Ipv4Network{Address("192.168.7.0"), 24}));
    EXPECT_EQ(AdapterSearchNetwork(Address("192.168.7.42"), 22), (Ipv4Network{Address("192.168.4.0"), 22}));
    EXPECT_EQ(AdapterSearchNetwork(Address("10.20.30.40"), 8), (Ipv4Network{Address("10.20.30.0"), 24}));
    EXPECT_EQ(AdapterSearchNetwork(Address("10.20.30.40"), 255), (Ipv4Network{Address("10.20.30.0"), 24}));
}

TEST(Ipv4Ranges, PortNamesCarryTheirPrinterAddress)
{
    struct Case {
        const wchar_t* port;
        std::optional<Ipv4> address;
    };
    const Case cases[] = {
        {L"IP_127.0.0.10", Address("127.0.0.10")},
        {L"ip_192.0.2.7", Address("192.0.2.7")},
        {L"IP_192.0.2.7_1", Address("192.0.2.7")}, // a second port to the same host
        {L"192.0.2.8", Address("192.0.2.8")},
        {L"IP_192.0.2.7_", std::nullopt},
        {L"IP_printer.local", std::nullopt},
        {L"USB001", std::nullopt},
        {L"WSD-6d4c2a", std::nullopt},
        {L"IP_", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AddressFromPortName(c.port), c.address) << std::string(c.port, c.port + wcslen(c.port));
}
