#include "console/Kelotsy.h"

#include <windows.h>
#include <shlwapi.h>

#include <cstring>
#include <memory>

#include "app/engine/DeviceOperations.h"
#include "app/engine/DiagnosticMgr.h"
#include "support/XMLHandler.h"
#include "console/JsonWriter.h"
#include "console/CheckRules.h"
#include "console/KelotsyScan.h"
#include "console/KelotsySnapshot.h"
#include "app/engine/StatusMessageKeys.h"
#include "quill/QuillManager.h"
#include "quill/SNMPNWManager.h"
#include "sable/SableManager.h"
#include "discovery/NetworkSearch.h"
#include "support/LogFile.h"
#include "support/ModuleInfo.h"
#include "support/ProductInfoColl.h"
#include "tools/PrinterReset.h"
#include "winapi/Handles.h"

namespace {

using Verb = KelotsyCommand::Verb;
using Service = KelotsyCommand::Service;

// The longest a network search may take before kelotsy gives up on it.
constexpr ULONGLONG kSearchBoundMs = 180000;

// Ctrl+C during a print asks the job to stop, as the print page's Cancel does.
CDiagnosticMgr* g_running = nullptr;

BOOL WINAPI OnConsoleControl(DWORD event)
{
    if ((event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) && g_running != nullptr) {
        g_running->SignalCancel();
        return TRUE;
    }
    return FALSE;
}

std::wstring Text(const wchar_t* key)
{
    return StringTable().GetString(key);
}

std::wstring ConnectionName(const Device_Dev& device)
{
    return device.isNetwork ? L"network" : L"usb";
}

std::wstring DisplayName(const Device_Dev& device)
{
    return PrinterDisplayName(device);
}

std::wstring Line(const std::wstring& label, const std::wstring& value)
{
    return label + L" " + value + L"\n";
}

class Session {
public:
    Session(const KelotsyCommand& command, KelotsyOutput& output) : command_(command), output_(output) {}

    int Run();

private:
    int Fail(const std::wstring& message)
    {
        LogFile().Write(L"kelotsy: %s", message.c_str());
        if (command_.verb == Verb::Check) {
            // A monitoring system reads standard output only.
            output_.Out(ToUtf8(UnknownCheck(message).line + L"\n"));
            return static_cast<int>(CheckState::Unknown);
        }
        output_.Error(L"kelotsy: " + message);
        return kKelotsyUsageError;
    }
    void Write(const std::wstring& text) { output_.Out(ToUtf8(text)); }
    void WriteJson(const JsonWriter& json) { output_.Out(json.Text() + "\n"); }

    bool LoadStrings(std::wstring& problem);
    // One line on standard error for a failed operation: why, when the protocol could tell.
    void ReportFailure(const std::wstring& otherwise);
    int List();
    int Info();
    int Ink();
    int Status();
    int Test();
    int RunService();
    int Reset();
    int Search();
    int Check();
    void DescribeStatus(const Device_Dev& device, JsonWriter* json, std::wstring& text);

    const KelotsyCommand& command_;
    KelotsyOutput& output_;
    std::unique_ptr<CDiagnosticMgr> manager_;
};

bool Session::LoadStrings(std::wstring& problem)
{
    const uint16_t language = command_.languageId.value_or(1033);
    const std::wstring file = GetExecutableFolder() + L"\\strings\\" + std::to_wstring(language) + L".xml";
    if (!::PathFileExistsW(file.c_str())) {
        problem = L"no string table for language " + std::to_wstring(language) + L" (" + file + L")";
        return false;
    }
    XMLHandler& strings = StringTable();
    strings.SetLanguageId(language);
    strings.SetLanguageFixed(true);
    if (!strings.Load()) {
        problem = L"cannot read the string table " + strings.Problem();
        return false;
    }
    return true;
}

int Session::Run()
{
    if (command_.verb == Verb::Help) {
        Write(KelotsyUsage());
        return kKelotsyPassed;
    }
    std::wstring problem;
    if (!LoadStrings(problem))
        return Fail(problem);
    // Without the catalogue no printer can be told supported: nothing kelotsy does can go on.
    const std::wstring catalogue = CProductInfoColl::CatalogueProblem();
    if (!catalogue.empty())
        return Fail(L"cannot read the product catalogue " + catalogue);

    manager_ = std::make_unique<CDiagnosticMgr>();
    manager_->Initialize();
    if (command_.verb == Verb::List)
        return List();
    if (command_.verb == Verb::Search)
        return Search();
    if (command_.verb == Verb::Check)
        return Check();
    if (command_.verb == Verb::Snapshot) {
        output_.Out(SerializeSnapshot(TakeSnapshot(*manager_, command_.printer)));
        return kKelotsyPassed;
    }
    if (command_.verb == Verb::Scan)
        return RunScan(*manager_, command_, output_);

    switch (SelectPrinter(*manager_, command_.printer)) {
    case PrinterLookup::Unknown:
        return Fail(L"unknown printer: " + command_.printer + L" (see kelotsy list)");
    case PrinterLookup::NotAnswering:
        output_.Error(L"kelotsy: the printer is not answering (" + command_.printer + L")");
        return kKelotsyFailed;
    case PrinterLookup::Selected:
        break;
    }
    if (!manager_->VerifySelectedPrinter())
        return Fail(L"printer not supported: " + DisplayName(*manager_->Selected()));

    switch (command_.verb) {
    case Verb::Info:
        return Info();
    case Verb::Ink:
        return Ink();
    case Verb::Status:
        return Status();
    case Verb::Test:
        return Test();
    case Verb::Service:
        return RunService();
    case Verb::Reset:
        return Reset();
    default:
        return Fail(L"nothing to do");
    }
}

void Session::ReportFailure(const std::wstring& otherwise)
{
    const Device_Dev device = *manager_->Selected();
    switch (manager_->ManagerFor(DeviceOperationPath(device)).LastFault()) {
    case DeviceFault::NotAnswering:
        output_.Error(L"kelotsy: the printer is not answering (" + DisplayName(device) + L")");
        return;
    case DeviceFault::UnexpectedAnswer:
        output_.Error(L"kelotsy: the printer gave an unexpected answer (" + DisplayName(device) + L")");
        return;
    case DeviceFault::None:
        break;
    }
    output_.Error(L"kelotsy: " + otherwise);
}

int Session::List()
{
    const DeviceList& devices = manager_->Devices();
    JsonWriter json;
    json.BeginArray();
    std::wstring text;
    for (size_t i = 0; i < devices.size(); ++i) {
        const Device_Dev& device = devices[i];
        if (command_.json) {
            json.BeginObject()
                .Key("index").Number(static_cast<int64_t>(i))
                .Key("name").String(DisplayName(device))
                .Key("queue").String(device.printerName)
                .Key("connection").String(ConnectionName(device))
                .Key("address").String(device.address)
                .Key("productId").String(device.productId)
                .EndObject();
        } else {
            text += std::to_wstring(i) + L"  " + DisplayName(device) + L"  " + ConnectionName(device) + L"  " +
                    device.address + L"  " + device.productId + L"\n";
        }
    }
    json.EndArray();
    if (command_.json)
        WriteJson(json);
    else
        Write(text);
    return kKelotsyPassed;
}

int Session::Info()
{
    ResetAllDeviceData(*manager_);
    const bool read = RunDeviceOperation(*manager_, DeviceOperation::ReadDeviceInfo);
    const DeviceRecords records = manager_->ManagerFor(*manager_->Selected()).Records();
    const DeviceInfo& info = records.deviceInfo;
    const std::wstring pageCount = info.totalImpressions >= 0 ? std::to_wstring(info.totalImpressions)
                                                              : NotAvailableText();
    const std::pair<const wchar_t*, const std::wstring*> fields[] = {
        {L"TSY_FIRMWARE_MODELNAME", &info.modelName},
        {L"TSY_FIRMWARE_SN", &info.serialNumber},
        {L"TSY_FIRMWARE_SERVICEID", &info.serviceId},
        {L"TSY_FIRMWARE_BORNDATE", &info.bornDate},
        {L"TSY_FIRMWARE_IKNO", &info.inkKitNumber},
        {L"TSY_FIRMWARE_MACADDRESS", &info.macAddress},
        {L"TSY_FIRMWARE_VERSION", &info.firmwareRevision},
        {L"TSY_FIRMWARE_SOFTWAREVER", &info.panelProgramVersion},
        {L"TSY_FIRMWARE_PRINTERDRIVERVER", &info.printerDriverVersion},
        {L"TSY_FIRMWARE_PAGECOUNT", &pageCount},
    };
    if (command_.json) {
        JsonWriter json;
        json.BeginObject().Key("read").Bool(read)
            .Key("model").String(info.modelName)
            .Key("modelBase").String(info.modelBaseName)
            .Key("serialNumber").String(info.serialNumber)
            .Key("serviceId").String(info.serviceId)
            .Key("bornDate").String(info.bornDate)
            .Key("inkKitNumber").String(info.inkKitNumber)
            .Key("macAddress").String(info.macAddress)
            .Key("firmwareRevision").String(info.firmwareRevision)
            .Key("softwareVersion").String(info.panelProgramVersion)
            .Key("driverVersion").String(info.printerDriverVersion)
            .Key("pageCount").Number(info.totalImpressions)
            .Key("printheads").BeginArray();
        for (const PrintHeadInfo& head : records.printHeadList)
            json.BeginObject()
                .Key("type").String(head.consumableType)
                .Key("id").String(head.printheadNumber)
                .Key("installationDate").String(head.installationDate)
                .Key("warranty").String(head.warranty)
                .Key("health").String(head.health)
                .EndObject();
        json.EndArray().EndObject();
        WriteJson(json);
    } else {
        std::wstring text;
        for (const auto& [key, value] : fields)
            text += Line(Text(key), *value);
        for (const PrintHeadInfo& head : records.printHeadList) {
            text += Text(L"TSY_FIRMWARE_HEAD3") + L"\n";
            text += L"  " + Line(Text(L"TSY_FIRMWARE_PRINTHEADNO"), head.printheadNumber);
            text += L"  " + Line(Text(L"TSY_FIRMWARE_PRINTHEADHEALTH"), head.health);
            text += L"  " + Line(Text(L"TSY_FIRMWARE_PRINTHEADDATE"), head.installationDate);
            text += L"  " + Line(Text(L"TSY_FIRMWARE_PRINTHEADWARRANTY"), head.warranty);
        }
        Write(text);
    }
    if (!read)
        ReportFailure(L"the device information could not be read");
    return read ? kKelotsyPassed : kKelotsyFailed;
}

int Session::Ink()
{
    ResetAllDeviceData(*manager_);
    const bool read = RunDeviceOperation(*manager_, DeviceOperation::ReadInkLevels);
    const DeviceRecords records = manager_->ManagerFor(*manager_->Selected()).Records();
    const std::wstring region = PrinterRegionText();
    if (command_.json) {
        JsonWriter json;
        json.BeginObject().Key("read").Bool(read).Key("region").String(region).Key("inks").BeginArray();
        for (const InkInfo& ink : records.inkList)
            json.BeginObject()
                .Key("colour").String(ink.colour)
                .Key("level").String(ink.level)
                .Key("region").String(ink.regionalCartridge)
                .Key("dropsUsed").String(ink.dropsUsed)
                .Key("installationDate").String(ink.installationDate)
                .Key("brand").String(ink.brand)
                .Key("warranty").String(ink.warranty)
                .Key("cartridgeNumber").String(ink.selectabilityNumber)
                .Key("serialNumber").String(ink.serialNumber)
                .Key("state").String(ink.consumableState)
                .Key("type").String(ink.consumableType)
                .EndObject();
        json.EndArray().EndObject();
        WriteJson(json);
    } else {
        std::wstring text = Line(Text(L"TSY_INKLEVELS_PRINTERREGION"), region);
        for (const InkInfo& ink : records.inkList) {
            text += Text(L"TSY_INKLEVELS_COLOR") + L": " + ink.colour + L"\n";
            const std::pair<const wchar_t*, const std::wstring*> fields[] = {
                {L"TSY_INKLEVELS_LEVEL", &ink.level},
                {L"TSY_INKLEVELS_NO", &ink.selectabilityNumber},
                {L"TSY_INKLEVELS_SN", &ink.serialNumber},
                {L"TSY_INKLEVELS_STATUS", &ink.consumableState},
                {L"TSY_INKLEVELS_BRAND", &ink.brand},
                {L"TSY_INKLEVELS_REGION", &ink.regionalCartridge},
                {L"TSY_INKLEVELS_DROPS", &ink.dropsUsed},
                {L"TSY_INKLEVELS_INSTALLDATE", &ink.installationDate},
                {L"TSY_INKLEVELS_WARRANTY", &ink.warranty},
            };
            for (const auto& [key, value] : fields)
                text += L"  " + Text(key) + L": " + *value + L"\n";
        }
        if (records.inkList.empty())
            text += Text(L"TSY_INK_LEVEL_NO_DATA") + L"\n";
        Write(text);
    }
    if (!read)
        ReportFailure(L"the ink levels could not be read");
    return read ? kKelotsyPassed : kKelotsyFailed;
}

void Session::DescribeStatus(const Device_Dev& device, JsonWriter* json, std::wstring& text)
{
    const std::wstring message = Text(StatusMessageKey(device.statusCode, device.adfStatus).c_str());
    if (json != nullptr) {
        json->Key("statusCode").Number(device.statusCode)
            .Key("adf").Bool(device.adfStatus)
            .Key("statusText").String(message);
    } else {
        text += L"  status " + std::to_wstring(device.statusCode) + (device.adfStatus ? L" (document feeder)" : L"") +
                (message.empty() ? L"" : L": " + message) + L"\n";
    }
}

int Session::Status()
{
    manager_->SetCurrentTestIndex(kDeviceStatusTestIndex);
    manager_->RunCurrentTest();
    const bool passed = manager_->TestAt(kDeviceStatusTestIndex)->result == kTestPassed;
    const Device_Dev device = *manager_->Selected();
    if (command_.json) {
        JsonWriter json;
        json.BeginObject().Key("passed").Bool(passed).Key("verdict").Bool(manager_->StatusVerdict());
        std::wstring unused;
        DescribeStatus(device, &json, unused);
        json.EndObject();
        WriteJson(json);
    } else {
        std::wstring text = Text(L"TSY_DIAGNOSE_DEVICESTATUSTEST") + L": " + (passed ? L"passed" : L"failed") + L"\n";
        DescribeStatus(device, nullptr, text);
        Write(text);
    }
    return passed ? kKelotsyPassed : kKelotsyFailed;
}

int Session::Test()
{
    const struct {
        int32_t index;
        const wchar_t* key;
        const char* name;
    } steps[] = {
        {kConnectivityTestIndex, L"TSY_DIAGNOSE_CONNECTIVITY", "connectivity"},
        {kDeviceStatusTestIndex, L"TSY_DIAGNOSE_DEVICESTATUSTEST", "deviceStatus"},
        {kLowLevelPrintTestIndex, L"TSY_DIAGNOSE_LOWLEVELPRINTTEST", "lowLevelPrint"},
    };
    JsonWriter json;
    json.BeginObject().Key("tests").BeginArray();
    std::wstring text;
    bool passed = true;
    g_running = manager_.get();
    ::SetConsoleCtrlHandler(&OnConsoleControl, TRUE);
    for (const auto& step : steps) {
        manager_->SetCurrentTestIndex(step.index);
        manager_->RunCurrentTest();
        const ::Test* entry = manager_->TestAt(step.index);
        passed = entry->result == kTestPassed;
        const Device_Dev device = *manager_->Selected();
        if (command_.json) {
            json.BeginObject().Key("test").String(std::wstring(step.name, step.name + strlen(step.name)))
                .Key("name").String(Text(step.key)).Key("passed").Bool(passed);
            if (step.index != kConnectivityTestIndex)
                DescribeStatus(device, &json, text);
            json.EndObject();
        } else {
            text += Text(step.key) + L": " + (passed ? L"passed" : L"failed") + L"\n";
            if (!passed && step.index != kConnectivityTestIndex)
                DescribeStatus(device, nullptr, text);
        }
        if (!passed)
            break;
    }
    ::SetConsoleCtrlHandler(&OnConsoleControl, FALSE);
    g_running = nullptr;
    json.EndArray().Key("passed").Bool(passed).EndObject();
    if (command_.json)
        WriteJson(json);
    else
        Write(text);
    return passed ? kKelotsyPassed : kKelotsyFailed;
}

int Session::RunService()
{
    DeviceOperation operation = DeviceOperation::None;
    switch (command_.service) {
    case Service::PrintQuality:
        operation = DeviceOperation::PrintQualityPage;
        break;
    case Service::Align:
        operation = DeviceOperation::AlignPrintheads;
        break;
    case Service::Clean:
        operation = DeviceOperation::CleanPrintheads;
        break;
    case Service::Diagnostics:
        operation = DeviceOperation::PrintDiagnosticsPage;
        break;
    case Service::None:
        break;
    }
    const bool done = RunDeviceOperation(*manager_, operation);
    Write(done ? L"done\n" : L"failed\n");
    if (!done)
        ReportFailure(L"the printer did not carry out the service");
    return done ? kKelotsyPassed : kKelotsyFailed;
}

int Session::Reset()
{
    const std::optional<Device_Dev> device = manager_->Selected();
    const bool written = device && ResetPrinter(*device);
    Write(written ? L"done\n" : L"failed\n");
    if (!written)
        output_.Error(L"kelotsy: the reset did not reach the printer");
    return written ? kKelotsyPassed : kKelotsyFailed;
}

int Session::Search()
{
    bool completed = false;
    int shown = -1;
    CNetworkSearch search(
        [&](long percent) {
            if (percent != shown)
                output_.Progress(static_cast<int>(shown = percent));
        },
        [&] { completed = true; });
    switch (search.Start()) {
    case SearchStart::Started:
        break;
    case SearchStart::NoConnection: {
        // Ranges the settings file names but that cannot be read leave nothing to search.
        const std::wstring settings = GetExecutableFolder() + L"\\config\\search.ini";
        wchar_t ranges[8] = {};
        if (::GetPrivateProfileStringW(L"Search", L"Ranges", L"", ranges, ARRAYSIZE(ranges), settings.c_str()) > 0)
            return Fail(L"no network to search: the Ranges of " + settings + L" name none that can be read");
        return Fail(L"no network connection found; the network was not searched");
    }
    case SearchStart::NotRegistered:
        return Fail(L"the diagnostic core component cannot be created");
    case SearchStart::NoSettings:
    case SearchStart::Failed:
        return Fail(L"the network search could not start");
    }
    // The component reports on this thread while it pumps messages.
    PumpMessagesUntil(completed, kSearchBoundMs);
    output_.Progress(-1);
    if (!completed)
        return Fail(L"the network search did not complete");
    const std::optional<std::vector<FoundPrinter>> found = search.Results();
    if (!found)
        return Fail(L"the network search results could not be read");

    const DeviceList printers = SearchResultRecords(*found);
    JsonWriter json;
    json.BeginArray();
    std::wstring text;
    for (const Device_Dev& printer : printers) {
        const bool queued = !printer.printerName.empty();
        json.BeginObject()
            .Key("name").String(printer.deviceName)
            .Key("address").String(printer.address)
            .Key("productId").String(printer.productId)
            .Key("printQueue").Bool(queued)
            .EndObject();
        text += printer.address + L"  " + printer.deviceName + L"  product " + printer.productId +
                (queued ? L"  queue " + printer.printerName : L"  no print queue") + L"\n";
    }
    json.EndArray();
    if (command_.json)
        WriteJson(json);
    else
        Write(printers.empty() ? L"no printer found\n" : text);
    return printers.empty() ? kKelotsyFailed : kKelotsyPassed;
}

int Session::Check()
{
    const PrinterSnapshot snapshot = TakeSnapshot(*manager_, command_.printer);
    const CheckOutcome outcome = EvaluateCheck(snapshot, {command_.warning, command_.critical});
    LogFile().Write(L"kelotsy check: %s", outcome.line.c_str());
    output_.Out(ToUtf8(outcome.line + L"\n"));
    return static_cast<int>(outcome.state);
}

} // namespace

int RunKelotsy(const KelotsyCommand& command, KelotsyOutput& output)
{
    NGWinApi::ComInitialization com;
    Session session(command, output);
    return session.Run();
}
