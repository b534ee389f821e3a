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

bool Run(CDeviceAccessManager& target, DeviceOperation operation)
{
    switch (operation) {
    case DeviceOperation::ReadDeviceInfo:
        return target.ReadDeviceInformation();
    case DeviceOperation::ReadInkLevels:
        return target.ReadInkLevels();
    case DeviceOperation::PrintDiagnosticsPage:
        return target.PrintDiagnosticsPage();
    case DeviceOperation::PrintQualityPage:
        return target.PrintQualityPage();
    case DeviceOperation::CleanPrintheads:
        return target.CleanPrintheads();
    case DeviceOperation::AlignPrintheads:
        return target.AlignPrintheads();
    case DeviceOperation::ReadDeviceStatus:
        return target.ReadDeviceStatus();
    case DeviceOperation::None:
        break;
    }
    return false;
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
        return Run(manager.ManagerFor(DeviceOperationPath(*device)), known);
    } catch (...) {
        LogFile().Write(L"Exception occured in device operation %d", operation);
    }
    return false;
}
