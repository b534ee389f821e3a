#include "winapi/NGWinApi.h"

#include <atomic>
#include <cstring>

namespace NGWinApi {

FARPROC CKernelApi::GetProcAddress(HMODULE module, LPCSTR name) { return ::GetProcAddress(module, name); }
HMODULE CKernelApi::LoadLibraryW(LPCWSTR fileName) { return ::LoadLibraryW(fileName); }
BOOL CKernelApi::FreeLibrary(HMODULE module) { return ::FreeLibrary(module); }

BOOL CKernelApi::GetVersionExW(LPOSVERSIONINFOW info)
{
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    return ::GetVersionExW(info);
#pragma GCC diagnostic pop
}

BOOL CKernelApi::CloseHandle(HANDLE handle) { return ::CloseHandle(handle); }

HANDLE CKernelApi::CreateThread(LPSECURITY_ATTRIBUTES attributes, SIZE_T stackSize,
                                LPTHREAD_START_ROUTINE start, LPVOID parameter, DWORD flags,
                                LPDWORD threadId)
{
    return ::CreateThread(attributes, stackSize, start, parameter, flags, threadId);
}

DWORD CKernelApi::WaitForSingleObject(HANDLE handle, DWORD milliseconds)
{
    return ::WaitForSingleObject(handle, milliseconds);
}

HANDLE CKernelApi::CreateMutexW(LPSECURITY_ATTRIBUTES attributes, BOOL initialOwner, LPCWSTR name)
{
    return ::CreateMutexW(attributes, initialOwner, name);
}

DWORD CKernelApi::GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size)
{
    return ::GetModuleFileNameW(module, fileName, size);
}

HANDLE CKernelApi::OpenMutexW(DWORD access, BOOL inherit, LPCWSTR name)
{
    return ::OpenMutexW(access, inherit, name);
}

BOOL CKernelApi::ReleaseMutex(HANDLE mutex) { return ::ReleaseMutex(mutex); }

HANDLE CKernelApi::CreateFileW(LPCWSTR fileName, DWORD access, DWORD shareMode,
                               LPSECURITY_ATTRIBUTES attributes, DWORD disposition, DWORD flags,
                               HANDLE templateFile)
{
    return ::CreateFileW(fileName, access, shareMode, attributes, disposition, flags, templateFile);
}

DWORD CKernelApi::WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll,
                                         DWORD milliseconds)
{
    return ::WaitForMultipleObjects(count, handles, waitAll, milliseconds);
}

void CKernelApi::MemoryCopy(void* destination, const void* source, size_t size)
{
    if (size != 0)
        std::memcpy(destination, source, size);
}

int CKernelApi::MultiByteToWideChar(UINT codePage, DWORD flags, LPCCH multiByte, int multiByteSize,
                                    LPWSTR wide, int wideSize)
{
    return ::MultiByteToWideChar(codePage, flags, multiByte, multiByteSize, wide, wideSize);
}

int CKernelApi::WideCharToMultiByte(UINT codePage, DWORD flags, LPCWCH wide, int wideSize,
                                    LPSTR multiByte, int multiByteSize, LPCCH defaultChar,
                                    LPBOOL usedDefaultChar)
{
    return ::WideCharToMultiByte(codePage, flags, wide, wideSize, multiByte, multiByteSize, defaultChar,
                                 usedDefaultChar);
}

BOOL CKernelApi::WriteFile(HANDLE file, LPCVOID buffer, DWORD size, LPDWORD written,
                           LPOVERLAPPED overlapped)
{
    return ::WriteFile(file, buffer, size, written, overlapped);
}

HGLOBAL CKernelApi::GlobalAlloc(UINT flags, SIZE_T size) { return ::GlobalAlloc(flags, size); }

BOOL CKernelApi::DeviceIoControl(HANDLE device, DWORD code, LPVOID in, DWORD inSize, LPVOID out,
                                 DWORD outSize, LPDWORD returned, LPOVERLAPPED overlapped)
{
    return ::DeviceIoControl(device, code, in, inSize, out, outSize, returned, overlapped);
}

void CKernelApi::GetSystemInfo(LPSYSTEM_INFO info) { ::GetSystemInfo(info); }

BOOL CKernelApi::FreeResource(HGLOBAL resource) { return ::FreeResource(resource); }

BOOL CKernelApi::IsWow64Process(HANDLE process, PBOOL wow64)
{
    // Looked up at run time: the call is missing on the oldest systems.
    using Fn = BOOL(WINAPI*)(HANDLE, PBOOL);
    auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(
        GetProcAddress(::GetModuleHandleW(L"kernel32"), "IsWow64Process")));
    if (fn == nullptr)
        return FALSE;
    return fn(process, wow64);
}

bool CKernelApi::ProcessIs64Bit() { return sizeof(void*) == 8; }

bool RunsOn64BitSystem()
{
    if (Kernel().ProcessIs64Bit())
        return true;
    BOOL wow64 = FALSE;
    return Kernel().IsWow64Process(::GetCurrentProcess(), &wow64) && wow64;
}

HRESULT CComApi::CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid,
                                  LPVOID* object)
{
    return ::CoCreateInstance(clsid, outer, context, iid, object);
}

HRESULT CComApi::CoCreateGuid(GUID* guid) { return ::CoCreateGuid(guid); }
HRESULT CComApi::CoInitialize(LPVOID reserved) { return ::CoInitialize(reserved); }
void CComApi::CoUninitialize() { ::CoUninitialize(); }
HRESULT CComApi::OleInitialize(LPVOID reserved) { return ::OleInitialize(reserved); }
void CComApi::OleUninitialize() { ::OleUninitialize(); }

HRESULT CComApi::CreateStreamOnHGlobal(HGLOBAL global, BOOL deleteOnRelease, LPSTREAM* stream)
{
    return ::CreateStreamOnHGlobal(global, deleteOnRelease, stream);
}

HRESULT CComApi::ReleaseInterface(IUnknown* object)
{
    if (object == nullptr)
        return E_INVALIDARG;
    object->Release();
    return S_OK;
}

HRESULT CComApi::InterfaceToVariant(IUnknown* object, VARIANT* variant)
{
    if (variant == nullptr)
        return E_INVALIDARG;
    ::VariantInit(variant);
    if (object == nullptr)
        return E_INVALIDARG;
    IDispatch* dispatch = nullptr;
    if (SUCCEEDED(object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)))) {
        variant->vt = VT_DISPATCH;
        variant->pdispVal = dispatch;
        return S_OK;
    }
    object->AddRef();
    variant->vt = VT_UNKNOWN;
    variant->punkVal = object;
    return S_OK;
}

void CComApi::Nothing(void*) {}

BOOL CAdvApi::AllocateAndInitializeSid(PSID_IDENTIFIER_AUTHORITY authority, BYTE count, DWORD sub0,
                                       DWORD sub1, DWORD sub2, DWORD sub3, DWORD sub4, DWORD sub5,
                                       DWORD sub6, DWORD sub7, PSID* sid)
{
    return ::AllocateAndInitializeSid(authority, count, sub0, sub1, sub2, sub3, sub4, sub5, sub6, sub7, sid);
}

PVOID CAdvApi::FreeSid(PSID sid) { return ::FreeSid(sid); }

BOOL CAdvApi::CheckTokenMembership(HANDLE token, PSID sid, PBOOL isMember)
{
    return ::CheckTokenMembership(token, sid, isMember);
}

namespace {
CKernelApi g_kernel;
CComApi g_com;
CAdvApi g_adv;
std::atomic<CKernelApi*> g_kernelInUse{&g_kernel};
std::atomic<CComApi*> g_comInUse{&g_com};
std::atomic<CAdvApi*> g_advInUse{&g_adv};

template <class Api>
Api* Swap(std::atomic<Api*>& slot, Api* api, Api& real)
{
    return slot.exchange(api != nullptr ? api : &real);
}
} // namespace

CKernelApi& Kernel() { return *g_kernelInUse.load(); }
CComApi& Com() { return *g_comInUse.load(); }
CAdvApi& Adv() { return *g_advInUse.load(); }
CKernelApi* Replace(CKernelApi* api) { return Swap(g_kernelInUse, api, g_kernel); }
CComApi* Replace(CComApi* api) { return Swap(g_comInUse, api, g_com); }
CAdvApi* Replace(CAdvApi* api) { return Swap(g_advInUse, api, g_adv); }

} // namespace NGWinApi
