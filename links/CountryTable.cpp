#include "links/CountryTable.h"

#include <algorithm>
#include <iterator>

namespace {

struct CountryEntry {
    unsigned short languageId;
    const wchar_t* code;
};

// Sorted by language identifier.
constexpr CountryEntry kCountries[] = {
    {9, L"en"}, {1025, L"sa"}, {1026, L"bg"}, {1027, L"ca"}, {1028, L"tw"}, {1029, L"cs"},
    {1030, L"da"}, {1031, L"de"}, {1032, L"el"}, {1033, L"us"}, {1034, L"es"}, {1035, L"fi"},
    {1036, L"fr"}, {1037, L"he"}, {1038, L"hu"}, {1039, L"is"}, {1040, L"it"}, {1041, L"ja"},
    {1042, L"ko"}, {1043, L"nl"}, {1044, L"no"}, {1045, L"pl"}, {1046, L"br"}, {1047, L"rm"},
    {1048, L"ro"}, {1049, L"ru"}, {1050, L"hr"}, {1051, L"sk"}, {1052, L"sq"}, {1053, L"sv"},
    {1054, L"th"}, {1055, L"tr"}, {1056, L"ur"}, {1057, L"in"}, {1058, L"uk"}, {1059, L"be"},
    {1060, L"si"}, {1061, L"et"}, {1062, L"lv"}, {1063, L"lt"}, {1065, L"fa"}, {1066, L"vi"},
    {1069, L"eu"}, {1070, L"sb"}, {1071, L"mk"}, {1072, L"sx"}, {1073, L"ts"}, {1074, L"tn"},
    {1075, L"ve"}, {1076, L"xh"}, {1077, L"zu"}, {1078, L"af"}, {1080, L"fo"}, {1081, L"hi"},
    {1082, L"mt"}, {1083, L"sz"}, {1084, L"gd"}, {1085, L"ji"}, {1086, L"ms"}, {2049, L"iq"},
    {2052, L"cn"}, {2055, L"ch"}, {2057, L"gb"}, {2058, L"mx"}, {2060, L"be"}, {2064, L"ch"},
    {2066, L"ko"}, {2067, L"be"}, {2068, L"no"}, {2070, L"pt"}, {2072, L"mo"}, {2073, L"mo"},
    {2074, L"sr"}, {2077, L"fi"}, {2108, L"ie"}, {3073, L"eg"}, {3076, L"hk"}, {3079, L"at"},
    {3081, L"au"}, {3082, L"es"}, {3084, L"ca"}, {3098, L"sr"}, {4097, L"ly"}, {4100, L"sg"},
    {4103, L"lu"}, {4105, L"ca"}, {4106, L"gt"}, {4108, L"ch"}, {5121, L"dz"}, {5127, L"li"},
    {5129, L"nz"}, {5130, L"cr"}, {5132, L"lu"}, {6145, L"ma"}, {6153, L"ie"}, {6154, L"pa"},
    {7169, L"tn"}, {7177, L"za"}, {7178, L"do"}, {8193, L"om"}, {8201, L"jm"}, {8202, L"ve"},
    {9217, L"ye"}, {9225, L"en"}, {9226, L"co"}, {10241, L"sy"}, {10249, L"bz"}, {10250, L"pe"},
    {11265, L"jo"}, {11273, L"tt"}, {11274, L"ar"}, {12289, L"lb"}, {12298, L"ec"}, {13313, L"kw"},
    {13322, L"cl"}, {14337, L"ae"}, {14346, L"uy"}, {15361, L"bh"}, {15370, L"py"}, {16385, L"qa"},
    {16394, L"bo"}, {17418, L"sv"}, {18442, L"hn"}, {19466, L"ni"}, {20490, L"pr"},
};

const CountryEntry* Find(unsigned short languageId)
{
    auto it = std::lower_bound(std::begin(kCountries), std::end(kCountries), languageId,
                               [](const CountryEntry& e, unsigned short id) { return e.languageId < id; });
    return (it != std::end(kCountries) && it->languageId == languageId) ? it : nullptr;
}

} // namespace

std::wstring CCountryTable::Lookup(unsigned short languageId)
{
    const CountryEntry* entry = Find(languageId);
    return entry != nullptr ? entry->code : L"us";
}

bool CCountryTable::Contains(unsigned short languageId) { return Find(languageId) != nullptr; }

int CCountryTable::Size() { return static_cast<int>(std::size(kCountries)); }
