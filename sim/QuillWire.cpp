#include "sim/QuillWire.h"

#include <algorithm>

namespace sim {
namespace {

void PutLittleEndian(std::vector<uint8_t>& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

uint32_t GetLittleEndian(const uint8_t* data, int bytes)
{
    uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = (value << 8) | data[i];
    return value;
}

} // namespace

std::vector<uint8_t> EncodeQuillRequest(const QuillWireRequest& request)
{
    std::vector<uint8_t> out;
    out.push_back(request.set ? 'S' : 'G');
    out.push_back(static_cast<uint8_t>(request.id.size()));
    out.insert(out.end(), request.id.begin(), request.id.end());
    if (request.set) {
        out.push_back(request.valueType);
        PutLittleEndian(out, static_cast<uint32_t>(request.value), 4);
    }
    return out;
}

WireParse ParseQuillRequest(const uint8_t* data, size_t size, QuillWireRequest& out, size_t& consumed)
{
    consumed = 0;
    if (size < 2)
        return size >= 1 && data[0] != 'G' && data[0] != 'S' ? WireParse::Bad : WireParse::NeedMore;
    if (data[0] != 'G' && data[0] != 'S')
        return WireParse::Bad;
    size_t idLength = data[1];
    if (idLength == 0 || idLength > kMaxQuillIdBytes)
        return WireParse::Bad;
    bool set = data[0] == 'S';
    size_t total = 2 + idLength + (set ? 5 : 0);
    if (size < total)
        return WireParse::NeedMore;
    QuillWireRequest request;
    request.set = set;
    request.id.assign(data + 2, data + 2 + idLength);
    if (set) {
        request.valueType = data[2 + idLength];
        request.value = static_cast<int32_t>(GetLittleEndian(data + 3 + idLength, 4));
    }
    out = std::move(request);
    consumed = total;
    return WireParse::Ok;
}

std::vector<uint8_t> EncodeQuillResponse(const QuillRead& read)
{
    size_t length = std::min(read.value.size(), kMaxQuillValueBytes);
    std::vector<uint8_t> out;
    PutLittleEndian(out, read.result, 4);
    out.push_back(read.type);
    PutLittleEndian(out, static_cast<uint32_t>(length), 2);
    out.insert(out.end(), read.value.begin(), read.value.begin() + static_cast<std::ptrdiff_t>(length));
    return out;
}

WireParse ParseQuillResponse(const uint8_t* data, size_t size, QuillRead& out, size_t& consumed)
{
    consumed = 0;
    if (size < 7)
        return WireParse::NeedMore;
    size_t length = GetLittleEndian(data + 5, 2);
    if (length > kMaxQuillValueBytes)
        return WireParse::Bad;
    if (size < 7 + length)
        return WireParse::NeedMore;
    QuillRead read;
    read.result = GetLittleEndian(data, 4);
    read.type = data[4];
    read.value.assign(data + 7, data + 7 + length);
    out = std::move(read);
    consumed = 7 + length;
    return WireParse::Ok;
}

QuillRead AnswerQuillRequest(SimDevice& device, const QuillWireRequest& request)
{
    if (!request.set)
        return device.GetQuillObject(request.id);
    QuillRead answer;
    answer.result = device.SetQuillObject(request.id, request.value);
    return answer;
}

} // namespace sim
