#pragma once
// The SNMP version 1 agent of a simulated printer: answers GET, GETNEXT and SET against an
// object table, the way RFC 1157 says (noSuchName with the failing index, varbinds echoed).
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "quill/SnmpCodec.h"

namespace sim {

using SnmpObjectTable = std::map<std::vector<uint32_t>, SnmpValue>;

enum SnmpErrorStatus : int32_t { kNoError = 0, kTooBig = 1, kNoSuchName = 2, kBadValue = 3, kReadOnly = 4, kGenErr = 5 };

// Largest reply the agent sends; larger answers become tooBig.
constexpr size_t kMaxSnmpReplyBytes = 1472;

struct SnmpAgentOptions {
    const char* community = "public";
    bool wrongTypes = false; // answer integers as strings and strings as integers
    // Whether an object may be written; the write itself is done by onSet.
    std::function<bool(const std::vector<uint32_t>& oid)> isWritable;
    std::function<void(const std::vector<uint32_t>& oid, const SnmpValue& value)> onSet;
};

// The reply to a request datagram, or nothing when it must go unanswered (undecodable, not
// version 1, wrong community, not a request).
std::optional<std::vector<uint8_t>> AnswerSnmpDatagram(const uint8_t* data, size_t size, const SnmpObjectTable& objects,
                                                       const SnmpAgentOptions& options);

} // namespace sim
