#pragma once
// Which string file the interface uses.
#include <array>
#include <string>

constexpr unsigned short kDefaultLanguageId = 1033;

// The interface languages, in the order the language dialog lists them.
constexpr std::array<unsigned short, 21> kSupportedLanguages = {
    1033, 1028, 1029, 1030, 1031, 1032, 1034, 1035, 1036, 1038, 1040,
    1041, 1042, 1043, 1044, 1045, 1046, 1049, 1053, 1055, 2052};

// The supported language closest to the user's default language identifier.
unsigned short ChooseUiLanguage(unsigned short userLanguageId);

// "<folder>\strings\<id>.xml".
std::wstring StringFilePath(const std::wstring& exeFolder, unsigned short languageId);

// Pages use the larger application fonts for these interface languages only.
constexpr bool UsesApplicationFonts(unsigned short languageId)
{
    return languageId == 1028 || languageId == 1033 || languageId == 1041 || languageId == 2052;
}
