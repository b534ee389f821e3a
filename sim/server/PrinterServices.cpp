#include "sim/server/PrinterServices.h"

#include "sim/QuillObjects.h"
#include "sim/QuillWire.h"
#include "sim/ResponsePlan.h"
#include "sim/server/Log.h"

namespace sim::server {

bool JobTurns::WaitTurn(uint64_t sequence, const StopSignal& stop)
{
    std::unique_lock lock(mutex_);
    // Short waits: the stop signal is an eventfd, not this condition.
    while (serving_ != sequence) {
        if (stop.Triggered())
            return false;
        changed_.wait_for(lock, std::chrono::milliseconds(50));
    }
    return true;
}

void JobTurns::EndTurn()
{
    std::lock_guard lock(mutex_);
    ++serving_;
    changed_.notify_all();
}

void ServeRawSink(Connection& connection, const std::string& label, SimDevice& device, JobTurns& turns)
{
    if (!turns.WaitTurn(connection.Sequence(), connection.Stopper()))
        return;
    struct TurnEnd {
        JobTurns& turns;
        ~TurnEnd() { turns.EndTurn(); }
    } turnEnd{turns};
    std::string prefix = "[" + label + "] " + connection.Peer() + " ";
    EndpointFaults faults = device.FaultsOf(Endpoint::Raw);
    if (faults.stall) {
        LogLine(prefix + "job accepted, stalling (no byte is read)");
        connection.HoldOpen(false);
        return;
    }
    if (!connection.Pause(faults.delayMs))
        return;
    char buffer[64 * 1024];
    size_t total = 0;
    Connection::ReadEnd end{};
    while (size_t count = connection.Read(buffer, sizeof buffer, connection.IdleDeadline(), end)) {
        device.RecordPrint(reinterpret_cast<const uint8_t*>(buffer), count, total == 0);
        total += count;
    }
    LogLine(prefix + "print job of " + std::to_string(total) + " bytes" +
            (end == Connection::ReadEnd::TimedOut ? " (idle, closed)" : ""));
}

void ServeQuillWire(Connection& connection, const std::string& label, SimDevice& device)
{
    std::string prefix = "[" + label + "] " + connection.Peer() + " ";
    std::vector<uint8_t> pending;
    char buffer[4096];
    for (;;) {
        QuillWireRequest request;
        size_t consumed = 0;
        WireParse parsed = ParseQuillRequest(pending.data(), pending.size(), request, consumed);
        if (parsed == WireParse::Bad) {
            LogLine(prefix + "not a Quill wire request, closing");
            return;
        }
        if (parsed == WireParse::NeedMore) {
            Connection::ReadEnd end{};
            size_t count = connection.Read(buffer, sizeof buffer, connection.IdleDeadline(), end);
            if (count == 0)
                return;
            pending.insert(pending.end(), buffer, buffer + count);
            continue;
        }
        pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(consumed));

        // Silence and wrong types live in the device: it answers "device lost" or odd types.
        EndpointFaults faults = device.FaultsOf(Endpoint::QuillWire);
        QuillRead answer = AnswerQuillRequest(device, request);
        LogLine(prefix + (request.set ? "set " : "get ") + QuillBytesToDotted(request.id) + " -> result " +
                std::to_string(answer.result));
        if (!connection.Pause(faults.delayMs))
            return;
        if (faults.disconnect)
            return;
        if (faults.garbage) {
            connection.Send(GarbageBytes(16));
            return;
        }
        std::vector<uint8_t> bytes = EncodeQuillResponse(answer);
        if (!connection.Send(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())))
            return;
    }
}

} // namespace sim::server
