#pragma once
// Owners for system handles, COM pointers, GDI objects and critical sections.
#include <windows.h>
#include <unknwn.h>
#include <oleauto.h>

#include <utility>

#include "winapi/InternetApi.h"
#include "winapi/NGWinApi.h"

namespace NGWinApi {

// A kernel handle; both null and INVALID_HANDLE_VALUE count as none.
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    ~UniqueHandle() { reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    explicit operator bool() const { return valid(); }
    HANDLE release() { return std::exchange(handle_, nullptr); }
    void reset(HANDLE handle = nullptr)
    {
        if (valid())
            Kernel().CloseHandle(handle_);
        handle_ = handle;
    }

private:
    HANDLE handle_ = nullptr;
};

// A WinINet handle (session, connection, request or URL); closed through the wrapper in use.
class UniqueInternetHandle {
public:
    UniqueInternetHandle() = default;
    explicit UniqueInternetHandle(HINTERNET handle) : handle_(handle) {}
    UniqueInternetHandle(UniqueInternetHandle&& other) noexcept : handle_(other.release()) {}
    UniqueInternetHandle& operator=(UniqueInternetHandle&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    ~UniqueInternetHandle() { reset(); }
    UniqueInternetHandle(const UniqueInternetHandle&) = delete;
    UniqueInternetHandle& operator=(const UniqueInternetHandle&) = delete;

    HINTERNET get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    HINTERNET release() { return std::exchange(handle_, nullptr); }
    void reset(HINTERNET handle = nullptr)
    {
        if (handle_ != nullptr)
            Internet().InternetCloseHandle(handle_);
        handle_ = handle;
    }

private:
    HINTERNET handle_ = nullptr;
};

template <class Interface>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr& other) : p_(other.p_) { if (p_) p_->AddRef(); }
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept { std::swap(p_, other.p_); return *this; }
    ~ComPtr() { reset(); }

    Interface* get() const { return p_; }
    Interface* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For out-parameters: releases what is held first.
    Interface** put() { reset(); return &p_; }
    void** put_void() { return reinterpret_cast<void**>(put()); }
    void reset() { if (p_) std::exchange(p_, nullptr)->Release(); }

    template <class Other>
    HRESULT As(ComPtr<Other>& other) const
    {
        if (!p_)
            return E_POINTER;
        return p_->QueryInterface(__uuidof(Other), other.put_void());
    }

private:
    Interface* p_ = nullptr;
};

// A GDI object (font, bitmap, brush, pen, region).
template <class Object>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(Object object) : object_(object) {}
    GdiObject(GdiObject&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    GdiObject& operator=(GdiObject&& other) noexcept
    {
        if (this != &other)
            reset(std::exchange(other.object_, nullptr));
        return *this;
    }
    ~GdiObject() { reset(); }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;

    Object get() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }
    Object release() { return std::exchange(object_, nullptr); }
    void reset(Object object = nullptr)
    {
        if (object_)
            ::DeleteObject(object_);
        object_ = object;
    }

private:
    Object object_ = nullptr;
};

using UniqueFont = GdiObject<HFONT>;
using UniqueBitmap = GdiObject<HBITMAP>;
using UniqueBrush = GdiObject<HBRUSH>;
using UniquePen = GdiObject<HPEN>;

// A memory device context compatible with another, deleted with its owner.
class MemoryDc {
public:
    explicit MemoryDc(HDC compatible) : dc_(::CreateCompatibleDC(compatible)) {}
    ~MemoryDc()
    {
        if (dc_ != nullptr)
            ::DeleteDC(dc_);
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

// Selects an object into a device context for the lifetime of the guard.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
    ~Selection() { ::SelectObject(dc_, previous_); }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

class CriticalSection {
public:
    CriticalSection() { ::InitializeCriticalSection(&section_); }
    ~CriticalSection() { ::DeleteCriticalSection(&section_); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;
    void Enter() { ::EnterCriticalSection(&section_); }
    void Leave() { ::LeaveCriticalSection(&section_); }

private:
    CRITICAL_SECTION section_;
};

class CriticalSectionLock {
public:
    explicit CriticalSectionLock(CriticalSection& section) : section_(section) { section_.Enter(); }
    ~CriticalSectionLock() { section_.Leave(); }
    CriticalSectionLock(const CriticalSectionLock&) = delete;
    CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;

private:
    CriticalSection& section_;
};

// Balances a successful CoInitialize on this thread.
class ComInitialization {
public:
    ComInitialization() : result_(Com().CoInitialize(nullptr)) {}
    ~ComInitialization() { if (SUCCEEDED(result_)) Com().CoUninitialize(); }
    ComInitialization(const ComInitialization&) = delete;
    ComInitialization& operator=(const ComInitialization&) = delete;
    bool ok() const { return SUCCEEDED(result_); }

private:
    HRESULT result_;
};

// A BSTR owned by this object.
class UniqueBstr {
public:
    UniqueBstr() = default;
    explicit UniqueBstr(const wchar_t* text) : bstr_(::SysAllocString(text)) {}
    ~UniqueBstr() { ::SysFreeString(bstr_); }
    UniqueBstr(const UniqueBstr&) = delete;
    UniqueBstr& operator=(const UniqueBstr&) = delete;
    BSTR get() const { return bstr_; }
    BSTR* put() { ::SysFreeString(bstr_); bstr_ = nullptr; return &bstr_; }

private:
    BSTR bstr_ = nullptr;
};

// A VARIANT cleared when it goes.
class UniqueVariant {
public:
    UniqueVariant() { ::VariantInit(&variant_); }
    ~UniqueVariant() { ::VariantClear(&variant_); }
    UniqueVariant(const UniqueVariant&) = delete;
    UniqueVariant& operator=(const UniqueVariant&) = delete;
    VARIANT* get() { return &variant_; }
    const VARIANT& operator*() const { return variant_; }

private:
    VARIANT variant_;
};

// Frees memory from GlobalAlloc.
class UniqueGlobal {
public:
    explicit UniqueGlobal(HGLOBAL global = nullptr) : global_(global) {}
    ~UniqueGlobal() { if (global_) ::GlobalFree(global_); }
    UniqueGlobal(const UniqueGlobal&) = delete;
    UniqueGlobal& operator=(const UniqueGlobal&) = delete;
    HGLOBAL get() const { return global_; }

private:
    HGLOBAL global_;
};

} // namespace NGWinApi
