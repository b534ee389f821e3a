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

} // namespace firmware
