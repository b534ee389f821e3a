#include <gtest/gtest.h>

#include <string>

#include "sim/Scenario.h"

TEST(Scenario, ReadsPrintersWithTheirSuppliesAlertsAndFaults)
{
    const char* text = R"(# two printers
[printer office]
address = 127.0.0.10
protocol = sable
pid = 5912
model = Kelo Workline 4420
adf = yes
statuses = inPowerSave, cartridgeLow
alert = cartridgeLow severity=Warning priority=5
ink =
ink = K level=12 serial=S1 state=low
ink = CMY level=0 state=out brand=nonKelo
fault.http = delay=250 chunked

[printer desk]
usb = yes
quill-endpoint = 127.0.0.1:7301
protocol = quill
quill.1.1.3.3 = hex 01-15-53-4E-31
quill.1.4.1.2.5 = absent
)";
    sim::Scenario scenario;
    std::string error;
    ASSERT_TRUE(sim::ParseScenario(text, scenario, error)) << error;
    ASSERT_EQ(scenario.printers.size(), 2u);

    const sim::PrinterConfig& office = scenario.printers[0];
    EXPECT_EQ(office.name, "office");
    EXPECT_EQ(office.address, "127.0.0.10");
    EXPECT_EQ(office.productId, "5912");
    EXPECT_TRUE(office.adf);
    EXPECT_EQ(office.statuses, (std::vector<std::string>{"inPowerSave", "cartridgeLow"}));
    ASSERT_EQ(office.alerts.size(), 1u);
    EXPECT_EQ(office.alerts[0].priority, 5);
    ASSERT_EQ(office.inks.size(), 2u) << "an empty ink line clears the default supplies";
    EXPECT_EQ(office.inks[0].level, 12);
    EXPECT_EQ(office.inks[1].brand, "nonKelo");
    EXPECT_EQ(office.FaultsOf(sim::Endpoint::Http).delayMs, 250u);
    EXPECT_TRUE(office.FaultsOf(sim::Endpoint::Http).chunked);
    EXPECT_FALSE(office.FaultsOf(sim::Endpoint::Snmp).silence);

    const sim::PrinterConfig& desk = scenario.printers[1];
    EXPECT_TRUE(desk.usb);
    EXPECT_EQ(desk.protocol, sim::Protocol::Quill);
    EXPECT_EQ(desk.quillOverrides.at("1.1.3.3").value, "01-15-53-4E-31");
    EXPECT_EQ(desk.quillOverrides.at("1.4.1.2.5").kind, "absent");
}

TEST(Scenario, NamesTheLineOfEveryMistake)
{
    struct Case {
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {"address = 127.0.0.10\n", "line 1: settings must follow"},
        {"[printer a]\naddress = 10.0.0.5\n", "line 1: address 10.0.0.5 is not on loopback"},
        {"[printer a]\naddress = 127.0.0.300\n", "line 2: not an IPv4 address"},
        {"[printer a]\n", "line 1: printer 'a' needs an address"},
        {"[printer a]\naddress=127.0.0.9\n[printer a]\n", "line 3: printer 'a' is defined twice"},
        {"[printer a]\naddress=127.0.0.9\n[printer b]\naddress=127.0.0.9\n", "line 3: address 127.0.0.9 is used twice"},
        {"[printer a]\ncolour = red\n", "line 2: unknown key 'colour'"},
        {"[printer a]\nink = K level=101\n", "line 2: bad value for 'level'"},
        {"[printer a]\nink = K shade=dark\n", "line 2: unknown field 'shade'"},
        {"[printer a]\nink.3.level = 5\n", "line 2: no item 3"},
        {"[printer a]\nfault.http = explode\n", "line 2: unknown fault 'explode'"},
        {"[printer a]\nfault.fax = silence\n", "line 2: unknown endpoint 'fax'"},
        {"[printer a]\nquill.1.0.3 = int 5\n", "line 2: a Quill id is dotted numbers"},
        {"[printer a]\nquill.1.1 = int five\n", "line 2: Quill value is"},
        {"[printer a]\npid = 23G2\n", "line 2: pid is four hexadecimal digits"},
        {"[printer a]\nstatus-code = 300\n", "line 2: status code is 0 to 255"},
        {"[printer a]\njob-final-state = lost\n", "line 2: job final state is"},
        {"[printer a b]\n", "line 1: a printer name is one word"},
        {"[printers]\n", "line 1: a section is [printer NAME]"},
        {"[printer a]\nno equals sign\n", "line 2: expected key = value"},
    };
    for (const Case& c : cases) {
        sim::Scenario scenario;
        std::string error;
        EXPECT_FALSE(sim::ParseScenario(c.text, scenario, error)) << c.text;
        EXPECT_TRUE(error.starts_with(c.error)) << c.text << " gave: " << error;
    }
}

TEST(Scenario, RunTimeSettingsChangeOneFieldOrNothing)
{
    sim::PrinterConfig printer = sim::DefaultPrinter("p");
    std::string error;
    ASSERT_TRUE(sim::ApplySetting(printer, "ink.2.level", "7", error)) << error;
    EXPECT_EQ(printer.inks[1].level, 7);
    ASSERT_TRUE(sim::ApplySetting(printer, "statuses", "jamInPrinter", error));
    ASSERT_TRUE(sim::ApplySetting(printer, "job-final-state", "Canceled", error));
    EXPECT_EQ(printer.jobFinalState, "Canceled");
    EXPECT_EQ(printer.statuses, std::vector<std::string>{"jamInPrinter"});

    const sim::PrinterConfig before = printer;
    EXPECT_FALSE(sim::ApplySetting(printer, "ink.1.level", "-4", error));
    EXPECT_FALSE(sim::ApplySetting(printer, "fault.snmp", "silence bogus", error));
    EXPECT_EQ(printer.inks, before.inks);
    EXPECT_FALSE(printer.FaultsOf(sim::Endpoint::Snmp).silence) << "a refused line leaves no half-applied fault";

    ASSERT_TRUE(sim::ApplySetting(printer, "fault.snmp", "silence", error));
    ASSERT_TRUE(sim::ApplySetting(printer, "fault.snmp", "", error));
    EXPECT_FALSE(printer.FaultsOf(sim::Endpoint::Snmp).silence) << "an empty fault line heals the endpoint";
}

TEST(Scenario, OnlyLoopbackAddressesAndEndpointsPass)
{
    for (const char* good : {"127.0.0.1", "127.0.0.10", "127.10.20.30:9170", "127.255.255.255:65535"})
        EXPECT_TRUE(sim::IsLoopbackAddress(good)) << good;
    for (const char* bad : {"10.0.0.1", "128.0.0.1", "127.0.0", "127.0.0.1.5", "127.0.0.1:abc", "127.0.0.1:",
                            "127.0.0.1:70000", "127.0.0.256", "localhost", "", "127..0.1", "1127.0.0.1"})
        EXPECT_FALSE(sim::IsLoopbackAddress(bad)) << bad;
}

TEST(Scenario, ANamespaceNetworkAdmitsItsAddressesOnly)
{
    sim::NamespaceNetwork network;
    ASSERT_TRUE(sim::ParseIpv4Network("10.213.77.0/24", network));
    EXPECT_EQ(network.network, 0x0AD54D00u);
    EXPECT_EQ(network.mask, 0xFFFFFF00u);
    for (const char* bad : {"10.213.77.0", "10.213.77.0/7", "10.213.77.0/33", "10.213.77/24", "10.213.77.0/", "x/24"})
        EXPECT_FALSE(sim::ParseIpv4Network(bad, network)) << bad;

    const std::string inside = "[printer a]\naddress = 10.213.77.10\nprotocol = sable\n";
    const std::string outside = "[printer a]\naddress = 10.213.78.10\nprotocol = sable\n";
    sim::Scenario scenario;
    std::string error;
    EXPECT_FALSE(sim::ParseScenario(inside, scenario, error)) << "without a namespace network: loopback only";
    ASSERT_TRUE(sim::ParseIpv4Network("10.213.77.0/24", network));
    EXPECT_TRUE(sim::ParseScenario(inside, scenario, error, network)) << error;
    EXPECT_FALSE(sim::ParseScenario(outside, scenario, error, network));
}
