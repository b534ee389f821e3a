#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>

#include "QuillTestSupport.h"
#include "TestFolder.h"
#include "quill/SNMPNWManager.h"
#include "quill/SnmpSession.h"

namespace {

// net-snmp's snmpd on 127.0.7.50 (tests/quill/snmpd_peer.sh): an agent we did not write.
class SnmpdPeerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* state = std::getenv("KELO_SNMPD_STATE");
        ASSERT_NE(state, nullptr);
        if (ReadWholeFile(WinePathOf(std::string(state) + "/status")).rfind("running", 0) != 0)
            GTEST_SKIP() << "snmpd is not installed";
    }
};

std::string Get(CSnmpSession& session, const char* oid, bool* arrived = nullptr)
{
    const bool replied = session.SnmpGetPdu(oid) && session.SnmpSendPdu();
    if (arrived != nullptr)
        *arrived = replied;
    std::string text = CSnmpSession::ResultText();
    CSnmpSession::ClearResultText();
    return text;
}

TEST_F(SnmpdPeerTest, OurStackReadsAndWritesAForeignAgent)
{
    CSnmpSession session;
    ASSERT_TRUE(session.QuillInit(L"127.0.7.50"));
    EXPECT_EQ(Get(session, "1.3.6.1.2.1.1.5.0"), "kelo-peer");
    EXPECT_EQ(Get(session, "1.3.6.1.4.1.48213.2.3.9.4.2.1.4.1.2.5.0"), "4321");
    EXPECT_TRUE(std::regex_match(Get(session, "1.3.6.1.2.1.1.3.0"), std::regex(R"(\d+,\d+:\d+:\d+\.\d+)")));
    EXPECT_EQ(Get(session, "1.3.6.1.2.1.1.2.0").rfind("1.3.6.1.4.1.", 0), 0u); // sysObjectID
    bool arrived = false;
    EXPECT_EQ(Get(session, "1.3.6.1.4.1.48213.99.0", &arrived), ""); // noSuchName
    EXPECT_TRUE(arrived);
    // snmpd refuses the write, but it decoded our SET and answered it.
    ASSERT_TRUE(session.SnmpSetPdu("1.3.6.1.4.1.48213.2.3.9.4.2.1.1.5.2.0", 1000));
    EXPECT_TRUE(session.SnmpSendPdu());
    CSnmpSession::ClearResultText();
}

TEST_F(SnmpdPeerTest, StatusFromAForeignAgent)
{
    ProductStrings strings;
    const Device_Dev printer = NetworkPrinter(L"127.0.7.50");
    CSNMPNWManager manager;
    EXPECT_EQ(manager.GetStatusFlag(printer), 31);
    ASSERT_TRUE(manager.GetDeviceStatus(printer));
    const std::vector<StatusEntry> status = manager.Records().statusList;
    ASSERT_EQ(status.size(), 2u);
    EXPECT_EQ(status[0].statusId, L"31");
    EXPECT_EQ(status[1].statusId, L"0010");
}

} // namespace
