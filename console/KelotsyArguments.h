#pragma once
// The command line of kelotsy, the console front end of the diagnosis engine.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct KelotsyCommand {
    // Snapshot is scan's worker: one printer's record in the line form, for the scan that started it.
    enum class Verb { Help, List, Info, Ink, Status, Test, Service, Reset, Search, Check, Scan, Snapshot };
    enum class Format { Text, Json, Csv, Prometheus };
    enum class Service { None, PrintQuality, Align, Clean, Diagnostics };

    Verb verb = Verb::Help;
    Service service = Service::None;
    std::wstring printer;                  // a list index or the printer's address
    bool json = false;
    bool confirmed = false;                // --yes: a reset may go ahead
    std::optional<uint16_t> languageId;    // --lang; English when absent
    int32_t warning = 20;                  // check -w: an ink level below it warns
    int32_t critical = 10;                 // check -c: below it is critical
    std::vector<std::wstring> printers;    // scan: the printers named
    bool installed = false;                // scan --installed: every printer list shows
    uint32_t rangeFirst = 0, rangeLast = 0; // scan --range A-B, IPv4 in host order; 0: none
    uint32_t jobs = 4;                     // scan --jobs: printers asked at once
    Format format = Format::Text;          // scan --format; --json is Json
};

// The most addresses one --range may name, and the most workers.
inline constexpr uint32_t kMaxScanRange = 1024;
inline constexpr uint32_t kMaxScanJobs = 64;

struct KelotsyParse {
    std::optional<KelotsyCommand> command; // nothing: `error` says what is wrong
    std::wstring error;
    // The command was check: a usage error is the monitoring plugin's UNKNOWN.
    bool check = false;
};

// The IPv4 address of dotted-quad text, in host order; nothing for other text.
std::optional<uint32_t> ParseIpv4Text(const std::wstring& text);
std::wstring Ipv4Text(uint32_t address);

// `arguments` without the program name. Options (--json, --lang ID, --help) may stand anywhere.
KelotsyParse ParseKelotsyArguments(const std::vector<std::wstring>& arguments);

// The usage text printed by --help and after a usage error.
const wchar_t* KelotsyUsage();
