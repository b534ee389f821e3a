#pragma once
// SNMP version 1 messages in BER (definite lengths only), free of system headers so
// the decoder can also run natively under the sanitizers. Input comes off the
// network: decoding never trusts a length or a count it has not checked.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// An object identifier: its sub-identifiers, each 32 bits.
struct SnmpOid {
    std::vector<uint32_t> components;

    // Dotted decimal text such as "1.3.6.1.2.1.1.1.0" (one leading dot is allowed).
    // Empty parts, other characters, values above 4294967295, fewer than two parts or
    // a first pair that BER cannot carry (see IsEncodable) give no value.
    static std::optional<SnmpOid> Parse(std::string_view text);
    // Dotted decimal text; empty for an empty identifier.
    std::string Format() const;
    // At least two and at most 128 sub-identifiers, the first 0, 1 or 2, the second
    // below 40 unless the first is 2, and 40 * first + second within 32 bits.
    bool IsEncodable() const;

    friend bool operator==(const SnmpOid&, const SnmpOid&) = default;
};

// The wire tag of each value type.
enum class SnmpType : uint8_t {
    Integer = 0x02,
    OctetString = 0x04,
    Null = 0x05,
    ObjectIdentifier = 0x06,
    IpAddress = 0x40,
    Counter32 = 0x41,
    Gauge32 = 0x42, // also Unsigned32 in SNMPv2
    TimeTicks = 0x43,
    Opaque = 0x44,
    NsapAddr = 0x45,
    Counter64 = 0x46,
    UInteger32 = 0x47, // the legacy Unsigned32 tag
    NoSuchObject = 0x80,
    NoSuchInstance = 0x81,
    EndOfMibView = 0x82,
};

// One value; which member is meaningful follows the type:
// Integer -> integer; Counter32, Gauge32, TimeTicks, UInteger32, Counter64 -> unsignedValue
// (32-bit types use its low 32 bits); OctetString, IpAddress, Opaque, NsapAddr -> bytes
// (any length, as received); ObjectIdentifier -> oid; Null and the exceptions -> nothing.
struct SnmpValue {
    SnmpType type = SnmpType::Null;
    int32_t integer = 0;
    uint64_t unsignedValue = 0;
    std::vector<uint8_t> bytes;
    SnmpOid oid;

    static SnmpValue MakeNull() { return {}; }
    static SnmpValue MakeInteger(int32_t v);
    static SnmpValue MakeUnsigned(SnmpType type, uint64_t v);
    static SnmpValue MakeBytes(SnmpType type, std::vector<uint8_t> v);
    static SnmpValue MakeOctetString(std::string_view text);
    static SnmpValue MakeOid(SnmpOid v);
    static SnmpValue MakeException(SnmpType type);

    friend bool operator==(const SnmpValue&, const SnmpValue&) = default;
};

struct SnmpVarBind {
    SnmpOid oid;
    SnmpValue value;

    friend bool operator==(const SnmpVarBind&, const SnmpVarBind&) = default;
};

enum class SnmpPduType : uint8_t {
    GetRequest = 0xA0,
    GetNextRequest = 0xA1,
    GetResponse = 0xA2,
    SetRequest = 0xA3,
};

struct SnmpPdu {
    SnmpPduType type = SnmpPduType::GetRequest;
    int32_t requestId = 0;
    int32_t errorStatus = 0;
    int32_t errorIndex = 0;
    std::vector<SnmpVarBind> varbinds;

    friend bool operator==(const SnmpPdu&, const SnmpPdu&) = default;
};

struct SnmpMessage {
    int32_t version = 0; // 0 is SNMP version 1
    std::vector<uint8_t> community;
    SnmpPdu pdu;

    friend bool operator==(const SnmpMessage&, const SnmpMessage&) = default;
};

// The BER bytes of one message. Empty when the message cannot be encoded: an object
// identifier that is not IsEncodable, an unsigned 32-bit type above 4294967295, or a
// type outside SnmpType.
std::vector<uint8_t> EncodeSnmpMessage(const SnmpMessage& message);

// Decodes exactly one message filling all of data..data+size. Returns true and sets out
// on success; on failure returns false, leaves out unchanged and, when error is given,
// puts a short English reason there (for the log). Accepts any version number; the PDU
// must be one of SnmpPduType. Lenient where agents are known to differ: non-minimal
// lengths and integers are accepted, and an unsigned 32-bit value whose top bit is set
// is taken as unsigned even without its leading zero byte.
bool DecodeSnmpMessage(const uint8_t* data, size_t size, SnmpMessage& out, std::string* error = nullptr);
