#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <limits>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "quill/SnmpCodec.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Hex(const std::string& text)
{
    Bytes out;
    for (size_t i = 0; i + 1 < text.size();) {
        if (text[i] == ' ') {
            ++i;
            continue;
        }
        out.push_back(static_cast<uint8_t>(std::stoul(text.substr(i, 2), nullptr, 16)));
        i += 2;
    }
    return out;
}

Bytes Cat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

// Builds a TLV with a short length; the malformed cases below stay under 128 bytes.
Bytes Tlv(uint8_t tag, const Bytes& content)
{
    return Cat({{tag, static_cast<uint8_t>(content.size())}, content});
}

const Bytes kSysDescrName = Hex("06 08 2B 06 01 02 01 01 01 00");
const Bytes kNull = Hex("05 00");

// A whole message around one varbind, so each malformed case changes one thing.
Bytes MessageWith(const Bytes& varbind, uint8_t pduTag = 0xA0)
{
    const Bytes pdu = Tlv(pduTag, Cat({Hex("02 01 01 02 01 00 02 01 00"), Tlv(0x30, varbind)}));
    return Tlv(0x30, Cat({Hex("02 01 00 04 06 70 75 62 6C 69 63"), pdu}));
}

Bytes VarBind(const Bytes& name, const Bytes& value)
{
    return Tlv(0x30, Cat({name, value}));
}

SnmpOid Oid(const char* text)
{
    auto oid = SnmpOid::Parse(text);
    EXPECT_TRUE(oid.has_value()) << text;
    return oid.value_or(SnmpOid{});
}

SnmpMessage Message(SnmpPduType type, std::vector<SnmpVarBind> varbinds)
{
    SnmpMessage m;
    m.community = {'p', 'u', 'b', 'l', 'i', 'c'};
    m.pdu.type = type;
    m.pdu.requestId = 1;
    m.pdu.varbinds = std::move(varbinds);
    return m;
}

bool Decodes(const Bytes& bytes, SnmpMessage* out = nullptr, std::string* error = nullptr)
{
    SnmpMessage scratch;
    return DecodeSnmpMessage(bytes.data(), bytes.size(), out ? *out : scratch, error);
}

} // namespace

TEST(SnmpCodec, GetRequestMatchesHandDerivedBytesBothWays)
{
    // SEQUENCE { version 0, "public", GetRequest { id 1, 0, 0, { { 1.3.6.1.2.1.1.1.0, NULL } } } }
    const Bytes wire = Hex("30 26 02 01 00 04 06 70 75 62 6C 69 63"
                           " A0 19 02 01 01 02 01 00 02 01 00"
                           " 30 0E 30 0C 06 08 2B 06 01 02 01 01 01 00 05 00");
    const SnmpMessage message =
        Message(SnmpPduType::GetRequest, {{Oid("1.3.6.1.2.1.1.1.0"), SnmpValue::MakeNull()}});

    EXPECT_EQ(EncodeSnmpMessage(message), wire);
    SnmpMessage decoded;
    std::string error;
    ASSERT_TRUE(Decodes(wire, &decoded, &error)) << error;
    EXPECT_EQ(decoded, message);
}

TEST(SnmpCodec, SetRequestAndResponseHeaderFieldsRoundTrip)
{
    SnmpMessage m = Message(SnmpPduType::SetRequest, {{Oid("1.3.6.1.4.1.48213.2.3.9.4.2.1.4.1.5.1.1.0"),
                                                       SnmpValue::MakeInteger(3)}});
    m.pdu.requestId = std::numeric_limits<int32_t>::min();
    m.pdu.errorStatus = 2;
    m.pdu.errorIndex = 1;
    m.version = 1;
    for (SnmpPduType type : {SnmpPduType::GetNextRequest, SnmpPduType::GetResponse, SnmpPduType::SetRequest}) {
        m.pdu.type = type;
        const Bytes wire = EncodeSnmpMessage(m);
        SnmpMessage back;
        ASSERT_TRUE(Decodes(wire, &back));
        EXPECT_EQ(back, m);
    }
    // Several varbinds and an empty varbind list both survive.
    m.pdu.varbinds.push_back({Oid("0.0"), SnmpValue::MakeNull()});
    SnmpMessage back;
    ASSERT_TRUE(Decodes(EncodeSnmpMessage(m), &back));
    EXPECT_EQ(back, m);
    m.pdu.varbinds.clear();
    ASSERT_TRUE(Decodes(EncodeSnmpMessage(m), &back));
    EXPECT_EQ(back, m);
}

// Each value's exact TLV (the last bytes of the message) and its way back.
TEST(SnmpCodec, EveryValueTypeEncodesMinimallyAndRoundTrips)
{
    const Bytes long300(300, 0x41);
    struct Case {
        SnmpValue value;
        Bytes tlv;
    };
    const std::vector<Case> cases = {
        {SnmpValue::MakeInteger(0), Hex("02 01 00")},
        {SnmpValue::MakeInteger(-1), Hex("02 01 FF")},
        {SnmpValue::MakeInteger(127), Hex("02 01 7F")},
        {SnmpValue::MakeInteger(128), Hex("02 02 00 80")},
        {SnmpValue::MakeInteger(-128), Hex("02 01 80")},
        {SnmpValue::MakeInteger(-129), Hex("02 02 FF 7F")},
        {SnmpValue::MakeInteger(INT32_MAX), Hex("02 04 7F FF FF FF")},
        {SnmpValue::MakeInteger(INT32_MIN), Hex("02 04 80 00 00 00")},
        {SnmpValue::MakeOctetString(""), Hex("04 00")},
        {SnmpValue::MakeOctetString("Hello"), Hex("04 05 48 65 6C 6C 6F")},
        {SnmpValue::MakeBytes(SnmpType::OctetString, long300), Cat({Hex("04 82 01 2C"), long300})},
        {SnmpValue::MakeNull(), Hex("05 00")},
        {SnmpValue::MakeOid(Oid("1.3.6.1.4.1.48213")), Hex("06 08 2B 06 01 04 01 82 F8 55")},
        {SnmpValue::MakeOid(Oid("2.4294967215.4294967295")), Hex("06 0A 8F FF FF FF 7F 8F FF FF FF 7F")},
        {SnmpValue::MakeOid(Oid("0.0")), Hex("06 01 00")},
        {SnmpValue::MakeBytes(SnmpType::IpAddress, {0xC0, 0xA8, 0x01, 0x02}), Hex("40 04 C0 A8 01 02")},
        {SnmpValue::MakeBytes(SnmpType::IpAddress, {}), Hex("40 00")},
        {SnmpValue::MakeUnsigned(SnmpType::Counter32, 0), Hex("41 01 00")},
        {SnmpValue::MakeUnsigned(SnmpType::Counter32, 0xFFFFFFFF), Hex("41 05 00 FF FF FF FF")},
        {SnmpValue::MakeUnsigned(SnmpType::Gauge32, 0x80), Hex("42 02 00 80")},
        {SnmpValue::MakeUnsigned(SnmpType::TimeTicks, 8640000), Hex("43 04 00 83 D6 00")},
        {SnmpValue::MakeBytes(SnmpType::Opaque, {0x9F, 0x78, 0x04}), Hex("44 03 9F 78 04")},
        {SnmpValue::MakeBytes(SnmpType::NsapAddr, {0x01, 0x02}), Hex("45 02 01 02")},
        {SnmpValue::MakeUnsigned(SnmpType::Counter64, 1ull << 32), Hex("46 05 01 00 00 00 00")},
        {SnmpValue::MakeUnsigned(SnmpType::Counter64, UINT64_MAX), Hex("46 09 00 FF FF FF FF FF FF FF FF")},
        {SnmpValue::MakeUnsigned(SnmpType::UInteger32, 7), Hex("47 01 07")},
        {SnmpValue::MakeException(SnmpType::NoSuchObject), Hex("80 00")},
        {SnmpValue::MakeException(SnmpType::NoSuchInstance), Hex("81 00")},
        {SnmpValue::MakeException(SnmpType::EndOfMibView), Hex("82 00")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "type 0x" << std::hex << static_cast<int>(c.value.type) << " tlv "
                                        << c.tlv.size() << " bytes");
        const SnmpMessage m = Message(SnmpPduType::GetResponse, {{Oid("1.3.6.1.2.1.1.1.0"), c.value}});
        const Bytes wire = EncodeSnmpMessage(m);
        ASSERT_GE(wire.size(), c.tlv.size());
        EXPECT_EQ(Bytes(wire.end() - static_cast<std::ptrdiff_t>(c.tlv.size()), wire.end()), c.tlv);
        SnmpMessage back;
        std::string error;
        ASSERT_TRUE(Decodes(wire, &back, &error)) << error;
        EXPECT_EQ(back, m);
    }
}

TEST(SnmpCodec, LongMessagesUseLongFormLengthsThroughout)
{
    const SnmpMessage m = Message(SnmpPduType::GetResponse,
                                  {{Oid("1.3.6.1.2.1.1.1.0"), SnmpValue::MakeBytes(SnmpType::OctetString, Bytes(300, 0x20))}});
    const Bytes wire = EncodeSnmpMessage(m);
    // 304-byte value, 314-byte varbind, 318-byte list, 331-byte PDU, 346-byte message
    const Bytes head = Hex("30 82 01 5A 02 01 00 04 06 70 75 62 6C 69 63 A2 82 01 4B 02 01 01 02 01 00 02 01 00"
                           " 30 82 01 3E 30 82 01 3A 06 08 2B 06 01 02 01 01 01 00 04 82 01 2C 20");
    ASSERT_EQ(wire.size(), 350u);
    EXPECT_EQ(Bytes(wire.begin(), wire.begin() + static_cast<std::ptrdiff_t>(head.size())), head);
}

TEST(SnmpCodec, DecoderAcceptsLenientButValidForms)
{
    struct Case {
        const char* what;
        Bytes wire;
        SnmpValue value;
    };
    const std::vector<Case> cases = {
        {"unsigned without its zero byte", MessageWith(VarBind(kSysDescrName, Hex("41 04 FF FF FF FF"))),
         SnmpValue::MakeUnsigned(SnmpType::Counter32, 0xFFFFFFFF)},
        {"non-minimal integer", MessageWith(VarBind(kSysDescrName, Hex("02 03 00 00 05"))),
         SnmpValue::MakeInteger(5)},
        {"non-minimal negative integer", MessageWith(VarBind(kSysDescrName, Hex("02 02 FF FB"))),
         SnmpValue::MakeInteger(-5)},
        {"long-form length for a short value", MessageWith(VarBind(kSysDescrName, Hex("04 81 02 41 42"))),
         SnmpValue::MakeOctetString("AB")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SnmpMessage back;
        std::string error;
        ASSERT_TRUE(Decodes(c.wire, &back, &error)) << error;
        ASSERT_EQ(back.pdu.varbinds.size(), 1u);
        EXPECT_EQ(back.pdu.varbinds[0].value, c.value);
    }
}

TEST(SnmpCodec, EveryTruncationFails)
{
    const std::vector<Bytes> valid = {
        EncodeSnmpMessage(Message(SnmpPduType::GetRequest, {{Oid("1.3.6.1.2.1.1.1.0"), SnmpValue::MakeNull()}})),
        EncodeSnmpMessage(Message(SnmpPduType::GetResponse,
                                  {{Oid("1.3.6.1.4.1.48213.4294967295"),
                                    SnmpValue::MakeBytes(SnmpType::OctetString, Bytes(300, 0x01))},
                                   {Oid("1.3.6"), SnmpValue::MakeUnsigned(SnmpType::Counter64, UINT64_MAX)}})),
    };
    for (const Bytes& wire : valid) {
        ASSERT_TRUE(Decodes(wire));
        for (size_t n = 0; n < wire.size(); ++n) {
            // A fresh copy of exactly n bytes lets ASan catch any read past the end.
            const Bytes prefix(wire.begin(), wire.begin() + static_cast<std::ptrdiff_t>(n));
            SnmpMessage out = Message(SnmpPduType::SetRequest, {});
            const SnmpMessage before = out;
            std::string error;
            EXPECT_FALSE(DecodeSnmpMessage(prefix.empty() ? nullptr : prefix.data(), n, out, &error)) << n;
            EXPECT_FALSE(error.empty()) << n;
            EXPECT_EQ(out, before) << "output touched at prefix " << n;
        }
    }
}

TEST(SnmpCodec, MalformedInputsFail)
{
    const Bytes good = VarBind(kSysDescrName, kNull);
    const Bytes base = MessageWith(good);
    ASSERT_TRUE(Decodes(base));
    const Bytes body(base.begin() + 2, base.end());

    struct Case {
        const char* what;
        Bytes wire;
    };
    const std::vector<Case> cases = {
        {"wrong outer tag", Cat({{0x31, base[1]}, body})},
        {"indefinite outer length", Cat({{0x30, 0x80}, body, {0x00, 0x00}})},
        {"five length bytes", Cat({Hex("30 85 00 00 00 00 26"), body})},
        {"length one past end", Cat({{0x30, static_cast<uint8_t>(body.size() + 1)}, body})},
        {"length claims 2 GB", Cat({Hex("30 84 7F FF FF FF"), body})},
        {"length claims 4 GB", Cat({Hex("30 84 FF FF FF FF"), body})},
        {"reserved length byte", Cat({Hex("30 FF"), body})},
        {"multi-byte tag", Cat({Hex("3F 01 26"), body})},
        {"bytes after the message", Cat({base, {0x00}})},
        {"trap PDU", MessageWith(good, 0xA4)},
        {"GetBulk PDU", MessageWith(good, 0xA5)},
        {"primitive PDU tag", MessageWith(good, 0x80)},
        {"version not INTEGER",
         Tlv(0x30, Cat({Hex("04 01 00 04 06 70 75 62 6C 69 63"), Bytes(base.begin() + 13, base.end())}))},
        {"version of 5 bytes",
         Tlv(0x30, Cat({Hex("02 05 00 00 00 00 00 04 06 70 75 62 6C 69 63"), Bytes(base.begin() + 13, base.end())}))},
        {"community not OCTET STRING",
         Tlv(0x30, Cat({Hex("02 01 00 06 06 70 75 62 6C 69 63"), Bytes(base.begin() + 13, base.end())}))},
        {"request id empty",
         Tlv(0x30, Cat({Hex("02 01 00 04 00"), Tlv(0xA0, Cat({Hex("02 00 02 01 00 02 01 00"), Tlv(0x30, good)}))}))},
        {"list not SEQUENCE",
         Tlv(0x30, Cat({Hex("02 01 00 04 00"), Tlv(0xA0, Cat({Hex("02 01 01 02 01 00 02 01 00"), Tlv(0x31, good)}))}))},
        {"bytes after the list",
         Tlv(0x30, Cat({Hex("02 01 00 04 00"),
                        Tlv(0xA0, Cat({Hex("02 01 01 02 01 00 02 01 00"), Tlv(0x30, good), kNull}))}))},
        {"missing error index",
         Tlv(0x30, Cat({Hex("02 01 00 04 00"), Tlv(0xA0, Cat({Hex("02 01 01 02 01 00"), Tlv(0x30, good)}))}))},
        {"varbind not SEQUENCE", MessageWith(Tlv(0x31, Cat({kSysDescrName, kNull})))},
        {"varbind without value", MessageWith(Tlv(0x30, kSysDescrName))},
        {"bytes after the value", MessageWith(VarBind(kSysDescrName, Cat({kNull, kNull})))},
        {"name not OID", MessageWith(VarBind(Hex("04 01 2B"), kNull))},
        {"empty OID", MessageWith(VarBind(Hex("06 00"), kNull))},
        {"sub-id overflow", MessageWith(VarBind(Hex("06 06 2B 90 80 80 80 00"), kNull))},
        {"first sub-id overflow", MessageWith(VarBind(Hex("06 05 90 80 80 80 00"), kNull))},
        {"unterminated sub-id", MessageWith(VarBind(Hex("06 02 2B 86"), kNull))},
        {"OID value overflow", MessageWith(VarBind(kSysDescrName, Hex("06 06 2B 90 80 80 80 00")))},
        {"empty INTEGER", MessageWith(VarBind(kSysDescrName, Hex("02 00")))},
        {"5-byte INTEGER", MessageWith(VarBind(kSysDescrName, Hex("02 05 00 FF FF FF FF")))},
        {"empty Counter32", MessageWith(VarBind(kSysDescrName, Hex("41 00")))},
        {"Counter32 above 32 bits", MessageWith(VarBind(kSysDescrName, Hex("41 05 01 00 00 00 00")))},
        {"Gauge32 of 6 bytes", MessageWith(VarBind(kSysDescrName, Hex("42 06 00 00 FF FF FF FF")))},
        {"TimeTicks above 32 bits", MessageWith(VarBind(kSysDescrName, Hex("43 05 80 00 00 00 00")))},
        {"UInteger32 above 32 bits", MessageWith(VarBind(kSysDescrName, Hex("47 05 FF 00 00 00 00")))},
        {"Counter64 of 10 bytes", MessageWith(VarBind(kSysDescrName, Hex("46 0A 00 00 FF FF FF FF FF FF FF FF")))},
        {"Counter64 above 64 bits", MessageWith(VarBind(kSysDescrName, Hex("46 09 01 00 00 00 00 00 00 00 00")))},
        {"NULL with content", MessageWith(VarBind(kSysDescrName, Hex("05 01 00")))},
        {"exception with content", MessageWith(VarBind(kSysDescrName, Hex("81 01 00")))},
        {"unknown value tag", MessageWith(VarBind(kSysDescrName, Hex("83 00")))},
        {"constructed OCTET STRING", MessageWith(VarBind(kSysDescrName, Hex("24 00")))},
        {"value length past its varbind", MessageWith(VarBind(kSysDescrName, Hex("04 05 41 42")))},
    };
    for (const Case& c : cases) {
        SnmpMessage out;
        std::string error;
        EXPECT_FALSE(Decodes(c.wire, &out, &error)) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
    }
}

TEST(SnmpCodec, EncoderRefusesWhatBerCannotCarry)
{
    const auto encodes = [](SnmpOid name, SnmpValue value) {
        return !EncodeSnmpMessage(Message(SnmpPduType::SetRequest, {{std::move(name), std::move(value)}})).empty();
    };
    const SnmpValue null = SnmpValue::MakeNull();
    EXPECT_TRUE(encodes(SnmpOid{{1, 3}}, null));
    EXPECT_FALSE(encodes(SnmpOid{}, null));
    EXPECT_FALSE(encodes(SnmpOid{{1}}, null));
    EXPECT_FALSE(encodes(SnmpOid{{3, 1}}, null));
    EXPECT_FALSE(encodes(SnmpOid{{1, 40}}, null));
    EXPECT_FALSE(encodes(SnmpOid{{2, 4294967216u}}, null)); // 80 + second exceeds 32 bits
    EXPECT_FALSE(encodes(SnmpOid{std::vector<uint32_t>(129, 1)}, null));
    EXPECT_TRUE(encodes(SnmpOid{std::vector<uint32_t>(128, 1)}, null));
    EXPECT_FALSE(encodes(SnmpOid{{1, 3}}, SnmpValue::MakeOid(SnmpOid{{1}})));
    EXPECT_FALSE(encodes(SnmpOid{{1, 3}}, SnmpValue::MakeUnsigned(SnmpType::Gauge32, 1ull << 32)));
    EXPECT_FALSE(encodes(SnmpOid{{1, 3}}, SnmpValue::MakeException(static_cast<SnmpType>(0x07))));
}

TEST(SnmpCodec, OidTextParsesAndFormats)
{
    EXPECT_EQ(Oid("1.3.6.1.4.1.48213.4294967295").components,
              (std::vector<uint32_t>{1, 3, 6, 1, 4, 1, 48213, 4294967295u}));
    EXPECT_EQ(Oid(".1.3.6").Format(), "1.3.6");
    EXPECT_EQ(Oid("2.999.0").Format(), "2.999.0");
    EXPECT_EQ(SnmpOid{}.Format(), "");
    for (const char* bad : {"", ".", "1", "1.", "1..3", "..1.3", "1.3.", "a.b", "1.3.-6", "1.3 .6", "1.3.4294967296",
                            "1.3.99999999999999999999", "3.1", "1.40", "0.40.1"}) {
        EXPECT_FALSE(SnmpOid::Parse(bad).has_value()) << bad;
    }
}

// Random damage to a valid message: decoding must never crash (ASan/UBSan watch the
// native run), and whatever decodes must encode again to bytes that decode the same.
TEST(SnmpCodec, MutatedMessagesNeverCrashAndDecodesAreStable)
{
    const Bytes seed = EncodeSnmpMessage(Message(
        SnmpPduType::GetResponse,
        {{Oid("1.3.6.1.2.1.1.1.0"), SnmpValue::MakeOctetString("Printer")},
         {Oid("1.3.6.1.4.1.48213.2.3"), SnmpValue::MakeInteger(-300)},
         {Oid("1.3.6.1.2.1.1.3.0"), SnmpValue::MakeUnsigned(SnmpType::TimeTicks, 123456)},
         {Oid("1.3.6.1.2.1.4.20.1.1"), SnmpValue::MakeBytes(SnmpType::IpAddress, {127, 0, 0, 10})},
         {Oid("1.3.6.1.2.1.31.1.1.1.6"), SnmpValue::MakeUnsigned(SnmpType::Counter64, 1ull << 40)},
         {Oid("1.3.6.1.2.1.1.2.0"), SnmpValue::MakeOid(Oid("1.3.6.1.4.1.48213"))},
         {Oid("1.3.6.1.2.1.1.9.0"), SnmpValue::MakeException(SnmpType::NoSuchInstance)}}));
    ASSERT_TRUE(Decodes(seed));

    std::mt19937 rng(20260);
    int decodedCount = 0;
    for (int i = 0; i < 20000; ++i) {
        Bytes wire = seed;
        const int edits = 1 + static_cast<int>(rng() % 2);
        for (int e = 0; e < edits; ++e) {
            const size_t at = rng() % wire.size();
            switch (rng() % 4) {
            case 0: wire[at] = static_cast<uint8_t>(rng()); break;
            case 1: wire[at] ^= static_cast<uint8_t>(1u << (rng() % 8)); break;
            case 2: wire[at] = static_cast<uint8_t>(wire[at] + 1); break;
            default: wire.resize(at + 1); break; // truncation combined with damage
            }
        }
        SnmpMessage first;
        if (!DecodeSnmpMessage(wire.data(), wire.size(), first))
            continue;
        ++decodedCount;
        const Bytes again = EncodeSnmpMessage(first);
        ASSERT_FALSE(again.empty()) << "iteration " << i;
        SnmpMessage second;
        ASSERT_TRUE(DecodeSnmpMessage(again.data(), again.size(), second)) << "iteration " << i;
        ASSERT_EQ(second, first) << "iteration " << i;
    }
    // Many single-byte changes (inside strings and numbers) leave a valid message.
    EXPECT_GT(decodedCount, 100);
}
