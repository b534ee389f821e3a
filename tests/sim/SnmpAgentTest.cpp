#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "sim/QuillObjects.h"
#include "sim/SimDevice.h"
#include "sim/SnmpAgent.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Request(SnmpPduType type, const std::vector<std::string>& oids, const char* community = "public",
              int32_t version = 0, std::optional<SnmpValue> value = std::nullopt)
{
    SnmpMessage message;
    message.version = version;
    message.community.assign(community, community + std::char_traits<char>::length(community));
    message.pdu.type = type;
    message.pdu.requestId = 1;
    for (const std::string& oid : oids)
        message.pdu.varbinds.push_back({*SnmpOid::Parse(oid), value.value_or(SnmpValue::MakeNull())});
    return EncodeSnmpMessage(message);
}

std::optional<SnmpMessage> Ask(sim::SimDevice& device, const Bytes& request)
{
    auto reply = device.HandleSnmp(request.data(), request.size());
    if (!reply)
        return std::nullopt;
    SnmpMessage message;
    EXPECT_TRUE(DecodeSnmpMessage(reply->data(), reply->size(), message));
    EXPECT_EQ(message.pdu.type, SnmpPduType::GetResponse);
    return message;
}

SnmpValue Get(sim::SimDevice& device, const std::string& oid)
{
    auto reply = Ask(device, Request(SnmpPduType::GetRequest, {oid}));
    if (!reply || reply->pdu.errorStatus != 0 || reply->pdu.varbinds.size() != 1)
        return SnmpValue::MakeException(SnmpType::NoSuchObject);
    return reply->pdu.varbinds[0].value;
}

std::string Quill(const std::string& id)
{
    return std::string(sim::kQuillSnmpPrefix) + "." + id + ".0";
}

std::string Text(const SnmpValue& value)
{
    return std::string(value.bytes.begin(), value.bytes.end());
}

sim::PrinterConfig QuillPrinter()
{
    sim::PrinterConfig config = sim::DefaultPrinter("quill");
    config.address = "127.0.0.11";
    config.protocol = sim::Protocol::Quill;
    return config;
}

} // namespace

TEST(SnmpAgent, AnswersIdentityObjectsTheWayTheToolDecodesThem)
{
    sim::PrinterConfig config = QuillPrinter();
    config.statusCode = 0x1f;
    config.serial = "SN1";
    sim::SimDevice device(config);

    EXPECT_EQ(Text(Get(device, sim::kModelNameOid)), config.model);
    EXPECT_EQ(Get(device, Quill("1.1.3.3")).bytes, (Bytes{0x01, 0x03, 'S', 'N', '1'}))
        << "Quill strings lead with two bytes that are not characters";
    EXPECT_EQ(Get(device, Quill("1.4.1.2.5")), SnmpValue::MakeInteger(1234));

    std::string id = Text(Get(device, sim::kDeviceIdOid));
    ASSERT_NE(id.find("CLS:PRINTER;"), std::string::npos);
    size_t field = id.find(";S:");
    ASSERT_NE(field, std::string::npos);
    EXPECT_EQ(id.substr(field + 1 + 18, 2), "1F") << "the ninth hexadecimal pair of the status field is the code";
    EXPECT_EQ(Get(device, "1.3.6.1.2.1.2.2.1.6.1").bytes, (Bytes{0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}));
}

TEST(SnmpAgent, SuppliesCarryColourCodesFlagsAndBrands)
{
    sim::PrinterConfig config = QuillPrinter();
    std::string error;
    ASSERT_TRUE(sim::ApplySetting(config, "ink", "", error));
    ASSERT_TRUE(sim::ApplySetting(config, "ink", "K state=missing", error));
    ASSERT_TRUE(sim::ApplySetting(config, "ink", "LC state=out brand=nonKelo level=3", error));
    ASSERT_TRUE(sim::ApplySetting(config, "ink", "PK state=missing", error));
    sim::SimDevice device(config);

    // Colour codes travel as octets whose hexadecimal form spells the code in hexadecimal.
    EXPECT_EQ(Get(device, Quill("1.4.1.5.4.1.26")).bytes, (Bytes{0x08}));
    EXPECT_EQ(Get(device, Quill("1.4.1.5.4.2.26")).bytes, (Bytes{0x80}));
    EXPECT_EQ(Get(device, Quill("1.4.1.5.4.3.26")).bytes, (Bytes{0x10, 0x00}));
    EXPECT_EQ(Get(device, Quill("1.4.1.5.4.2.1")), SnmpValue::MakeInteger(3));
    EXPECT_EQ(Get(device, Quill("1.4.1.5.2.15")), SnmpValue::MakeInteger(5)) << "slots 1 and 3 missing";
    EXPECT_EQ(Get(device, Quill("1.4.1.5.2.14")), SnmpValue::MakeInteger(2));
    EXPECT_EQ(Get(device, Quill("1.4.1.5.2.32")), SnmpValue::MakeInteger(2));
    EXPECT_EQ(Get(device, Quill("1.4.1.5.8.1")), SnmpValue::MakeInteger(2)) << "slot 2's brand object";
    EXPECT_EQ(Get(device, Quill("1.4.1.5.4.4.26")).type, SnmpType::NoSuchObject) << "no fourth supply";
    EXPECT_EQ(Get(device, Quill("1.2.2.2.1")).bytes, (Bytes{0x00, 0x10}));
}

TEST(SnmpAgent, ErrorsFollowVersionOneRules)
{
    sim::SimDevice device(QuillPrinter());
    const std::string unknown = "1.3.6.1.4.1.9999.1.0";

    auto missing = Ask(device, Request(SnmpPduType::GetRequest, {sim::kModelNameOid, unknown}));
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->pdu.errorStatus, sim::kNoSuchName);
    EXPECT_EQ(missing->pdu.errorIndex, 2);
    EXPECT_EQ(missing->pdu.varbinds.size(), 2u) << "the request's varbinds come back";

    EXPECT_FALSE(Ask(device, Request(SnmpPduType::GetRequest, {sim::kModelNameOid}, "private")));
    EXPECT_FALSE(Ask(device, Request(SnmpPduType::GetRequest, {sim::kModelNameOid}, "public", 1))) << "v2c";
    EXPECT_FALSE(Ask(device, Request(SnmpPduType::GetResponse, {sim::kModelNameOid})));

    auto next = Ask(device, Request(SnmpPduType::GetNextRequest, {"1.3.6.1.2.1.2.2.1.6"}));
    ASSERT_TRUE(next);
    EXPECT_EQ(next->pdu.varbinds[0].oid.Format(), "1.3.6.1.2.1.2.2.1.6.1");
    auto end = Ask(device, Request(SnmpPduType::GetNextRequest, {"2.0"}));
    ASSERT_TRUE(end);
    EXPECT_EQ(end->pdu.errorStatus, sim::kNoSuchName);
}

TEST(SnmpAgent, WalkVisitsEveryObjectOnceInOrder)
{
    sim::SimDevice device(QuillPrinter());
    std::string oid = "1.3";
    std::vector<SnmpOid> seen;
    for (int guard = 0; guard < 1000; ++guard) {
        auto reply = Ask(device, Request(SnmpPduType::GetNextRequest, {oid}));
        ASSERT_TRUE(reply);
        if (reply->pdu.errorStatus != 0)
            break;
        seen.push_back(reply->pdu.varbinds[0].oid);
        oid = seen.back().Format();
    }
    ASSERT_GT(seen.size(), 50u);
    for (size_t i = 1; i < seen.size(); ++i)
        ASSERT_LT(seen[i - 1].components, seen[i].components);
}

TEST(SnmpAgent, SetsOnlyTheCommandObjectsAndRecordsThem)
{
    sim::SimDevice device(QuillPrinter());
    auto set = [&](const std::string& oid, SnmpValue value) {
        return Ask(device, Request(SnmpPduType::SetRequest, {oid}, "public", 0, value));
    };
    auto cleaning = set(Quill("1.4.1.5.1.1"), SnmpValue::MakeInteger(100));
    ASSERT_TRUE(cleaning);
    EXPECT_EQ(cleaning->pdu.errorStatus, 0);
    ASSERT_TRUE(set(Quill("1.1.5.2"), SnmpValue::MakeInteger(1000)));
    EXPECT_EQ(Get(device, Quill("1.1.5.2")), SnmpValue::MakeInteger(1000));

    EXPECT_EQ(set(Quill("1.1.3.3"), SnmpValue::MakeInteger(1))->pdu.errorStatus, sim::kNoSuchName);
    EXPECT_EQ(set(Quill("1.1.5.2"), SnmpValue::MakeOctetString("1000"))->pdu.errorStatus, sim::kBadValue);

    sim::ReceivedLog received = device.Received();
    ASSERT_EQ(received.snmpSets.size(), 2u);
    EXPECT_EQ(received.snmpSets[0].oid, Quill("1.4.1.5.1.1"));
    EXPECT_EQ(received.snmpSets[0].value, "100");
    EXPECT_EQ(received.snmpSets[1].value, "1000");
}

TEST(SnmpAgent, FaultsSilenceGarbleOrMistypeTheAnswers)
{
    sim::SimDevice device(QuillPrinter());
    const Bytes request = Request(SnmpPduType::GetRequest, {Quill("1.4.1.2.5")});
    std::string error;

    ASSERT_TRUE(device.Apply("fault.snmp", "wrong-types", error));
    EXPECT_EQ(Get(device, Quill("1.4.1.2.5")).type, SnmpType::OctetString);
    EXPECT_EQ(Get(device, Quill("1.1.3.3")).type, SnmpType::Integer);

    ASSERT_TRUE(device.Apply("fault.snmp", "silence", error));
    EXPECT_FALSE(device.HandleSnmp(request.data(), request.size()));

    ASSERT_TRUE(device.Apply("fault.snmp", "garbage", error));
    auto garbage = device.HandleSnmp(request.data(), request.size());
    ASSERT_TRUE(garbage);
    SnmpMessage decoded;
    EXPECT_FALSE(DecodeSnmpMessage(garbage->data(), garbage->size(), decoded));

    ASSERT_TRUE(device.Apply("quill.1.4.1.2.5", "absent", error));
    ASSERT_TRUE(device.Apply("fault.snmp", "", error));
    EXPECT_EQ(Get(device, Quill("1.4.1.2.5")).type, SnmpType::NoSuchObject);
}

TEST(SnmpAgent, MalformedDatagramsGoUnanswered)
{
    sim::SimDevice device(QuillPrinter());
    const Bytes good = Request(SnmpPduType::GetRequest, {sim::kModelNameOid});
    std::vector<Bytes> bad = {
        {},
        {0x30},
        {0x30, 0x84, 0xFF, 0xFF, 0xFF, 0xFF},
        {0x04, 0x00},
        Bytes(good.begin(), good.end() - 1),
        Bytes(65507, 0x30),
    };
    Bytes longer = good;
    longer[1] = 0x7F;
    bad.push_back(longer);
    for (size_t i = 0; i < bad.size(); ++i)
        EXPECT_FALSE(device.HandleSnmp(bad[i].data(), bad[i].size())) << i;
    EXPECT_TRUE(device.HandleSnmp(good.data(), good.size()));
}
