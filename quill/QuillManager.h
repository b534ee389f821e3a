#pragma once
// Quill over the USB device library: identity, inks, printheads and the service commands of the
// selected USB printer, each reader on a device object of its own.
#include <cstdint>
#include <string>

#include "quill/QuillOperations.h"

class CQuillManager : public CQuillOperations<CQuillManager> {
public:
    bool GetDeviceInfo();
    bool GetInkLevelInfo();
    // The USB printhead read: four printheads, the list emptied first.
    bool GetPrintHeadInfo();
    // True when the first write returned 0.
    bool PrintQualityDiagnosticPage();
    bool AlignPrintHead();
    bool CleanPrintHead();
    bool PrintDiagnosticPage();

    // Nothing to read over the USB library.
    bool ReadDeviceStatus() override { return true; }

    // Per-object readers: 0 on success, 1 on failure.
    int GetModelName(std::wstring& text);
    int GetSerialNumber(std::wstring& text);
    int GetFirmwareVersion(std::wstring& text);
    int GetServiceID(std::wstring& text);
    int GetMacAddress(std::wstring& text);
    int GetPageCount(int32_t& value);

private:
    bool SendService(std::initializer_list<std::pair<const char*, int32_t>> writes);
};
