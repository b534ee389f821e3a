#pragma once
// System call wrappers. Device and platform code reaches the system through the
// global instances below, so tests can put a fake in place of any of them.
#include <windows.h>
#include <objbase.h>
#include <oaidl.h>

namespace NGWinApi {

class CKernelApi {
public:
    virtual FARPROC GetProcAddress(HMODULE module, LPCSTR name);
    virtual HMODULE LoadLibraryW(LPCWSTR fileName);
    virtual BOOL FreeLibrary(HMODULE module);
    virtual BOOL GetVersionExW(LPOSVERSIONINFOW info);
    virtual BOOL CloseHandle(HANDLE handle);
    virtual HANDLE CreateThread(LPSECURITY_ATTRIBUTES attributes, SIZE_T stackSize,
                                LPTHREAD_START_ROUTINE start, LPVOID parameter, DWORD flags,
                                LPDWORD threadId);
    virtual DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
    virtual HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES attributes, BOOL initialOwner, LPCWSTR name);
    virtual DWORD GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size);
    virtual HANDLE OpenMutexW(DWORD access, BOOL inherit, LPCWSTR name);
    virtual BOOL ReleaseMutex(HANDLE mutex);
    virtual HANDLE CreateFileW(LPCWSTR fileName, DWORD access, DWORD shareMode,
                               LPSECURITY_ATTRIBUTES attributes, DWORD disposition, DWORD flags,
                               HANDLE templateFile);
    virtual DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll,
                                         DWORD milliseconds);
    virtual void MemoryCopy(void* destination, const void* source, size_t size);
    virtual int MultiByteToWideChar(UINT codePage, DWORD flags, LPCCH multiByte, int multiByteSize,
                                    LPWSTR wide, int wideSize);
    virtual int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWCH wide, int wideSize,
                                    LPSTR multiByte, int multiByteSize, LPCCH defaultChar,
                                    LPBOOL usedDefaultChar);
    virtual BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD size, LPDWORD written,
                           LPOVERLAPPED overlapped);
    virtual HGLOBAL GlobalAlloc(UINT flags, SIZE_T size);
    virtual BOOL DeviceIoControl(HANDLE device, DWORD code, LPVOID in, DWORD inSize, LPVOID out,
                                 DWORD outSize, LPDWORD returned, LPOVERLAPPED overlapped);
    virtual void GetSystemInfo(LPSYSTEM_INFO info);
    virtual BOOL FreeResource(HGLOBAL resource);
    virtual BOOL IsWow64Process(HANDLE process, PBOOL wow64);
    // Whether this program was built for 64-bit Windows (a seam, so both builds test both answers).
    virtual bool ProcessIs64Bit();
    virtual ~CKernelApi() = default;
};

class CComApi {
public:
    virtual HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid,
                                     LPVOID* object);
    virtual HRESULT CoCreateGuid(GUID* guid);
    virtual HRESULT CoInitialize(LPVOID reserved);
    virtual void CoUninitialize();
    virtual HRESULT OleInitialize(LPVOID reserved);
    virtual void OleUninitialize();
    virtual HRESULT CreateStreamOnHGlobal(HGLOBAL global, BOOL deleteOnRelease, LPSTREAM* stream);
    // E_INVALIDARG when there is nothing to release.
    virtual HRESULT ReleaseInterface(IUnknown* object);
    // Stores an added reference to `object` in `variant` as VT_DISPATCH or VT_UNKNOWN.
    virtual HRESULT InterfaceToVariant(IUnknown* object, VARIANT* variant);
    virtual void Nothing(void* argument);
    virtual ~CComApi() = default;
};

class CAdvApi {
public:
    virtual BOOL AllocateAndInitializeSid(PSID_IDENTIFIER_AUTHORITY authority, BYTE count, DWORD sub0,
                                          DWORD sub1, DWORD sub2, DWORD sub3, DWORD sub4, DWORD sub5,
                                          DWORD sub6, DWORD sub7, PSID* sid);
    virtual PVOID FreeSid(PSID sid);
    virtual BOOL CheckTokenMembership(HANDLE token, PSID sid, PBOOL isMember);
    virtual ~CAdvApi() = default;
};

// A 64-bit system: this process is 64-bit, or a 32-bit process that IsWow64Process says runs on one.
bool RunsOn64BitSystem();

// The instances in use. Replace() swaps one in for a test and returns the previous one.
CKernelApi& Kernel();
CComApi& Com();
CAdvApi& Adv();
CKernelApi* Replace(CKernelApi* api);
CComApi* Replace(CComApi* api);
CAdvApi* Replace(CAdvApi* api);

// Puts a fake in place for one scope.
template <class Api>
class ScopedApi {
public:
    explicit ScopedApi(Api& fake) : previous_(Replace(&fake)) {}
    ~ScopedApi() { Replace(previous_); }
    ScopedApi(const ScopedApi&) = delete;
    ScopedApi& operator=(const ScopedApi&) = delete;

private:
    Api* previous_;
};

} // namespace NGWinApi
