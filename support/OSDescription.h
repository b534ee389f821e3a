#pragma once
// Names for the running system, decided from the raw version facts alone.
#include <string>

struct OSVersionFacts {
    unsigned long majorVersion = 0;
    unsigned long minorVersion = 0;
    unsigned long platformId = 0;
    unsigned short servicePackMajor = 0;
    unsigned short suiteMask = 0;
    unsigned char productType = 0;       // 1: workstation
    unsigned short processorArchitecture = 0;
    unsigned long productInfoType = 0;   // what GetProductInfo reported (6.x only)
    bool serverR2 = false;               // GetSystemMetrics(SM_SERVERR2) != 0
    bool system64Bit = false;            // a 64-bit process, or a 32-bit one under WOW64
    std::wstring servicePackText;
};

// The detailed description that support and feedback links carry.
struct os_info {
    std::string name;
    std::string version;
    std::string edition;
    std::string servicePack;
    std::string bitness;
};

// Short text for the log banner; empty for systems it does not know.
std::wstring OSSummaryText(const OSVersionFacts& facts);

// True when the facts describe an NT system the detailed description covers.
bool IsDescribableOS(const OSVersionFacts& facts);

// Fills name, version and edition (edition only where a rule sets it), then the
// service pack and the bitness. Call only when IsDescribableOS holds.
void DescribeOS(const OSVersionFacts& facts, os_info& info);
