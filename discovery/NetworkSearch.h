#pragma once
// One network printer search through the diagnostic core component: its objects created and
// released together, the search started with the host's network settings, its events handed to
// the caller on the thread that pumps messages, and the found devices read back.
#include <windows.h>
#include <ocidl.h>

#include <functional>
#include <optional>
#include <vector>

#include "KeloDiagnosticCore.h"
#include "discovery/SearchRules.h"
#include "winapi/Handles.h"

// Receives the enumerator's progress and completion events and passes them on.
class CDeviceEnumeratorEventSink final : public IDispatch {
public:
    CDeviceEnumeratorEventSink(std::function<void(long percent)> progress, std::function<void()> completed)
        : progress_(std::move(progress)), completed_(std::move(completed))
    {
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    // Lives as long as its search, which holds it: no reference counting.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* parameters, VARIANT*, EXCEPINFO*,
                                     UINT*) override;

private:
    std::function<void(long)> progress_;
    std::function<void()> completed_;
};

enum class SearchStart {
    Started,
    NotRegistered, // the component's objects could not be created or connected
    NoSettings,    // the settings object is missing
    NoConnection,  // the settings report no network connection
    Failed,        // a call on the component failed
};

class CNetworkSearch {
public:
    CNetworkSearch(std::function<void(long percent)> progress, std::function<void()> completed);
    ~CNetworkSearch();
    CNetworkSearch(const CNetworkSearch&) = delete;
    CNetworkSearch& operator=(const CNetworkSearch&) = delete;

    // Creates the objects and starts the search over the network the host's settings name.
    SearchStart Start();
    // Creates the objects and probes the one address, as the search probes each host.
    SearchStart StartOn(const std::wstring& address);
    // The devices the search found, in the component's order; nothing when the result
    // collection cannot be read.
    std::optional<std::vector<FoundPrinter>> Results();

private:
    bool Create();
    bool Begin(BSTR network, long prefixLength);

    CDeviceEnumeratorEventSink sink_;
    NGWinApi::ComPtr<INetworkInfo> info_;
    NGWinApi::ComPtr<IDeviceEnumerator> enumerator_;
    NGWinApi::ComPtr<ICoreInfo> core_; // created with the others; the search asks nothing of it
    NGWinApi::ComPtr<IConnectionPoint> events_;
    DWORD cookie_ = 0;
};
