#pragma once
// What the Quill readers of both carriers decide without touching a device: identifier forms,
// value clean-up, dates, colours and the ink state and brand rules.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "quill/SnmpCodec.h"

// Ink slots and printheads a Quill printer has objects for, numbered from 1.
constexpr int kInkSlots = 8;
constexpr int kPrintheads = 4;
// The identifier of numbered slot n: prefix + n + suffix ("1.4.1.5.4." 3 ".1").
std::string Slot(const char* prefix, int n, const char* suffix);

// Quill identifier "1.1.3.3" -> "1.3.6.1.4.1.48213.2.3.9.4.2.1.1.3.3.0".
std::string QuillSnmpOid(const std::string& quillId);
// Quill identifier "1.1.3.3" -> bytes 01 01 03 03 00; nothing when a component is 0 or above 255.
std::optional<std::vector<uint8_t>> QuillIdBytes(const std::string& quillId);

// "01-15-41-42" -> "AB": the text after the first dash, its first piece dropped, every further
// piece a character code in hexadecimal. A text without a dash gives the empty text.
std::wstring DecodeQuillString(const std::wstring& text);
// Removes a trailing run of double quotes, then a leading one.
std::wstring TrimQuotes(const std::wstring& text);
// Removes white space at the right, then at the left.
std::wstring TrimWhite(const std::wstring& text);
std::wstring RemoveDashes(const std::wstring& text);
// The leading decimal value of a text (0 when it does not start with digits).
long LeadingDecimal(const std::wstring& text);

// YYYYMMDD -> (year - 1990) * 1000 + (month - 1) * 30 + day, as decimal text.
std::wstring ServiceIdFromInstallationDate(const std::wstring& date);
// YYYYMMDD -> DD-MM-YYYY; the empty text -> "--".
std::wstring InstallationDateText(const std::wstring& date);

// An SNMP colour code text: dashes removed, trimmed, its decimal digits read as hexadecimal.
uint32_t ColourCodeFromSnmpText(const std::wstring& text);
// Objects printers type differently, read whichever type arrives, on either carrier:
// - a code (colour code, feeder status word): an INTEGER is the code itself; octets spell its
//   hexadecimal digits and are read as their SNMP text is (ColourCodeFromSnmpText);
uint32_t QuillCode(const SnmpValue& value);
// - a text (printhead health and warranty): an INTEGER is its decimal text, a Quill string is
//   decoded (over SNMP from its `text`, DecodeQuillString).
std::wstring QuillTextOrNumber(const SnmpValue& value, const std::wstring& text);
// The feeder status as the status list keeps it: hexadecimal digits (an INTEGER written as
// four of them; octets as their text without dashes).
std::wstring FeederStatusText(const SnmpValue& value, const std::wstring& text);
// A physical address of six octets as twelve upper-case hexadecimal digits ("001A2B3C4D5E");
// empty for anything else.
std::wstring MacAddressText(const SnmpValue& value);

// The string key of a colour code; empty for a code outside the table.
std::wstring ColourKey(uint32_t code);

// The agent flags, in the order they are read.
enum AgentFlag {
    AgentsMissing, AgentsIncorrect, AgentsIncorrectInstall, AgentsIncorrectInstallWrongSlot,
    AgentsIncorrectRegion, AgentsIncorrectExpectingHostPen, AgentsIncorrectExpectingTradePen, AgentsFailure,
    AgentsExpired, AgentsOut, AgentsOutWithOverride, AgentsReserveMode, AgentsLow, AgentsOutTIJ2,
    AgentsInkAlert, IntroAgentsLow, BriselAgentsOut, BriselIntroAgentsOut, BriselAgentsVeryLow,
    BriselIntroAgentsVeryLow, BriselAgentsLow, BriselIntroAgentsLow, AgentsNearlyOut, AgentsPreviouslyUsed,
    AgentsNonKelo, AgentsRefilled, kAgentFlagCount
};

struct AgentFlagObject {
    const wchar_t* name;
    const char* quillId;
    const char* secondQuillId; // tried over USB when the first read fails; nullptr when none
};
extern const std::array<AgentFlagObject, kAgentFlagCount> kAgentFlagObjects;

using AgentFlagValues = std::array<int32_t, kAgentFlagCount>;

// The consumable state (0 ready ... 10 very low) of the supply with slot bit `slotBit`.
int InkStateFor(const AgentFlagValues& flags, uint32_t slotBit);
// The string key of a consumable state.
std::wstring InkStateKey(int state);

// The brand object of a slot (slots 1 and 2 only); nullptr otherwise.
const char* BrandObjectId(int slot);
// "Kelo" or "Non Kelo". `brandValue` is the slot's brand object when it was read.
std::wstring InkBrand(bool flagsRead, const AgentFlagValues& flags, uint32_t slotBit,
                      std::optional<int32_t> brandValue);
