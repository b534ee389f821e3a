#include "quill/QuillManager.h"

#include <utility>
#include <vector>

#include "discovery/HostInfoRules.h"
#include "quill/DeviceQuill.h"
#include "quill/QuillCommon.h"
#include "quill/QuillRules.h"

namespace {

// A Quill identifier in byte form, kept alive for the call that needs it.
struct IdBytes {
    explicit IdBytes(const std::string& quillId) : bytes(QuillIdBytes(quillId).value_or(std::vector<uint8_t>{})) {}
    QuillId get() const { return bytes.empty() ? nullptr : bytes.data(); }
    std::vector<uint8_t> bytes;
};

// One ink object over the USB library: integers as decimal text, texts as they come.
std::optional<std::wstring> ReadInkObject(CDeviceQuill& device, const InkSlotObject& object, const std::string& quillId)
{
    std::wstring text;
    switch (object.kind) {
    case InkValueKind::Number:
        if (int32_t value = 0; device.GetInt(IdBytes(quillId).get(), &value, nullptr) == 0)
            return std::to_wstring(value);
        return std::nullopt;
    case InkValueKind::Text:
        if (device.GetObjectText(IdBytes(quillId).get(), text))
            return text;
        return std::nullopt;
    case InkValueKind::Date:
        if (device.GetInstallationDate(text))
            return text;
        return std::nullopt;
    }
    return std::nullopt;
}

template <class Read>
int ReadWithOwnDevice(const Device_Dev& printer, Read read)
{
    CDeviceQuill device(printer.printerName);
    return read(device) ? 0 : 1;
}

} // namespace

int CQuillManager::GetModelName(const Device_Dev& printer, std::wstring& text)
{
    return ReadWithOwnDevice(printer, [&](CDeviceQuill& device) { return device.GetModelName(text); });
}

int CQuillManager::GetSerialNumber(const Device_Dev& printer, std::wstring& text)
{
    return ReadWithOwnDevice(printer, [&](CDeviceQuill& device) { return device.GetSerialNumber(text); });
}

int CQuillManager::GetFirmwareVersion(const Device_Dev& printer, std::wstring& text)
{
    return ReadWithOwnDevice(printer, [&](CDeviceQuill& device) { return device.GetFirmwareVersion(text); });
}

int CQuillManager::GetServiceID(const Device_Dev& printer, std::wstring& text)
{
    return ReadWithOwnDevice(printer, [&](CDeviceQuill& device) {
        if (device.GetServiceID(text))
            return true;
        if (!device.GetInstallationDate(text))
            return false;
        FindServiceIDFromInstallationDate(text);
        return true;
    });
}

int CQuillManager::GetMacAddress(const Device_Dev& printer, std::wstring& text)
{
    return ReadWithOwnDevice(printer, [&](CDeviceQuill& device) { return device.GetMacAddress(text); });
}

int CQuillManager::GetPageCount(const Device_Dev& printer, int32_t& value)
{
    return ReadWithOwnDevice(printer, [&](CDeviceQuill& device) { return device.GetPageCount(value); });
}

bool CQuillManager::GetDeviceInfo(const Device_Dev& printer)
{
    return RunDeviceOperation(L"GetDeviceInfo", false, [&] {
        auto guard = LockRecords();
        DeviceInfo& info = records_.deviceInfo;
        LogFile().Write(L"@CQuillManager::GetDeviceInfo");
        const std::wstring notAvailable = Localized(L"TSY_NOT_AVAILABLE");
        const std::wstring driver = HostDriverVersion(printer);
        info.printerDriverVersion = driver.empty() ? notAvailable : driver;

        auto text = [&](int (CQuillManager::*read)(const Device_Dev&, std::wstring&), std::wstring& field,
                        const wchar_t* failure) {
            std::wstring value;
            if ((this->*read)(printer, value) == 0) {
                field = value;
            } else {
                LogFile().Write(failure);
                field = notAvailable;
            }
        };
        text(&CQuillManager::GetModelName, info.modelName, L"Quill GetModelName failed");
        text(&CQuillManager::GetSerialNumber, info.serialNumber, L"Quill GetSerialNumber failed");
        text(&CQuillManager::GetFirmwareVersion, info.firmwareRevision, L"Quill GetFirmwareVersion failed");

        std::wstring serviceId;
        if (GetServiceID(printer, serviceId) == 0 && !serviceId.empty()) {
            info.serviceId = serviceId;
            info.bornDate = BornDateText(serviceId);
        } else {
            LogFile().Write(L"Quill GetServiceID failed");
            info.serviceId = info.bornDate = notAvailable;
        }
        text(&CQuillManager::GetMacAddress, info.macAddress, L"Quill GetMacAddress failed");

        int32_t pages = info.totalImpressions;
        if (GetPageCount(printer, pages) == 0) {
            info.totalImpressions = pages;
        } else {
            LogFile().Write(L"Quill GetPageCount failed");
            info.totalImpressions = -1;
        }
        info.inkKitNumber = info.panelProgramVersion = notAvailable;
        AddHostSideInformation(info);
        return true;
    });
}

bool CQuillManager::GetInkLevelInfo(const Device_Dev& printer)
{
    return RunDeviceOperation(L"GetInkLevelInfo", false, [&] {
        auto guard = LockRecords();
        LogFile().Write(L"@ CQuillManager::GetInkLevelInfo");
        records_.inkList.clear();
        CDeviceQuill device(printer.printerName);

        AgentFlagValues flags{};
        const std::optional<bool> flagsRead = ReadAgentFlags(flags, [&](const AgentFlagObject& flag, int32_t& value) {
            const IdBytes first(flag.quillId);
            const IdBytes second(flag.secondQuillId != nullptr ? flag.secondQuillId : "");
            const QuillId ids[] = {first.get(), second.get()};
            const uint32_t result = device.GetIntFirstOf(ids, second.get() ? 2 : 1, &value, nullptr);
            return result == kQuillDeviceLost ? std::nullopt : std::optional<bool>(result == 0);
        });
        if (!flagsRead)
            return false; // device lost: nothing is appended; the device object closes as it goes

        int32_t region = 0;
        SetPrinterRegionText(device.GetPrinterRegion(region)
                                 ? std::to_wstring(static_cast<uint32_t>(region))
                                 : Localized(L"TSY_NOT_AVAILABLE"));

        const std::wstring notAvailable = Localized(L"TSY_NOT_AVAILABLE");
        for (int n = 1; n <= kInkSlots; ++n) {
            int32_t level = 0;
            const uint32_t levelResult = device.GetInt(IdBytes(InkObjectId(kInkLevelObject, n)).get(), &level, nullptr);
            if (levelResult == kQuillDeviceLost)
                break;
            if (levelResult != 0)
                continue;
            InkInfo ink;
            ResetInkInfo(ink, notAvailable);

            const IdBytes colourId(InkObjectId(kInkColourObject, n));
            const IdBytes fallbackId(InkObjectId(kInkColourFallbackObject, n));
            const QuillId colourIds[] = {colourId.get(), fallbackId.get()};
            int32_t colour = 0;
            // Printers that keep the SNMP type send the code as octets: both read alike.
            if (device.GetCodeFirstOf(colourIds, n <= kInkColourFallbackSlots ? 2 : 1, &colour) != 0)
                colour = 0;
            LogFile().Write(L" catridges [ %d ] Color No.  -> %d", n, colour);
            if (const std::wstring key = ColourKey(static_cast<uint32_t>(colour)); !key.empty())
                ink.colour = Localized(key.c_str());

            ink.level = std::to_wstring(level);
            ReadInkSlotObjects(ink, n, [&](const InkSlotObject& object, const std::string& quillId) {
                return ReadInkObject(device, object, quillId);
            });
            LogInkFields(n, ink);

            const uint32_t slotBit = 1u << (n - 1);
            std::optional<int32_t> brandValue;
            if (int32_t brand = 0;
                !*flagsRead && BrandObjectId(n) != nullptr &&
                device.GetInt(IdBytes(BrandObjectId(n)).get(), &brand, nullptr) == 0)
                brandValue = brand;
            ink.brand = InkBrand(*flagsRead, flags, slotBit, brandValue);
            ink.consumableState = Localized(InkStateKey(InkStateFor(flags, slotBit)).c_str());
            records_.inkList.push_back(ink);
        }
        return true;
    });
}

bool CQuillManager::GetPrintHeadInfo(const Device_Dev& printer)
{
    return RunDeviceOperation(L"GetPrintHeadInfo", false, [&] {
        auto guard = LockRecords();
        records_.printHeadList.clear();
        const std::wstring notAvailable = Localized(L"TSY_NOT_AVAILABLE");
        std::vector<PrintHeadInfo> heads;
        {
            CDeviceQuill device(printer.printerName);
            for (int h = 1; h <= kPrintheads; ++h) {
                PrintHeadInfo head = MakePrintHeadInfo(notAvailable);
                // Health and warranty come as integers from some printers: shown as decimal text.
                auto read = [&](const std::string& quillId, std::wstring& field) {
                    if (std::wstring text; device.GetTextOrNumber(IdBytes(quillId).get(), &text) == 0 && !text.empty())
                        field = text;
                };
                read(Slot("1.4.1.5.3.", h, ".18"), head.printheadNumber);
                read(Slot("1.4.1.5.4.", h, ".22"), head.installationDate);
                read(Slot("1.4.1.5.3.", h, ".23"), head.warranty);
                read(Slot("1.4.1.5.3.", h, ".27"), head.health);
                heads.push_back(head);
            }
        }
        records_.printHeadList = heads;
        return true;
    });
}

bool CQuillManager::SendService(const Device_Dev& printer, std::initializer_list<std::pair<const char*, int32_t>> writes)
{
    CDeviceQuill device(printer.printerName);
    bool firstWorked = false;
    bool first = true;
    for (const auto& [quillId, value] : writes) {
        const uint32_t result = device.SetInt(IdBytes(quillId).get(), value, 1);
        if (std::exchange(first, false))
            firstWorked = result == 0;
    }
    return firstWorked;
}

bool CQuillManager::PrintQualityDiagnosticPage(const Device_Dev& printer)
{
    return RunDeviceOperation(L"PrintQualityDiagnosticPage", false, [&] { return SendService(printer, {{"1.1.5.2", 1000}}); });
}

bool CQuillManager::AlignPrintHead(const Device_Dev& printer)
{
    return RunDeviceOperation(L"AlignPrintHead", false, [&] { return SendService(printer, {{"1.1.5.2", 1100}}); });
}

bool CQuillManager::CleanPrintHead(const Device_Dev& printer)
{
    return RunDeviceOperation(L"CleanPrintHead", false,
                              [&] { return SendService(printer, {{"1.4.1.5.1.1", 100}, {"1.1.5.2", 1000}}); });
}

bool CQuillManager::PrintDiagnosticPage(const Device_Dev& printer)
{
    return RunDeviceOperation(L"PrintDiagnosticPage", false, [&] { return SendService(printer, {{"1.1.5.2", 10}}); });
}
