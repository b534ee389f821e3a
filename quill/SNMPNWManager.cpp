#include "quill/SNMPNWManager.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "discovery/DeviceIdStatus.h"
#include "discovery/HostInfoRules.h"
#include "quill/QuillCommon.h"
#include "quill/QuillRules.h"
#include "winapi/SocketApi.h"

namespace {

constexpr char kModelNameOid[] = "1.3.6.1.2.1.25.3.2.1.3.1";
// ifPhysAddress of the first interface: the column alone names no object.
constexpr char kInterfaceMacOid[] = "1.3.6.1.2.1.2.2.1.6.1";
constexpr char kDeviceIdOid[] = "1.3.6.1.4.1.48213.2.3.9.1.1.7.0";
constexpr char kServiceCommand[] = "1.1.5.2";
constexpr char kCleaningCommand[] = "1.4.1.5.1.1";

std::wstring OrNotAvailable(const std::wstring& text)
{
    return text.empty() ? Localized(L"TSY_NOT_AVAILABLE") : text;
}

} // namespace

bool CSNMPNWManager::Answered(const CSnmpBracket& bracket)
{
    if (bracket.Answered())
        return true;
    SetLastFault(DeviceFault::NotAnswering);
    return false;
}

std::wstring CSNMPNWManager::GetText(const std::string& oid, bool* arrived, SnmpValue* value)
{
    bool replied = false;
    if (session_.SnmpGetPdu(oid.c_str()))
        replied = session_.SnmpSendPdu();
    if (arrived != nullptr)
        *arrived = replied;
    const std::wstring text = AnsiToWide(CSnmpSession::ResultText());
    if (value != nullptr)
        *value = CSnmpSession::ResultValue();
    CSnmpSession::ClearResultText();
    return text;
}

std::wstring CSNMPNWManager::GetQuillText(const char* quillId, bool* arrived, SnmpValue* value)
{
    return GetText(QuillSnmpOid(quillId), arrived, value);
}

std::optional<std::wstring> CSNMPNWManager::InkObjectText(const InkSlotObject& object, const std::string& quillId)
{
    // Numbers come as dashed byte text; texts and dates as the encoded string form.
    const std::wstring text = GetQuillText(quillId.c_str());
    switch (object.kind) {
    case InkValueKind::Number:
        return TrimWhite(RemoveDashes(text));
    case InkValueKind::Text:
        return TrimWhite(DecodeQuillString(text));
    case InkValueKind::Date:
        return DecodeQuillString(text);
    }
    return std::nullopt;
}

void CSNMPNWManager::AddHostSideInfo(const Device_Dev& printer)
{
    DeviceInfo& info = records_.deviceInfo;
    if (std::wstring driver = HostDriverVersion(printer); !driver.empty())
        info.printerDriverVersion = driver;
    AddHostSideInformation(info);
}

bool CSNMPNWManager::ReadDeviceInformation(const Device_Dev& printer)
{
    const bool heads = GetPrintHeadInfo(printer);
    if (!heads && LastFault() == DeviceFault::NotAnswering) {
        // Asking a printer that has just let its time-out pass again would double the wait.
        RunDeviceOperation(L"GetDeviceInfo", false, [&] {
            auto guard = LockRecords();
            AddHostSideInfo(printer);
            return true;
        });
        return false;
    }
    return GetDeviceInfo(printer) && heads;
}

bool CSNMPNWManager::GetDeviceInfo(const Device_Dev& printer)
{
    return RunDeviceOperation(L"GetDeviceInfo", false, [&] {
        auto guard = LockRecords();
        DeviceInfo& info = records_.deviceInfo;
        LogFile().Write(L"@CSNMPNWManager::GetDeviceInfo");
        AddHostSideInfo(printer);

        CSnmpBracket bracket(session_, printer.address);
        LogFile().Write(L"@ QuillInit");

        info.modelName = OrNotAvailable(TrimQuotes(GetText(kModelNameOid)));
        LogFile().Write(L"Model name value %s.", info.modelName.c_str());
        info.serialNumber = OrNotAvailable(TrimQuotes(DecodeQuillString(GetQuillText("1.1.3.3"))));
        LogFile().Write(L"serial number value %s.", info.serialNumber.c_str());
        info.firmwareRevision = OrNotAvailable(TrimQuotes(DecodeQuillString(GetQuillText("1.1.3.6"))));
        LogFile().Write(L"Firmware Version value %s.", info.firmwareRevision.c_str());

        std::wstring mac = GetMacAddressByArp(printer.address);
        if (mac.empty())
            mac = DecodeQuillString(GetQuillText("1.2.5.3"));
        if (mac.empty()) {
            SnmpValue address;
            GetText(kInterfaceMacOid, nullptr, &address);
            mac = MacAddressText(address);
        }
        info.macAddress = OrNotAvailable(mac);
        LogFile().Write(L"Mac address is %s.", info.macAddress.c_str());

        LogFile().Write(L"Service ID checking.");
        std::wstring serviceId = DecodeQuillString(GetQuillText("1.1.2.19"));
        if (serviceId.empty()) {
            LogFile().Write(L"1.3.6.1.4.1.48213.2.3.9.4.2.1.1.2.19.0   OID failed to get service id");
            std::wstring installed = DecodeQuillString(GetQuillText("1.1.2.8"));
            if (!installed.empty()) {
                LogFile().Write(L"Install date OID succeed...");
                FindServiceIDFromInstallationDate(installed);
                serviceId = installed;
            }
        }
        if (!serviceId.empty()) {
            info.serviceId = serviceId;
            info.bornDate = BornDateText(serviceId);
        } else {
            info.serviceId = info.bornDate = Localized(L"TSY_NOT_AVAILABLE");
        }

        const std::wstring pages = TrimWhite(GetQuillText("1.4.1.2.5"));
        if (!pages.empty()) {
            const size_t digits = std::min<size_t>(pages.size(), 50); // a 50-byte narrow buffer
            const std::string narrow(pages.begin(), pages.begin() + static_cast<ptrdiff_t>(digits));
            info.totalImpressions = static_cast<int32_t>(std::atol(narrow.c_str()));
        }

        bracket.Close();
        LogFile().Write(L" SNMP QuillUninit ");
        return Answered(bracket);
    });
}

bool CSNMPNWManager::GetInkLevelInfo(const Device_Dev& printer)
{
    return RunDeviceOperation(L"GetInkLevelInfo", false, [&] {
        auto guard = LockRecords();
        LogFile().Write(L"@ GetInkLevelInfo");
        records_.inkList.clear();
        CSnmpBracket bracket(session_, printer.address);
        LogFile().Write(L" GetInkLevelInfo @ QuillInit");

        AgentFlagValues flags{};
        const bool flagsRead = *ReadAgentFlags(flags, [&](const AgentFlagObject& flag, int32_t& value) {
            bool arrived = false;
            value = static_cast<int32_t>(LeadingDecimal(TrimWhite(RemoveDashes(GetQuillText(flag.quillId, &arrived)))));
            return std::optional<bool>(arrived);
        });

        const std::wstring region = TrimWhite(GetQuillText("1.1.1.35"));
        if (!region.empty())
            SetPrinterRegionText(region);
        LogFile().Write(L" catridges supported by printer  -> %d", kInkSlots);

        const std::wstring notAvailable = Localized(L"TSY_NOT_AVAILABLE");
        for (int n = 1; n <= kInkSlots; ++n) {
            SnmpValue colour;
            GetQuillText(InkObjectId(kInkColourObject, n).c_str(), nullptr, &colour);
            const uint32_t code = QuillCode(colour); // octets or an integer, as the printer types it
            LogFile().Write(L" catridges [ %d ] Color No.  -> %d", n, static_cast<int>(code));
            const std::wstring colourKey = ColourKey(code);
            if (colourKey.empty())
                continue;
            InkInfo ink;
            ResetInkInfo(ink, notAvailable);
            ink.colour = Localized(colourKey.c_str());
            ink.level = InkObjectText(kInkLevelObject, InkObjectId(kInkLevelObject, n)).value_or(std::wstring());
            ReadInkSlotObjects(ink, n, [&](const InkSlotObject& object, const std::string& quillId) {
                return InkObjectText(object, quillId);
            });
            LogInkFields(n, ink);

            const uint32_t slotBit = 1u << (n - 1);
            std::optional<int32_t> brandValue;
            if (!flagsRead && BrandObjectId(n) != nullptr) {
                bool arrived = false;
                const std::wstring text = TrimWhite(RemoveDashes(GetQuillText(BrandObjectId(n), &arrived)));
                if (arrived)
                    brandValue = static_cast<int32_t>(LeadingDecimal(text));
            }
            ink.brand = InkBrand(flagsRead, flags, slotBit, brandValue);
            ink.consumableState = Localized(InkStateKey(InkStateFor(flags, slotBit)).c_str());
            records_.inkList.push_back(ink);
        }
        bracket.Close();
        return Answered(bracket);
    });
}

bool CSNMPNWManager::GetPrintHeadInfo(const Device_Dev& printer)
{
    return RunDeviceOperation(L"GetPrintHeadInfo", false, [&] {
        auto guard = LockRecords();
        CSnmpBracket bracket(session_, printer.address);
        LogFile().Write(L"GetPrintHeadInfo @  Quillinit");
        const std::wstring notAvailable = Localized(L"TSY_NOT_AVAILABLE");
        std::vector<PrintHeadInfo> heads;
        for (int h = 1; h <= kPrintheads; ++h) {
            PrintHeadInfo head = MakePrintHeadInfo(notAvailable);
            // Some printers send health and warranty as integers: those show as decimal text.
            auto read = [&](const std::string& quillId, std::wstring& field) {
                SnmpValue value;
                const std::wstring arrived = GetQuillText(quillId.c_str(), nullptr, &value);
                if (std::wstring text = TrimWhite(QuillTextOrNumber(value, arrived)); !text.empty())
                    field = text;
            };
            read(Slot("1.4.1.5.3.", h, ".18"), head.printheadNumber);
            read(Slot("1.4.1.5.4.", h, ".22"), head.installationDate);
            read(Slot("1.4.1.5.3.", h, ".27"), head.health);
            read(Slot("1.4.1.5.3.", h, ".23"), head.warranty);
            heads.push_back(head);
        }
        bracket.Close();
        LogFile().Write(L"GetPrintHeadInfo @  QuillUninit");
        records_.printHeadList.insert(records_.printHeadList.end(), heads.begin(), heads.end());
        return Answered(bracket);
    });
}

bool CSNMPNWManager::GetDeviceStatus(const Device_Dev& printer)
{
    return RunDeviceOperation(L"GetDeviceStatus", false, [&] {
        auto guard = LockRecords();
        records_.statusList.clear();
        CSnmpBracket bracket(session_, printer.address);
        LogFile().Write(L"GetDeviceStatus @ QuillInit");
        const std::wstring identification = GetText(kDeviceIdOid);
        StatusEntry first;
        if (!identification.empty()) {
            LogFile().Write(L"Device status from device : %s", identification.c_str());
            first.statusId = std::to_wstring(ParseStatusField(GetIdField(L"S", identification)));
        } else {
            LogFile().Write(L"Device status from device is empty. this is because snmp failing or device does not "
                            L"have a valid network");
        }
        records_.statusList.push_back(first);
        SnmpValue feeder;
        const std::wstring feederText = GetQuillText("1.2.2.2.1", nullptr, &feeder);
        records_.statusList.push_back(StatusEntry{FeederStatusText(feeder, feederText)});
        bracket.Close();
        LogFile().Write(L"GetDeviceStatus @ QuillUnInit");
        if (!bracket.Answered())
            SetLastFault(DeviceFault::NotAnswering);
        return true; // the status test judges the empty status itself
    });
}

int32_t CSNMPNWManager::GetStatusFlag(const Device_Dev& printer)
{
    return RunDeviceOperation(L"GetStatusFlag", int32_t{61}, [&] {
        CSnmpSession session;
        CSnmpBracket bracket(session, printer.address);
        LogFile().Write(L"GetStatusFlag @ QuillInit");
        int32_t code = 61;
        if (session.SnmpGetPdu(kDeviceIdOid))
            session.SnmpSendPdu();
        const std::wstring identification = AnsiToWide(CSnmpSession::ResultText());
        CSnmpSession::ClearResultText();
        if (!identification.empty())
            code = ParseStatusField(GetIdField(L"S", identification));
        bracket.Close();
        LogFile().Write(L"GetStatusFlag @ QuillUnInit");
        return code;
    });
}

bool CSNMPNWManager::SendService(const Device_Dev& printer, const wchar_t* name,
                                 std::initializer_list<std::pair<const char*, int32_t>> writes)
{
    // The session is the readers' too: a read on another thread must not tear this one down.
    auto guard = LockRecords();
    CSnmpBracket bracket(session_, printer.address);
    LogFile().Write(L"%s @ QuillInit", name);
    for (const auto& [quillId, value] : writes)
        if (session_.SnmpSetPdu(QuillSnmpOid(quillId).c_str(), value))
            session_.SnmpSendPdu();
    CSnmpSession::ClearResultText();
    bracket.Close();
    LogFile().Write(L"%s @ QuillUnInit", name);
    return Answered(bracket);
}

bool CSNMPNWManager::PrintQualityDiagnosticPage(const Device_Dev& printer)
{
    return RunDeviceOperation(L"PrintQualityDiagnosticPage", false, [&] {
        return SendService(printer, L"PrintQualityDiagnosticPage", {{kServiceCommand, 1000}});
    });
}

bool CSNMPNWManager::AlignPrintHead(const Device_Dev& printer)
{
    return RunDeviceOperation(L"AlignPrintHead", false, [&] {
        return SendService(printer, L"AlignPrintHead", {{kServiceCommand, 1100}});
    });
}

bool CSNMPNWManager::CleanPrintHead(const Device_Dev& printer)
{
    return RunDeviceOperation(L"CleanPrintHead", false, [&] {
        return SendService(printer, L"CleanPrintHead", {{kCleaningCommand, 100}, {kServiceCommand, 1000}});
    });
}

bool CSNMPNWManager::PrintDiagnosticPage(const Device_Dev& printer)
{
    return RunDeviceOperation(L"PrintDiagnosticPage", false, [&] {
        return SendService(printer, L"PrintDiagnosticPage", {{kServiceCommand, 10}});
    });
}

std::wstring GetMacAddressByArp(const std::wstring& address)
{
    NGWinApi::CSocketApi& sockets = NGWinApi::Sockets();
    in_addr source{};
    {
        NGWinApi::WinsockSession winsock; // version 2.2 serves the 2.0 the lookup needs
        char name[1024] = {};
        if (winsock.ok() && sockets.gethostname(name, sizeof name) == 0) {
            hostent* host = sockets.gethostbyname(name);
            if (host != nullptr && host->h_addrtype == AF_INET && host->h_addr_list[0] != nullptr)
                std::memcpy(&source, host->h_addr_list[0], sizeof source);
        }
    }
    const uint8_t* s = reinterpret_cast<const uint8_t*>(&source);
    char sourceText[16];
    std::snprintf(sourceText, sizeof sourceText, "%d.%d.%d.%d", s[0], s[1], s[2], s[3]);
    const std::string target(address.begin(), address.end());

    ULONG mac[2] = {};
    ULONG length = 6;
    const DWORD result = sockets.SendARP(::inet_addr(target.c_str()), ::inet_addr(sourceText), mac, &length);
    if (result != NO_ERROR) {
        LogFile().Write(L"SendARP request failed Error =>%d", static_cast<int>(result));
        return {};
    }
    std::wstring text;
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(mac);
    for (ULONG i = 0; i < length && i < sizeof mac; ++i) {
        wchar_t hex[3];
        std::swprintf(hex, 3, L"%.2X", bytes[i]);
        text += hex;
    }
    return text;
}
