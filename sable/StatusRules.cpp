#include "sable/StatusRules.h"

#include <cstddef>
#include <limits>

#include "sable/TSYSableHelper.h"

namespace sable {

namespace {

constexpr int32_t kIdleFeederBit = 4;
constexpr int32_t kPrinterJamFlag = 14;
constexpr int32_t kFeederJamFlag = 65;

int32_t Clamp(int64_t value)
{
    if (value > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

bool IsBlank(wchar_t c)
{
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r' || c == L'\v' || c == L'\f';
}

} // namespace

int32_t LowestFeederBit(int32_t value)
{
    for (int32_t bit = 0; bit < 8; ++bit)
        if ((static_cast<uint32_t>(value) >> bit) & 1u)
            return bit;
    return value;
}

StatusOutcome FeederOutcome(int32_t value)
{
    if (value == 0)
        return {};
    const int32_t bit = LowestFeederBit(value);
    if (bit == kIdleFeederBit)
        return {};
    return {bit, true, false};
}

int32_t DecimalTextValue(std::wstring_view text)
{
    size_t at = 0;
    while (at < text.size() && IsBlank(text[at]))
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == L'+' || text[at] == L'-'))
        negative = text[at++] == L'-';
    // Accumulated in 64 bits and stopped once past the 32-bit range, so no length overflows.
    int64_t magnitude = 0;
    for (; at < text.size() && text[at] >= L'0' && text[at] <= L'9'; ++at) {
        magnitude = magnitude * 10 + (text[at] - L'0');
        if (magnitude > int64_t{1} << 32)
            magnitude = int64_t{1} << 32;
    }
    return Clamp(negative ? -magnitude : magnitude);
}

int32_t FeederValueFromText(std::wstring_view text)
{
    const int64_t decimal = DecimalTextValue(text);
    // At most ten decimal digits, so the hexadecimal reading stays below 16^10.
    int64_t magnitude = decimal < 0 ? -decimal : decimal;
    int64_t value = 0;
    for (int64_t place = 1; magnitude != 0; magnitude /= 10, place *= 16)
        value += (magnitude % 10) * place;
    return Clamp(decimal < 0 ? -value : value);
}

StatusOutcome NetworkSableOutcome(int32_t flag)
{
    if (flag == 0)
        return {};
    if (flag >= kFirstFeederFlag)
        return {flag - kFirstFeederFlag, true, false};
    return {flag, false, false};
}

StatusOutcome UsbSableFeederOutcome(bool flagRead, int32_t flag)
{
    if (!flagRead)
        return {};
    const int32_t feederFlag = flag == kPrinterJamFlag ? kFeederJamFlag : flag;
    if (feederFlag <= kStatusNotAvailable)
        return {};
    return {feederFlag - kFirstFeederFlag, true, false};
}

} // namespace sable
