#include "pages/FirmwareRules.h"

namespace firmware {

std::wstring PageCountText(int32_t pageCount, const std::wstring& notAvailable)
{
    if (pageCount == -1)
        return notAvailable;
    return std::to_wstring(pageCount);
}

std::wstring PrintheadNumberText(const std::wstring& number)
{
    if (number.size() <= kPrintheadNumberWrap)
        return number;
    return number.substr(0, kPrintheadNumberWrap) + L" " + number.substr(kPrintheadNumberWrap);
}

size_t ShownPrinthead(const std::vector<std::wstring>& numbers, const std::wstring& notAvailable)
{
    for (size_t i = numbers.size(); i-- > 0;)
        if (!numbers[i].empty() && numbers[i] != notAvailable)
            return i;
    return numbers.empty() ? 0 : numbers.size() - 1;
}

} // namespace firmware
