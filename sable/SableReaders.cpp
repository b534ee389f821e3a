// The Sable resource readers: fetch a document, parse it with MSXML 3.0, fill the records.
#include <functional>
#include <optional>
#include <span>

#include "support/XMLHandler.h"
#include "discovery/HostInfoRules.h"
#include "discovery/HostDeviceInfo.h"
#include "sable/SableFiles.h"
#include "sable/SableManager.h"
#include "sable/SableRules.h"
#include "sable/SableXml.h"
#include "sable/TSYSableHelper.h"
#include "support/DecimalText.h"
#include "support/LogFile.h"

namespace {

const wchar_t kProductConfig[] = L"/DevMgmt/ProductConfigDyn.xml";
const wchar_t kConsumableConfig[] = L"/DevMgmt/ConsumableConfigDyn.xml";
const wchar_t kProductUsage[] = L"/DevMgmt/ProductUsageDyn.xml";
const wchar_t kAdapters[] = L"/IoMgmt/Adapters";
const wchar_t kProductStatus[] = L"/DevMgmt/ProductStatusDyn.xml";

const wchar_t kInformation[] = L"/prdcfgdyn2:ProductConfigDyn/prdcfgdyn:ProductInformation/";

std::wstring InformationPath(const wchar_t* leaf)
{
    return kInformation + std::wstring(leaf);
}

void SetWhenFound(std::wstring& field, const std::optional<std::wstring>& text)
{
    if (text)
        field = *text;
}

} // namespace

bool CSableManager::Fetch(const Device_Dev& device, const std::wstring& resourcePath, const std::wstring& fileName)
{
    return device.isNetwork ? GetDocumentOverNetwork(device, fileName, resourcePath)
                            : GetDocumentOverUsb(device, resourcePath, fileName);
}

bool CSableManager::FetchOrLog(const Device_Dev& device, const std::wstring& resourcePath,
                               const std::wstring& fileName, const wchar_t* usbLine)
{
    if (Fetch(device, resourcePath, fileName))
        return true;
    if (device.isNetwork)
        LogFile().Write(L"Failed to save xml for network device. File: %s", fileName.c_str());
    else
        LogFile().Write(usbLine);
    return false;
}

std::optional<std::wstring> CSableManager::GetNodeText(const std::wstring& filePath, const std::wstring& xpath)
{
    SableXml::Document document;
    if (!document.Load(filePath))
        return std::nullopt;
    return document.Text(xpath);
}

XmlDom::NodeListPtr CSableManager::GetElements(IXMLDOMDocument2* document, const std::wstring& tagName)
{
    XmlDom::NodeListPtr list;
    if (document == nullptr || FAILED(XmlDom::ElementsByTagName(document, tagName.c_str(), list)))
        list = XmlDom::NodeListPtr();
    return list;
}

bool CSableManager::RunReader(const wchar_t* exceptionLine, const std::function<bool()>& read)
{
    try {
        NGWinApi::ComInitialization com;
        auto guard = LockRecords();
        return read();
    } catch (...) {
        LogFile().Write(exceptionLine);
        return false;
    }
}

bool CSableManager::GetDeviceInfo(const Device_Dev& device)
{
    return RunReader(L"Exception occured in GetDeviceInfo.", [&] {
        DeviceInfo& info = records_.deviceInfo;
        if (GetExecutableFolder().empty())
            return false;

        if (!FetchOrLog(device, kProductConfig, L"ProductConfigDyn.xml", L"Failed to save xml. File: ProductConfigDyn.xml"))
            return false;
        {
            SableXml::ParsedFile file(ApplicationFilePath(L"ProductConfigDyn.xml"));
            if (!file.Loaded()) {
                // What came back is not a document: the printer did not answer as a printer, and
                // every field of the information would be unknown.
                LogFile().Write(L"The product configuration is not a document. File: ProductConfigDyn.xml");
                SetLastFault(DeviceFault::UnexpectedAnswer);
                return false;
            }
            SetWhenFound(info.modelName, file.Text(InformationPath(L"dd:MakeAndModel")));
            SetWhenFound(info.modelBaseName, file.Text(InformationPath(L"dd:MakeAndModelBase")));
            SetWhenFound(info.serialNumber, file.Text(InformationPath(L"dd:SerialNumber")));
            SetWhenFound(info.serviceId, file.Text(InformationPath(L"dd:ServiceID")));
            SetWhenFound(info.firmwareRevision, file.Text(InformationPath(L"dd:Version/dd:Revision")));
        }

        if (!FetchOrLog(device, kConsumableConfig, L"ConsumableConfigDyn.xml",
                        L"Failed to save xml . File: ConsumableConfigDyn.xml"))
            return false;
        {
            SableXml::ParsedFile file(ApplicationFilePath(L"ConsumableConfigDyn.xml"));
            SetWhenFound(info.inkKitNumber, file.Text(L"/ccdyn:ConsumableConfigDyn/ccdyn:ProductConsumableInfo/dd:IK"));
        }

        GetProductFolderInfo(device, info);

        if (!FetchOrLog(device, kProductUsage, L"ProductUsageDyn.xml", L"Failed to save xml . File: ProductUsageDyn.xml"))
            return false;
        {
            SableXml::ParsedFile file(ApplicationFilePath(L"ProductUsageDyn.xml"));
            std::optional<std::wstring> impressions;
            file.ForEachElement(L"pudyn:PrinterSubunit", [&](IXMLDOMNode* subunit) {
                SableXml::ForEachChild(subunit, [&](const std::wstring& name, IXMLDOMNode* child) {
                    if (name == L"dd:TotalImpressions")
                        impressions = SableXml::NodeText(child);
                });
            });
            info.totalImpressions = impressions ? static_cast<int32_t>(WideDecimalPrefix(*impressions)) : -1;
            info.bornDate = BornDateText(info.serviceId);
        }

        if (!FetchOrLog(device, kAdapters, L"Adapters.xml", L"Failed to save xml . File: Adapters.xml"))
            return false;
        {
            SableXml::ParsedFile file(ApplicationFilePath(L"Adapters.xml"));
            std::optional<std::wstring> connectedMac;
            file.ForEachElement(L"io:HardwareConfig", [&](IXMLDOMNode* adapter) {
                if (connectedMac)
                    return;
                std::optional<std::wstring> candidate;
                SableXml::ForEachChild(adapter, [&](const std::wstring& name, IXMLDOMNode* child) {
                    if (connectedMac)
                        return;
                    if (name == L"dd:MacAddress")
                        candidate = SableXml::FirstChildText(child);
                    else if (name == L"dd:IsConnected" && sable::ToLower(SableXml::NodeText(child)) == L"true")
                        connectedMac = candidate ? *candidate : std::wstring();
                });
            });
            if (connectedMac)
                info.macAddress = *connectedMac;
            else
                LogFile().Write(L"Failed to GetMacAddress. File: Adapters.xml");
        }
        return true;
    });
}

namespace {

// The fields one "ccdyn:ConsumableInfo" element gives.
struct ConsumableFields {
    std::optional<std::wstring> labelCode, level, regional, installation, brand, warranty, selectability, serial,
        state, type, consumableId;
};

using ConsumableField = std::optional<std::wstring> ConsumableFields::*;

// Children of a consumable element and where their text goes; some carry it in a child of their own.
struct ConsumableSource {
    const wchar_t* name;
    ConsumableField field;
    bool inFirstChild;
};

constexpr ConsumableSource kConsumableSources[] = {
    {L"dd:ConsumableLabelCode", &ConsumableFields::labelCode, false},
    {L"dd:ConsumablePercentageLevelRemaining", &ConsumableFields::level, false},
    {L"dd:RegionalCartridge", &ConsumableFields::regional, true},
    {L"dd:Installation", &ConsumableFields::installation, true},
    {L"dd:Warranty", &ConsumableFields::warranty, true},
    {L"dd:ConsumableSelectibilityNumber", &ConsumableFields::selectability, false},
    {L"dd:SerialNumber", &ConsumableFields::serial, false},
    {L"dd:ConsumableTypeEnum", &ConsumableFields::type, false},
    {L"dd2:ConsumableID", &ConsumableFields::consumableId, false},
};

constexpr ConsumableSource kLifeStateSources[] = {
    {L"dd:ConsumableState", &ConsumableFields::state, false},
    {L"dd:Brand", &ConsumableFields::brand, false},
};

void ReadSources(IXMLDOMNode* element, std::span<const ConsumableSource> sources, ConsumableFields& fields)
{
    SableXml::ForEachChild(element, [&](const std::wstring& name, IXMLDOMNode* child) {
        for (const ConsumableSource& source : sources)
            if (name == source.name)
                fields.*source.field = source.inFirstChild ? SableXml::FirstChildText(child) : SableXml::NodeText(child);
    });
}

ConsumableFields ReadConsumable(IXMLDOMNode* element)
{
    ConsumableFields fields;
    ReadSources(element, kConsumableSources, fields);
    SableXml::ForEachChild(element, [&](const std::wstring& name, IXMLDOMNode* child) {
        if (name == L"dd:ConsumableLifeState")
            ReadSources(child, kLifeStateSources, fields);
    });
    return fields;
}

} // namespace

bool CSableManager::GetInkLevelInfo(const Device_Dev& device)
{
    return RunReader(L"Exception occured in GetInkLevelInfo", [&] {
        const std::wstring notAvailable = NotAvailableText();

        if (!FetchOrLog(device, kConsumableConfig, L"ConsumableConfigDyn.xml",
                        L"Failed to save xml . File: ConsumableConfigDyn.xml"))
            return false;
        {
            SableXml::ParsedFile file(ApplicationFilePath(L"ConsumableConfigDyn.xml"));
            if (!file.Loaded()) {
                LogFile().Write(L"Failed to get InkInfo from xml.");
                SetLastFault(DeviceFault::UnexpectedAnswer);
                return false;
            }
            file.ForEachElement(L"ccdyn:ConsumableInfo", [&](IXMLDOMNode* element) {
                const ConsumableFields fields = ReadConsumable(element);
                InkInfo ink;
                ResetInkInfo(ink, notAvailable);
                if (fields.labelCode)
                    ink.colour = StringTable().GetString(sable::ColourKey(*fields.labelCode));
                SetWhenFound(ink.level, fields.level);
                SetWhenFound(ink.regionalCartridge, fields.regional);
                SetWhenFound(ink.installationDate, fields.installation);
                SetWhenFound(ink.brand, fields.brand);
                SetWhenFound(ink.warranty, fields.warranty);
                SetWhenFound(ink.selectabilityNumber, fields.selectability);
                SetWhenFound(ink.serialNumber, fields.serial);
                SetWhenFound(ink.consumableState, fields.state);
                SetWhenFound(ink.consumableType, fields.type);
                if (sable::IsInkType(sable::ToLower(ink.consumableType)))
                    records_.inkList.push_back(ink);
            });
        }

        if (!FetchOrLog(device, kProductConfig, L"ProductConfigDyn.xml", L"Failed to save xml . File: ProductConfigDyn.xml"))
            return false;
        {
            const std::wstring path = ApplicationFilePath(L"ProductConfigDyn.xml");
            SableXml::ParsedFile file(path);
            const std::optional<std::wstring> region = file.Text(
                L"/prdcfgdyn2:ProductConfigDyn/prdcfgdyn:ProductInformation/dd:RegionInformation/dd:RegionIdentifier");
            if (region)
                SetPrinterRegionText(*region);
            else
                LogFile().Write(L"Failed to get RegionIdentifier from file: %s ", path.c_str());
        }

        if (!FetchOrLog(device, kProductUsage, L"ProductUsageDyn.xml", L"Failed to save xml . File: ProductUsageDyn.xml"))
            return false;
        {
            SableXml::ParsedFile file(ApplicationFilePath(L"ProductUsageDyn.xml"));
            file.ForEachElement(L"pudyn:Consumable", [&](IXMLDOMNode* consumable) {
                std::wstring serial;
                std::wstring drops;
                SableXml::ForEachChild(consumable, [&](const std::wstring& name, IXMLDOMNode* child) {
                    if (name == L"dd:SupplySerialNumber")
                        serial = SableXml::NodeText(child);
                    else if (name == L"dd:UsageByMarkingAgentCount") {
                        std::wstring type;
                        std::wstring count;
                        SableXml::ForEachChild(child, [&](const std::wstring& inner, IXMLDOMNode* usage) {
                            if (inner == L"dd:MarkingAgentCountType")
                                type = SableXml::NodeText(usage);
                            else if (inner == L"dd:MarkingAgentCount")
                                count = SableXml::NodeText(usage);
                        });
                        if (sable::ToLower(type) == L"kelodropscount" && drops.empty())
                            drops = count;
                    }
                });
                for (InkInfo& ink : records_.inkList)
                    if (ink.serialNumber == serial) {
                        ink.dropsUsed = sable::DropsUsedText(drops);
                        break;
                    }
            });
        }
        return true;
    });
}

bool CSableManager::GetPrintHeadInfo(const Device_Dev& device)
{
    return RunReader(L"Exception occured in GetPrintHeadInfo", [&] {
        const std::wstring notAvailable = NotAvailableText();
        if (!FetchOrLog(device, kConsumableConfig, L"ConsumableConfigDyn.xml",
                        L"Failed to save xml . File: ConsumableConfigDyn.xml"))
            return false;
        const std::wstring path = ApplicationFilePath(L"ConsumableConfigDyn.xml");
        SableXml::ParsedFile file(path);
        if (!file.Loaded()) {
            LogFile().Write(L"Failed to get PrintHeadInfo from xml . File: %s", path.c_str());
            return false;
        }
        file.ForEachElement(L"ccdyn:ConsumableInfo", [&](IXMLDOMNode* element) {
            const ConsumableFields fields = ReadConsumable(element);
            PrintHeadInfo head = MakePrintHeadInfo(notAvailable);
            SetWhenFound(head.consumableType, fields.type);
            SetWhenFound(head.printheadNumber, fields.consumableId);
            SetWhenFound(head.installationDate, fields.installation);
            SetWhenFound(head.warranty, fields.warranty);
            if (fields.state) {
                const std::wstring state = sable::ToLower(*fields.state);
                head.health = state == L"ok" ? StringTable().GetString(L"TSY_PRINTHEAD_GOOD") : state;
            }
            if (sable::ToLower(head.consumableType) == L"printhead")
                records_.printHeadList.push_back(head);
        });
        return true;
    });
}

bool CSableManager::GetDeviceStatus(const Device_Dev& device)
{
    return RunReader(L"Exception occured in GetDeviceStatus", [&] {
        records_.statusList.clear();
        records_.alertList.clear();
        if (!FetchOrLog(device, kProductStatus, L"ProductStatusDyn.xml", L"Failed to save xml . File: ProductStatusDyn.xml"))
            return false;
        const std::wstring path = ApplicationFilePath(L"ProductStatusDyn.xml");
        SableXml::ParsedFile file(path);
        if (!file.Loaded()) {
            LogFile().Write(L"Failed to get device status from xml. File: %s", path.c_str());
            return false;
        }
        file.ForEachElement(L"psdyn:Status", [&](IXMLDOMNode* status) {
            records_.statusList.push_back(StatusEntry{SableXml::FirstChildText(status).value_or(L""), kNoAlertPriority});
        });
        file.ForEachElement(L"psdyn:Alert", [&](IXMLDOMNode* alert) {
            AlertEntry entry;
            SableXml::ForEachChild(alert, [&](const std::wstring& name, IXMLDOMNode* child) {
                if (name == L"ad:ProductStatusAlertID")
                    entry.alertId = SableXml::NodeText(child);
                else if (name == L"ad:Severity")
                    entry.severity = SableXml::NodeText(child);
                else if (name == L"ad:AlertPriority")
                    entry.priority = static_cast<int32_t>(WideDecimalPrefix(SableXml::NodeText(child)));
            });
            records_.alertList.push_back(entry);
        });
        for (StatusEntry& status : records_.statusList)
            for (const AlertEntry& alert : records_.alertList)
                if (alert.alertId == status.statusId) {
                    status.priority = alert.priority;
                    break;
                }
        sable::OrderByPriority(records_.statusList);
        return true;
    });
}

int32_t CSableManager::GetSableStatusFlag(const Device_Dev& device)
{
    auto guard = LockRecords();
    if (!GetDeviceStatus(device)) {
        LogFile().Write(L"Failed to get the device status");
        return kUnknownStatusFlag;
    }
    if (records_.statusList.empty()) {
        LogFile().Write(L"Device status list empty.");
        return kUnknownStatusFlag;
    }
    return CTSYSableHelper().GetStatusFlag(records_.statusList.front().statusId);
}

bool CSableManager::GetMakeAndModel(const Device_Dev& device, std::wstring& modelName)
{
    try {
        NGWinApi::ComInitialization com;
        if (!GetDocumentOverNetwork(device, L"ProductConfigDyn.xml", kProductConfig)) {
            LogFile().Write(L"Failed to save xml for network device. File: ProductConfigDyn.xml");
            return false;
        }
        SableXml::ParsedFile file(ApplicationFilePath(L"ProductConfigDyn.xml"));
        const std::optional<std::wstring> model = file.Text(InformationPath(L"dd:MakeAndModel"));
        if (!model)
            return false;
        modelName = *model;
        return true;
    } catch (...) {
        LogFile().Write(L"Exception occured in GetMakeAndModel.");
        return false;
    }
}
