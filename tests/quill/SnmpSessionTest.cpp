#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "FakeSnmpAgent.h"
#include "TestFolder.h"
#include "quill/QuillRules.h"
#include "quill/SnmpSession.h"

namespace {

const char kSerialOid[] = "1.3.6.1.4.1.48213.2.3.9.4.2.1.1.3.3.0";
const char kServiceOid[] = "1.3.6.1.4.1.48213.2.3.9.4.2.1.1.5.2.0";

// Points the stack at a test agent's port with short time-outs for one test.
class StackPolicy {
public:
    StackPolicy(USHORT port, DWORD timeoutMs = 200, int retries = 2) : saved_(SnmpStack::GetRetransmitPolicy())
    {
        SnmpStack::SetRetransmitPolicy({timeoutMs, retries, port});
    }
    ~StackPolicy() { SnmpStack::SetRetransmitPolicy(saved_); }

private:
    SnmpStack::RetransmitPolicy saved_;
};

// One GET as the managers do it: build, send, take the text and zero the buffer.
std::string Get(CSnmpSession& session, const char* oid, bool* arrived = nullptr)
{
    bool sent = session.SnmpGetPdu(oid) && session.SnmpSendPdu();
    if (arrived != nullptr)
        *arrived = sent;
    std::string text = CSnmpSession::ResultText();
    CSnmpSession::ClearResultText();
    return text;
}

TEST(SnmpSession, GetAndSetTravelAsVersionOneWithRequestIdOne)
{
    FakeSnmpAgent agent([](const SnmpMessage& request) {
        if (request.pdu.type == SnmpPduType::SetRequest)
            return std::vector<Datagram>{FakeSnmpAgent::Reply(request, request.pdu.varbinds[0].value)};
        return std::vector<Datagram>{
            FakeSnmpAgent::Reply(request, SnmpValue::MakeBytes(SnmpType::OctetString, {1, 3, 'S', 'N', '1'}))};
    });
    StackPolicy policy(agent.Port());

    CSnmpSession session;
    ASSERT_TRUE(session.QuillInit(L"127.0.0.1"));
    EXPECT_EQ(Get(session, kSerialOid), "01-03-53-4E-31");
    EXPECT_EQ(DecodeQuillString(L"01-03-53-4E-31"), L"SN1");
    ASSERT_TRUE(session.SnmpSetPdu(kServiceOid, 1000));
    EXPECT_TRUE(session.SnmpSendPdu());
    EXPECT_EQ(CSnmpSession::ResultText(), "1000");
    CSnmpSession::ClearResultText();
    EXPECT_TRUE(session.QuillUninit());

    const std::vector<SnmpMessage> requests = agent.Requests();
    ASSERT_EQ(requests.size(), 2u);
    for (const SnmpMessage& request : requests) {
        EXPECT_EQ(request.version, 0);
        EXPECT_EQ(std::string(request.community.begin(), request.community.end()), "public");
        EXPECT_EQ(request.pdu.requestId, 1);
        ASSERT_EQ(request.pdu.varbinds.size(), 1u);
    }
    EXPECT_EQ(requests[0].pdu.type, SnmpPduType::GetRequest);
    EXPECT_EQ(requests[0].pdu.varbinds[0].value, SnmpValue::MakeNull());
    EXPECT_EQ(requests[1].pdu.type, SnmpPduType::SetRequest);
    EXPECT_EQ(requests[1].pdu.varbinds[0].oid.Format(), kServiceOid);
    EXPECT_EQ(requests[1].pdu.varbinds[0].value, SnmpValue::MakeInteger(1000));
}

TEST(SnmpSession, ErrorRepliesAndExceptionsGiveTheEmptyText)
{
    FakeSnmpAgent agent([](const SnmpMessage& request) {
        const std::string oid = request.pdu.varbinds[0].oid.Format();
        if (oid == "1.3.6.1.2.1.1.1.0")
            return std::vector<Datagram>{FakeSnmpAgent::Reply(request, {}, 2)}; // noSuchName
        return std::vector<Datagram>{FakeSnmpAgent::Reply(request, SnmpValue::MakeException(SnmpType::NoSuchObject))};
    });
    StackPolicy policy(agent.Port());
    CSnmpSession session;
    ASSERT_TRUE(session.QuillInit(L"127.0.0.1"));
    for (const char* oid : {"1.3.6.1.2.1.1.1.0", "1.3.6.1.2.1.1.5.0"}) {
        bool arrived = false;
        EXPECT_EQ(Get(session, oid, &arrived), "") << oid;
        EXPECT_TRUE(arrived) << oid; // a reply came; it only carried no value
    }
}

TEST(SnmpSession, RepliesThatAreNotTheAnswerAreIgnored)
{
    FakeSnmpAgent agent([](const SnmpMessage& request) {
        const SnmpValue right = SnmpValue::MakeOctetString("right");
        const SnmpValue wrong = SnmpValue::MakeOctetString("wrong");
        SnmpMessage otherVersion = request, otherId = request, otherName = request;
        otherVersion.version = 1;
        otherId.pdu.requestId = 2;
        otherName.pdu.varbinds[0].oid = *SnmpOid::Parse("1.3.6.1.2.1.1.5.0");
        return std::vector<Datagram>{
            Datagram{0x30, 0x03, 0x02, 0x01}, // truncated
            FakeSnmpAgent::Reply(otherVersion, wrong), FakeSnmpAgent::Reply(otherId, wrong),
            FakeSnmpAgent::Reply(otherName, wrong),  EncodeSnmpMessage(request), // a GET is not a reply
            FakeSnmpAgent::Reply(request, right),
        };
    });
    StackPolicy policy(agent.Port());
    CSnmpSession session;
    ASSERT_TRUE(session.QuillInit(L"127.0.0.1"));
    EXPECT_EQ(Get(session, kSerialOid), "right");
    EXPECT_EQ(Get(session, kSerialOid), "right");
}

TEST(SnmpSession, SilentPrinterTimesOutOnceThenTheBracketFailsFast)
{
    FakeSnmpAgent agent([](const SnmpMessage&) { return std::vector<Datagram>{}; });
    StackPolicy policy(agent.Port(), 150, 2);
    LogTail log;
    CSnmpSession session;
    ASSERT_TRUE(session.QuillInit(L"127.0.0.1"));

    const auto start = std::chrono::steady_clock::now();
    bool arrived = true;
    EXPECT_EQ(Get(session, kSerialOid, &arrived), "");
    EXPECT_FALSE(arrived);
    const auto firstWait = std::chrono::steady_clock::now() - start;
    EXPECT_GE(firstWait, std::chrono::milliseconds(400)); // three tries of 150 ms
    EXPECT_LT(firstWait, std::chrono::milliseconds(2000));
    EXPECT_EQ(agent.RequestCount(), 3);

    // The rest of the bracket does not wait again and sends nothing.
    const auto again = std::chrono::steady_clock::now();
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(Get(session, kSerialOid, &arrived), "");
    EXPECT_FALSE(arrived);
    EXPECT_LT(std::chrono::steady_clock::now() - again, std::chrono::milliseconds(100));
    EXPECT_EQ(agent.RequestCount(), 3);
    session.QuillUninit();

    const std::string appended = log.Appended();
    EXPECT_NE(appended.find("SnMPRecvMsg failed - 108"), std::string::npos) << appended;
    EXPECT_NE(appended.find("did not answer; the remaining requests of this operation are skipped"),
              std::string::npos);

    // A new bracket asks the printer again.
    ASSERT_TRUE(session.QuillInit(L"127.0.0.1"));
    Get(session, kSerialOid);
    EXPECT_EQ(agent.RequestCount(), 6);
}

TEST(SnmpSession, AnAnsweringPrinterLosesOneObjectNotTheRestOfTheBracket)
{
    // Every try of the serial number is lost; the printer answers everything else.
    FakeSnmpAgent agent([](const SnmpMessage& request) {
        if (request.pdu.varbinds.at(0).oid.Format() == kSerialOid)
            return std::vector<Datagram>{};
        return std::vector<Datagram>{FakeSnmpAgent::Reply(request, SnmpValue::MakeInteger(5))};
    });
    StackPolicy policy(agent.Port(), 150, 2);
    CSnmpSession session;
    ASSERT_TRUE(session.QuillInit(L"127.0.0.1"));
    EXPECT_EQ(Get(session, kServiceOid), "5");
    EXPECT_EQ(Get(session, kSerialOid), "");
    EXPECT_EQ(Get(session, kServiceOid), "5") << "one lost object blanked the rest of the read";
    EXPECT_TRUE(session.Answered());

    // Two objects in a row without an answer: the printer is gone, the rest fails at once.
    EXPECT_EQ(Get(session, kSerialOid), "");
    EXPECT_EQ(Get(session, kSerialOid), "");
    const int sent = agent.RequestCount();
    EXPECT_EQ(Get(session, kServiceOid), "");
    EXPECT_EQ(agent.RequestCount(), sent);
}

TEST(SnmpSession, ABracketLeftByAnExceptionReleasesTheProcessLock)
{
    FakeSnmpAgent agent([](const SnmpMessage& request) {
        return std::vector<Datagram>{FakeSnmpAgent::Reply(request, SnmpValue::MakeInteger(1))};
    });
    StackPolicy policy(agent.Port());
    CSnmpSession kept; // a manager's session outlives its operations
    try {
        CSnmpBracket bracket(kept, L"127.0.0.1");
        EXPECT_EQ(Get(kept, kSerialOid), "1");
        throw std::runtime_error("a fault between init and uninit");
    } catch (const std::runtime_error&) {
    }
    std::atomic<bool> done{false};
    std::thread other([&] {
        CSnmpSession session;
        CSnmpBracket bracket(session, L"127.0.0.1");
        EXPECT_EQ(Get(session, kSerialOid), "1");
        done = true;
    });
    for (int i = 0; i < 200 && !done; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(done) << "the next bracket waits for a lock nobody will release";
    kept.QuillUninit();
    other.join();
}

TEST(SnmpSession, RejectedIdentifiersAndAddressesSendNothing)
{
    FakeSnmpAgent agent([](const SnmpMessage& request) {
        return std::vector<Datagram>{FakeSnmpAgent::Reply(request, SnmpValue::MakeInteger(7))};
    });
    StackPolicy policy(agent.Port());
    LogTail log;
    {
        CSnmpSession session;
        ASSERT_TRUE(session.QuillInit(L"127.0.0.1"));
        EXPECT_FALSE(session.SnmpSetPdu("1.3.6.x", 5));
        EXPECT_FALSE(session.SnmpGetPdu("not an oid"));
    }
    EXPECT_NE(log.Appended().find("SnmpStrToOid failed(SnmpSetPdu)- 9"), std::string::npos) << log.Appended();
    EXPECT_EQ(agent.RequestCount(), 0);

    // A host name is resolved and its address used.
    CSnmpSession byName;
    ASSERT_TRUE(byName.QuillInit(L"localhost"));
    EXPECT_EQ(Get(byName, kSerialOid), "7");
}

TEST(SnmpSession, BracketsOfDifferentThreadsDoNotInterleave)
{
    FakeSnmpAgent agent([](const SnmpMessage& request) {
        return std::vector<Datagram>{FakeSnmpAgent::Reply(request, SnmpValue::MakeInteger(1))};
    });
    StackPolicy policy(agent.Port());
    CSnmpSession first;
    ASSERT_TRUE(first.QuillInit(L"127.0.0.1"));
    std::atomic<bool> secondInside{false};
    std::thread other([&] {
        CSnmpSession second;
        second.QuillInit(L"127.0.0.1");
        secondInside = true;
        EXPECT_EQ(Get(second, kSerialOid), "1");
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_FALSE(secondInside);
    EXPECT_EQ(Get(first, kSerialOid), "1");
    first.QuillUninit();
    other.join();
    EXPECT_TRUE(secondInside);
}

} // namespace
