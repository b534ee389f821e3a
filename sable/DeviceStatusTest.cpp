#include "sable/DeviceStatusTest.h"

#include <memory>
#include <new>
#include <vector>

#include "app/engine/TestContext.h"
#include "discovery/UsbStatus.h"
#include "quill/DeviceQuill.h"
#include "quill/SNMPNWManager.h"
#include "sable/SableManager.h"
#include "sable/StatusRules.h"
#include "sable/TSYSableHelper.h"
#include "support/LogFile.h"
#include "support/ProductInfoColl.h"

namespace {

constexpr int32_t kUsbStatusUnreadable = -1;

int32_t Finish(CTestContext& context, Device_Dev& device, const sable::StatusOutcome& outcome)
{
    device.statusCode = outcome.statusCode;
    device.adfStatus = outcome.adfStatus;
    context.SetStatusVerdict(outcome.pass);
    return outcome.pass ? kRunPassed : kRunFailed;
}

int32_t Fail(CTestContext& context, Device_Dev& device, int32_t statusCode)
{
    return Finish(context, device, {statusCode, false, false});
}

} // namespace

int32_t CDeviceStatusTest::Run(Device_Dev& device)
{
    try {
        if (!device.isNetwork)
            return RunUsb(device);
        if (CProductInfoColl::IsRestDevice(device.productId))
            return RunNetworkSable(device);
        return RunNetworkQuill(device);
    } catch (...) {
        LogFile().Write(L"Exception occured in CDeviceStatusTest::Run");
        return Fail(context_, device, sable::kStatusNotAvailable);
    }
}

int32_t CDeviceStatusTest::RunUsb(Device_Dev& device)
{
    device.adfStatus = false;
    int32_t flag = kUsbStatusUnreadable;
    if (!ReadUsbStatus(device.address, flag))
        return Fail(context_, device, kUsbStatusUnreadable);
    LogFile().Write(L"Status flag from  device %s is %d", device.deviceName.c_str(), flag);
    device.statusCode = flag;
    if (flag != 0) {
        context_.SetStatusVerdict(false);
        return kRunFailed;
    }
    if (!CProductInfoColl::IsAdfSupported(device.productId))
        return Finish(context_, device, {});

    if (CProductInfoColl::IsRestDevice(device.productId)) {
        int32_t sableFlag = 0;
        const bool read = CUtil::GetStatusFlagForMerrowDevice(context_, device, sableFlag);
        return Finish(context_, device, sable::UsbSableFeederOutcome(read, sableFlag));
    }

    // A Quill printer's feeder word comes through the USB device library.
    std::unique_ptr<CDeviceQuill> quill;
    try {
        quill = std::make_unique<CDeviceQuill>(device.printerName);
    } catch (const std::bad_alloc&) {
    }
    if (!quill) {
        LogFile().Write(L"Device Creation failed");
        return Finish(context_, device, {});
    }
    int32_t feeder = 0;
    const bool read = quill->GetStatusObjectChecked(feeder);
    quill.reset();
    if (!read) {
        LogFile().Write(L"Error Checking Failed");
        return Finish(context_, device, {});
    }
    return Finish(context_, device, sable::FeederOutcome(feeder));
}

int32_t CDeviceStatusTest::RunNetworkSable(Device_Dev& device)
{
    CSableManager& sable = context_.Sable();
    auto guard = sable.LockRecords();
    if (!sable.GetDeviceStatus(device))
        return Fail(context_, device, sable::kStatusNotAvailable);
    const std::vector<StatusEntry>& statuses = sable.MutableRecords().statusList;
    if (statuses.empty()) {
        // A document without any status says nothing about the printer's condition: the same
        // as a status that could not be read, so the page offers what helps for that.
        LogFile().Write(L"Device status list empty.");
        return Fail(context_, device, sable::kStatusNotAvailable);
    }
    const std::wstring identifier = statuses.front().statusId;
    const int32_t flag = CTSYSableHelper().GetStatusFlag(identifier);
    LogFile().Write(L"Status flag from  device %s is %d", device.deviceName.c_str(), flag);
    LogFile().Write(L"Status string from  XML is %s", identifier.c_str());
    device.statusCode = flag;
    return Finish(context_, device, sable::NetworkSableOutcome(flag));
}

int32_t CDeviceStatusTest::RunNetworkQuill(Device_Dev& device)
{
    LogFile().Write(L"Device status test CUE printer");
    CSNMPNWManager& snmp = context_.QuillNetwork();
    std::vector<StatusEntry> statuses;
    {
        auto guard = snmp.LockRecords();
        if (snmp.GetDeviceStatus(device))
            statuses = snmp.MutableRecords().statusList;
    }
    if (statuses.empty()) {
        context_.SetStatusVerdict(false);
        return kRunFailed;
    }
    LogFile().Write(L"Status list count is not zero");
    if (statuses.front().statusId.empty()) {
        LogFile().Write(L"Device status is empty.");
        return Fail(context_, device, sable::kStatusNotAvailable);
    }
    const int32_t flag = sable::DecimalTextValue(statuses.front().statusId);
    device.statusCode = flag;
    if (flag != 0)
        return Fail(context_, device, flag);
    if (!CProductInfoColl::IsAdfSupported(device.productId))
        return Finish(context_, device, {});
    LogFile().Write(L"Printer does not have any status error and now checking to find out any ADF error");
    const std::wstring feederText = statuses.size() > 1 ? statuses[1].statusId : std::wstring();
    return Finish(context_, device, sable::FeederOutcome(sable::FeederValueFromText(feederText)));
}

bool CUtil::GetStatusFlagForMerrowDevice(CTestContext& context, const Device_Dev& device, int32_t& flag)
{
    try {
        CSableManager& sable = context.Sable();
        auto guard = sable.LockRecords();
        if (!sable.GetDeviceStatus(device))
            return false;
        const std::vector<StatusEntry>& statuses = sable.MutableRecords().statusList;
        if (statuses.empty())
            return false;
        const std::wstring identifier = statuses.front().statusId;
        LogFile().Write(L" CUtil::GetStatusFlagForMerrowDevice ADF Status from  device %s", identifier.c_str());
        flag = CTSYSableHelper().GetStatusFlag(identifier);
        return flag != 0;
    } catch (...) {
        LogFile().Write(L"Exception occured in CUtil::GetStatusFlagForMerrowDevice");
        return false;
    }
}
