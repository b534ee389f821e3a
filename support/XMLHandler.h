#pragma once
// The localized string table, one XML file per interface language.
#include <map>
#include <string>

class XMLHandler {
public:
    // (Re)loads the table for the current language; false when the file could not be read.
    bool Load();
    // After a failed Load: the file and why it was not read.
    const std::wstring& Problem() const { return problem_; }
    // The text for `key`; empty for an empty or unknown key.
    std::wstring GetString(const std::wstring& key) const;

    unsigned short LanguageId() const { return languageId_; }
    void SetLanguageId(unsigned short languageId) { languageId_ = languageId; }
    // Once the user picked a language, loads stop following the system's language.
    bool IsLanguageFixed() const { return languageFixed_; }
    void SetLanguageFixed(bool fixed) { languageFixed_ = fixed; }

private:
    std::map<std::wstring, std::wstring> table_;
    std::wstring problem_;
    unsigned short languageId_ = 1033;
    bool languageFixed_ = false;
};

// The process's string table, which every layer reads its texts from; the tool loads it at
// start-up and again when the user picks another language.
XMLHandler& StringTable();

// The warning after a failed load: "XML Loading Failed." and the file with its fault.
std::wstring LoadFailedText(const XMLHandler& strings);

// "TSY_TITLE_STRING" with every "%1" replaced by the version.
std::wstring BuildWindowTitle(const XMLHandler& strings);
