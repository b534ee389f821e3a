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

// "day/month/year " from a service id: year = n / 1000 + 1990, day of year = n mod 1000;
// month 0 when the day is past December.
std::wstring BornDateText(std::wstring_view serviceId);

// The string key of a consumable label code's colour; empty for codes without one.
std::wstring ColourKey(std::wstring_view labelCode);

// Consumable types that belong in the ink list (lower-case).
bool IsInkType(std::wstring_view lowerType);

// The drops count text (thousands) as the decimal text of drops used; 0 for no number.
std::wstring DropsUsedText(std::wstring_view dropsCount);

// Decimal value of the leading number of `text` (white space and sign allowed), 0 for none.
long WideDecimalPrefix(std::wstring_view text);

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

namespace sable {

// Which (language, code page) pair of a version resource to read: the user's language,
// else the same primary language, else a neutral one, else English, else the first.
// Nothing for an empty list.
std::optional<size_t> ChooseTranslation(const std::vector<std::pair<uint16_t, uint16_t>>& pairs,
                                        uint16_t userLanguage);

// A model or folder name as the product folder match compares it: " Plus " becomes one
// blank, then lower case.
std::wstring ProductMatchName(std::wstring_view name);
// Whether a product folder belongs to the model: either name contains the other.
bool ProductFolderMatches(std::wstring_view folderName, std::wstring_view modelName);

} // namespace sable
