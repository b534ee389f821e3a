#include "support/DecimalText.h"

#include <cctype>
#include <climits>
#include <string>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

} // namespace

long ParseDecimalPrefix(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    // Saturates like strtol; checked before multiplying, since long may be as wide as long long.
    const unsigned long long limit = static_cast<unsigned long long>(LONG_MAX) + (negative ? 1 : 0);
    unsigned long long value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        const unsigned digit = static_cast<unsigned>(text[i] - '0');
        if (value > (limit - digit) / 10) {
            value = limit;
            break;
        }
        value = value * 10 + digit;
    }
    if (!negative || value == 0)
        return static_cast<long>(value);
    return -static_cast<long>(value - 1) - 1;
}

long WideDecimalPrefix(std::wstring_view text)
{
    std::string narrow;
    for (wchar_t c : text)
        narrow += static_cast<uint32_t>(c) < 0x80 ? static_cast<char>(c) : '?';
    return ParseDecimalPrefix(narrow);
}
