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

bool Run(CDeviceAccessManager& target, DeviceOperation operation, const Device_Dev& device)
{
    switch (operation) {
    case DeviceOperation::ReadDeviceInfo:
        return target.ReadDeviceInformation(device);
    case DeviceOperation::ReadInkLevels:
        return target.ReadInkLevels(device);
    case DeviceOperation::PrintDiagnosticsPage:
        return target.PrintDiagnosticsPage(device);
    case DeviceOperation::PrintQualityPage:
        return target.PrintQualityPage(device);
    case DeviceOperation::CleanPrintheads:
        return target.CleanPrintheads(device);
    case DeviceOperation::AlignPrintheads:
        return target.AlignPrintheads(device);
    case DeviceOperation::ReadDeviceStatus:
        return target.ReadDeviceStatus(device);
    case DeviceOperation::None:
        break;
    }
    return false;
}

} // namespace

bool RunDeviceOperation(CDiagnosticMgr& manager, int32_t operation)
{
    // The operation works on its own copy: the user may pick another printer meanwhile.
    const std::optional<Device_Dev> device = manager.Selected();
    if (!device || operation < static_cast<int32_t>(DeviceOperation::ReadDeviceInfo) ||
        operation > static_cast<int32_t>(DeviceOperation::ReadDeviceStatus))
        return false;
    const auto known = static_cast<DeviceOperation>(operation);
    if (known == DeviceOperation::ReadInkLevels)
        SetPrinterRegionText(NotAvailableText());
    try {
        CDeviceAccessManager& target = manager.ManagerFor(DeviceOperationPath(*device));
        target.SetLastFault(DeviceFault::None);
        return Run(target, known, *device);
    } catch (...) {
        LogFile().Write(L"Exception occured in device operation %d", operation);
    }
    return false;
}
