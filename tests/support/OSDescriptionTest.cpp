#include <gtest/gtest.h>

#include "support/OSDescription.h"

namespace {
OSVersionFacts Facts(unsigned long major, unsigned long minor, unsigned char type = 1)
{
    OSVersionFacts f;
    f.platformId = 2;
    f.majorVersion = major;
    f.minorVersion = minor;
    f.productType = type;
    return f;
}
} // namespace

TEST(OSDescription, SummaryForTheBanner)
{
    OSVersionFacts win7 = Facts(6, 1);
    win7.servicePackMajor = 1;
    win7.system64Bit = true;
    EXPECT_EQ(OSSummaryText(win7), L"Windows 7 , Service Pack 1, (64 Bit)");

    EXPECT_EQ(OSSummaryText(Facts(6, 2)), L"(32 Bit)");
    OSVersionFacts win8 = Facts(6, 2);
    win8.system64Bit = true;
    win8.servicePackMajor = 2;
    EXPECT_EQ(OSSummaryText(win8), L", Service Pack 2, (64 Bit)");
    EXPECT_EQ(OSSummaryText(Facts(6, 0)), L"Windows Vista (32 Bit)");
    EXPECT_EQ(OSSummaryText(Facts(6, 1, 3)), L"(32 Bit)"); // a server is not named
    EXPECT_EQ(OSSummaryText(Facts(5, 1, 3)), L"Windows XP(32 Bit)");
    OSVersionFacts xp64 = Facts(5, 2);
    xp64.processorArchitecture = 9;
    EXPECT_EQ(OSSummaryText(xp64), L"Windows XP(32 Bit)");
    EXPECT_EQ(OSSummaryText(Facts(5, 2)), L"(32 Bit)");

    EXPECT_EQ(OSSummaryText(Facts(4, 0)), L"");
    OSVersionFacts win9x = Facts(6, 1);
    win9x.platformId = 1;
    EXPECT_EQ(OSSummaryText(win9x), L"");
}

TEST(OSDescription, DetailedDescriptionOfVersionSix)
{
    OSVersionFacts f = Facts(6, 2);
    f.productInfoType = 48;
    f.system64Bit = true;
    f.servicePackText = L"Service Pack 1";
    os_info info;
    DescribeOS(f, info);
    EXPECT_EQ(info.name, "Microsoft Windows 8");
    EXPECT_EQ(info.version, "6.2");
    EXPECT_EQ(info.edition, "Professional");
    EXPECT_EQ(info.servicePack, "Service Pack 1");
    EXPECT_EQ(info.bitness, "64 bit");

    os_info server;
    OSVersionFacts s = Facts(6, 1, 3);
    s.productInfoType = 10;
    DescribeOS(s, server);
    EXPECT_EQ(server.name, "Microsoft Windows Server 2008 R2");
    EXPECT_EQ(server.edition, "Enterprise Edition");
    EXPECT_EQ(server.bitness, "32 bit");

    // A later minor version sets neither name nor version, and an unknown
    // product type keeps the edition the caller had.
    os_info later;
    later.edition = "kept";
    OSVersionFacts l = Facts(6, 3);
    l.productInfoType = 99;
    DescribeOS(l, later);
    EXPECT_EQ(later.name, "Microsoft ");
    EXPECT_EQ(later.version, "");
    EXPECT_EQ(later.edition, "kept");
}

TEST(OSDescription, DetailedDescriptionOfVersionFive)
{
    const struct {
        unsigned long minor;
        unsigned char type;
        unsigned short arch, suite;
        bool r2;
        const char *name, *edition;
    } cases[] = {
        {2, 3, 0, 0, true, "Microsoft Windows Server 2003 R2", "Standard Edition"},
        {2, 3, 0, 0x2000, false, "Microsoft Windows Storage Server 2003", "Standard Edition"},
        {2, 1, 9, 0, false, "Microsoft Windows XP Professional x64 Edition", ""},
        {2, 3, 9, 0x80, false, "Microsoft Windows Server 2003", "Datacenter x64 Edition"},
        {2, 3, 9, 0, false, "Microsoft Windows Server 2003", "Standard x64 Edition"},
        {2, 3, 6, 0x2, false, "Microsoft Windows Server 2003", "Enterprise Edition for Itanium-based Systems"},
        {2, 3, 6, 0, false, "Microsoft Windows Server 2003", ""},
        {2, 3, 0, 0x4000, false, "Microsoft Windows Server 2003", "Compute Cluster Edition"},
        {2, 3, 0, 0x400, false, "Microsoft Windows Server 2003", "Web Edition"},
        {1, 1, 0, 0x200, false, "Microsoft Windows XP", "Home Edition"},
        {1, 1, 0, 0, false, "Microsoft Windows XP", "Professional"},
        {0, 1, 0, 0, false, "Microsoft Windows 2000", "Professional"},
        {0, 3, 0, 0x2, false, "Microsoft Windows 2000", "Advanced Server"},
        {0, 3, 0, 0, false, "Microsoft Windows 2000", "Server"},
    };
    for (const auto& c : cases) {
        OSVersionFacts f = Facts(5, c.minor, c.type);
        f.processorArchitecture = c.arch;
        f.suiteMask = c.suite;
        f.serverR2 = c.r2;
        os_info info;
        DescribeOS(f, info);
        EXPECT_EQ(info.name, c.name);
        EXPECT_EQ(info.edition, c.edition) << c.name;
        EXPECT_EQ(info.version, "5." + std::to_string(c.minor));
    }
}
