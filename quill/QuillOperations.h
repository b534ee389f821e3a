#pragma once
// The device operations of both Quill managers, over the method names they share.
#include "discovery/DeviceRecords.h"

template <class Manager>
class CQuillOperations : public CDeviceAccessManager {
public:
    bool ReadDeviceInformation() override { return Self().GetPrintHeadInfo() && Self().GetDeviceInfo(); }
    bool ReadInkLevels() override { return Self().GetInkLevelInfo(); }
    bool PrintDiagnosticsPage() override { return Self().PrintDiagnosticPage(); }
    bool PrintQualityPage() override { return Self().PrintQualityDiagnosticPage(); }
    bool CleanPrintheads() override { return Self().CleanPrintHead(); }
    bool AlignPrintheads() override { return Self().AlignPrintHead(); }

private:
    Manager& Self() { return static_cast<Manager&>(*this); }
};
