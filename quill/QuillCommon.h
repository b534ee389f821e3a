#pragma once
// What both Quill managers share beyond the pure rules: the logged text rewrites, the host-side
// fields, localized texts and the guard that keeps exceptions inside a device operation.
#include <exception>
#include <optional>
#include <string>

#include "quill/QuillRules.h"
#include "discovery/DeviceRecords.h"
#include "support/LogFile.h"

// Replaces an installation date YYYYMMDD by the service id derived from it (logged).
void FindServiceIDFromInstallationDate(std::wstring& text);
// Replaces YYYYMMDD by DD-MM-YYYY, the empty text by "--" (logged).
void FormatInstallationDate(std::wstring& text);

// The driver version of `printer` from the host's print system; empty when unknown.
std::wstring HostDriverVersion(const Device_Dev& printer);
// Adds the host-side information of the Quill readers: the common panel program's version.
void AddHostSideInformation(DeviceInfo& info);

std::wstring Localized(const wchar_t* key);
// Narrow text in the system ANSI code page as wide text.
std::wstring AnsiToWide(const std::string& text);

// Reads the agent flags in table order, logging each. `read(flag, value)` gives whether the read
// worked, or nothing to stop at once (then the result is nothing too). Otherwise the result says
// whether the brand flags (AgentsPreviouslyUsed or AgentsNonKelo) were read.
template <class Read>
std::optional<bool> ReadAgentFlags(AgentFlagValues& flags, Read read)
{
    bool brandFlagsRead = false;
    for (size_t i = 0; i < kAgentFlagObjects.size(); ++i) {
        int32_t value = 0;
        const std::optional<bool> worked = read(kAgentFlagObjects[i], value);
        if (!worked)
            return std::nullopt;
        flags[i] = *worked ? value : 0;
        if ((i == AgentsPreviouslyUsed || i == AgentsNonKelo) && *worked)
            brandFlagsRead = true;
        LogFile().Write(L" %s  -> %d", kAgentFlagObjects[i].name, flags[i]);
    }
    return brandFlagsRead;
}

// How a carrier's answer for an ink object is decoded.
enum class InkValueKind { Number, Text, Date };

// One object of an ink slot. A slotted object's identifier is prefix + slot + suffix; an object
// the printer has once (prefix null) is named by its suffix alone.
struct InkSlotObject {
    const char* prefix;
    const char* suffix;
    std::wstring InkInfo::*field; // null where the reader decides what the value means
    InkValueKind kind;
};

inline constexpr InkSlotObject kInkLevelObject{"1.4.1.5.4.", ".1", &InkInfo::level, InkValueKind::Number};
inline constexpr InkSlotObject kInkColourObject{"1.4.1.5.4.", ".26", nullptr, InkValueKind::Number};
// Slots 1 to 4 of printers without the colour object name it here.
inline constexpr InkSlotObject kInkColourFallbackObject{"1.4.1.5.3.", ".3", nullptr, InkValueKind::Number};
inline constexpr int kInkColourFallbackSlots = 4;
// What both carriers read of a slot after its level and colour, in this order.
inline constexpr InkSlotObject kInkSlotObjects[] = {
    {"1.4.1.5.3.", ".12", &InkInfo::dropsUsed, InkValueKind::Number},
    {nullptr, "1.1.2.8", &InkInfo::installationDate, InkValueKind::Date},
    {"1.4.1.5.4.", ".32", &InkInfo::selectabilityNumber, InkValueKind::Text},
    {"1.4.1.5.4.", ".4", &InkInfo::serialNumber, InkValueKind::Text},
    {"1.4.1.5.4.", ".27", &InkInfo::regionalCartridge, InkValueKind::Number},
};

// The Quill identifier of `object` for slot `slot`.
std::string InkObjectId(const InkSlotObject& object, int slot);

// Fills the fields of kInkSlotObjects for one slot. `read(object, id)` is the carrier's decoded
// answer, or nothing. A value that did not come leaves the field's not-available text, except the
// installation date, which is always formatted ("--" when it did not come).
template <class Read>
void ReadInkSlotObjects(InkInfo& ink, int slot, Read read)
{
    for (const InkSlotObject& object : kInkSlotObjects) {
        const std::optional<std::wstring> value = read(object, InkObjectId(object, slot));
        if (object.kind == InkValueKind::Date) {
            std::wstring date = value.value_or(std::wstring());
            FormatInstallationDate(date);
            ink.*object.field = date;
        } else if (value && !value->empty()) {
            ink.*object.field = *value;
        }
    }
}

// The log lines of one ink slot's fields, level to region.
void LogInkFields(int slot, const InkInfo& ink);

// Runs one public device operation; an exception becomes a log line and `failed`.
template <class Result, class Operation>
Result RunDeviceOperation(const wchar_t* name, Result failed, Operation operation)
{
    try {
        return operation();
    } catch (...) {
        LogFile().Write(L"Exception occured in %s.", name);
        return failed;
    }
}
