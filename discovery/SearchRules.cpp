#include "discovery/SearchRules.h"

#include <cwctype>

namespace {

const wchar_t* const kProductLineWords[] = {L"lumora", L"beamline", L"workline", L"inkjet", L"homeline", L"aurel"};

std::wstring Lower(std::wstring text)
{
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

} // namespace

std::optional<std::wstring> SearchListName(const std::wstring& name, const std::wstring& secondName)
{
    const std::wstring lower = Lower(name);
    for (const wchar_t* word : kProductLineWords)
        if (lower.find(word) != std::wstring::npos)
            return name;
    if (secondName.empty())
        return std::nullopt;
    return secondName;
}

DeviceList SearchResultRecords(const std::vector<FoundPrinter>& found)
{
    DeviceList records;
    for (const FoundPrinter& printer : found) {
        if ((printer.flags & kSuitableSearchFlag) == 0)
            continue;
        const std::optional<std::wstring> name = SearchListName(printer.name, printer.secondName);
        if (!name || name->empty())
            continue;
        Device_Dev record;
        record.deviceName = *name;
        record.friendlyName = printer.friendlyName;
        record.address = printer.address;
        record.productId = printer.productId;
        record.statusCode = -1;
        record.printerName = printer.printerName;
        record.isNetwork = true;
        record.driverInstalled = static_cast<uint32_t>(static_cast<int32_t>(printer.driverInstalled));
        records.push_back(record);
    }
    return records;
}

bool SearchBarSteps(int position, int32_t lastProgress)
{
    return position < static_cast<int64_t>(lastProgress) + kSearchCreepAhead && position < kSearchCreepCap;
}
