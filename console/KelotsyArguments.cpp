#include "console/KelotsyArguments.h"

#include <utility>

namespace {

using Verb = KelotsyCommand::Verb;
using Service = KelotsyCommand::Service;

struct VerbName {
    const wchar_t* name;
    Verb verb;
    bool needsPrinter;
};

const VerbName kVerbs[] = {
    {L"list", Verb::List, false},     {L"info", Verb::Info, true}, {L"ink", Verb::Ink, true},
    {L"status", Verb::Status, true},  {L"test", Verb::Test, true}, {L"service", Verb::Service, true},
    {L"reset", Verb::Reset, true},    {L"search", Verb::Search, false}, {L"check", Verb::Check, true},
    {L"scan", Verb::Scan, false},     {L"snapshot", Verb::Snapshot, true},
};

const std::pair<const wchar_t*, KelotsyCommand::Format> kFormats[] = {
    {L"text", KelotsyCommand::Format::Text}, {L"json", KelotsyCommand::Format::Json},
    {L"csv", KelotsyCommand::Format::Csv}, {L"prometheus", KelotsyCommand::Format::Prometheus},
};

const std::pair<const wchar_t*, Service> kServices[] = {
    {L"pq", Service::PrintQuality}, {L"align", Service::Align}, {L"clean", Service::Clean},
    {L"diag", Service::Diagnostics},
};

KelotsyParse Error(std::wstring message, bool check = false)
{
    KelotsyParse parse;
    parse.error = std::move(message);
    parse.check = check;
    return parse;
}

std::optional<uint32_t> Decimal(const std::wstring& text, uint32_t max)
{
    if (text.empty() || text.size() > 5)
        return std::nullopt;
    uint32_t value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9')
            return std::nullopt;
        value = value * 10 + static_cast<uint32_t>(c - L'0');
    }
    if (value > max)
        return std::nullopt;
    return value;
}

std::optional<uint16_t> LanguageId(const std::wstring& text)
{
    const std::optional<uint32_t> value = Decimal(text, 0xFFFF);
    if (!value || *value == 0)
        return std::nullopt;
    return static_cast<uint16_t>(*value);
}

// The options that take a value: the value, or an error naming the option.
struct Valued {
    const wchar_t* name;
    const wchar_t* needs;
};
const Valued kValued[] = {
    {L"--lang", L"a language id"}, {L"-w", L"a percentage"}, {L"-c", L"a percentage"},
    {L"--jobs", L"a number of workers"}, {L"--format", L"json, csv or prometheus"}, {L"--range", L"A-B"},
};

// Applies one valued option; an error text, empty when it was good.
std::wstring ApplyValued(KelotsyCommand& command, const std::wstring& option, const std::wstring& value)
{
    if (option == L"--lang") {
        command.languageId = LanguageId(value);
        return command.languageId ? L"" : L"bad language id: " + value;
    }
    if (option == L"-w" || option == L"-c") {
        const std::optional<uint32_t> percent = Decimal(value, 100);
        if (!percent)
            return option + L" needs a percentage from 0 to 100, not " + value;
        (option == L"-w" ? command.warning : command.critical) = static_cast<int32_t>(*percent);
        return {};
    }
    if (option == L"--jobs") {
        const std::optional<uint32_t> jobs = Decimal(value, kMaxScanJobs);
        if (!jobs || *jobs == 0)
            return L"--jobs needs a number from 1 to " + std::to_wstring(kMaxScanJobs) + L", not " + value;
        command.jobs = *jobs;
        return {};
    }
    if (option == L"--format") {
        for (const auto& [name, format] : kFormats)
            if (value == name) {
                command.format = format;
                return {};
            }
        return L"unknown format: " + value;
    }
    // --range A-B: both ends IPv4, in order, not wider than one scan may go.
    const size_t dash = value.find(L'-');
    const std::optional<uint32_t> first = dash == std::wstring::npos ? std::nullopt : ParseIpv4Text(value.substr(0, dash));
    const std::optional<uint32_t> last = dash == std::wstring::npos ? std::nullopt : ParseIpv4Text(value.substr(dash + 1));
    if (!first || !last || *first == 0 || *last < *first)
        return L"bad range: " + value + L" (two IPv4 addresses, lower first: A-B)";
    if (*last - *first >= kMaxScanRange)
        return L"range too wide: " + value + L" (at most " + std::to_wstring(kMaxScanRange) + L" addresses)";
    command.rangeFirst = *first;
    command.rangeLast = *last;
    return {};
}

} // namespace

namespace {

const Valued* FindValued(const std::wstring& argument)
{
    for (const Valued& valued : kValued)
        if (argument == valued.name)
            return &valued;
    return nullptr;
}

// The first word that is no option or option value: the command, as far as one can tell early.
bool NamesCheck(const std::vector<std::wstring>& arguments)
{
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (FindValued(arguments[i]) != nullptr)
            ++i;
        else if (arguments[i].empty() || arguments[i][0] != L'-')
            return arguments[i] == L"check";
    }
    return false;
}

// Options that belong to some commands only.
std::wstring Misplaced(const KelotsyCommand& command, const std::vector<std::wstring>& options)
{
    for (const std::wstring& option : options) {
        const bool check = option == L"-w" || option == L"-c";
        const bool scan = option == L"--jobs" || option == L"--format" || option == L"--range";
        if ((check && command.verb != Verb::Check) || (scan && command.verb != Verb::Scan))
            return option + L" belongs to " + (check ? L"check" : L"scan") + L" only";
    }
    if (command.installed && command.verb != Verb::Scan)
        return L"--installed belongs to scan only";
    if (command.verb == Verb::Check && command.critical > command.warning)
        return L"-c " + std::to_wstring(command.critical) + L" lies above -w " + std::to_wstring(command.warning);
    return {};
}

} // namespace

KelotsyParse ParseKelotsyArguments(const std::vector<std::wstring>& arguments)
{
    KelotsyCommand command;
    std::vector<std::wstring> words;
    std::vector<std::wstring> options; // the valued options given, checked against the command
    bool help = false;
    const bool check = NamesCheck(arguments);
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::wstring& argument = arguments[i];
        if (argument == L"--json") {
            command.json = true;
        } else if (argument == L"--yes") {
            command.confirmed = true;
        } else if (argument == L"--help" || argument == L"-h") {
            help = true;
        } else if (argument == L"--installed") {
            command.installed = true;
        } else if (const Valued* valued = FindValued(argument)) {
            if (i + 1 >= arguments.size())
                return Error(argument + L" needs " + valued->needs, check);
            const std::wstring problem = ApplyValued(command, argument, arguments[++i]);
            if (!problem.empty())
                return Error(problem, check);
            options.push_back(argument);
        } else if (argument.size() > 1 && argument[0] == L'-') {
            return Error(L"unknown option: " + argument);
        } else {
            words.push_back(argument);
        }
    }
    if (help) {
        command.verb = Verb::Help;
        return KelotsyParse{command, {}};
    }
    if (words.empty())
        return Error(L"no command given");

    const VerbName* verb = nullptr;
    for (const VerbName& candidate : kVerbs)
        if (words[0] == candidate.name)
            verb = &candidate;
    if (verb == nullptr)
        return Error(L"unknown command: " + words[0]);
    command.verb = verb->verb;

    size_t next = 1;
    if (command.verb == Verb::Service) {
        if (words.size() < 2)
            return Error(L"service needs one of pq, align, clean, diag");
        for (const auto& [name, service] : kServices)
            if (words[1] == name)
                command.service = service;
        if (command.service == Service::None)
            return Error(L"unknown service: " + words[1]);
        if (command.json)
            return Error(L"service has no --json output");
        next = 2;
    }
    if (verb->needsPrinter) {
        if (words.size() <= next)
            return Error(std::wstring(verb->name) + L" needs a printer (list index or address)", check);
        command.printer = words[next++];
    }
    if (command.verb == Verb::Scan) {
        command.printers.assign(words.begin() + 1, words.end());
        next = words.size();
        if (command.json)
            command.format = KelotsyCommand::Format::Json;
        if (command.printers.empty() && !command.installed && command.rangeFirst == 0)
            return Error(L"scan needs printers, --installed or --range A-B");
    } else if (command.json && command.verb == Verb::Check) {
        return Error(L"check has no --json output", check);
    }
    if (words.size() > next)
        return Error(L"unexpected argument: " + words[next], check);
    const std::wstring misplaced = Misplaced(command, options);
    if (!misplaced.empty())
        return Error(misplaced, check);
    if (command.verb == Verb::Reset) {
        if (command.json)
            return Error(L"reset has no --json output");
        // A reset changes the printer: it is never a slip of the keyboard.
        if (!command.confirmed)
            return Error(L"reset changes the printer's settings; add --yes to go ahead");
    } else if (command.confirmed) {
        return Error(L"--yes belongs to reset only");
    }
    return KelotsyParse{command, {}, check};
}

std::optional<uint32_t> ParseIpv4Text(const std::wstring& text)
{
    uint32_t address = 0;
    size_t part = 0;
    size_t i = 0;
    for (; part < 4; ++part) {
        size_t end = i;
        while (end < text.size() && text[end] != L'.')
            ++end;
        const std::optional<uint32_t> value = Decimal(text.substr(i, end - i), 255);
        if (!value || end - i > 3)
            return std::nullopt;
        address = address << 8 | *value;
        if (end == text.size())
            break;
        i = end + 1;
    }
    if (part != 3 || i > text.size())
        return std::nullopt;
    return address;
}

std::wstring Ipv4Text(uint32_t address)
{
    return std::to_wstring(address >> 24) + L"." + std::to_wstring(address >> 16 & 0xFF) + L"." +
           std::to_wstring(address >> 8 & 0xFF) + L"." + std::to_wstring(address & 0xFF);
}

const wchar_t* KelotsyUsage()
{
    return L"usage: kelotsy [--lang ID] <command> [--json]\n"
           L"  list                           the printers this computer knows\n"
           L"  info    <printer>              device information and printheads\n"
           L"  ink     <printer>              ink levels and printer region\n"
           L"  status  <printer>              device status test: code, feeder flag, verdict, text\n"
           L"  test    <printer>              connectivity, device status and print tests, in order\n"
           L"  service <pq|align|clean|diag> <printer>\n"
           L"  reset   <printer> --yes        put the printer back into a known state\n"
           L"  search                         search the network for printers (exit 1: none found)\n"
           L"  check   <printer> [-w N] [-c N] monitoring plugin: ink below N% warns (20) or is critical\n"
           L"                                 (10); exit 0 OK, 1 WARNING, 2 CRITICAL, 3 UNKNOWN\n"
           L"  scan    <printer>... | --installed | --range A-B [--jobs N] [--format json|csv|prometheus]\n"
           L"                                 status, ink and identity of many printers at once\n"
           L"<printer> is the list index, the printer's address or any IPv4 address. Exit code: 0 passed,\n"
           L"1 a test or service failed (scan: a printer did not answer), 2 usage or environment error.\n";
}
