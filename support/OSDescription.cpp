#include "support/OSDescription.h"

#include <cwchar>

#include "support/LogLine.h"

namespace {

constexpr unsigned long kPlatformNT = 2;
constexpr unsigned char kWorkstation = 1;
constexpr unsigned short kArchitectureX64 = 9;
constexpr unsigned short kArchitectureItanium = 6;
constexpr unsigned short kSuiteEnterprise = 0x2;
constexpr unsigned short kSuiteDatacenter = 0x80;
constexpr unsigned short kSuitePersonal = 0x200;
constexpr unsigned short kSuiteBlade = 0x400;
constexpr unsigned short kSuiteStorageServer = 0x2000;
constexpr unsigned short kSuiteComputeServer = 0x4000;

const char* EditionForProductType(unsigned long type)
{
    switch (type) {
    case 1: return "Ultimate Edition";
    case 2: return "Home Basic Edition";
    case 3: return "Home Premium Edition";
    case 4:
    case 10: return "Enterprise Edition";
    case 6: return "Business Edition";
    case 7: return "Standard Edition";
    case 8: return "Datacenter Edition";
    case 9: return "Small Business Server";
    case 11: return "Starter Edition";
    case 12: return "Datacenter Edition (core installation)";
    case 13: return "Standard Edition (core installation)";
    case 14: return "Enterprise Edition (core installation)";
    case 15: return "Enterprise Edition for Itanium-based Systems";
    case 17: return "Web Server Edition";
    case 18: return "Cluster Server Edition";
    case 25: return "Small Business Server Premium Edition";
    case 48: return "Professional";
    default: return nullptr;
    }
}

const char* ServerEdition52(const OSVersionFacts& f)
{
    const auto has = [&](unsigned short bit) { return (f.suiteMask & bit) != 0; };
    if (f.processorArchitecture == kArchitectureItanium) {
        if (has(kSuiteDatacenter)) return "Datacenter Edition for Itanium-based Systems";
        if (has(kSuiteEnterprise)) return "Enterprise Edition for Itanium-based Systems";
        return nullptr;
    }
    if (f.processorArchitecture == kArchitectureX64) {
        if (has(kSuiteDatacenter)) return "Datacenter x64 Edition";
        if (has(kSuiteEnterprise)) return "Enterprise x64 Edition";
        return "Standard x64 Edition";
    }
    if (has(kSuiteComputeServer)) return "Compute Cluster Edition";
    if (has(kSuiteDatacenter)) return "Datacenter Edition";
    if (has(kSuiteEnterprise)) return "Enterprise Edition";
    if (has(kSuiteBlade)) return "Web Edition";
    return "Standard Edition";
}

} // namespace

bool IsDescribableOS(const OSVersionFacts& f)
{
    return f.platformId == kPlatformNT && f.majorVersion > 4;
}

std::wstring OSSummaryText(const OSVersionFacts& f)
{
    if (!IsDescribableOS(f))
        return {};
    const bool workstation = f.productType == kWorkstation;
    std::wstring text;
    if (f.majorVersion == 6 && f.minorVersion == 0 && workstation)
        text = L"Windows Vista ";
    else if (f.majorVersion == 6 && f.minorVersion == 1 && workstation)
        text = L"Windows 7 ";
    else if (f.majorVersion == 5 && f.minorVersion == 1)
        text = L"Windows XP";
    else if (f.majorVersion == 5 && f.minorVersion == 2 && workstation &&
             f.processorArchitecture == kArchitectureX64)
        text = L"Windows XP";
    if (f.servicePackMajor != 0) {
        wchar_t part[48];
        std::swprintf(part, 48, L", Service Pack %d, ", static_cast<int>(f.servicePackMajor));
        text += part;
    }
    text += f.system64Bit ? L"(64 Bit)" : L"(32 Bit)";
    return text;
}

void DescribeOS(const OSVersionFacts& f, os_info& info)
{
    const bool workstation = f.productType == kWorkstation;
    info.name = "Microsoft ";
    if (f.majorVersion == 6) {
        static const char* const kNames[][2] = {{"Windows Vista", "Windows Server 2008"},
                                                {"Windows 7", "Windows Server 2008 R2"},
                                                {"Windows 8", "Windows Server 2012"}};
        if (f.minorVersion <= 2) {
            info.version = "6." + std::to_string(f.minorVersion);
            info.name += kNames[f.minorVersion][workstation ? 0 : 1];
        }
        if (const char* edition = EditionForProductType(f.productInfoType))
            info.edition = edition;
    }
    if (f.majorVersion == 5 && f.minorVersion == 2) {
        info.version = "5.2";
        if (f.serverR2)
            info.name += "Windows Server 2003 R2";
        else if (f.suiteMask & kSuiteStorageServer)
            info.name += "Windows Storage Server 2003";
        else if (workstation && f.processorArchitecture == kArchitectureX64)
            info.name += "Windows XP Professional x64 Edition";
        else
            info.name += "Windows Server 2003";
        if (!workstation)
            if (const char* edition = ServerEdition52(f))
                info.edition = edition;
    }
    if (f.majorVersion == 5 && f.minorVersion == 1) {
        info.version = "5.1";
        info.name += "Windows XP";
        info.edition = (f.suiteMask & kSuitePersonal) ? "Home Edition" : "Professional";
    }
    if (f.majorVersion == 5 && f.minorVersion == 0) {
        info.version = "5.0";
        info.name += "Windows 2000";
        if (workstation)
            info.edition = "Professional";
        else if (f.suiteMask & kSuiteDatacenter)
            info.edition = "Datacenter Server";
        else if (f.suiteMask & kSuiteEnterprise)
            info.edition = "Advanced Server";
        else
            info.edition = "Server";
    }
    info.servicePack = NarrowForLog(f.servicePackText);
    info.bitness = f.system64Bit ? "64 bit" : "32 bit";
}
