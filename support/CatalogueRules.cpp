#include "support/CatalogueRules.h"

#include <cwctype>

std::wstring ToLower(std::wstring text)
{
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(std::towlower(static_cast<std::wint_t>(c)));
    return text;
}

std::wstring NormalizeModelName(const std::wstring& name)
{
    static const wchar_t* const kNoise[] = {L"kelo",      L"series", L"class",     L"driver",
                                            L"(network)", L"(usb)",  L"(printer)", L"(mfp)"};
    std::wstring text = ToLower(name);
    for (const wchar_t* token : kNoise) {
        const std::wstring word(token);
        for (size_t at = text.find(word); at != std::wstring::npos; at = text.find(word, at))
            text.erase(at, word.size());
    }
    size_t first = 0;
    while (first < text.size() && std::iswspace(static_cast<std::wint_t>(text[first])))
        ++first;
    size_t last = text.size();
    while (last > first && std::iswspace(static_cast<std::wint_t>(text[last - 1])))
        --last;
    return text.substr(first, last - first);
}

bool PidMatches(const std::wstring& pidAttribute, const std::wstring& productId)
{
    return ToLower(pidAttribute).find(ToLower(productId)) != std::wstring::npos;
}

bool IsYesFlag(const std::wstring& value) { return value.find(L"YES") != std::wstring::npos; }

bool IsRestDeviceType(const std::wstring& value) { return ToLower(value) == L"rest"; }

bool NamesOverlap(const std::wstring& a, const std::wstring& b)
{
    return a.find(b) != std::wstring::npos || b.find(a) != std::wstring::npos;
}
