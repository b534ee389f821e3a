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
