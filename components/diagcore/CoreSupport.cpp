#include "components/diagcore/CoreSupport.h"

#include <mutex>
#include <vector>

#include "winapi/Handles.h"

namespace diagcore {

namespace {

HMODULE g_module = nullptr;
std::atomic<long> g_locks{0};

std::mutex g_typeLibMutex;
NGWinApi::ComPtr<ITypeLib> g_typeLib;

} // namespace

HMODULE ModuleHandle()
{
    return g_module;
}

void SetModuleHandle(HMODULE module)
{
    g_module = module;
}

std::wstring ModulePath(HMODULE module)
{
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD length = ::GetModuleFileNameW(module, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return {};
        if (length < buffer.size())
            return std::wstring(buffer.data(), length);
        if (buffer.size() >= 32768)
            return {};
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring ExecutableFolder()
{
    std::wstring path = ModulePath(nullptr);
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

void LockModule()
{
    ++g_locks;
}

void UnlockModule()
{
    --g_locks;
}

long ModuleLocks()
{
    return g_locks;
}

HRESULT CoreTypeInfo(REFGUID guid, ITypeInfo** info)
{
    if (info == nullptr)
        return E_POINTER;
    *info = nullptr;
    std::lock_guard lock(g_typeLibMutex);
    if (!g_typeLib) {
        // The type library is the module's TYPELIB resource 1.
        std::wstring path = ModulePath(g_module);
        HRESULT result = ::LoadTypeLibEx(path.c_str(), REGKIND_NONE, g_typeLib.put());
        if (FAILED(result))
            return result;
    }
    return g_typeLib->GetTypeInfoOfGuid(guid, info);
}

void ReleaseTypeLibrary()
{
    std::lock_guard lock(g_typeLibMutex);
    g_typeLib.reset();
}

HRESULT ReturnText(const std::wstring& text, BSTR* out)
{
    if (out == nullptr)
        return E_POINTER;
    *out = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT ReturnGuardedText(const std::wstring& text, BSTR* out) noexcept
{
    return Guarded([&] { return ReturnText(text, out); });
}

HRESULT ReturnNumber(long number, LONG* out)
{
    if (out == nullptr)
        return E_POINTER;
    *out = number;
    return S_OK;
}

RegistryKey::~RegistryKey()
{
    if (key_ != nullptr)
        ::RegCloseKey(key_);
}

bool RegistryKey::Open(HKEY root, const std::wstring& path)
{
    if (key_ != nullptr) {
        ::RegCloseKey(key_);
        key_ = nullptr;
    }
    return ::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key_) == ERROR_SUCCESS;
}

std::wstring RegistryKey::Text(const wchar_t* name) const
{
    if (key_ == nullptr)
        return {};
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExW(key_, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ) || size > 64 * 1024)
        return {};
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1);
    DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (::RegQueryValueExW(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &bytes) != ERROR_SUCCESS)
        return {};
    buffer.back() = L'\0';
    return std::wstring(buffer.data());
}

std::optional<DWORD> RegistryKey::Number(const wchar_t* name) const
{
    if (key_ == nullptr)
        return std::nullopt;
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (::RegQueryValueExW(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
        return std::nullopt;
    return value;
}

} // namespace diagcore
