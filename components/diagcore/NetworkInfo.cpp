// The creatable NetworkInfo with the settings object it hands out, and CoreInfo.
#include "components/diagcore/CoreClasses.h"

#include "components/diagcore/DispatchObject.h"
#include "components/diagcore/ProbeMessages.h"
#include "components/diagcore/SearchSettings.h"

namespace diagcore {

namespace {

class NetworkAdapterSettings final : public DispatchObject<INetworkAdapterSettings> {
public:
    explicit NetworkAdapterSettings(AdapterSettings settings) : settings_(std::move(settings)) {}

    HRESULT STDMETHODCALLTYPE get_AdapterName(BSTR* value) override { return ReturnGuardedText(settings_.name, value); }
    HRESULT STDMETHODCALLTYPE get_AdapterDescription(BSTR* value) override
    {
        return ReturnGuardedText(settings_.description, value);
    }
    HRESULT STDMETHODCALLTYPE get_SearchNetwork(BSTR* network) override
    {
        std::wstring text = settings_.connected ? WidenDeviceText(FormatIpv4(settings_.searchNetwork.base)) : L"";
        return ReturnGuardedText(text, network);
    }
    HRESULT STDMETHODCALLTYPE get_Connected(LONG* connected) override
    {
        return ReturnNumber(settings_.connected ? 1 : 0, connected);
    }
    HRESULT STDMETHODCALLTYPE get_IPAddress(BSTR* value) override { return ReturnGuardedText(settings_.ipAddress, value); }
    HRESULT STDMETHODCALLTYPE get_SubnetMask(BSTR* value) override { return ReturnGuardedText(settings_.subnetMask, value); }
    HRESULT STDMETHODCALLTYPE get_Gateway(BSTR* value) override { return ReturnGuardedText(settings_.gateway, value); }
    HRESULT STDMETHODCALLTYPE get_MacAddress(BSTR* value) override { return ReturnGuardedText(settings_.macAddress, value); }
    HRESULT STDMETHODCALLTYPE get_AdapterIndex(LONG* value) override { return ReturnNumber(settings_.index, value); }
    HRESULT STDMETHODCALLTYPE get_AdapterCount(LONG* value) override { return ReturnNumber(settings_.count, value); }
    HRESULT STDMETHODCALLTYPE get_SearchPrefixLength(LONG* prefixLength) override
    {
        return ReturnNumber(settings_.connected ? settings_.searchNetwork.prefixLength : 0, prefixLength);
    }

private:
    AdapterSettings settings_;
};

class NetworkInfo final : public DispatchObject<INetworkInfo> {
public:
    HRESULT STDMETHODCALLTYPE GetNetworkSettings(VARIANT* settings) override
    {
        if (settings == nullptr)
            return E_POINTER;
        ::VariantInit(settings);
        return Guarded([&]() -> HRESULT {
            IDispatch* object = nullptr;
            HRESULT result = CreateObject<NetworkAdapterSettings>(IID_IDispatch, reinterpret_cast<void**>(&object),
                                                                  ReadAdapterSettings(ReadSearchConfig()));
            if (FAILED(result))
                return result;
            settings->vt = VT_DISPATCH;
            settings->pdispVal = object;
            return S_OK;
        });
    }
};

class CoreInfo final : public DispatchObject<ICoreInfo> {
public:
    HRESULT STDMETHODCALLTYPE get_Version(BSTR* version) override { return ReturnGuardedText(kComponentVersion, version); }
    HRESULT STDMETHODCALLTYPE get_ConfigurationFile(BSTR* path) override
    {
        return Guarded([&] { return ReturnText(ReadSearchConfig().path, path); });
    }
    HRESULT STDMETHODCALLTYPE get_SearchRanges(BSTR* ranges) override
    {
        return Guarded([&] {
            SearchConfig config = ReadSearchConfig();
            std::wstring text;
            if (config.allowed)
                text = config.allowed->empty() ? L"none" : WidenDeviceText(FormatNetworkList(*config.allowed));
            return ReturnText(text, ranges);
        });
    }
    HRESULT STDMETHODCALLTYPE get_ProbeTimeout(LONG* milliseconds) override
    {
        return Guarded([&] { return ReturnNumber(static_cast<long>(ReadSearchConfig().probeTimeoutMs), milliseconds); });
    }
};

} // namespace

HRESULT CreateNetworkInfo(REFIID iid, void** object)
{
    return CreateObject<NetworkInfo>(iid, object);
}

HRESULT CreateCoreInfo(REFIID iid, void** object)
{
    return CreateObject<CoreInfo>(iid, object);
}

} // namespace diagcore
