#include "console/CheckRules.h"

#include <algorithm>

namespace {

using Reach = PrinterSnapshot::Reach;

std::wstring Widen(const std::string& ascii)
{
    return std::wstring(ascii.begin(), ascii.end());
}

std::wstring Line(CheckState state, const std::wstring& text)
{
    return std::wstring(L"KELO ") + CheckStateName(state) + L" - " + text;
}

// Performance data: each cartridge with the thresholds, then the page count.
std::wstring PerformanceData(const PrinterSnapshot& snapshot, const CheckThresholds& thresholds)
{
    std::wstring data;
    for (const InkSnapshot& ink : snapshot.inks) {
        if (ink.level < 0)
            continue;
        if (!data.empty())
            data += L' ';
        data += L"'ink_" + Widen(ink.colour) + L"'=" + std::to_wstring(ink.level) + L"%;" +
                std::to_wstring(thresholds.warning) + L";" + std::to_wstring(thresholds.critical) + L";0;100";
    }
    if (snapshot.pageCount >= 0)
        data += (data.empty() ? L"" : L" ") + std::wstring(L"'pages'=") + std::to_wstring(snapshot.pageCount) + L"c;;;0";
    return data;
}

} // namespace

const wchar_t* CheckStateName(CheckState state)
{
    switch (state) {
    case CheckState::Ok:
        return L"OK";
    case CheckState::Warning:
        return L"WARNING";
    case CheckState::Critical:
        return L"CRITICAL";
    case CheckState::Unknown:
        break;
    }
    return L"UNKNOWN";
}

CheckOutcome UnknownCheck(const std::wstring& why)
{
    return {CheckState::Unknown, Line(CheckState::Unknown, why)};
}

CheckOutcome EvaluateCheck(const PrinterSnapshot& snapshot, const CheckThresholds& thresholds)
{
    const std::wstring who = snapshot.model.empty() ? snapshot.printer : snapshot.model;
    switch (snapshot.reach) {
    case Reach::Answered:
        break;
    case Reach::NotAnswering:
        // A printer that was identified once (a queue or list entry) and now is silent is down;
        // an address no probe recognised may be no printer at all.
        if (snapshot.model.empty() && snapshot.address == snapshot.printer && !snapshot.statusRead)
            return UnknownCheck(snapshot.printer + L": not answering");
        return {CheckState::Critical, Line(CheckState::Critical, who + L": not answering")};
    case Reach::UnexpectedAnswer:
        return {CheckState::Critical, Line(CheckState::Critical, who + L": unexpected answer")};
    case Reach::UnknownPrinter:
        return UnknownCheck(L"unknown printer: " + snapshot.printer);
    case Reach::NotSupported:
        return UnknownCheck(L"printer not supported: " + who);
    case Reach::Failed:
        return UnknownCheck(who + L": could not be checked");
    }

    CheckState state = CheckState::Ok;
    std::wstring text = who + L": ";
    if (snapshot.statusPassed) {
        text += L"ready";
    } else {
        state = CheckState::Critical; // a jam, a door open, a cartridge missing: nothing prints
        text += snapshot.statusText.empty() ? L"status " + std::to_wstring(snapshot.statusCode) : snapshot.statusText;
    }
    const InkSnapshot* lowest = nullptr;
    for (const InkSnapshot& ink : snapshot.inks)
        if (ink.level >= 0 && (lowest == nullptr || ink.level < lowest->level))
            lowest = &ink;
    if (lowest != nullptr) {
        text += L"; ink lowest " + Widen(lowest->colour) + L" " + std::to_wstring(lowest->level) + L"%";
        const CheckState ink = lowest->level < thresholds.critical  ? CheckState::Critical
                               : lowest->level < thresholds.warning ? CheckState::Warning
                                                                    : CheckState::Ok;
        state = std::max(state, ink);
    } else {
        text += L"; no ink levels";
    }
    // A pipe would start the performance data early.
    std::replace(text.begin(), text.end(), L'|', L'/');
    const std::wstring data = PerformanceData(snapshot, thresholds);
    return {state, Line(state, text) + (data.empty() ? L"" : L"|" + data)};
}
