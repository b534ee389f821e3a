#pragma once
// What one connection to a printer's TCP endpoints gets: the raw sink on 9100 and the
// Quill wire of a USB printer. Faults are read per connection or per request.
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

#include "sim/SimDevice.h"
#include "sim/server/TcpListener.h"

namespace sim::server {

// Like a printer, the raw sink takes one job at a time, in the order the connections came.
class JobTurns {
public:
    // False when the server stopped first.
    bool WaitTurn(uint64_t sequence, const StopSignal& stop);
    void EndTurn();

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    uint64_t serving_ = 0;
};

// One print job per connection: every byte goes to the device's print log.
void ServeRawSink(Connection& connection, const std::string& label, SimDevice& device, JobTurns& turns);

// sim/QuillWire requests answered until the peer closes or sends something else.
void ServeQuillWire(Connection& connection, const std::string& label, SimDevice& device);

} // namespace sim::server
