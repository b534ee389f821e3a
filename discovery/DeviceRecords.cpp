#include "discovery/DeviceRecords.h"

#include "support/XMLHandler.h"

namespace {

std::mutex g_regionLock;
std::wstring g_regionText;

} // namespace

std::wstring NotAvailableText()
{
    return StringTable().GetString(L"TSY_NOT_AVAILABLE");
}

void ResetDeviceInfo(DeviceInfo& info, const std::wstring& text)
{
    for (std::wstring* field : {&info.modelName, &info.modelBaseName, &info.firmwareRevision, &info.serialNumber,
                                &info.serviceId, &info.inkKitNumber, &info.panelProgramVersion,
                                &info.printerDriverVersion, &info.macAddress, &info.bornDate})
        *field = text;
    info.totalImpressions = -1;
}

void ResetInkInfo(InkInfo& ink, const std::wstring& text)
{
    for (std::wstring* field : {&ink.colour, &ink.level, &ink.regionalCartridge, &ink.dropsUsed,
                                &ink.installationDate, &ink.brand, &ink.warranty, &ink.selectabilityNumber,
                                &ink.serialNumber, &ink.consumableState, &ink.consumableType})
        *field = text;
}

PrintHeadInfo MakePrintHeadInfo(const std::wstring& text)
{
    return PrintHeadInfo{text, text, text, text, text};
}

std::wstring PrinterRegionText()
{
    std::lock_guard guard(g_regionLock);
    return g_regionText;
}

void SetPrinterRegionText(const std::wstring& text)
{
    std::lock_guard guard(g_regionLock);
    g_regionText = text;
}

CDeviceAccessManager::CDeviceAccessManager()
    : jobEvent_(::CreateEventW(nullptr, FALSE, FALSE, kJobEventName))
{
    ResetDeviceData();
}

void CDeviceAccessManager::ResetDeviceData()
{
    const std::wstring notAvailable = NotAvailableText();
    auto guard = LockRecords();
    ::ResetDeviceInfo(records_.deviceInfo, notAvailable);
    records_.inkList.clear();
    ResetInkInfo(records_.spareInk, notAvailable);
    records_.printHeadList.clear();
    records_.statusList.clear();
    records_.alertList.clear();
}

DeviceRecords CDeviceAccessManager::Records() const
{
    auto guard = LockRecords();
    return records_;
}

std::string CDeviceAccessManager::JobLocation() const
{
    std::lock_guard guard(jobLocationLock_);
    return jobLocation_;
}

void CDeviceAccessManager::SetJobLocation(const std::string& location)
{
    std::lock_guard guard(jobLocationLock_);
    jobLocation_ = location;
}
