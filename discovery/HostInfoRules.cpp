#include "discovery/HostInfoRules.h"

#include <cwchar>
#include <utility>

#include "support/CatalogueRules.h"
#include "support/DecimalText.h"

namespace {

bool IsLeapYear(long year)
{
    return year % 400 == 0 || (year % 4 == 0 && year % 100 != 0);
}

} // namespace

std::wstring BornDateText(std::wstring_view serviceId)
{
    const long n = WideDecimalPrefix(serviceId);
    const long year = n / 1000 + 1990;
    long day = n % 1000;
    const long lengths[] = {31, IsLeapYear(year) ? 29 : 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    long month = 1;
    while (month <= 12 && day > lengths[month - 1]) {
        day -= lengths[month - 1];
        ++month;
    }
    if (month > 12)
        month = 0;
    wchar_t buffer[48] = {}; // room for three 64-bit longs
    std::swprintf(buffer, 48, L"%ld/%ld/%ld ", day, month, year);
    return buffer;
}

std::optional<size_t> ChooseTranslation(const std::vector<std::pair<uint16_t, uint16_t>>& pairs,
                                        uint16_t userLanguage)
{
    const auto first = [&](auto accept) -> std::optional<size_t> {
        for (size_t i = 0; i < pairs.size(); ++i)
            if (accept(pairs[i].first))
                return i;
        return std::nullopt;
    };
    if (pairs.empty())
        return std::nullopt;
    if (auto exact = first([&](uint16_t language) { return language == userLanguage; }))
        return exact;
    if (auto primary = first([&](uint16_t language) { return (language & 0xFF) == (userLanguage & 0xFF); }))
        return primary;
    if (auto neutral = first([](uint16_t language) { return language == 0 || (language & 0xFF) == 0; }))
        return neutral;
    if (auto english = first([](uint16_t language) { return (language & 0xFF) == 9; }))
        return english;
    return 0;
}

std::wstring ProductMatchName(std::wstring_view name)
{
    std::wstring text(name);
    for (size_t at = text.find(L" Plus "); at != std::wstring::npos; at = text.find(L" Plus ", at + 1))
        text.replace(at, 6, L" ");
    return ToLower(std::move(text));
}

bool ProductFolderMatches(std::wstring_view folderName, std::wstring_view modelName)
{
    const std::wstring folder = ProductMatchName(folderName);
    const std::wstring model = ProductMatchName(modelName);
    return folder.find(model) != std::wstring::npos || model.find(folder) != std::wstring::npos;
}
