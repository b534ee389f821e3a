#include "components/diagcore/ProbeMessages.h"

#include <algorithm>
#include <cctype>

#include "discovery/DeviceIdStatus.h"
#include "quill/SnmpCodec.h"
#include "support/Utf8.h"

namespace diagcore {

namespace {

constexpr char kCommunity[] = "public";

std::string Trimmed(std::string text)
{
    auto unwanted = [](char c) { return c == '\0' || c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '"'; };
    size_t end = text.size();
    while (end > 0 && unwanted(text[end - 1]))
        --end;
    size_t begin = 0;
    while (begin < end && unwanted(text[begin]))
        ++begin;
    return text.substr(begin, end - begin);
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
           });
}

std::string_view TrimBlanks(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

std::optional<size_t> ParseDecimal(std::string_view text)
{
    if (text.empty() || text.size() > 9 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    return static_cast<size_t>(std::stoul(std::string(text)));
}

std::optional<size_t> ParseHex(std::string_view text)
{
    size_t value = 0;
    size_t digits = 0;
    for (char c : text) {
        int digit = c >= '0' && c <= '9'   ? c - '0'
                    : c >= 'a' && c <= 'f' ? c - 'a' + 10
                    : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                           : -1;
        if (digit < 0)
            break;
        if (++digits > 7)
            return std::nullopt;
        value = value * 16 + static_cast<size_t>(digit);
    }
    if (digits == 0)
        return std::nullopt;
    return value;
}

// ---------- the product configuration document ----------

std::string DecodeEntities(std::string_view text)
{
    std::string out;
    size_t at = 0;
    while (at < text.size()) {
        if (text[at] != '&') {
            out += text[at++];
            continue;
        }
        size_t semicolon = text.find(';', at);
        if (semicolon == std::string_view::npos || semicolon - at > 10) {
            out += text[at++];
            continue;
        }
        std::string_view name = text.substr(at + 1, semicolon - at - 1);
        std::optional<unsigned long> code;
        if (name == "amp") code = '&';
        else if (name == "lt") code = '<';
        else if (name == "gt") code = '>';
        else if (name == "quot") code = '"';
        else if (name == "apos") code = '\'';
        else if (name.size() > 1 && name[0] == '#') {
            std::string_view digits = name.substr(1);
            if (digits[0] == 'x' || digits[0] == 'X') {
                if (auto value = ParseHex(digits.substr(1)); value && digits.size() > 1)
                    code = *value;
            } else if (auto value = ParseDecimal(digits)) {
                code = *value;
            }
        }
        if (!code || *code == 0 || *code > 0x10FFFF) {
            out += text[at++];
            continue;
        }
        // UTF-8, as the document's other text.
        AppendUtf8(out, static_cast<uint32_t>(*code));
        at = semicolon + 1;
    }
    return out;
}

struct Tag {
    size_t begin = 0; // '<'
    size_t end = 0;   // after '>'
    std::string_view localName;
    bool closing = false;
    bool special = false; // declaration, comment, processing instruction
};

// The next tag at or after `from`; no value when there is none.
std::optional<Tag> NextTag(std::string_view xml, size_t from)
{
    size_t open = xml.find('<', from);
    if (open == std::string_view::npos)
        return std::nullopt;
    Tag tag;
    tag.begin = open;
    if (xml.compare(open, 4, "<!--") == 0) {
        size_t close = xml.find("-->", open + 4);
        if (close == std::string_view::npos)
            return std::nullopt;
        tag.end = close + 3;
        tag.special = true;
        return tag;
    }
    size_t close = xml.find('>', open);
    if (close == std::string_view::npos)
        return std::nullopt;
    tag.end = close + 1;
    size_t at = open + 1;
    if (at < xml.size() && (xml[at] == '?' || xml[at] == '!')) {
        tag.special = true;
        return tag;
    }
    if (at < xml.size() && xml[at] == '/') {
        tag.closing = true;
        ++at;
    }
    size_t nameEnd = at;
    while (nameEnd < close && xml[nameEnd] != ' ' && xml[nameEnd] != '\t' && xml[nameEnd] != '\r' &&
           xml[nameEnd] != '\n' && xml[nameEnd] != '/')
        ++nameEnd;
    std::string_view name = xml.substr(at, nameEnd - at);
    size_t colon = name.find(':');
    tag.localName = colon == std::string_view::npos ? name : name.substr(colon + 1);
    return tag;
}

// The text of the first element named `localName` (any prefix) that holds only text.
std::optional<std::string> ElementText(std::string_view xml, std::string_view localName)
{
    size_t at = 0;
    while (auto tag = NextTag(xml, at)) {
        at = tag->end;
        if (tag->special || tag->closing || tag->localName != localName || xml[tag->end - 2] == '/')
            continue;
        auto next = NextTag(xml, tag->end);
        if (!next || !next->closing || next->localName != localName)
            continue;
        return Trimmed(DecodeEntities(xml.substr(tag->end, next->begin - tag->end)));
    }
    return std::nullopt;
}

} // namespace

std::vector<uint8_t> SnmpGetRequest(int32_t requestId, std::initializer_list<std::string_view> oids)
{
    SnmpMessage message;
    message.version = 0;
    message.community.assign(kCommunity, kCommunity + sizeof(kCommunity) - 1);
    message.pdu.type = SnmpPduType::GetRequest;
    message.pdu.requestId = requestId;
    for (std::string_view oid : oids) {
        auto parsed = SnmpOid::Parse(oid);
        if (!parsed)
            return {};
        message.pdu.varbinds.push_back({*parsed, SnmpValue::MakeNull()});
    }
    return EncodeSnmpMessage(message);
}

std::optional<SnmpTextReply> ReadSnmpTextReply(const uint8_t* data, size_t size)
{
    SnmpMessage message;
    if (!DecodeSnmpMessage(data, size, message) || message.version != 0 ||
        message.pdu.type != SnmpPduType::GetResponse ||
        std::string(message.community.begin(), message.community.end()) != kCommunity)
        return std::nullopt;
    SnmpTextReply reply;
    reply.requestId = message.pdu.requestId;
    reply.failed = message.pdu.errorStatus != 0;
    if (reply.failed)
        return reply;
    for (const SnmpVarBind& varbind : message.pdu.varbinds) {
        std::optional<std::string> text;
        if (varbind.value.type == SnmpType::OctetString)
            text = Trimmed(std::string(varbind.value.bytes.begin(), varbind.value.bytes.end()));
        reply.texts.push_back(std::move(text));
    }
    return reply;
}

SnmpExchange::SnmpExchange(Ipv4 agent, int32_t firstRequestId, uint64_t timeoutMs)
    : agent_(agent), firstRequestId_(firstRequestId), timeoutMs_(timeoutMs)
{
    static_assert(kRequestIds == kRequestCount);
}

SnmpExchange::Datagrams SnmpExchange::Start(uint64_t now)
{
    outstanding_[kBoth] = true;
    return Send(now);
}

SnmpExchange::Datagrams SnmpExchange::Received(Ipv4 from, const SnmpTextReply& reply, uint64_t now)
{
    // Unsigned arithmetic: an id past INT32_MAX wraps round instead of overflowing.
    uint32_t request = static_cast<uint32_t>(reply.requestId) - static_cast<uint32_t>(firstRequestId_);
    if (done_ || from != agent_ || request >= kRequestCount || !outstanding_[request])
        return {};
    outstanding_[request] = false;
    agentAnswered_ = true;
    if (request == kBoth) {
        // Anything but both objects in the order asked is asked again one by one.
        if (!reply.failed && reply.texts.size() == 2) {
            for (int object = 0; object < 2; ++object) {
                answered_[object] = true;
                texts_[object] = reply.texts[object];
            }
        } else {
            outstanding_[kDescription] = outstanding_[kIdentification] = true;
            return Send(now);
        }
    } else {
        int object = request == kDescription ? 0 : 1;
        answered_[object] = true;
        if (!reply.failed && reply.texts.size() == 1)
            texts_[object] = reply.texts[0];
    }
    done_ = answered_[0] && answered_[1];
    return {};
}

SnmpExchange::Datagrams SnmpExchange::Tick(uint64_t now)
{
    if (done_ || now < sentAt_ || now - sentAt_ < timeoutMs_)
        return {};
    if (rounds_ >= 2) {
        done_ = true;
        return {};
    }
    return Send(now);
}

SnmpExchange::Datagrams SnmpExchange::Send(uint64_t now)
{
    Datagrams requests;
    if (outstanding_[kBoth])
        requests.push_back(SnmpGetRequest(RequestId(kBoth), {kDescriptionOid, kIdentificationOid}));
    if (outstanding_[kDescription])
        requests.push_back(SnmpGetRequest(RequestId(kDescription), kDescriptionOid));
    if (outstanding_[kIdentification])
        requests.push_back(SnmpGetRequest(RequestId(kIdentification), kIdentificationOid));
    ++rounds_;
    sentAt_ = now;
    return requests;
}

int32_t SnmpExchange::RequestId(Request request) const
{
    return static_cast<int32_t>(static_cast<uint32_t>(firstRequestId_) + static_cast<uint32_t>(request));
}

std::optional<UdpUnreachable> ReadUdpUnreachable(const uint8_t* data, size_t size)
{
    constexpr uint8_t kIcmp = 1;
    constexpr uint8_t kUdp = 17;
    constexpr uint8_t kDestinationUnreachable = 3;
    // An IPv4 header of `protocol` at `at`; gives its length.
    auto header = [&](size_t at, uint8_t protocol) -> size_t {
        if (size < at + 20 || (data[at] >> 4) != 4 || data[at + 9] != protocol)
            return 0;
        size_t length = static_cast<size_t>(data[at] & 0x0F) * 4;
        return length >= 20 && size >= at + length ? length : 0;
    };
    auto word = [&](size_t at) { return static_cast<uint16_t>((data[at] << 8) | data[at + 1]); };
    size_t outer = header(0, kIcmp);
    // The message: type, code, checksum, four unused bytes, then the datagram's IP header
    // and at least the first eight bytes of its payload (the UDP header).
    if (outer == 0 || size < outer + 8 || data[outer] != kDestinationUnreachable)
        return std::nullopt;
    size_t quoted = outer + 8;
    size_t inner = header(quoted, kUdp);
    if (inner == 0 || size < quoted + inner + 8)
        return std::nullopt;
    UdpUnreachable unreachable;
    unreachable.destination = (Ipv4{data[quoted + 16]} << 24) | (Ipv4{data[quoted + 17]} << 16) |
                              (Ipv4{data[quoted + 18]} << 8) | Ipv4{data[quoted + 19]};
    unreachable.sourcePort = word(quoted + inner);
    unreachable.destinationPort = word(quoted + inner + 2);
    return unreachable;
}

std::string HttpGetRequest(std::string_view host, uint16_t port, std::string_view path)
{
    std::string request = "GET ";
    request += path;
    request += " HTTP/1.1\r\nHost: ";
    request += host;
    request += ":" + std::to_string(port) + "\r\nAccept: text/xml\r\nConnection: close\r\n\r\n";
    return request;
}

HttpResponseReader::State HttpResponseReader::Feed(std::string_view bytes)
{
    if (state_ != State::NeedMore)
        return state_;
    received_ += bytes.size();
    if (received_ > kMaxHttpResponse)
        return Fail();
    raw_.append(bytes);
    if (!headDone_) {
        if (ParseHead() != State::NeedMore || !headDone_)
            return state_;
    }
    if (chunked_)
        return DecodeChunks();
    body_ += raw_;
    raw_.clear();
    if (contentLength_ && body_.size() >= *contentLength_) {
        body_.resize(*contentLength_);
        state_ = State::Complete;
    }
    return state_;
}

HttpResponseReader::State HttpResponseReader::Closed()
{
    if (state_ != State::NeedMore)
        return state_;
    // Only a body delimited by the connection's end may end here.
    if (headDone_ && !chunked_ && !contentLength_)
        return state_ = State::Complete;
    return Fail();
}

HttpResponseReader::State HttpResponseReader::ParseHead()
{
    size_t end = raw_.find("\r\n\r\n");
    if (end == std::string::npos)
        return state_;
    std::string_view head(raw_.data(), end);
    size_t lineEnd = head.find("\r\n");
    std::string_view statusLine = head.substr(0, lineEnd);
    if (!StartsWithNoCase(statusLine, "HTTP/1.") || statusLine.size() < 12 || statusLine[8] != ' ')
        return Fail();
    auto status = ParseDecimal(statusLine.substr(9, 3));
    if (!status)
        return Fail();
    status_ = static_cast<int>(*status);
    size_t at = lineEnd == std::string_view::npos ? head.size() : lineEnd + 2;
    while (at < head.size()) {
        size_t next = head.find("\r\n", at);
        std::string_view line = head.substr(at, next == std::string_view::npos ? std::string_view::npos : next - at);
        at = next == std::string_view::npos ? head.size() : next + 2;
        size_t colon = line.find(':');
        if (colon == std::string_view::npos)
            continue;
        std::string_view name = TrimBlanks(line.substr(0, colon));
        std::string_view value = TrimBlanks(line.substr(colon + 1));
        if (name.size() == 14 && StartsWithNoCase(name, "Content-Length")) {
            auto length = ParseDecimal(value);
            if (!length || *length > kMaxHttpResponse)
                return Fail();
            contentLength_ = *length;
        } else if (name.size() == 17 && StartsWithNoCase(name, "Transfer-Encoding")) {
            chunked_ = value.size() >= 7 && StartsWithNoCase(value.substr(value.size() - 7), "chunked");
        }
    }
    if (chunked_)
        contentLength_.reset();
    headDone_ = true;
    raw_.erase(0, end + 4);
    if (contentLength_ && *contentLength_ == 0)
        state_ = State::Complete;
    return state_;
}

HttpResponseReader::State HttpResponseReader::DecodeChunks()
{
    for (;;) {
        size_t lineEnd = raw_.find("\r\n");
        if (lineEnd == std::string::npos)
            return raw_.size() > 64 ? Fail() : state_;
        auto size = ParseHex(std::string_view(raw_).substr(0, lineEnd));
        if (!size)
            return Fail();
        if (*size == 0)
            return state_ = State::Complete; // trailers are of no interest
        if (raw_.size() < lineEnd + 2 + *size + 2)
            return state_;
        if (raw_.compare(lineEnd + 2 + *size, 2, "\r\n") != 0)
            return Fail();
        body_.append(raw_, lineEnd + 2, *size);
        raw_.erase(0, lineEnd + 2 + *size + 2);
    }
}

std::optional<SableProduct> ReadProductConfig(std::string_view xml)
{
    size_t at = 0;
    std::optional<Tag> root;
    while (auto tag = NextTag(xml, at)) {
        at = tag->end;
        if (!tag->special) {
            root = tag;
            break;
        }
    }
    if (!root || root->closing || root->localName != "ProductConfigDyn")
        return std::nullopt;
    SableProduct product;
    product.makeAndModel = ElementText(xml, "MakeAndModel").value_or("");
    product.modelBase = ElementText(xml, "MakeAndModelBase").value_or("");
    product.serialNumber = ElementText(xml, "SerialNumber").value_or("");
    if (product.makeAndModel.empty() && product.modelBase.empty())
        return std::nullopt;
    return product;
}

std::wstring WidenDeviceText(std::string_view bytes)
{
    std::wstring utf16;
    size_t at = 0;
    while (at < bytes.size()) {
        auto byte = static_cast<unsigned char>(bytes[at]);
        int extra = byte < 0x80 ? 0 : (byte & 0xE0) == 0xC0 ? 1 : (byte & 0xF0) == 0xE0 ? 2 : (byte & 0xF8) == 0xF0 ? 3 : -1;
        if (extra < 0 || at + extra >= bytes.size())
            break;
        unsigned long code = extra == 0 ? byte : byte & (0x3F >> extra);
        bool valid = true;
        for (int i = 1; i <= extra; ++i) {
            auto next = static_cast<unsigned char>(bytes[at + i]);
            if ((next & 0xC0) != 0x80) {
                valid = false;
                break;
            }
            code = (code << 6) | (next & 0x3F);
        }
        static constexpr unsigned long kSmallest[] = {0, 0x80, 0x800, 0x10000};
        if (!valid || code < kSmallest[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            break;
        if (code >= 0x10000) {
            code -= 0x10000;
            utf16 += static_cast<wchar_t>(0xD800 + (code >> 10));
            utf16 += static_cast<wchar_t>(0xDC00 + (code & 0x3FF));
        } else {
            utf16 += static_cast<wchar_t>(code);
        }
        at += extra + 1;
    }
    if (at == bytes.size())
        return utf16;
    std::wstring latin1;
    for (char c : bytes)
        latin1 += static_cast<wchar_t>(static_cast<unsigned char>(c));
    return latin1;
}

std::optional<FoundPrinter> ClassifyProbe(const ProbeOutcome& outcome)
{
    FoundPrinter found;
    if (outcome.description && !outcome.description->empty()) {
        found.name = WidenDeviceText(*outcome.description);
        found.flags |= kFlagAnsweredSnmp;
    }
    if (outcome.identification && !outcome.identification->empty()) {
        std::wstring identification = WidenDeviceText(*outcome.identification);
        std::wstring model = GetIdField(L"MDL", identification);
        if (model.empty())
            model = GetIdField(L"MODEL", identification);
        if (!model.empty()) {
            found.productName = model;
            found.manufacturer = GetIdField(L"MFG", identification);
            if (found.manufacturer.empty())
                found.manufacturer = GetIdField(L"MANUFACTURER", identification);
            found.serialNumber = GetIdField(L"SN", identification);
            found.flags |= kFlagAnsweredSnmp | kFlagMakerPrinter;
        }
    }
    if (outcome.sable) {
        const SableProduct& sable = *outcome.sable;
        if (found.name.empty())
            found.name = WidenDeviceText(sable.makeAndModel.empty() ? sable.modelBase : sable.makeAndModel);
        if (found.productName.empty())
            found.productName = WidenDeviceText(sable.modelBase.empty() ? sable.makeAndModel : sable.modelBase);
        if (found.serialNumber.empty())
            found.serialNumber = WidenDeviceText(sable.serialNumber);
        found.flags |= kFlagAnsweredSable | kFlagMakerPrinter;
    }
    if (found.flags == 0)
        return std::nullopt;
    if (found.name.empty())
        found.name = found.productName;
    if (found.manufacturer.empty() && (found.flags & kFlagMakerPrinter) != 0)
        found.manufacturer = L"Kelo";
    return found;
}

} // namespace diagcore
