#include "support/OSInformation.h"

#include <windows.h>

#include "support/LogFile.h"
#include "winapi/NGWinApi.h"

namespace {

using GetNativeSystemInfoFn = void(WINAPI*)(LPSYSTEM_INFO);
using GetProductInfoFn = BOOL(WINAPI*)(DWORD, DWORD, DWORD, DWORD, PDWORD);

template <class Fn>
Fn FindKernelProc(const char* name)
{
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    if (kernel == nullptr)
        return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(NGWinApi::Kernel().GetProcAddress(kernel, name)));
}

bool ReadVersion(OSVERSIONINFOEXW& version)
{
    version = {};
    version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXW);
    return NGWinApi::Kernel().GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version)) != FALSE;
}

OSVersionFacts FactsFrom(const OSVERSIONINFOEXW& version, const SYSTEM_INFO& system)
{
    OSVersionFacts facts;
    facts.majorVersion = version.dwMajorVersion;
    facts.minorVersion = version.dwMinorVersion;
    facts.platformId = version.dwPlatformId;
    facts.servicePackMajor = version.wServicePackMajor;
    facts.suiteMask = version.wSuiteMask;
    facts.productType = version.wProductType;
    facts.processorArchitecture = system.wProcessorArchitecture;
    facts.servicePackText = version.szCSDVersion;
    facts.system64Bit = NGWinApi::RunsOn64BitSystem();
    return facts;
}

} // namespace

std::wstring GetOSSummaryString()
{
    static_assert(sizeof(OSVERSIONINFOEXW) == 284, "extended version block");
    OSVERSIONINFOEXW version;
    if (!ReadVersion(version))
        return {};
    SYSTEM_INFO system = {};
    if (auto native = FindKernelProc<GetNativeSystemInfoFn>("GetNativeSystemInfo"))
        native(&system);
    else
        NGWinApi::Kernel().GetSystemInfo(&system);
    return OSSummaryText(FactsFrom(version, system));
}

void COSInformation::GetOSDisplayString(os_info& osinfo)
{
    CLogFile& log = LogFile();
    osinfo.version.clear();
    OSVERSIONINFOEXW version;
    if (!ReadVersion(version)) {
        log.Write(L"COSInformation::GetOSDisplayString( os_info &osinfo) - Failed to retrieve os information");
        return;
    }
    log.Write(L"COSInformation::GetOSDisplayString( os_info &osinfo) - Trying to get the procedure address for GetNativeSystemInfo()");
    SYSTEM_INFO system = {};
    if (auto native = FindKernelProc<GetNativeSystemInfoFn>("GetNativeSystemInfo")) {
        log.Write(L"COSInformation::GetOSDisplayString( os_info &osinfo) - Proc address found for GetNativeSystemInfo()");
        native(&system);
    } else {
        log.Write(L"COSInformation::GetOSDisplayString( os_info &osinfo) - Proc address not found for GetNativeSystemInfo(). Using GetSystemInfo()");
        NGWinApi::Kernel().GetSystemInfo(&system);
    }
    log.Write(L"COSInformation::GetOSDisplayString( os_info &osinfo) - Finding the OS Edition using osvi.dwPlatformId , osvi.dwMajorVersion ");
    OSVersionFacts facts = FactsFrom(version, system);
    if (!IsDescribableOS(facts)) {
        log.Write(L"COSInformation::GetOSDisplayString( os_info &osinfo) - Failed to retrieve os information");
        return;
    }
    if (facts.majorVersion == 6) {
        log.Write(L"COSInformation::GetOSDisplayString( os_info &osinfo) - Trying to get the procedure address for GetProductInfo()");
        DWORD type = 0;
        if (auto productInfo = FindKernelProc<GetProductInfoFn>("GetProductInfo"))
            productInfo(facts.majorVersion, facts.minorVersion, 0, 0, &type);
        facts.productInfoType = type;
    }
    facts.serverR2 = ::GetSystemMetrics(SM_SERVERR2) != 0;
    DescribeOS(facts, osinfo);
}
