#pragma once
// The command line of kelotsy, the console front end of the diagnosis engine.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct KelotsyCommand {
    enum class Verb { Help, List, Info, Ink, Status, Test, Service, Reset, Search };
    enum class Service { None, PrintQuality, Align, Clean, Diagnostics };

    Verb verb = Verb::Help;
    Service service = Service::None;
    std::wstring printer;                  // a list index or the printer's address
    bool json = false;
    bool confirmed = false;                // --yes: a reset may go ahead
    std::optional<uint16_t> languageId;    // --lang; English when absent
};

struct KelotsyParse {
    std::optional<KelotsyCommand> command; // nothing: `error` says what is wrong
    std::wstring error;
};

// `arguments` without the program name. Options (--json, --lang ID, --help) may stand anywhere.
KelotsyParse ParseKelotsyArguments(const std::vector<std::wstring>& arguments);

// The usage text printed by --help and after a usage error.
const wchar_t* KelotsyUsage();
