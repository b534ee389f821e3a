#include "console/KelotsyArguments.h"

#include <gtest/gtest.h>

namespace {

using Verb = KelotsyCommand::Verb;
using Service = KelotsyCommand::Service;

KelotsyParse Parse(std::vector<std::wstring> arguments)
{
    return ParseKelotsyArguments(arguments);
}

} // namespace

TEST(KelotsyArguments, AcceptsEveryCommandWithOptionsAnywhere)
{
    const struct {
        std::vector<std::wstring> arguments;
        Verb verb;
        Service service;
        std::wstring printer;
        bool json;
        uint16_t language; // 0: none
    } cases[] = {
        {{L"list"}, Verb::List, Service::None, L"", false, 0},
        {{L"list", L"--json"}, Verb::List, Service::None, L"", true, 0},
        {{L"--json", L"info", L"0"}, Verb::Info, Service::None, L"0", true, 0},
        {{L"ink", L"127.0.0.11", L"--lang", L"1036"}, Verb::Ink, Service::None, L"127.0.0.11", false, 1036},
        {{L"--lang", L"1033", L"status", L"2", L"--json"}, Verb::Status, Service::None, L"2", true, 1033},
        {{L"test", L"1"}, Verb::Test, Service::None, L"1", false, 0},
        {{L"service", L"pq", L"0"}, Verb::Service, Service::PrintQuality, L"0", false, 0},
        {{L"service", L"align", L"0"}, Verb::Service, Service::Align, L"0", false, 0},
        {{L"service", L"clean", L"0"}, Verb::Service, Service::Clean, L"0", false, 0},
        {{L"service", L"diag", L"127.0.0.10"}, Verb::Service, Service::Diagnostics, L"127.0.0.10", false, 0},
        {{L"reset", L"127.0.0.10", L"--yes"}, Verb::Reset, Service::None, L"127.0.0.10", false, 0},
        {{L"search", L"--json"}, Verb::Search, Service::None, L"", true, 0},
        {{L"--help"}, Verb::Help, Service::None, L"", false, 0},
        {{L"status", L"-h"}, Verb::Help, Service::None, L"", false, 0},
    };
    for (const auto& c : cases) {
        const KelotsyParse parse = Parse(c.arguments);
        ASSERT_TRUE(parse.command) << c.arguments[0] << ": " << std::string(parse.error.begin(), parse.error.end());
        EXPECT_EQ(parse.command->verb, c.verb);
        EXPECT_EQ(parse.command->service, c.service);
        EXPECT_EQ(parse.command->printer, c.printer);
        EXPECT_EQ(parse.command->json, c.json);
        EXPECT_EQ(parse.command->languageId.value_or(0), c.language);
    }
}

TEST(KelotsyArguments, RefusesWhatItCannotRun)
{
    const std::vector<std::wstring> bad[] = {
        {},
        {L"print"},
        {L"info"},
        {L"status", L"1", L"2"},
        {L"service"},
        {L"service", L"polish", L"0"},
        {L"service", L"pq"},
        {L"service", L"pq", L"0", L"--json"},
        {L"list", L"--verbose"},
        {L"list", L"--lang"},
        {L"list", L"--lang", L"english"},
        {L"list", L"--lang", L"0"},
        {L"list", L"--lang", L"70000"},
        {L"list", L"--lang", L"-5"},
        {L"reset", L"0"},            // a reset is never taken without --yes
        {L"reset", L"--yes"},
        {L"reset", L"0", L"--yes", L"--json"},
        {L"status", L"0", L"--yes"},
        {L"search", L"127.0.0.10"},
    };
    for (const auto& arguments : bad) {
        const KelotsyParse parse = Parse(arguments);
        EXPECT_FALSE(parse.command) << (arguments.empty() ? "(none)" : "a bad line");
        EXPECT_FALSE(parse.error.empty());
    }
}

TEST(KelotsyArguments, CheckAndScanTakeTheirOptions)
{
    const KelotsyParse check = Parse({L"check", L"127.0.0.10", L"-w", L"30", L"-c", L"5"});
    ASSERT_TRUE(check.command) << check.error;
    EXPECT_EQ(check.command->verb, Verb::Check);
    EXPECT_EQ(check.command->warning, 30);
    EXPECT_EQ(check.command->critical, 5);
    const KelotsyParse defaults = Parse({L"check", L"0"});
    ASSERT_TRUE(defaults.command);
    EXPECT_EQ(std::pair(defaults.command->warning, defaults.command->critical), std::pair(20, 10));

    const KelotsyParse scan = Parse({L"scan", L"127.0.0.10", L"1", L"--range", L"127.0.0.20-127.0.0.29",
                                     L"--installed", L"--jobs", L"8", L"--format", L"prometheus"});
    ASSERT_TRUE(scan.command) << scan.error;
    EXPECT_EQ(scan.command->printers, (std::vector<std::wstring>{L"127.0.0.10", L"1"}));
    EXPECT_TRUE(scan.command->installed);
    EXPECT_EQ(Ipv4Text(scan.command->rangeFirst), L"127.0.0.20");
    EXPECT_EQ(scan.command->rangeLast - scan.command->rangeFirst, 9u);
    EXPECT_EQ(scan.command->jobs, 8u);
    EXPECT_EQ(scan.command->format, KelotsyCommand::Format::Prometheus);
    const KelotsyParse json = Parse({L"scan", L"--installed", L"--json"});
    ASSERT_TRUE(json.command);
    EXPECT_EQ(json.command->format, KelotsyCommand::Format::Json);
}

TEST(KelotsyArguments, CheckAndScanRefuseBadOptions)
{
    const struct {
        std::vector<std::wstring> arguments;
        bool check; // a usage error of check: the plugin's UNKNOWN
    } cases[] = {
        {{L"check"}, true},
        {{L"check", L"1", L"-w", L"101"}, true},
        {{L"check", L"1", L"-w"}, true},
        {{L"-w", L"abc", L"check", L"1"}, true},
        {{L"check", L"1", L"-w", L"10", L"-c", L"20"}, true}, // critical above warning
        {{L"check", L"1", L"--json"}, true},
        {{L"check", L"1", L"--jobs", L"2"}, true},
        {{L"ink", L"1", L"-w", L"10"}, false},
        {{L"scan"}, false},
        {{L"scan", L"--jobs", L"0", L"1"}, false},
        {{L"scan", L"--jobs", L"65", L"1"}, false},
        {{L"scan", L"--format", L"xml", L"1"}, false},
        {{L"scan", L"--range", L"127.0.0.9-127.0.0.1"}, false},
        {{L"scan", L"--range", L"127.0.0.1-127.0.4.1"}, false}, // wider than one scan may go
        {{L"scan", L"--range", L"127.0.0.1"}, false},
        {{L"scan", L"--range", L"127.0.0.256-127.0.1.1"}, false},
        {{L"list", L"--installed"}, false},
    };
    for (const auto& c : cases) {
        const KelotsyParse parse = Parse(c.arguments);
        EXPECT_FALSE(parse.command) << c.arguments.size();
        EXPECT_FALSE(parse.error.empty());
        EXPECT_EQ(parse.check, c.check) << parse.error;
    }
}

TEST(KelotsyArguments, Ipv4TextBothWays)
{
    EXPECT_EQ(ParseIpv4Text(L"127.0.0.10"), 0x7F00000Au);
    EXPECT_EQ(Ipv4Text(0x7F00000Au), L"127.0.0.10");
    for (const wchar_t* bad : {L"", L"127.0.0", L"127.0.0.1.2", L"127..0.1", L"1270.0.0.1", L"a.b.c.d", L"127.0.0.1 "})
        EXPECT_FALSE(ParseIpv4Text(bad)) << bad;
}
