#include "quill/SnmpCodec.h"

#include <limits>
#include <utility>

namespace {

constexpr size_t kMaxOidComponents = 128; // RFC 1155's limit; also bounds decoding work
constexpr uint8_t kSequence = 0x30;

// ---------- encoding ----------

void AppendLength(std::vector<uint8_t>& out, size_t length)
{
    if (length < 0x80) {
        out.push_back(static_cast<uint8_t>(length));
        return;
    }
    uint8_t bytes[sizeof(size_t)];
    int count = 0;
    for (size_t rest = length; rest != 0; rest >>= 8)
        bytes[count++] = static_cast<uint8_t>(rest & 0xFF);
    out.push_back(static_cast<uint8_t>(0x80 | count));
    while (count > 0)
        out.push_back(bytes[--count]);
}

void AppendTlv(std::vector<uint8_t>& out, uint8_t tag, const std::vector<uint8_t>& content)
{
    out.push_back(tag);
    AppendLength(out, content.size());
    out.insert(out.end(), content.begin(), content.end());
}

// Minimal two's complement.
std::vector<uint8_t> SignedContent(int64_t value)
{
    std::vector<uint8_t> bytes;
    for (int shift = 56; shift >= 0; shift -= 8)
        bytes.push_back(static_cast<uint8_t>((static_cast<uint64_t>(value) >> shift) & 0xFF));
    size_t first = 0;
    while (first + 1 < bytes.size()) {
        const bool redundantZero = bytes[first] == 0x00 && (bytes[first + 1] & 0x80) == 0;
        const bool redundantOnes = bytes[first] == 0xFF && (bytes[first + 1] & 0x80) != 0;
        if (!redundantZero && !redundantOnes)
            break;
        ++first;
    }
    return {bytes.begin() + static_cast<std::ptrdiff_t>(first), bytes.end()};
}

// Minimal unsigned, with a leading zero byte when the top bit would read as a sign.
std::vector<uint8_t> UnsignedContent(uint64_t value)
{
    std::vector<uint8_t> bytes;
    do {
        bytes.insert(bytes.begin(), static_cast<uint8_t>(value & 0xFF));
        value >>= 8;
    } while (value != 0);
    if (bytes.front() & 0x80)
        bytes.insert(bytes.begin(), 0x00);
    return bytes;
}

void AppendBase128(std::vector<uint8_t>& out, uint32_t value)
{
    uint8_t groups[5];
    int count = 0;
    do {
        groups[count++] = static_cast<uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    while (count > 1)
        out.push_back(static_cast<uint8_t>(groups[--count] | 0x80));
    out.push_back(groups[0]);
}

bool OidContent(const SnmpOid& oid, std::vector<uint8_t>& out)
{
    if (!oid.IsEncodable())
        return false;
    const auto& c = oid.components;
    AppendBase128(out, c[0] * 40 + c[1]);
    for (size_t i = 2; i < c.size(); ++i)
        AppendBase128(out, c[i]);
    return true;
}

bool IsUnsigned32(SnmpType type)
{
    return type == SnmpType::Counter32 || type == SnmpType::Gauge32 || type == SnmpType::TimeTicks ||
           type == SnmpType::UInteger32;
}

bool IsBytesType(SnmpType type)
{
    return type == SnmpType::OctetString || type == SnmpType::IpAddress || type == SnmpType::Opaque ||
           type == SnmpType::NsapAddr;
}

bool IsException(SnmpType type)
{
    return type == SnmpType::NoSuchObject || type == SnmpType::NoSuchInstance || type == SnmpType::EndOfMibView;
}

bool AppendValue(std::vector<uint8_t>& out, const SnmpValue& value)
{
    std::vector<uint8_t> content;
    const SnmpType type = value.type;
    if (type == SnmpType::Integer) {
        content = SignedContent(value.integer);
    } else if (IsUnsigned32(type)) {
        if (value.unsignedValue > std::numeric_limits<uint32_t>::max())
            return false;
        content = UnsignedContent(value.unsignedValue);
    } else if (type == SnmpType::Counter64) {
        content = UnsignedContent(value.unsignedValue);
    } else if (IsBytesType(type)) {
        content = value.bytes;
    } else if (type == SnmpType::ObjectIdentifier) {
        if (!OidContent(value.oid, content))
            return false;
    } else if (type != SnmpType::Null && !IsException(type)) {
        return false;
    }
    AppendTlv(out, static_cast<uint8_t>(type), content);
    return true;
}

// ---------- decoding ----------

// A window on the input; every read checks what remains.
class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool AtEnd() const { return pos_ == size_; }

    // Reads one tag and its definite length; the content becomes a Reader of its own.
    bool ReadTlv(uint8_t& tag, Reader& content, std::string& error)
    {
        if (size_ - pos_ < 2) {
            error = "truncated header";
            return false;
        }
        tag = data_[pos_++];
        if ((tag & 0x1F) == 0x1F) {
            error = "multi-byte tag";
            return false;
        }
        const uint8_t first = data_[pos_++];
        size_t length = first;
        if (first == 0x80) {
            error = "indefinite length";
            return false;
        }
        if (first > 0x80) {
            const size_t count = first & 0x7F;
            if (count > 4) {
                error = "length field too long";
                return false;
            }
            if (size_ - pos_ < count) {
                error = "truncated length";
                return false;
            }
            uint64_t wide = 0;
            for (size_t i = 0; i < count; ++i)
                wide = (wide << 8) | data_[pos_++];
            if (wide > size_ - pos_) {
                error = "length past end";
                return false;
            }
            length = static_cast<size_t>(wide);
        }
        if (length > size_ - pos_) {
            error = "length past end";
            return false;
        }
        content = Reader(data_ + pos_, length);
        pos_ += length;
        return true;
    }

    bool Expect(uint8_t wanted, Reader& content, std::string& error, const char* what)
    {
        uint8_t tag = 0;
        if (!ReadTlv(tag, content, error))
            return false;
        if (tag != wanted) {
            error = std::string("unexpected tag for ") + what;
            return false;
        }
        return true;
    }

    const uint8_t* Data() const { return data_; }
    size_t Size() const { return size_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

bool DecodeSigned32(const Reader& content, int32_t& out, std::string& error)
{
    const size_t n = content.Size();
    if (n == 0 || n > 4) {
        error = "bad INTEGER length";
        return false;
    }
    const uint8_t* p = content.Data();
    uint32_t bits = (p[0] & 0x80) ? 0xFFFFFFFFu : 0u;
    for (size_t i = 0; i < n; ++i)
        bits = (bits << 8) | p[i];
    out = static_cast<int32_t>(bits); // two's complement conversion is defined in C++20
    return true;
}

// widthBytes is 4 or 8; one extra leading zero byte is allowed.
bool DecodeUnsigned(const Reader& content, size_t widthBytes, uint64_t& out, std::string& error)
{
    size_t n = content.Size();
    const uint8_t* p = content.Data();
    if (n == 0) {
        error = "empty unsigned value";
        return false;
    }
    if (n == widthBytes + 1 && p[0] == 0x00) {
        ++p;
        --n;
    }
    if (n > widthBytes) {
        error = "unsigned value too wide";
        return false;
    }
    uint64_t value = 0;
    for (size_t i = 0; i < n; ++i)
        value = (value << 8) | p[i];
    out = value;
    return true;
}

bool DecodeOid(const Reader& content, SnmpOid& out, std::string& error)
{
    const size_t n = content.Size();
    const uint8_t* p = content.Data();
    if (n == 0) {
        error = "empty OBJECT IDENTIFIER";
        return false;
    }
    std::vector<uint32_t> components;
    uint32_t current = 0;
    bool inSubId = false;
    for (size_t i = 0; i < n; ++i) {
        if (current > (std::numeric_limits<uint32_t>::max() >> 7)) {
            error = "sub-identifier overflow";
            return false;
        }
        current = (current << 7) | (p[i] & 0x7F);
        inSubId = true;
        if ((p[i] & 0x80) == 0) {
            if (components.empty()) {
                const uint32_t x = current < 40 ? 0 : current < 80 ? 1 : 2;
                components.push_back(x);
                components.push_back(current - 40 * x);
            } else {
                components.push_back(current);
            }
            if (components.size() > kMaxOidComponents) {
                error = "OBJECT IDENTIFIER too long";
                return false;
            }
            current = 0;
            inSubId = false;
        }
    }
    if (inSubId) {
        error = "unterminated sub-identifier";
        return false;
    }
    out.components = std::move(components);
    return true;
}

bool DecodeValue(Reader& parent, SnmpValue& out, std::string& error)
{
    uint8_t tag = 0;
    Reader content(nullptr, 0);
    if (!parent.ReadTlv(tag, content, error))
        return false;
    const SnmpType type = static_cast<SnmpType>(tag);
    SnmpValue value;
    value.type = type;
    if (type == SnmpType::Integer) {
        if (!DecodeSigned32(content, value.integer, error))
            return false;
    } else if (IsUnsigned32(type)) {
        if (!DecodeUnsigned(content, 4, value.unsignedValue, error))
            return false;
    } else if (type == SnmpType::Counter64) {
        if (!DecodeUnsigned(content, 8, value.unsignedValue, error))
            return false;
    } else if (IsBytesType(type)) {
        value.bytes.assign(content.Data(), content.Data() + content.Size());
    } else if (type == SnmpType::ObjectIdentifier) {
        if (!DecodeOid(content, value.oid, error))
            return false;
    } else if (type == SnmpType::Null || IsException(type)) {
        if (!content.AtEnd()) {
            error = "NULL with content";
            return false;
        }
    } else {
        error = "unknown value type";
        return false;
    }
    out = std::move(value);
    return true;
}

bool DecodeInteger(Reader& parent, int32_t& out, std::string& error, const char* what)
{
    Reader content(nullptr, 0);
    if (!parent.Expect(static_cast<uint8_t>(SnmpType::Integer), content, error, what))
        return false;
    return DecodeSigned32(content, out, error);
}

bool TrailingCheck(const Reader& reader, std::string& error, const char* what)
{
    if (reader.AtEnd())
        return true;
    error = std::string("trailing bytes in ") + what;
    return false;
}

// The structure is fixed (message, PDU, varbind list, varbind, value), so nesting is
// bounded by construction: no recursion follows the input's own nesting.
bool DecodeMessage(const uint8_t* data, size_t size, SnmpMessage& out, std::string& error)
{
    if (data == nullptr && size != 0) {
        error = "no data";
        return false;
    }
    Reader input(data, size);
    Reader message(nullptr, 0);
    if (!input.Expect(kSequence, message, error, "message") || !TrailingCheck(input, error, "datagram"))
        return false;

    SnmpMessage result;
    if (!DecodeInteger(message, result.version, error, "version"))
        return false;
    Reader community(nullptr, 0);
    if (!message.Expect(static_cast<uint8_t>(SnmpType::OctetString), community, error, "community"))
        return false;
    result.community.assign(community.Data(), community.Data() + community.Size());

    uint8_t pduTag = 0;
    Reader pdu(nullptr, 0);
    if (!message.ReadTlv(pduTag, pdu, error))
        return false;
    if (pduTag < 0xA0 || pduTag > 0xA3) {
        error = "unsupported PDU type";
        return false;
    }
    if (!TrailingCheck(message, error, "message"))
        return false;
    result.pdu.type = static_cast<SnmpPduType>(pduTag);
    if (!DecodeInteger(pdu, result.pdu.requestId, error, "request id") ||
        !DecodeInteger(pdu, result.pdu.errorStatus, error, "error status") ||
        !DecodeInteger(pdu, result.pdu.errorIndex, error, "error index"))
        return false;
    Reader list(nullptr, 0);
    if (!pdu.Expect(kSequence, list, error, "varbind list") || !TrailingCheck(pdu, error, "PDU"))
        return false;

    while (!list.AtEnd()) {
        Reader bind(nullptr, 0);
        if (!list.Expect(kSequence, bind, error, "varbind"))
            return false;
        SnmpVarBind vb;
        Reader name(nullptr, 0);
        if (!bind.Expect(static_cast<uint8_t>(SnmpType::ObjectIdentifier), name, error, "varbind name") ||
            !DecodeOid(name, vb.oid, error) || !DecodeValue(bind, vb.value, error) ||
            !TrailingCheck(bind, error, "varbind"))
            return false;
        // Each varbind takes at least 7 input bytes, so this growth is bounded by the input.
        result.pdu.varbinds.push_back(std::move(vb));
    }
    out = std::move(result);
    return true;
}

} // namespace

std::optional<SnmpOid> SnmpOid::Parse(std::string_view text)
{
    if (!text.empty() && text.front() == '.')
        text.remove_prefix(1);
    SnmpOid oid;
    size_t i = 0;
    while (true) {
        if (i >= text.size() || text[i] < '0' || text[i] > '9')
            return std::nullopt;
        uint64_t value = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            value = value * 10 + static_cast<uint64_t>(text[i] - '0');
            if (value > std::numeric_limits<uint32_t>::max())
                return std::nullopt;
            ++i;
        }
        oid.components.push_back(static_cast<uint32_t>(value));
        if (oid.components.size() > kMaxOidComponents)
            return std::nullopt;
        if (i == text.size())
            break;
        if (text[i] != '.')
            return std::nullopt;
        ++i;
    }
    if (!oid.IsEncodable())
        return std::nullopt;
    return oid;
}

std::string SnmpOid::Format() const
{
    std::string text;
    for (size_t i = 0; i < components.size(); ++i) {
        if (i != 0)
            text += '.';
        text += std::to_string(components[i]);
    }
    return text;
}

bool SnmpOid::IsEncodable() const
{
    if (components.size() < 2 || components.size() > kMaxOidComponents)
        return false;
    const uint32_t x = components[0];
    const uint32_t y = components[1];
    if (x > 2 || (x < 2 && y >= 40))
        return false;
    return y <= std::numeric_limits<uint32_t>::max() - 40 * x;
}

SnmpValue SnmpValue::MakeInteger(int32_t v)
{
    SnmpValue value;
    value.type = SnmpType::Integer;
    value.integer = v;
    return value;
}

SnmpValue SnmpValue::MakeUnsigned(SnmpType type, uint64_t v)
{
    SnmpValue value;
    value.type = type;
    value.unsignedValue = v;
    return value;
}

SnmpValue SnmpValue::MakeBytes(SnmpType type, std::vector<uint8_t> v)
{
    SnmpValue value;
    value.type = type;
    value.bytes = std::move(v);
    return value;
}

SnmpValue SnmpValue::MakeOctetString(std::string_view text)
{
    return MakeBytes(SnmpType::OctetString, std::vector<uint8_t>(text.begin(), text.end()));
}

SnmpValue SnmpValue::MakeOid(SnmpOid v)
{
    SnmpValue value;
    value.type = SnmpType::ObjectIdentifier;
    value.oid = std::move(v);
    return value;
}

SnmpValue SnmpValue::MakeException(SnmpType type)
{
    SnmpValue value;
    value.type = type;
    return value;
}

std::vector<uint8_t> EncodeSnmpMessage(const SnmpMessage& message)
{
    const SnmpPdu& pdu = message.pdu;
    std::vector<uint8_t> list;
    for (const SnmpVarBind& vb : pdu.varbinds) {
        std::vector<uint8_t> bind;
        std::vector<uint8_t> name;
        if (!OidContent(vb.oid, name))
            return {};
        AppendTlv(bind, static_cast<uint8_t>(SnmpType::ObjectIdentifier), name);
        if (!AppendValue(bind, vb.value))
            return {};
        AppendTlv(list, kSequence, bind);
    }
    const uint8_t pduTag = static_cast<uint8_t>(pdu.type);
    if (pduTag < 0xA0 || pduTag > 0xA3)
        return {};
    std::vector<uint8_t> pduContent;
    AppendTlv(pduContent, 0x02, SignedContent(pdu.requestId));
    AppendTlv(pduContent, 0x02, SignedContent(pdu.errorStatus));
    AppendTlv(pduContent, 0x02, SignedContent(pdu.errorIndex));
    AppendTlv(pduContent, kSequence, list);

    std::vector<uint8_t> body;
    AppendTlv(body, 0x02, SignedContent(message.version));
    AppendTlv(body, 0x04, message.community);
    AppendTlv(body, pduTag, pduContent);

    std::vector<uint8_t> out;
    AppendTlv(out, kSequence, body);
    return out;
}

bool DecodeSnmpMessage(const uint8_t* data, size_t size, SnmpMessage& out, std::string* error)
{
    std::string reason;
    const bool ok = DecodeMessage(data, size, out, reason);
    if (!ok && error != nullptr)
        *error = reason;
    return ok;
}
