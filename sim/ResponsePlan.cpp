#include "sim/ResponsePlan.h"

#include <cstdint>

namespace sim {
namespace {

constexpr size_t kChunkBytes = 1024;

std::string OversizedBody()
{
    // Well-formed start, then far more than any document: the client must cap what it keeps.
    std::string body = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- ";
    body.resize(kOversizedBodyBytes - 5, 'x');
    body += " -->\n";
    return body;
}

} // namespace

const std::string& EndlessPiece()
{
    static const std::string piece = Chunk("<!-- still printing the body of this document -->\n");
    return piece;
}

std::string GarbageBytes(size_t count)
{
    std::string bytes(count, '\0');
    uint32_t state = 0x2545F491u;
    for (char& byte : bytes) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        byte = static_cast<char>(state & 0xFF);
    }
    return bytes;
}

ResponsePlan PlanResponse(const HttpResponse& response, const EndpointFaults& faults)
{
    ResponsePlan plan;
    plan.delayMs = faults.delayMs;
    if (faults.silence) {
        plan.silent = true;
        return plan;
    }
    if (faults.garbage) {
        plan.pieces.push_back(GarbageBytes(300));
        return plan;
    }
    HttpResponse shaped = response;
    if (faults.oversized)
        shaped.body = OversizedBody();
    else if (faults.empty)
        shaped.body.clear();
    bool chunked = faults.chunked || faults.endless;
    plan.pieces.push_back(SerializeHead(shaped, chunked));
    std::string_view body = shaped.body;
    if (faults.disconnect) {
        body = body.substr(0, body.size() / 2);
        plan.closeEarly = true;
    }
    if (!chunked) {
        for (size_t at = 0; at < body.size(); at += kChunkBytes)
            plan.pieces.emplace_back(body.substr(at, kChunkBytes));
        return plan;
    }
    for (size_t at = 0; at < body.size(); at += kChunkBytes)
        plan.pieces.push_back(Chunk(body.substr(at, kChunkBytes)));
    if (faults.endless)
        plan.endless = true;
    else if (!plan.closeEarly)
        plan.pieces.push_back(Chunk({}));
    return plan;
}

} // namespace sim
