#pragma once
// Quill over SNMP: identity, inks, printheads, status and the service commands of the selected
// network printer.
#include <cstdint>
#include <string>

#include "discovery/DeviceRecords.h"
#include "quill/QuillOperations.h"
#include "quill/SnmpSession.h"

class CSNMPNWManager : public CQuillOperations<CSNMPNWManager> {
public:
    // Each returns true except where said; failures show as not-available texts and log lines.
    bool GetDeviceInfo();
    bool GetInkLevelInfo();
    bool GetPrintHeadInfo();
    bool GetDeviceStatus();
    // The status code of the printer's identification; 61 when it could not be read.
    int32_t GetStatusFlag();
    bool PrintQualityDiagnosticPage();
    bool AlignPrintHead();
    bool CleanPrintHead();
    bool PrintDiagnosticPage();

    bool ReadDeviceStatus() override { return GetDeviceStatus(); }

private:
    // One GET on the open session: the reply as text, empty when none came.
    std::wstring GetText(const std::string& oid, bool* arrived = nullptr);
    std::wstring GetQuillText(const char* quillId, bool* arrived = nullptr);
    void SendService(const wchar_t* name, std::initializer_list<std::pair<const char*, int32_t>> writes);
    bool OpenSelectedPrinter();

    std::wstring address_;
    CSnmpSession session_;
};

// The MAC address of an IPv4 address on the local network ("001A2B3C4D5E"); empty when unknown.
std::wstring GetMacAddressByArp(const std::wstring& address);
