// The component as a COM server: registration-free activation, the vtable slots the tool
// calls, IDispatch for scripting clients, NetworkInfo and the search parameters.
#include <gtest/gtest.h>

#include <windows.h>

#include "CoreTestSupport.h"

using NGWinApi::ComPtr;
using NGWinApi::UniqueBstr;
using NGWinApi::UniqueVariant;

namespace {

class CoreComponent : public ::testing::Test {
protected:
    NGWinApi::ComInitialization com_;
};

ComPtr<ITypeLib> CoreTypeLibrary()
{
    auto info = CreateCore<ICoreInfo>(CLSID_CoreInfo);
    ComPtr<ITypeInfo> type;
    ComPtr<ITypeLib> library;
    UINT index = 0;
    if (!info || FAILED(info->GetTypeInfo(0, LOCALE_USER_DEFAULT, type.put())) ||
        FAILED(type->GetContainingTypeLib(library.put(), &index)))
        ADD_FAILURE() << "no type library behind the component";
    return library;
}

// The vtable slot of a member as the type library lays it out; -1 when there is none.
int SlotOf(ITypeInfo* type, const wchar_t* name, INVOKEKIND kind)
{
    TYPEATTR* attributes = nullptr;
    if (FAILED(type->GetTypeAttr(&attributes)))
        return -1;
    int slot = -1;
    for (UINT i = 0; i < attributes->cFuncs && slot < 0; ++i) {
        FUNCDESC* function = nullptr;
        if (FAILED(type->GetFuncDesc(i, &function)))
            continue;
        UniqueBstr member;
        UINT count = 0;
        BSTR names[1] = {nullptr};
        if (SUCCEEDED(type->GetNames(function->memid, names, 1, &count)) && count == 1) {
            *member.put() = names[0];
            if (wcscmp(member.get(), name) == 0 && function->invkind == kind)
                slot = function->oVft / static_cast<int>(sizeof(void*));
        }
        type->ReleaseFuncDesc(function);
    }
    type->ReleaseTypeAttr(attributes);
    return slot;
}

} // namespace

TEST_F(CoreComponent, ClassesComeFromTheSideBySideAssemblyWithoutRegistration)
{
    HRESULT result = E_FAIL;
    EXPECT_TRUE(CreateCore<IDeviceEnumerator>(CLSID_DeviceEnumerator, &result)) << std::hex << result;
    EXPECT_TRUE(CreateCore<INetworkInfo>(CLSID_NetworkInfo, &result)) << std::hex << result;
    auto info = CreateCore<ICoreInfo>(CLSID_CoreInfo, &result);
    ASSERT_TRUE(info) << std::hex << result;
    EXPECT_EQ(TextOf(info.get(), &ICoreInfo::get_Version), L"1.0.15.0");

    // The module is the assembly's DLL, beside this program.
    HMODULE module = GetModuleHandleW(L"KeloDiagnosticCore.dll");
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(GetProcAddress(module, "DllRegisterServer"), nullptr) << "nothing is registered";

    // A class the assembly does not name is not registered anywhere either.
    const CLSID unknown = {0x9ac8000d, 0x05f1, 0x493e, {0x98, 0x95, 0xf2, 0x63, 0x44, 0x74, 0x59, 0x64}};
    EXPECT_FALSE(CreateCore<IDeviceEnumerator>(unknown, &result));
    EXPECT_EQ(result, REGDB_E_CLASSNOTREG);
}

TEST_F(CoreComponent, MembersSitInTheSlotsTheToolCalls)
{
    struct Slot {
        const IID* iid;
        const wchar_t* member;
        INVOKEKIND kind;
        int slot;
    };
    const Slot slots[] = {
        {&IID_IDeviceEnumerator, L"GetInstalledDevices", INVOKE_FUNC, 7},
        {&IID_IDeviceEnumerator, L"GetConnectedUSBDevices", INVOKE_FUNC, 8},
        {&IID_IDeviceEnumerator, L"GetNetworkDevices", INVOKE_FUNC, 9},
        {&IID_IDeviceEnumerator, L"StartNetworkEnumeration", INVOKE_FUNC, 10},
        {&IID_IDeviceEnumerator, L"SearchNetwork", INVOKE_PROPERTYPUT, 14},
        {&IID_IDeviceEnumerator, L"SearchPrefixLength", INVOKE_PROPERTYPUT, 16},
        {&IID_IDeviceEnumerator, L"ProbeMethods", INVOKE_PROPERTYPUT, 18},
        {&IID_IDeviceCollection, L"Count", INVOKE_PROPERTYGET, 8},
        {&IID_IDeviceCollection, L"Item", INVOKE_PROPERTYGET, 9},
        {&IID_IPrinterDevice, L"Name", INVOKE_PROPERTYGET, 8},
        {&IID_IPrinterDevice, L"ConnectionType", INVOKE_PROPERTYGET, 9},
        {&IID_IPrinterDevice, L"DriverInstalled", INVOKE_PROPERTYGET, 10},
        {&IID_IPrinterDevice, L"IPAddress", INVOKE_PROPERTYGET, 13},
        {&IID_IPrinterDevice, L"ProductName", INVOKE_PROPERTYGET, 14},
        {&IID_IPrinterDevice, L"FriendlyName", INVOKE_PROPERTYGET, 16},
        {&IID_IPrinterDevice, L"DevicePath", INVOKE_PROPERTYGET, 18},
        {&IID_IPrinterDevice, L"ProductId", INVOKE_PROPERTYGET, 19},
        {&IID_IPrinterDevice, L"PrinterName", INVOKE_PROPERTYGET, 20},
        {&IID_IPrinterDevice, L"Flags", INVOKE_PROPERTYGET, 21},
        {&IID_INetworkInfo, L"GetNetworkSettings", INVOKE_FUNC, 7},
        {&IID_INetworkAdapterSettings, L"SearchNetwork", INVOKE_PROPERTYGET, 9},
        {&IID_INetworkAdapterSettings, L"Connected", INVOKE_PROPERTYGET, 10},
        {&IID_INetworkAdapterSettings, L"SearchPrefixLength", INVOKE_PROPERTYGET, 17},
    };
    auto library = CoreTypeLibrary();
    ASSERT_TRUE(library);
    for (const Slot& slot : slots) {
        ComPtr<ITypeInfo> type;
        ASSERT_EQ(library->GetTypeInfoOfGuid(*slot.iid, type.put()), S_OK);
        EXPECT_EQ(SlotOf(type.get(), slot.member, slot.kind), slot.slot) << slot.member;
    }
}

TEST_F(CoreComponent, ScriptingClientsReachTheSameMembersByName)
{
    SearchConfigFile config("[Search]\r\nRanges=127.0.5.0/27\r\n");
    auto enumerator = CreateCore<IDispatch>(CLSID_DeviceEnumerator);
    ASSERT_TRUE(enumerator);

    auto call = [](IDispatch* object, const wchar_t* name, WORD flags, std::vector<VARIANT> arguments,
                   VARIANT* result) {
        DISPID id = 0;
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        HRESULT found = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
        if (FAILED(found))
            return found;
        DISPID put = DISPID_PROPERTYPUT;
        DISPPARAMS parameters{arguments.data(), nullptr, static_cast<UINT>(arguments.size()), 0};
        if (flags == DISPATCH_PROPERTYPUT) {
            parameters.rgdispidNamedArgs = &put;
            parameters.cNamedArgs = 1;
        }
        EXCEPINFO exception{};
        HRESULT invoked = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &parameters, result, &exception, nullptr);
        SysFreeString(exception.bstrSource);
        SysFreeString(exception.bstrDescription);
        SysFreeString(exception.bstrHelpFile);
        return invoked;
    };
    VARIANT one;
    one.vt = VT_I4;
    one.lVal = 1;

    UniqueVariant devices;
    ASSERT_EQ(call(enumerator.get(), L"GetNetworkDevices", DISPATCH_METHOD, {one}, devices.get()), S_OK);
    ASSERT_EQ((*devices).vt, VT_DISPATCH);
    UniqueVariant count;
    ASSERT_EQ(call((*devices).pdispVal, L"Count", DISPATCH_PROPERTYGET, {}, count.get()), S_OK);
    EXPECT_EQ((*count).vt, VT_I4);
    EXPECT_EQ((*count).lVal, 0) << "no search has run";

    // A property put by name lands in the same member as the slot call.
    VARIANT network;
    network.vt = VT_BSTR;
    network.bstrVal = SysAllocString(L"127.0.5.0");
    EXPECT_EQ(call(enumerator.get(), L"SearchNetwork", DISPATCH_PROPERTYPUT, {network}, nullptr), S_OK);
    VariantClear(&network);
    ComPtr<IDeviceEnumerator> typed;
    ASSERT_EQ(enumerator->QueryInterface(IID_IDeviceEnumerator, typed.put_void()), S_OK);
    EXPECT_EQ(TextOf(typed.get(), &IDeviceEnumerator::get_SearchNetwork), L"127.0.5.0");

    // Failures reach the script as failures.
    VARIANT bad;
    bad.vt = VT_I4;
    bad.lVal = 7;
    UniqueVariant none;
    EXPECT_TRUE(FAILED(call(enumerator.get(), L"GetInstalledDevices", DISPATCH_METHOD, {bad}, none.get())));
    EXPECT_EQ(call(enumerator.get(), L"NoSuchMember", DISPATCH_METHOD, {}, none.get()), DISP_E_UNKNOWNNAME);
}

TEST_F(CoreComponent, NetworkSettingsComeFromTheConfiguredRange)
{
    auto read = [] {
        auto info = CreateCore<INetworkInfo>(CLSID_NetworkInfo);
        UniqueVariant value;
        EXPECT_EQ(info->GetNetworkSettings(value.get()), S_OK);
        EXPECT_EQ((*value).vt, VT_DISPATCH);
        ComPtr<INetworkAdapterSettings> settings;
        if ((*value).vt == VT_DISPATCH && (*value).pdispVal != nullptr)
            (*value).pdispVal->QueryInterface(IID_INetworkAdapterSettings, settings.put_void());
        return settings;
    };
    {
        SearchConfigFile config("[Search]\r\nRanges=127.0.5.0/27, 127.0.6.0/24\r\n");
        auto settings = read();
        ASSERT_TRUE(settings);
        LONG connected = -1;
        LONG prefix = -1;
        EXPECT_EQ(settings->get_Connected(&connected), S_OK);
        EXPECT_EQ(connected, 1);
        EXPECT_EQ(TextOf(settings.get(), &INetworkAdapterSettings::get_SearchNetwork), L"127.0.5.0");
        EXPECT_EQ(settings->get_SearchPrefixLength(&prefix), S_OK);
        EXPECT_EQ(prefix, 27);
        auto info = CreateCore<ICoreInfo>(CLSID_CoreInfo);
        EXPECT_EQ(TextOf(info.get(), &ICoreInfo::get_SearchRanges), L"127.0.5.0/27,127.0.6.0/24");
        EXPECT_EQ(TextOf(info.get(), &ICoreInfo::get_ConfigurationFile), SearchConfigFile::Path());
    }
    {
        // A range that does not parse allows no search at all.
        SearchConfigFile config("[Search]\r\nRanges=127.0.5.0/27, all of them\r\n");
        auto settings = read();
        ASSERT_TRUE(settings);
        LONG connected = -1;
        settings->get_Connected(&connected);
        EXPECT_EQ(connected, 0);
        EXPECT_EQ(TextOf(settings.get(), &INetworkAdapterSettings::get_SearchNetwork), L"");
        EXPECT_EQ(TextOf(CreateCore<ICoreInfo>(CLSID_CoreInfo).get(), &ICoreInfo::get_SearchRanges), L"none");
    }
    // Without the file the host's adapter speaks; whatever this machine has, it is consistent.
    auto settings = read();
    ASSERT_TRUE(settings);
    LONG connected = -1;
    LONG prefix = -1;
    settings->get_Connected(&connected);
    settings->get_SearchPrefixLength(&prefix);
    std::wstring network = TextOf(settings.get(), &INetworkAdapterSettings::get_SearchNetwork);
    if (connected == 1) {
        EXPECT_GE(prefix, 22);
        EXPECT_LE(prefix, 32);
        EXPECT_NE(network, L"");
    } else {
        EXPECT_EQ(connected, 0);
        EXPECT_EQ(network, L"");
    }
}

TEST_F(CoreComponent, SearchParametersRefuseWhatCannotBeSearched)
{
    auto enumerator = CreateCore<IDeviceEnumerator>(CLSID_DeviceEnumerator);
    ASSERT_TRUE(enumerator);
    UniqueBstr bogus(L"127.0.5");
    EXPECT_EQ(enumerator->put_SearchNetwork(bogus.get()), E_INVALIDARG);
    EXPECT_EQ(enumerator->put_SearchPrefixLength(33), E_INVALIDARG);
    EXPECT_EQ(enumerator->put_SearchPrefixLength(-1), E_INVALIDARG);
    EXPECT_EQ(enumerator->put_ProbeMethods(0), E_INVALIDARG);
    EXPECT_EQ(enumerator->put_ProbeMethods(0x02), E_INVALIDARG);
    LONG methods = 0;
    EXPECT_EQ(enumerator->get_ProbeMethods(&methods), S_OK);
    EXPECT_EQ(methods, 0x11) << "SNMP and the product configuration by default";
    EXPECT_EQ(enumerator->put_ProbeMethods(17), S_OK);

    ComPtr<IDeviceCollection> devices;
    EXPECT_EQ(enumerator->GetInstalledDevices(0, devices.put()), E_INVALIDARG);
    EXPECT_EQ(enumerator->GetConnectedUSBDevices(3, devices.put()), E_INVALIDARG);
    ASSERT_EQ(enumerator->GetNetworkDevices(1, devices.put()), S_OK);
    UniqueVariant item;
    EXPECT_EQ(devices->get_Item(0, item.get()), E_INVALIDARG);
    EXPECT_EQ(devices->get_Item(1, item.get()), E_INVALIDARG);
    EXPECT_EQ((*item).vt, VT_EMPTY);

    // Only the event interface can be connected.
    ComPtr<IConnectionPointContainer> container;
    ASSERT_EQ(enumerator->QueryInterface(IID_IConnectionPointContainer, container.put_void()), S_OK);
    ComPtr<IConnectionPoint> point;
    EXPECT_EQ(container->FindConnectionPoint(IID_IDispatch, point.put()), CONNECT_E_NOCONNECTION);
    ASSERT_EQ(container->FindConnectionPoint(DIID__IDeviceEnumeratorEvents, point.put()), S_OK);
    EXPECT_EQ(point->Unadvise(42), CONNECT_E_NOCONNECTION);
}
