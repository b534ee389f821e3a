#pragma once
// Decisions of the Sable readers and jobs that need no system: born dates, colour keys,
// status ordering, drops, the job documents and the reading of a job answer.
// Plain C++ without system headers.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sable {

std::wstring ToLower(std::wstring_view text);

// The string key of a consumable label code's colour; empty for codes without one.
std::wstring ColourKey(std::wstring_view labelCode);

// Consumable types that belong in the ink list (lower-case).
bool IsInkType(std::wstring_view lowerType);

// The drops count text (thousands) as the decimal text of drops used; 0 for no number.
std::wstring DropsUsedText(std::wstring_view dropsCount);

// Lowest priority first; of equal priorities the earlier stays in front.
template <class Entry>
void OrderByPriority(std::vector<Entry>& entries)
{
    for (size_t position = 0; position < entries.size(); ++position)
        for (size_t later = position + 1; later < entries.size(); ++later)
            if (entries[later].priority < entries[position].priority)
                std::swap(entries[position], entries[later]);
}

// The InternalPrintDyn request for one job type.
std::string InternalPrintDocument(std::string_view jobType);
// The calibration session request.
std::string CalibrationDocument();
// The hand-written head of a USB job request.
std::string JobRequestHead(std::string_view requestLine, size_t bodyLength);
// The extra headers of a network job request.
std::string JobExtraHeaders(size_t bodyLength);

// The job location of an answer: the status line (before the first CRLF) must hold "201",
// the location runs from "/Jobs/JobList" to the next CRLF. Nothing when either is missing.
struct JobAnswer {
    bool accepted = false;                // "201" in the status line
    std::optional<std::string> location;
};
JobAnswer ParseJobAnswer(std::string_view answer);

} // namespace sable

