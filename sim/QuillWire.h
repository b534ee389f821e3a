#pragma once
// The loopback wire on which the native simulator offers a USB printer's Quill objects, so
// the USB device library can be tested against a running printer model.
//
// Request:  'G' idLength id...                 read an object
//           'S' idLength id... type value(4)   write a 32-bit integer (little-endian)
// Response: result(4) type(1) length(2) value...   integers little-endian
// Ids are the Quill byte form without the terminating zero (1..32 bytes).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "sim/SimDevice.h"

namespace sim {

struct QuillWireRequest {
    bool set = false;
    std::vector<uint8_t> id;
    uint8_t valueType = 1;
    int32_t value = 0;
};

enum class WireParse { NeedMore, Ok, Bad };

constexpr size_t kMaxQuillIdBytes = 32;
constexpr size_t kMaxQuillValueBytes = 1024;

std::vector<uint8_t> EncodeQuillRequest(const QuillWireRequest& request);
// Parses the request at the front of data; `consumed` tells how many bytes it took.
WireParse ParseQuillRequest(const uint8_t* data, size_t size, QuillWireRequest& out, size_t& consumed);

// Values longer than kMaxQuillValueBytes are cut.
std::vector<uint8_t> EncodeQuillResponse(const QuillRead& read);
WireParse ParseQuillResponse(const uint8_t* data, size_t size, QuillRead& out, size_t& consumed);

// Answers one request against a device (a write is recorded as a SET).
QuillRead AnswerQuillRequest(SimDevice& device, const QuillWireRequest& request);

} // namespace sim
