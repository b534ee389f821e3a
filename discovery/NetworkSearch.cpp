#include "discovery/NetworkSearch.h"

#include <ocidl.h>

#include "discovery/DeviceEnumeration.h"
#include "support/LogFile.h"
#include "winapi/NGWinApi.h"

using namespace NGWinApi;

namespace {

constexpr DISPID kProgressEvent = 1;
constexpr DISPID kCompletedEvent = 2;
// SNMP and the product configuration page, as the tool probes.
constexpr long kProbeMethods = 17;
constexpr long kFoundDevices = 1;
constexpr long kOneHostPrefix = 32;

} // namespace

HRESULT CDeviceEnumeratorEventSink::QueryInterface(REFIID iid, void** object)
{
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDispatch) &&
        !IsEqualIID(iid, DIID__IDeviceEnumeratorEvents))
        return E_NOINTERFACE;
    *object = static_cast<IDispatch*>(this);
    return S_OK;
}

HRESULT CDeviceEnumeratorEventSink::GetTypeInfoCount(UINT* count)
{
    if (count == nullptr)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT CDeviceEnumeratorEventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* parameters, VARIANT*,
                                           EXCEPINFO*, UINT*)
{
    if (id == kProgressEvent && progress_) {
        long percent = 0;
        if (parameters != nullptr && parameters->cArgs >= 1) {
            VARIANT value;
            ::VariantInit(&value);
            if (SUCCEEDED(::VariantChangeType(&value, &parameters->rgvarg[0], 0, VT_I4)))
                percent = value.lVal;
        }
        progress_(percent);
    } else if (id == kCompletedEvent && completed_) {
        completed_();
    }
    return S_OK;
}

CNetworkSearch::CNetworkSearch(std::function<void(long)> progress, std::function<void()> completed)
    : sink_(std::move(progress), std::move(completed))
{
}

CNetworkSearch::~CNetworkSearch()
{
    // A search given up on must not report to a sink that is going away.
    VARIANT_BOOL running = VARIANT_FALSE;
    if (enumerator_ && SUCCEEDED(enumerator_->get_EnumerationInProgress(&running)) && running != VARIANT_FALSE)
        enumerator_->CancelNetworkEnumeration();
    if (events_ && cookie_ != 0)
        events_->Unadvise(cookie_);
}

bool CNetworkSearch::Create()
{
    ComPtr<IConnectionPointContainer> container;
    return SUCCEEDED(Com().CoCreateInstance(CLSID_NetworkInfo, nullptr, kAnyServerContext, IID_INetworkInfo,
                                            info_.put_void())) &&
           info_ &&
           SUCCEEDED(Com().CoCreateInstance(CLSID_DeviceEnumerator, nullptr, kAnyServerContext,
                                            IID_IDeviceEnumerator, enumerator_.put_void())) &&
           enumerator_ &&
           SUCCEEDED(enumerator_->QueryInterface(IID_IConnectionPointContainer, container.put_void())) &&
           SUCCEEDED(container->FindConnectionPoint(DIID__IDeviceEnumeratorEvents, events_.put())) &&
           SUCCEEDED(events_->Advise(&sink_, &cookie_)) &&
           SUCCEEDED(Com().CoCreateInstance(CLSID_CoreInfo, nullptr, kAnyServerContext, IID_ICoreInfo,
                                            core_.put_void())) &&
           core_;
}

SearchStart CNetworkSearch::Start()
{
    if (!Create())
        return SearchStart::NotRegistered;

    UniqueVariant value;
    if (FAILED(info_->GetNetworkSettings(value.get())))
        return SearchStart::Failed;
    ComPtr<INetworkAdapterSettings> settings;
    IUnknown* object = (*value).vt == VT_DISPATCH ? (*value).pdispVal : (*value).vt == VT_UNKNOWN ? (*value).punkVal
                                                                                                 : nullptr;
    if (object == nullptr || FAILED(object->QueryInterface(IID_INetworkAdapterSettings, settings.put_void())))
        return SearchStart::NoSettings;
    long connected = 0;
    if (FAILED(settings->get_Connected(&connected)))
        return SearchStart::Failed;
    if (connected == 0)
        return SearchStart::NoConnection;
    UniqueBstr network;
    long prefixLength = 0;
    if (FAILED(settings->get_SearchNetwork(network.put())) ||
        FAILED(settings->get_SearchPrefixLength(&prefixLength)) || !Begin(network.get(), prefixLength))
        return SearchStart::Failed;
    LogFile().Write(L"Network search started on %s/%ld", network.get() != nullptr ? network.get() : L"",
                    prefixLength);
    return SearchStart::Started;
}

SearchStart CNetworkSearch::StartOn(const std::wstring& address)
{
    if (!Create())
        return SearchStart::NotRegistered;
    UniqueBstr network(address.c_str());
    // One host: the component still probes only what the search settings allow.
    if (network.get() == nullptr || !Begin(network.get(), kOneHostPrefix))
        return SearchStart::Failed;
    LogFile().Write(L"Identifying %s with the search's probes", address.c_str());
    return SearchStart::Started;
}

bool CNetworkSearch::Begin(BSTR network, long prefixLength)
{
    return SUCCEEDED(enumerator_->put_SearchNetwork(network)) &&
           SUCCEEDED(enumerator_->put_SearchPrefixLength(prefixLength)) &&
           SUCCEEDED(enumerator_->put_ProbeMethods(kProbeMethods)) &&
           SUCCEEDED(enumerator_->StartNetworkEnumeration());
}

std::optional<std::vector<FoundPrinter>> CNetworkSearch::Results()
{
    ComPtr<IDeviceCollection> devices;
    if (!enumerator_ || FAILED(enumerator_->GetNetworkDevices(kFoundDevices, devices.put())) || !devices)
        return std::nullopt;
    std::vector<FoundPrinter> found;
    for (long index = 1, count = DeviceCount(devices.get()); index <= count; ++index) {
        ComPtr<IPrinterDevice> device = DeviceAt(devices.get(), index);
        if (!device)
            continue;
        FoundPrinter printer;
        long flags = 0;
        device->get_Flags(&flags);
        printer.flags = static_cast<int32_t>(flags);
        if ((printer.flags & kSuitableSearchFlag) == 0)
            continue; // nothing else of it is read
        printer.name = DeviceText(&IPrinterDevice::get_Name, device.get());
        printer.secondName = DeviceText(&IPrinterDevice::get_ProductName, device.get());
        printer.friendlyName = DeviceText(&IPrinterDevice::get_FriendlyName, device.get());
        printer.address = DeviceText(&IPrinterDevice::get_IPAddress, device.get());
        printer.productId = DeviceText(&IPrinterDevice::get_ProductId, device.get());
        printer.printerName = DeviceText(&IPrinterDevice::get_PrinterName, device.get());
        VARIANT_BOOL installed = 0;
        if (SUCCEEDED(device->get_DriverInstalled(&installed)))
            printer.driverInstalled = static_cast<int16_t>(installed);
        found.push_back(printer);
    }
    return found;
}
