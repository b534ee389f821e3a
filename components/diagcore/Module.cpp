// KeloDiagnosticCore.dll: the entry points of an in-process COM server. Activation is
// registration-free (the side-by-side assembly KeloDiagnosticCore.X names the classes), so
// there is nothing to register.
#include <windows.h>
#include <objbase.h>

#include "components/diagcore/CoreClasses.h"
#include "components/diagcore/CoreSupport.h"
#include "components/diagcore/DispatchObject.h"
#include "components/diagcore/EventHub.h"
#include "winapi/DeviceIoApi.h"

namespace diagcore {

namespace {

using CreateFunction = HRESULT (*)(REFIID, void**);

class ClassFactory final : public UnknownObject<IClassFactory> {
public:
    explicit ClassFactory(CreateFunction create) : create_(create) {}

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override
    {
        if (object == nullptr)
            return E_POINTER;
        *object = nullptr;
        if (outer != nullptr)
            return CLASS_E_NOAGGREGATION;
        return create_(iid, object);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override
    {
        if (lock)
            LockModule();
        else
            UnlockModule();
        return S_OK;
    }

private:
    CreateFunction create_;
};

CreateFunction CreatorOf(REFCLSID clsid)
{
    if (IsEqualCLSID(clsid, CLSID_DeviceEnumerator))
        return CreateDeviceEnumerator;
    if (IsEqualCLSID(clsid, CLSID_NetworkInfo))
        return CreateNetworkInfo;
    if (IsEqualCLSID(clsid, CLSID_CoreInfo))
        return CreateCoreInfo;
    return nullptr;
}

} // namespace

} // namespace diagcore

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH)
        diagcore::SetModuleHandle(instance);
    else if (reason == DLL_PROCESS_DETACH && reserved == nullptr)
        diagcore::UnregisterNotificationClass();
    return TRUE;
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* object)
{
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    diagcore::CreateFunction create = diagcore::CreatorOf(clsid);
    if (create == nullptr)
        return CLASS_E_CLASSNOTAVAILABLE;
    return diagcore::Guarded([&]() -> HRESULT {
        auto* factory = new diagcore::ClassFactory(create);
        HRESULT result = factory->QueryInterface(iid, object);
        factory->Release();
        return result;
    });
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllCanUnloadNow()
{
    if (diagcore::ModuleLocks() != 0)
        return S_FALSE;
    diagcore::ReleaseTypeLibrary();
    return S_OK;
}

// For tests: puts a device I/O wrapper (a simulated USB printer host) in place of this
// module's own and returns the previous one. The test program's wrapper instance is not the
// DLL's, so it is handed over here.
extern "C" __declspec(dllexport) NGWinApi::CDeviceIoApi* STDAPICALLTYPE
KeloDiagCoreReplaceDeviceIo(NGWinApi::CDeviceIoApi* api)
{
    return NGWinApi::Replace(api);
}
