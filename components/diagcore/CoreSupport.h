#pragma once
// Shared pieces of the component's COM objects: module lifetime, the type library, texts
// as BSTRs, the guard that keeps exceptions inside, registry reads.
#include <windows.h>
#include <oleauto.h>

#include <atomic>
#include <new>
#include <optional>
#include <string>

#include "KeloDiagnosticCore.h"

namespace diagcore {

inline constexpr wchar_t kComponentVersion[] = L"1.0.15.0";

// The component's module, set by DllMain.
HMODULE ModuleHandle();
void SetModuleHandle(HMODULE module);
// Full path of a module; the running executable for null.
std::wstring ModulePath(HMODULE module);
// The folder of the running executable, without a trailing backslash.
std::wstring ExecutableFolder();

// Live objects and server locks; the DLL may unload at zero.
void LockModule();
void UnlockModule();
long ModuleLocks();

// The type information of one interface or class of the component's type library (kept
// loaded until the module may unload).
HRESULT CoreTypeInfo(REFGUID guid, ITypeInfo** info);
void ReleaseTypeLibrary();

// Runs `body`, turning any exception into a failing HRESULT: no exception leaves a COM method.
template <class Body>
HRESULT Guarded(Body&& body) noexcept
{
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

// Hands `text` to the caller as a new BSTR (an empty text as an empty BSTR, never null).
HRESULT ReturnText(const std::wstring& text, BSTR* out);
// The same inside Guarded, for a property getter.
HRESULT ReturnGuardedText(const std::wstring& text, BSTR* out) noexcept;
HRESULT ReturnNumber(long number, LONG* out);

// An open registry key, closed when it goes.
class RegistryKey {
public:
    RegistryKey() = default;
    ~RegistryKey();
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // Opens `path` under `root` for reading; false when it cannot.
    bool Open(HKEY root, const std::wstring& path);
    std::wstring Text(const wchar_t* name) const;
    std::optional<DWORD> Number(const wchar_t* name) const;

private:
    HKEY key_ = nullptr;
};

} // namespace diagcore
