#pragma once
// The device operations of both Quill managers, over the method names they share.
#include "discovery/DeviceRecords.h"

template <class Manager>
class CQuillOperations : public CDeviceAccessManager {
public:
    bool ReadDeviceInformation(const Device_Dev& printer) override
    {
        return Self().GetPrintHeadInfo(printer) && Self().GetDeviceInfo(printer);
    }
    bool ReadInkLevels(const Device_Dev& printer) override { return Self().GetInkLevelInfo(printer); }
    bool PrintDiagnosticsPage(const Device_Dev& printer) override { return Self().PrintDiagnosticPage(printer); }
    bool PrintQualityPage(const Device_Dev& printer) override { return Self().PrintQualityDiagnosticPage(printer); }
    bool CleanPrintheads(const Device_Dev& printer) override { return Self().CleanPrintHead(printer); }
    bool AlignPrintheads(const Device_Dev& printer) override { return Self().AlignPrintHead(printer); }

private:
    Manager& Self() { return static_cast<Manager&>(*this); }
};
