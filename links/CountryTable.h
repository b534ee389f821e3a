#pragma once
// Language identifier to the two-letter country code that support links carry.
#include <string>

class CCountryTable {
public:
    // The code for `languageId`, or "us" when the table does not list it.
    static std::wstring Lookup(unsigned short languageId);
    static bool Contains(unsigned short languageId);
    static int Size();
};
