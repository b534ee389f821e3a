#include "quill/QuillRules.h"

#include <cstdio>
#include <cwchar>
#include <iterator>
#include <cwctype>
#include <initializer_list>

#include "quill/SnmpValueText.h"

namespace {

constexpr char kQuillSnmpPrefix[] = "1.3.6.1.4.1.48213.2.3.9.4.2.";

std::vector<std::string> SplitDots(const std::string& text)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t dot = text.find('.', start);
        parts.push_back(text.substr(start, dot - start));
        if (dot == std::string::npos)
            return parts;
        start = dot + 1;
    }
}

// The decimal value of characters [first, first + count) of a text, as the C library reads it.
long DecimalField(const std::wstring& text, size_t first, size_t count)
{
    return first < text.size() ? LeadingDecimal(text.substr(first, count)) : 0;
}

} // namespace

std::string QuillSnmpOid(const std::string& quillId)
{
    return kQuillSnmpPrefix + quillId + ".0";
}

std::optional<std::vector<uint8_t>> QuillIdBytes(const std::string& quillId)
{
    std::vector<uint8_t> bytes;
    for (const std::string& part : SplitDots(quillId)) {
        if (part.empty() || part.size() > 3 || part.find_first_not_of("0123456789") != std::string::npos)
            return std::nullopt;
        const int value = std::stoi(part);
        if (value < 1 || value > 255)
            return std::nullopt;
        bytes.push_back(static_cast<uint8_t>(value));
    }
    bytes.push_back(0);
    return bytes;
}

std::wstring DecodeQuillString(const std::wstring& text)
{
    const size_t firstDash = text.find(L'-');
    if (firstDash == std::wstring::npos)
        return {};
    std::wstring decoded;
    size_t start = text.find(L'-', firstDash + 1); // the first piece is the second prefix byte
    while (start != std::wstring::npos) {
        const size_t end = text.find(L'-', start + 1);
        // The piece goes into a ten-character buffer behind "0x".
        const std::wstring piece = L"0x" + text.substr(start + 1, end - start - 1).substr(0, 7);
        const unsigned long code = std::wcstoul(piece.c_str(), nullptr, 16) & 0xFF;
        if (code == 0)
            break; // a C string ends here
        decoded += static_cast<wchar_t>(code);
        start = end;
    }
    return decoded;
}

std::wstring TrimQuotes(const std::wstring& text)
{
    const size_t last = text.find_last_not_of(L'"');
    if (last == std::wstring::npos)
        return {};
    const std::wstring right = text.substr(0, last + 1);
    return right.substr(right.find_first_not_of(L'"'));
}

std::string Slot(const char* prefix, int n, const char* suffix)
{
    return std::string(prefix) + std::to_string(n) + suffix;
}

std::wstring TrimWhite(const std::wstring& text)
{
    static const wchar_t kWhite[] = L" \t\r\n\v\f";
    const size_t last = text.find_last_not_of(kWhite);
    if (last == std::wstring::npos)
        return {};
    const std::wstring right = text.substr(0, last + 1);
    return right.substr(right.find_first_not_of(kWhite));
}

std::wstring RemoveDashes(const std::wstring& text)
{
    std::wstring result;
    for (wchar_t c : text)
        if (c != L'-')
            result += c;
    return result;
}

long LeadingDecimal(const std::wstring& text)
{
    return std::wcstol(text.c_str(), nullptr, 10);
}

std::wstring ServiceIdFromInstallationDate(const std::wstring& date)
{
    const long year = DecimalField(date, 0, 4);
    const long month = DecimalField(date, 4, 2);
    const long day = DecimalField(date, 6, 2);
    return std::to_wstring((year - 1990) * 1000 + (month - 1) * 30 + day);
}

std::wstring InstallationDateText(const std::wstring& date)
{
    auto part = [&](size_t first, size_t count) { return first < date.size() ? date.substr(first, count) : L""; };
    return part(6, 2) + L"-" + part(4, 2) + L"-" + part(0, 4);
}

uint32_t ColourCodeFromSnmpText(const std::wstring& text)
{
    const long decimal = LeadingDecimal(TrimWhite(RemoveDashes(text)));
    return static_cast<uint32_t>(std::wcstoul(std::to_wstring(decimal).c_str(), nullptr, 16));
}

namespace {

std::wstring Widen(const std::string& ascii)
{
    return std::wstring(ascii.begin(), ascii.end());
}

std::wstring HexDigits(uint32_t value, int width)
{
    wchar_t text[16];
    std::swprintf(text, std::size(text), L"%0*X", width, static_cast<unsigned>(value));
    return text;
}

} // namespace

uint32_t QuillCode(const SnmpValue& value)
{
    if (value.type == SnmpType::Integer)
        return static_cast<uint32_t>(value.integer);
    return ColourCodeFromSnmpText(Widen(SnmpValueToText(value)));
}

std::wstring QuillTextOrNumber(const SnmpValue& value, const std::wstring& text)
{
    return value.type == SnmpType::Integer ? std::to_wstring(value.integer) : DecodeQuillString(text);
}

std::wstring FeederStatusText(const SnmpValue& value, const std::wstring& text)
{
    return value.type == SnmpType::Integer ? HexDigits(static_cast<uint32_t>(value.integer), 4) : RemoveDashes(text);
}

std::wstring MacAddressText(const SnmpValue& value)
{
    if (value.type != SnmpType::OctetString || value.bytes.size() != 6)
        return {};
    std::wstring text;
    for (uint8_t byte : value.bytes)
        text += HexDigits(byte, 2);
    return text;
}

std::wstring ColourKey(uint32_t code)
{
    switch (code) {
    case 1: return L"TSY_COLOR_CYAN";
    case 2: return L"TSY_COLOR_MAGENTA";
    case 4: return L"TSY_COLOR_YELLOW";
    case 7: return L"TSY_COLOR_TRICOLOR";
    case 8: return L"TSY_COLOR_BLACK";
    case 128: return L"TSY_COLOR_LIGHT_CYAN";
    case 256: return L"TSY_COLOR_LIGHT_MAGENTA";
    case 2048: return L"TSY_COLOR_LIGHT_GRAY";
    case 4096: return L"TSY_COLOR_PHOTO_BLACK";
    default: return {};
    }
}

const std::array<AgentFlagObject, kAgentFlagCount> kAgentFlagObjects = {{
    {L"AgentsMissing", "1.4.1.5.2.15", "1.4.1.5.2.3"},
    {L"AgentsIncorrect", "1.4.1.5.2.16", "1.4.1.5.2.4"},
    {L"AgentsIncorrectInstall", "1.4.1.5.2.10", nullptr},
    {L"AgentsIncorrectInstallWrongSlot", "1.4.1.5.2.7", "1.4.1.5.2.81"},
    {L"AgentsIncorrectRegion", "1.4.1.5.2.28", nullptr},
    {L"AgentsIncorrectExpectingHostPen", "1.4.1.5.2.29", nullptr},
    {L"AgentsIncorrectExpectingTradePen", "1.4.1.5.2.30", nullptr},
    {L"AgentsFailure", "1.4.1.5.2.17", "1.4.1.5.2.11"},
    {L"AgentsExpired", "1.4.1.5.2.19", nullptr},
    {L"AgentsOut", "1.4.1.5.2.14", nullptr},
    {L"AgentsOutWithOverride", "1.4.1.5.2.82", nullptr},
    {L"AgentsReserveMode", "1.4.1.5.2.27", nullptr},
    {L"AgentsLow", "1.4.1.5.2.24", "1.4.1.5.2.5"},
    {L"AgentsOutTIJ2", "1.4.1.5.2.6", nullptr},
    {L"AgentsInkAlert", "1.4.1.5.2.84", nullptr},
    {L"IntroAgentsLow", "1.4.1.5.2.66", nullptr},
    {L"BriselAgentsOut", "1.4.1.5.2.42", nullptr},
    {L"BriselIntroAgentsOut", "1.4.1.5.2.80", nullptr},
    {L"BriselAgentsVeryLow", "1.4.1.5.2.58", nullptr},
    {L"BriselIntroAgentsVeryLow", "1.4.1.5.2.78", nullptr},
    {L"BriselAgentsLow", "1.4.1.5.2.56", nullptr},
    {L"BriselIntroAgentsLow", "1.4.1.5.2.76", nullptr},
    {L"AgentsNearlyOut", "1.4.1.5.2.25", nullptr},
    {L"AgentsPreviouslyUsed", "1.4.1.5.2.33", nullptr},
    {L"AgentsNonKelo", "1.4.1.5.2.32", nullptr},
    {L"AgentsRefilled", "1.4.1.5.2.39", nullptr},
}};

int InkStateFor(const AgentFlagValues& flags, uint32_t slotBit)
{
    auto any = [&](std::initializer_list<AgentFlag> names) {
        for (AgentFlag name : names)
            if (static_cast<uint32_t>(flags[name]) & slotBit)
                return true;
        return false;
    };
    if (any({AgentsMissing}))
        return 8;
    if (any({AgentsIncorrectExpectingTradePen, AgentsIncorrectExpectingHostPen, AgentsIncorrect}))
        return 4;
    if (any({AgentsIncorrectInstallWrongSlot, AgentsIncorrectInstall}))
        return 5;
    if (any({AgentsIncorrectRegion}))
        return 6;
    if (any({AgentsFailure}))
        return 7;
    if (any({AgentsExpired}))
        return 9;
    if (any({AgentsReserveMode}))
        return 2;
    if (any({AgentsOutWithOverride}))
        return 1;
    if (any({BriselIntroAgentsOut, BriselAgentsOut}) || any({BriselIntroAgentsVeryLow, BriselAgentsVeryLow}))
        return 10;
    if (any({BriselIntroAgentsLow, BriselAgentsLow}))
        return 1;
    if (any({AgentsOut}))
        return 3;
    if (any({AgentsLow, AgentsOutTIJ2, AgentsInkAlert, IntroAgentsLow}))
        return 1;
    return 0;
}

std::wstring InkStateKey(int state)
{
    static const wchar_t* const kKeys[] = {
        L"TSY_INKSTATE_READY",     L"TSY_INKSTATE_LOW",     L"TSY_INKSTATE_REVERSEMODE",
        L"TSY_INKSTATE_OUT",       L"TSY_INKSTATE_INCORRECT", L"TSY_INKSTATE_INCORRET_INSTALL",
        L"TSY_INKSTATE_INCORRECT_REGION", L"TSY_INKSTATE_FAILURE", L"TSY_INKSTATE_MISSING",
        L"TSY_INKSTATE_EXPIRED",   L"TSY_INKSTATE_VERYLOW",
    };
    return state >= 0 && state <= 10 ? kKeys[state] : L"";
}

const char* BrandObjectId(int slot)
{
    return slot == 1 ? "1.4.1.5.7.1" : slot == 2 ? "1.4.1.5.8.1" : nullptr;
}

std::wstring InkBrand(bool flagsRead, const AgentFlagValues& flags, uint32_t slotBit,
                      std::optional<int32_t> brandValue)
{
    bool nonKelo = flagsRead ? (static_cast<uint32_t>(flags[AgentsNonKelo]) & slotBit) != 0
                             : brandValue.has_value() && (*brandValue & 2) != 0;
    return nonKelo ? L"Non Kelo" : L"Kelo";
}
