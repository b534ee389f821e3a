#pragma once
// The USB side of a simulated printer: what a host meets behind the printer's device
// interface. The host writes HTTP requests (Sable over USB) or print data and reads the
// answers back one block per read, as the printer class driver hands them out. Time is
// passed in, so the model is deterministic; the Windows fake (FakeUsbDeviceIo) puts
// handles, events and waiting around it. Safe to use from several threads.
//
// The HTTP channel:
// - A write that begins with a method and a blank starts a request; the request's further
//   bytes may come in later writes (a POST head and its body, or any split at all).
// - The answer is planned with PlanResponse and the printer's usb faults, like the
//   network side. Its bytes wait in an output queue that survives closing the handle, so
//   an unread rest is stale input before the next request.
// - A read hands out at most 2048 bytes (or the read-size fault). A Content-Length answer
//   is one stream cut at any byte. A chunked answer starts its head and every chunk at the
//   start of a read, and never lets a chunk's closing CRLF start a read, so a host that
//   expects each read to begin with a chunk-size line can decode it.
// - noise: bytes that are no HTTP come in reads of their own before the answer.
// - empty-reads=N: N reads complete with no byte before every read that carries bytes.
// - delay: nothing can be read until that long after the request; silence: never.
// - endless: chunks keep coming until the next request, which abandons them.
// Any other write goes to the raw print sink; with the stall fault it is not taken.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "sim/HttpMessage.h"
#include "sim/SimDevice.h"

namespace sim {

// The printing class interface under which a USB printer publishes its interface path.
constexpr std::string_view kUsbPrintInterfaceText = "{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";
// The setup classes under which the maker's channel to the printer is listed.
constexpr std::string_view kUsbSetupClassText = "{36fc9e60-c465-11cf-8056-444553540000}";
constexpr std::string_view kImagingSetupClassText = "{6bdd1fc6-810f-11d0-bec7-08002be2092f}";
constexpr std::string_view kMakerUsbVendor = "VID_0A7E";
// The largest block one read hands out.
constexpr size_t kUsbReadBlock = 2048;

struct UsbRead {
    enum class Kind {
        Bytes,   // `bytes` arrived
        Empty,   // the read completes without a byte
        Nothing, // nothing to hand out now: the read has to wait
    };
    Kind kind = Kind::Nothing;
    std::string bytes;
};

enum class UsbWrite {
    Request, // taken as (part of) an HTTP request
    Print,   // taken by the raw print sink
    Stalled, // print data the printer does not take now; nothing was taken
};

class UsbPrinter {
public:
    explicit UsbPrinter(std::shared_ptr<SimDevice> device);

    SimDevice& Device() const { return *device_; }
    // "VID_0A7E&PID_<product id>": what the host looks for in interface paths.
    const std::string& HardwareId() const { return hardwareId_; }
    // \\?\USB#VID_0A7E&PID_<product id>#<serial>#{printing interface class}
    const std::string& InterfacePath() const { return interfacePath_; }
    // The same device's interface of another class: the path ends with that class.
    std::string InterfacePathFor(std::string_view interfaceClass) const;

    // The answer to IOCTL_PAR_QUERY_DEVICE_ID: the IEEE 1284 identification and a
    // terminating zero, the count the request reports. The printer sends the
    // identification behind a two-byte big-endian length (the identification's length
    // plus two); a class driver strips it for this request, but with the
    // `device-id-length` setting it arrives as a raw 1284 reply has it.
    std::string QueryDeviceId() const;
    // What a host's size query reports while nothing waits: 0, or no size at all.
    bool ReportsZeroWhenIdle() const;

    // One write of the host. `newJob`: print bytes start a new job (the host's first
    // print write on its handle).
    UsbWrite Write(std::string_view bytes, bool newJob, Clock::time_point now);
    // One read of the host, of at most `maxBytes`.
    UsbRead Read(size_t maxBytes, Clock::time_point now);
    // Bytes that could be read now (the size a device reports for waiting input).
    size_t WaitingBytes(Clock::time_point now) const;
    // Bytes waiting before anything the host asks next, as if left from an earlier answer.
    void QueueStaleInput(std::string bytes);

    // The Quill object store, as the USB device library reaches it.
    QuillRead GetQuillObject(const std::vector<uint8_t>& quillId);
    uint32_t SetQuillObject(const std::vector<uint8_t>& quillId, int32_t value);

private:
    // Bytes that reads hand out on their own: no read takes bytes of two segments.
    struct Segment {
        std::string bytes;
        size_t offset = 0;
        Clock::time_point readyAt = Clock::time_point::min();
        size_t readSize = kUsbReadBlock;
        unsigned emptyReads = 0;
        bool chunk = false; // keep the closing CRLF off the start of a read

        size_t Remaining() const { return bytes.size() - offset; }
    };

    void Answer(const HttpResponse& response, Clock::time_point now);
    void Queue(const Segment& shape, std::string bytes, bool chunk);

    std::shared_ptr<SimDevice> device_;
    std::string hardwareId_;
    std::string devicePath_; // the interface paths up to their class
    std::string interfacePath_;

    mutable std::mutex mutex_;
    HttpRequestParser parser_;
    bool inRequest_ = false;
    std::deque<Segment> output_;
    unsigned emptiesServed_ = 0; // empty reads since the last read that carried bytes
    bool endless_ = false;
    Segment endlessShape_;
};

} // namespace sim
