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
    {L"reset", Verb::Reset, true},    {L"search", Verb::Search, false},
};

const std::pair<const wchar_t*, Service> kServices[] = {
    {L"pq", Service::PrintQuality}, {L"align", Service::Align}, {L"clean", Service::Clean},
    {L"diag", Service::Diagnostics},
};

KelotsyParse Error(std::wstring message)
{
    KelotsyParse parse;
    parse.error = std::move(message);
    return parse;
}

std::optional<uint16_t> LanguageId(const std::wstring& text)
{
    if (text.empty() || text.size() > 5)
        return std::nullopt;
    uint32_t value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9')
            return std::nullopt;
        value = value * 10 + static_cast<uint32_t>(c - L'0');
    }
    if (value == 0 || value > 0xFFFF)
        return std::nullopt;
    return static_cast<uint16_t>(value);
}

} // namespace

KelotsyParse ParseKelotsyArguments(const std::vector<std::wstring>& arguments)
{
    KelotsyCommand command;
    std::vector<std::wstring> words;
    bool help = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::wstring& argument = arguments[i];
        if (argument == L"--json") {
            command.json = true;
        } else if (argument == L"--yes") {
            command.confirmed = true;
        } else if (argument == L"--help" || argument == L"-h") {
            help = true;
        } else if (argument == L"--lang") {
            if (i + 1 >= arguments.size())
                return Error(L"--lang needs a language id");
            command.languageId = LanguageId(arguments[++i]);
            if (!command.languageId)
                return Error(L"bad language id: " + arguments[i]);
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
            return Error(std::wstring(verb->name) + L" needs a printer (list index or address)");
        command.printer = words[next++];
    }
    if (words.size() > next)
        return Error(L"unexpected argument: " + words[next]);
    if (command.verb == Verb::Reset) {
        if (command.json)
            return Error(L"reset has no --json output");
        // A reset changes the printer: it is never a slip of the keyboard.
        if (!command.confirmed)
            return Error(L"reset changes the printer's settings; add --yes to go ahead");
    } else if (command.confirmed) {
        return Error(L"--yes belongs to reset only");
    }
    return KelotsyParse{command, {}};
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
           L"<printer> is the list index or the printer's address. Exit code: 0 passed, 1 a test or\n"
           L"service failed, 2 usage or environment error.\n";
}
