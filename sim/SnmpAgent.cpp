#include "sim/SnmpAgent.h"

#include <cstring>

namespace sim {
namespace {

SnmpValue WithWrongType(const SnmpValue& value)
{
    if (value.type == SnmpType::Integer)
        return SnmpValue::MakeOctetString("unknown");
    if (value.type == SnmpType::OctetString)
        return SnmpValue::MakeInteger(0);
    return value;
}

SnmpMessage ErrorReply(const SnmpMessage& request, int32_t status, size_t index)
{
    SnmpMessage reply = request;
    reply.pdu.type = SnmpPduType::GetResponse;
    reply.pdu.errorStatus = status;
    reply.pdu.errorIndex = static_cast<int32_t>(index);
    return reply;
}

} // namespace

std::optional<std::vector<uint8_t>> AnswerSnmpDatagram(const uint8_t* data, size_t size, const SnmpObjectTable& objects,
                                                       const SnmpAgentOptions& options)
{
    SnmpMessage request;
    if (!DecodeSnmpMessage(data, size, request))
        return std::nullopt;
    size_t communityLength = std::strlen(options.community);
    if (request.version != 0 || request.community.size() != communityLength ||
        std::memcmp(request.community.data(), options.community, communityLength) != 0)
        return std::nullopt;
    if (request.pdu.type == SnmpPduType::GetResponse)
        return std::nullopt;

    SnmpMessage reply = request;
    reply.pdu.type = SnmpPduType::GetResponse;
    reply.pdu.errorStatus = kNoError;
    reply.pdu.errorIndex = 0;
    auto& varbinds = reply.pdu.varbinds;

    switch (request.pdu.type) {
    case SnmpPduType::GetRequest:
        for (size_t i = 0; i < varbinds.size(); ++i) {
            auto found = objects.find(varbinds[i].oid.components);
            if (found == objects.end() || found->second.type == SnmpType::Null)
                return EncodeSnmpMessage(ErrorReply(request, kNoSuchName, i + 1));
            varbinds[i].value = options.wrongTypes ? WithWrongType(found->second) : found->second;
        }
        break;
    case SnmpPduType::GetNextRequest:
        for (size_t i = 0; i < varbinds.size(); ++i) {
            auto next = objects.upper_bound(varbinds[i].oid.components);
            while (next != objects.end() && next->second.type == SnmpType::Null)
                ++next;
            if (next == objects.end())
                return EncodeSnmpMessage(ErrorReply(request, kNoSuchName, i + 1));
            varbinds[i].oid.components = next->first;
            varbinds[i].value = options.wrongTypes ? WithWrongType(next->second) : next->second;
        }
        break;
    case SnmpPduType::SetRequest:
        // All or nothing: check every varbind before writing any.
        for (size_t i = 0; i < varbinds.size(); ++i) {
            const auto& oid = varbinds[i].oid.components;
            if (objects.find(oid) == objects.end() || !options.isWritable || !options.isWritable(oid))
                return EncodeSnmpMessage(ErrorReply(request, kNoSuchName, i + 1));
            if (varbinds[i].value.type != SnmpType::Integer)
                return EncodeSnmpMessage(ErrorReply(request, kBadValue, i + 1));
        }
        for (const auto& varbind : varbinds)
            if (options.onSet)
                options.onSet(varbind.oid.components, varbind.value);
        break;
    case SnmpPduType::GetResponse:
        return std::nullopt;
    }

    std::vector<uint8_t> bytes = EncodeSnmpMessage(reply);
    if (bytes.empty())
        return EncodeSnmpMessage(ErrorReply(request, kGenErr, 0));
    if (bytes.size() > kMaxSnmpReplyBytes) {
        SnmpMessage tooBig = ErrorReply(request, kTooBig, 0);
        tooBig.pdu.varbinds.clear();
        return EncodeSnmpMessage(tooBig);
    }
    return bytes;
}

} // namespace sim
