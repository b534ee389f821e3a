#pragma once
// The common half of every object of the component: reference counting, QueryInterface, and
// IDispatch answered from the type library (ITypeInfo::Invoke calls the vtable), so
// scripting clients reach the same code.
#include <windows.h>
#include <oleauto.h>

#include <atomic>

#include "components/diagcore/CoreSupport.h"
#include "winapi/Handles.h"

namespace diagcore {

// Reference counting and QueryInterface for an object of one interface (and the interfaces
// `Bases` it derives from); the module stays loaded while the object lives.
template <class Interface, class... Bases>
class UnknownObject : public Interface {
public:
    UnknownObject(const UnknownObject&) = delete;
    UnknownObject& operator=(const UnknownObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (object == nullptr)
            return E_POINTER;
        *object = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, __uuidof(Interface)) ||
            (IsEqualIID(iid, __uuidof(Bases)) || ...))
            *object = static_cast<Interface*>(this);
        else
            *object = QueryFurtherInterface(iid);
        if (*object == nullptr)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        ULONG left = --references_;
        if (left == 0)
            delete this;
        return left;
    }

protected:
    UnknownObject() { LockModule(); }
    virtual ~UnknownObject() { UnlockModule(); }

    // Interfaces beyond these; null when not supported.
    virtual void* QueryFurtherInterface(REFIID) { return nullptr; }

private:
    std::atomic<ULONG> references_{1};
};

// A dual interface's object: IDispatch answered from the type library.
template <class Interface>
class DispatchObject : public UnknownObject<Interface, IDispatch> {
public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        if (count == nullptr)
            return E_POINTER;
        *count = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override
    {
        if (info == nullptr)
            return E_POINTER;
        *info = nullptr;
        if (index != 0)
            return DISP_E_BADINDEX;
        return CoreTypeInfo(__uuidof(Interface), info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override
    {
        if (!IsEqualIID(iid, IID_NULL))
            return DISP_E_UNKNOWNINTERFACE;
        NGWinApi::ComPtr<ITypeInfo> info;
        HRESULT result = CoreTypeInfo(__uuidof(Interface), info.put());
        if (FAILED(result))
            return result;
        return info->GetIDsOfNames(names, count, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override
    {
        if (!IsEqualIID(iid, IID_NULL))
            return DISP_E_UNKNOWNINTERFACE;
        NGWinApi::ComPtr<ITypeInfo> info;
        HRESULT loaded = CoreTypeInfo(__uuidof(Interface), info.put());
        if (FAILED(loaded))
            return loaded;
        return info->Invoke(static_cast<Interface*>(this), id, flags, parameters, result, exception, argumentError);
    }
};

// Creates an object with one reference and hands out `iid` (the creation reference is
// dropped, so a failing QueryInterface frees it).
template <class Object, class... Arguments>
HRESULT CreateObject(REFIID iid, void** out, Arguments&&... arguments)
{
    if (out == nullptr)
        return E_POINTER;
    *out = nullptr;
    return Guarded([&]() -> HRESULT {
        auto* object = new Object(std::forward<Arguments>(arguments)...);
        HRESULT result = object->QueryInterface(iid, out);
        object->Release();
        return result;
    });
}

} // namespace diagcore
