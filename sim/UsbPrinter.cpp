#include "sim/UsbPrinter.h"

#include <algorithm>
#include <cctype>

#include "sim/ResponsePlan.h"

namespace sim {
namespace {

// Unsolicited status chatter of the printer: anything but HTTP.
constexpr std::string_view kNoise = "\x1bSTATUS:IDLE;INK:OK;PAPER:OK\r\n";

// A chunk's closing CRLF plus one data byte: the least a read ending a chunk carries.
constexpr size_t kChunkTail = 3;

bool StartsRequest(std::string_view bytes)
{
    static constexpr std::string_view methods[] = {"GET ", "POST ", "PUT ", "HEAD ", "DELETE "};
    return std::any_of(std::begin(methods), std::end(methods),
                       [&](std::string_view method) { return bytes.starts_with(method); });
}

bool DeclaresChunked(const std::string& head)
{
    return head.starts_with("HTTP/") && head.find("\r\nTransfer-Encoding: chunked\r\n") != std::string::npos;
}

// Interface paths carry the serial between '#' separators.
std::string PathSafe(const std::string& text)
{
    std::string safe;
    for (char c : text)
        safe += std::isalnum(static_cast<unsigned char>(c)) || c == '&' || c == '_' || c == '-' ? c : '_';
    return safe.empty() ? "0000" : safe;
}

std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

HttpResponse BadRequest()
{
    HttpResponse response;
    response.status = 400;
    response.reason = "Bad Request";
    response.headers = {{"Content-Type", "text/html"}};
    response.body = "<html><body><h1>Bad Request</h1></body></html>";
    return response;
}

} // namespace

UsbPrinter::UsbPrinter(std::shared_ptr<SimDevice> device) : device_(std::move(device))
{
    PrinterConfig config = device_->Config();
    hardwareId_ = std::string(kMakerUsbVendor) + "&PID_" + Upper(PathSafe(config.productId));
    devicePath_ = "\\\\?\\USB#" + hardwareId_ + "#" + PathSafe(config.serial) + "#";
    interfacePath_ = InterfacePathFor(kUsbPrintInterfaceText);
}

std::string UsbPrinter::InterfacePathFor(std::string_view interfaceClass) const
{
    return devicePath_ + std::string(interfaceClass);
}

std::string UsbPrinter::QueryDeviceId() const
{
    std::string id = device_->DeviceId();
    if (device_->Config().deviceIdLength) {
        const size_t length = id.size() + 2;
        id.insert(0, {static_cast<char>((length >> 8) & 0xFF), static_cast<char>(length & 0xFF)});
    }
    id.push_back('\0');
    return id;
}

bool UsbPrinter::ReportsZeroWhenIdle() const { return device_->Config().usbIdleSizeZero; }

UsbWrite UsbPrinter::Write(std::string_view bytes, bool newJob, Clock::time_point now)
{
    std::lock_guard lock(mutex_);
    if (!inRequest_ && !StartsRequest(bytes)) {
        if (bytes.empty())
            return UsbWrite::Print;
        if (device_->FaultsOf(Endpoint::Usb).stall)
            return UsbWrite::Stalled;
        device_->RecordPrint(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), newJob);
        return UsbWrite::Print;
    }
    inRequest_ = true;
    HttpRequestParser::State state = parser_.Feed(bytes);
    if (state == HttpRequestParser::State::NeedMore)
        return UsbWrite::Request;
    // One request per write sequence: whatever followed it in the same write is dropped.
    HttpRequest request = state == HttpRequestParser::State::Complete ? parser_.TakeRequest() : HttpRequest{};
    parser_ = HttpRequestParser{};
    inRequest_ = false;
    Answer(state == HttpRequestParser::State::Complete ? device_->HandleHttp(request) : BadRequest(), now);
    return UsbWrite::Request;
}

void UsbPrinter::Answer(const HttpResponse& response, Clock::time_point now)
{
    EndpointFaults faults = device_->FaultsOf(Endpoint::Usb);
    ResponsePlan plan = PlanResponse(response, faults);
    endless_ = false;
    if (plan.silent)
        return;
    Segment shape;
    shape.readyAt = now + std::chrono::milliseconds(plan.delayMs);
    shape.readSize = faults.readSize != 0 ? faults.readSize : kUsbReadBlock;
    shape.emptyReads = faults.emptyReads;
    if (faults.noise)
        Queue(shape, std::string(kNoise), false);
    if (plan.pieces.empty())
        return;
    if (DeclaresChunked(plan.pieces.front())) {
        for (size_t i = 0; i < plan.pieces.size(); ++i)
            Queue(shape, plan.pieces[i], i > 0);
    } else {
        std::string stream;
        for (const std::string& piece : plan.pieces)
            stream += piece;
        Queue(shape, std::move(stream), false);
    }
    endless_ = plan.endless;
    endlessShape_ = shape;
}

void UsbPrinter::Queue(const Segment& shape, std::string bytes, bool chunk)
{
    if (bytes.empty())
        return;
    Segment segment = shape;
    segment.bytes = std::move(bytes);
    segment.chunk = chunk;
    output_.push_back(std::move(segment));
}

UsbRead UsbPrinter::Read(size_t maxBytes, Clock::time_point now)
{
    std::lock_guard lock(mutex_);
    while (!output_.empty() && output_.front().Remaining() == 0)
        output_.pop_front();
    if (output_.empty() && endless_)
        Queue(endlessShape_, EndlessPiece(), true);
    if (maxBytes == 0)
        return {UsbRead::Kind::Empty, {}};
    if (output_.empty() || now < output_.front().readyAt)
        return {};
    Segment& segment = output_.front();
    if (emptiesServed_ < segment.emptyReads) {
        ++emptiesServed_;
        return {UsbRead::Kind::Empty, {}};
    }
    emptiesServed_ = 0;
    size_t remaining = segment.Remaining();
    size_t count = std::min({maxBytes, segment.readSize, remaining});
    size_t tail = remaining - count;
    if (segment.chunk && tail > 0 && tail < kChunkTail && count > kChunkTail - tail)
        count -= kChunkTail - tail;
    UsbRead read{UsbRead::Kind::Bytes, segment.bytes.substr(segment.offset, count)};
    segment.offset += count;
    return read;
}

size_t UsbPrinter::WaitingBytes(Clock::time_point now) const
{
    std::lock_guard lock(mutex_);
    size_t waiting = 0;
    for (const Segment& segment : output_)
        if (segment.readyAt <= now)
            waiting += segment.Remaining();
    return waiting;
}

void UsbPrinter::QueueStaleInput(std::string bytes)
{
    std::lock_guard lock(mutex_);
    Queue(Segment{}, std::move(bytes), false);
}

QuillRead UsbPrinter::GetQuillObject(const std::vector<uint8_t>& quillId) { return device_->GetQuillObject(quillId); }

uint32_t UsbPrinter::SetQuillObject(const std::vector<uint8_t>& quillId, int32_t value)
{
    return device_->SetQuillObject(quillId, value);
}

} // namespace sim
