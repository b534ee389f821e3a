#include "support/LogLine.h"

#include <climits>
#include <cstdio>
#include <cstdlib>

std::string FormatLogPrefix(const LogTimestamp& t)
{
    char prefix[96];
    std::snprintf(prefix, sizeof prefix, "( %d-%d-%d %d:%d:%d:%d ):", t.month, t.day, t.year, t.hour,
                  t.minute, t.second, t.milliseconds);
    return prefix;
}

std::string NarrowForLog(const std::wstring& text)
{
    std::string narrow;
    narrow.reserve(text.size());
    char bytes[MB_LEN_MAX];
    for (wchar_t c : text) {
        int count = std::wctomb(bytes, c);
        if (count <= 0)
            narrow.push_back('?');
        else
            narrow.append(bytes, static_cast<size_t>(count));
    }
    return narrow;
}
