#pragma once
// The bytes a device puts on the wire for one response, faults included. Shared by the
// socket server and the in-process USB model so both misbehave the same way.
#include <string>
#include <vector>

#include "sim/HttpMessage.h"
#include "sim/PrinterConfig.h"

namespace sim {

struct ResponsePlan {
    bool silent = false;              // send nothing at all
    std::vector<std::string> pieces;  // in order; with chunked coding each chunk is a piece
    bool endless = false;             // after the pieces, send EndlessPiece() forever
    bool closeEarly = false;          // the pieces stop short of the announced body
    unsigned delayMs = 0;             // before the first piece
};

constexpr size_t kOversizedBodyBytes = 4 * 1024 * 1024;

ResponsePlan PlanResponse(const HttpResponse& response, const EndpointFaults& faults);

// One more chunk of a body that never ends.
const std::string& EndlessPiece();

// Bytes that are no protocol at all (deterministic).
std::string GarbageBytes(size_t count);

} // namespace sim
