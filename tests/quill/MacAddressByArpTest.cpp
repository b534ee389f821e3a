#include <gtest/gtest.h>

#include <cstring>

#include "TestFolder.h"
#include "quill/SNMPNWManager.h"
#include "winapi/SocketApi.h"

namespace {

// SendARP answered by the test; the rest of Winsock is real.
class ArpAnswer : public NGWinApi::CSocketApi {
public:
    DWORD SendARP(IPAddr destination, IPAddr, PVOID mac, PULONG length) override
    {
        asked = destination;
        if (result == NO_ERROR) {
            std::memcpy(mac, bytes, 6);
            *length = 6;
        }
        return result;
    }
    DWORD result = NO_ERROR;
    IPAddr asked = 0;
    uint8_t bytes[6] = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
};

TEST(GetMacAddressByArp, AnswerIsTheBytesInUpperCaseHexadecimal)
{
    ArpAnswer arp;
    NGWinApi::CSocketApi* previous = NGWinApi::Replace(&arp);
    EXPECT_EQ(GetMacAddressByArp(L"127.0.7.10"), L"001A2B3C4D5E");
    EXPECT_EQ(arp.asked, ::inet_addr("127.0.7.10"));

    arp.result = ERROR_BAD_NET_NAME;
    LogTail log;
    EXPECT_EQ(GetMacAddressByArp(L"127.0.7.10"), L"");
    EXPECT_NE(log.Appended().find("SendARP request failed Error =>67"), std::string::npos) << log.Appended();
    NGWinApi::Replace(previous);
}

TEST(GetMacAddressByArp, RealLookupOfALoopbackAddressEndsEitherWay)
{
    const std::wstring mac = GetMacAddressByArp(L"127.0.0.1");
    EXPECT_TRUE(mac.empty() || mac.size() == 12) << mac.size();
}

} // namespace
