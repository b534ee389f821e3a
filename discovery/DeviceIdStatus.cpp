#include "discovery/DeviceIdStatus.h"

namespace {

int HexDigitValue(wchar_t c)
{
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (c >= L'a' && c <= L'f')
        return c - L'a' + 10;
    if (c >= L'A' && c <= L'F')
        return c - L'A' + 10;
    return -1;
}

constexpr int32_t kHighestStatusCode = 61;
constexpr int32_t kUnknownCondition = 6;

} // namespace

std::wstring GetIdField(const std::wstring& key, const std::wstring& identification)
{
    std::wstring searchKey = key.find(L':') == std::wstring::npos ? key + L":" : key;
    size_t found = identification.find(searchKey);
    if (found == std::wstring::npos)
        return {};
    size_t start;
    if (found == 0) {
        start = searchKey.size();
    } else {
        size_t afterSeparator = identification.find(L";" + searchKey);
        if (afterSeparator == std::wstring::npos)
            return {};
        start = afterSeparator + 1 + searchKey.size();
    }
    size_t end = identification.find(L';', start);
    return identification.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
}

int32_t ParseStatusField(const std::wstring& value)
{
    std::wstring field = value.find(L"S:") == std::wstring::npos ? L"S:" + value : value;
    // Positions 18 and 19 of "S:" + value: the ninth pair of the value's digits.
    std::wstring pair = field.size() > 18 ? field.substr(18, 2) : std::wstring();
    int32_t code = 0;
    for (wchar_t c : pair) {
        int digit = HexDigitValue(c);
        if (digit < 0)
            break;
        code = code * 16 + digit;
    }
    return code > kHighestStatusCode ? kUnknownCondition : code;
}

int32_t StatusCodeFromIdentification(const std::wstring& identification)
{
    return ParseStatusField(GetIdField(L"S", identification));
}

std::string_view IdentificationBytes(std::string_view reply)
{
    if (reply.size() < 2)
        return reply;
    const size_t length = (static_cast<size_t>(static_cast<unsigned char>(reply[0])) << 8) |
                          static_cast<unsigned char>(reply[1]);
    const size_t textEnd = reply.find('\0', 2);
    const size_t textLength = (textEnd == std::string_view::npos ? reply.size() : textEnd) - 2;
    if (length < textLength || length > reply.size())
        return reply;
    return reply.substr(2);
}
