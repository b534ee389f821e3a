#pragma once
// What check and scan learn of one printer: identity, device status, ink levels and whether it
// answered at all; and the line form a scan's worker process hands the record back in.
// Plain C++ without system headers.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct InkSnapshot {
    std::string colour;   // stable id for labels: "cyan", "photo_black"
    std::wstring name;    // the colour name in the user's language
    int32_t level = -1;   // percent remaining; -1 when the printer gave no number
};

struct PrinterSnapshot {
    enum class Reach {
        Answered,
        NotAnswering,     // silent, refused or cut off; an address no probe identified
        UnexpectedAnswer, // answered, but not in its protocol
        UnknownPrinter,   // no list index, queue or IPv4 address of that name
        NotSupported,     // the catalogue does not support the model
        Failed,           // the worker could not run or gave nothing back
    };

    std::wstring printer; // as the user named it
    std::wstring address;
    Reach reach = Reach::Failed;
    std::wstring model;
    std::wstring serialNumber;
    std::wstring firmware;
    int64_t pageCount = -1;
    bool statusRead = false;
    bool statusPassed = false;
    int32_t statusCode = -1;
    bool adf = false;
    std::wstring statusText;
    std::vector<InkSnapshot> inks;
};

// A stable name for each reach, as the machine-readable formats write it.
const char* ReachName(PrinterSnapshot::Reach reach);

// "TSY_COLOR_PHOTO_BLACK" -> "photo_black"; other text: lower case, runs of other characters as
// one underscore.
std::string ColourId(const std::wstring& keyOrName);

// The level as the device sends it ("41", "41%", " 41"); -1 for anything else.
int32_t InkLevelPercent(const std::wstring& text);

// The record as lines of tab-separated fields, and back; nothing for text that is no record.
std::string SerializeSnapshot(const PrinterSnapshot& snapshot);
std::optional<PrinterSnapshot> ParseSnapshot(const std::string& text);
