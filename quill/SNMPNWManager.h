#pragma once
// Quill over SNMP: identity, inks, printheads, status and the service commands of the selected
// network printer.
#include <cstdint>
#include <optional>
#include <string>

#include "discovery/DeviceRecords.h"
#include "quill/QuillOperations.h"
#include "quill/SnmpSession.h"

struct InkSlotObject;

class CSNMPNWManager : public CQuillOperations<CSNMPNWManager> {
public:
    // Each returns false when the printer answered nothing (the fault is then NotAnswering),
    // true otherwise; objects that did not come show as not-available texts and log lines.
    bool GetDeviceInfo(const Device_Dev& printer);
    bool GetInkLevelInfo(const Device_Dev& printer);
    bool GetPrintHeadInfo(const Device_Dev& printer);
    bool GetDeviceStatus(const Device_Dev& printer);
    // The status code of the printer's identification; 61 when it could not be read.
    int32_t GetStatusFlag(const Device_Dev& printer);
    bool PrintQualityDiagnosticPage(const Device_Dev& printer);
    bool AlignPrintHead(const Device_Dev& printer);
    bool CleanPrintHead(const Device_Dev& printer);
    bool PrintDiagnosticPage(const Device_Dev& printer);

    bool ReadDeviceStatus(const Device_Dev& printer) override { return GetDeviceStatus(printer); }
    // Printheads, then identity and versions; a printer that did not answer the first is not
    // asked the second.
    bool ReadDeviceInformation(const Device_Dev& printer) override;

private:
    // The driver version and what else the host knows; the caller holds the records lock.
    void AddHostSideInfo(const Device_Dev& printer);
    // One GET on the open session: the reply as text, empty when none came; `value` receives
    // the reply as it arrived (NULL when none came).
    std::wstring GetText(const std::string& oid, bool* arrived = nullptr, SnmpValue* value = nullptr);
    std::wstring GetQuillText(const char* quillId, bool* arrived = nullptr, SnmpValue* value = nullptr);
    // One ink object's text, decoded by its kind.
    std::optional<std::wstring> InkObjectText(const InkSlotObject& object, const std::string& quillId);
    // Writes the service objects; false when the printer answered none of them.
    bool SendService(const Device_Dev& printer, const wchar_t* name, std::initializer_list<std::pair<const char*, int32_t>> writes);
    // Whether the printer answered in the bracket; notes a printer that did not as the fault.
    bool Answered(const CSnmpBracket& bracket);

    CSnmpSession session_;
};

// The MAC address of an IPv4 address on the local network ("001A2B3C4D5E"); empty when unknown.
std::wstring GetMacAddressByArp(const std::wstring& address);
