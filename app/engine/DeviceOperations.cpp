#include "app/engine/DeviceOperations.h"

#include "app/engine/DiagnosticMgr.h"
#include "quill/QuillManager.h"
#include "quill/SNMPNWManager.h"
#include "sable/SableManager.h"
#include "support/LogFile.h"

DeviceProtocol DeviceOperationPath(const Device_Dev& device)
{
    if (!device.isNetwork && device.productId.find(L"7811") != std::wstring::npos)
        return DeviceProtocol::QuillUsb;
    return ProtocolFor(device);
}

void ResetAllDeviceData(CDiagnosticMgr& manager)
{
    manager.Sable().ResetDeviceData();
    manager.QuillUsb().ResetDeviceData();
    manager.QuillNetwork().ResetDeviceData();
}

namespace {

bool RunSable(CSableManager& sable, DeviceOperation operation)
{
    switch (operation) {
    case DeviceOperation::ReadDeviceInfo:
        sable.GetPrintHeadInfo();
        return sable.GetDeviceInfo();
    case DeviceOperation::ReadInkLevels:
        return sable.GetInkLevelInfo();
    case DeviceOperation::PrintDiagnosticsPage:
        return sable.PrintDiagnosticsPage();
    case DeviceOperation::PrintQualityPage:
        return sable.PrintQualityPage();
    case DeviceOperation::CleanPrintheads:
        return sable.CleanPrintheads();
    case DeviceOperation::AlignPrintheads:
        return sable.AlignPrintHead();
    case DeviceOperation::ReadDeviceStatus:
        return sable.GetDeviceStatus();
    default:
        return false;
    }
}

template <class QuillManager>
bool RunQuill(QuillManager& quill, DeviceOperation operation)
{
    switch (operation) {
    case DeviceOperation::ReadDeviceInfo:
        return quill.GetPrintHeadInfo() && quill.GetDeviceInfo();
    case DeviceOperation::ReadInkLevels:
        return quill.GetInkLevelInfo();
    case DeviceOperation::PrintDiagnosticsPage:
        return quill.PrintDiagnosticPage();
    case DeviceOperation::PrintQualityPage:
        return quill.PrintQualityDiagnosticPage();
    case DeviceOperation::CleanPrintheads:
        return quill.CleanPrintHead();
    case DeviceOperation::AlignPrintheads:
        return quill.AlignPrintHead();
    case DeviceOperation::ReadDeviceStatus:
        if constexpr (requires { quill.GetDeviceStatus(); })
            return quill.GetDeviceStatus();
        else
            return true; // nothing to read over the USB library
    default:
        return false;
    }
}

} // namespace

bool RunDeviceOperation(CDiagnosticMgr& manager, int32_t operation)
{
    const Device_Dev* device = manager.Selected();
    if (device == nullptr || operation < static_cast<int32_t>(DeviceOperation::ReadDeviceInfo) ||
        operation > static_cast<int32_t>(DeviceOperation::ReadDeviceStatus))
        return false;
    const auto known = static_cast<DeviceOperation>(operation);
    if (known == DeviceOperation::ReadInkLevels)
        SetPrinterRegionText(NotAvailableText());
    try {
        switch (DeviceOperationPath(*device)) {
        case DeviceProtocol::Sable:
            return RunSable(manager.Sable(), known);
        case DeviceProtocol::QuillNetwork:
            return RunQuill(manager.QuillNetwork(), known);
        case DeviceProtocol::QuillUsb:
            return RunQuill(manager.QuillUsb(), known);
        }
    } catch (...) {
        LogFile().Write(L"Exception occured in device operation %d", operation);
    }
    return false;
}
