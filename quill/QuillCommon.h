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
