#include "support/LanguageChoice.h"

#include <cwchar>

namespace {
constexpr unsigned kPrimaryMask = 0x3FF;
constexpr unsigned kChinese = 4;
} // namespace

unsigned short ChooseUiLanguage(unsigned short userLanguageId)
{
    const unsigned primary = userLanguageId & kPrimaryMask;
    const unsigned sublanguage = userLanguageId >> 10;
    unsigned short chosen = kDefaultLanguageId;
    // Later matches win, so the last Chinese entry covers unknown Chinese variants.
    for (unsigned short candidate : kSupportedLanguages) {
        if ((candidate & kPrimaryMask) != primary)
            continue;
        chosen = candidate;
        if (primary == kChinese) {
            if (sublanguage == 1 || sublanguage == 3)
                chosen = 1028;
            else if (sublanguage == 2 || sublanguage == 4)
                chosen = 2052;
        }
    }
    return chosen;
}

std::wstring StringFilePath(const std::wstring& exeFolder, unsigned short languageId)
{
    wchar_t name[32];
    std::swprintf(name, 32, L"%4d.xml", static_cast<int>(languageId));
    return exeFolder + L"\\strings\\" + name;
}
