#pragma once
// Quill over the USB device library: identity, inks, printheads and the service commands of the
// selected USB printer, each reader on a device object of its own.
#include <cstdint>
#include <string>

#include "quill/QuillOperations.h"

class CQuillManager : public CQuillOperations<CQuillManager> {
public:
    bool GetDeviceInfo(const Device_Dev& printer);
    bool GetInkLevelInfo(const Device_Dev& printer);
    // The USB printhead read: four printheads, the list emptied first.
    bool GetPrintHeadInfo(const Device_Dev& printer);
    // True when the first write returned 0.
    bool PrintQualityDiagnosticPage(const Device_Dev& printer);
    bool AlignPrintHead(const Device_Dev& printer);
    bool CleanPrintHead(const Device_Dev& printer);
    bool PrintDiagnosticPage(const Device_Dev& printer);

    // Nothing to read over the USB library.
    bool ReadDeviceStatus(const Device_Dev&) override { return true; }

    // Per-object readers: 0 on success, 1 on failure.
    int GetModelName(const Device_Dev& printer, std::wstring& text);
    int GetSerialNumber(const Device_Dev& printer, std::wstring& text);
    int GetFirmwareVersion(const Device_Dev& printer, std::wstring& text);
    int GetServiceID(const Device_Dev& printer, std::wstring& text);
    int GetMacAddress(const Device_Dev& printer, std::wstring& text);
    int GetPageCount(const Device_Dev& printer, int32_t& value);

private:
    bool SendService(const Device_Dev& printer, std::initializer_list<std::pair<const char*, int32_t>> writes);
};
