#pragma once
// Hosts every printer of a scenario on its loopback endpoints, plus the control interface.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sim/Scenario.h"
#include "sim/SimDevice.h"
#include "sim/server/ControlService.h"
#include "sim/server/Net.h"
#include "sim/server/PrinterServices.h"
#include "sim/server/SnmpListener.h"
#include "sim/server/TcpListener.h"

namespace sim::server {

struct ServerOptions {
    SocketAddress control{"127.0.0.1", 8199};
    uint16_t httpPort = 8080;
    uint16_t snmpPort = 161;
    uint16_t rawPort = 9100;
    ServerLimits limits;
};

class SimServer {
public:
    SimServer(const Scenario& scenario, ServerOptions options);
    // Stops and joins every thread.
    ~SimServer();
    SimServer(const SimServer&) = delete;
    SimServer& operator=(const SimServer&) = delete;

    // Binds every endpoint; the first failure ends it.
    bool Open(std::string& error);
    void Start();
    void Stop() { stop_.Trigger(); }
    const StopSignal& Stopper() const { return stop_; }
    const SocketAddress& ControlAddress() const { return control_->Address(); }
    size_t PrinterCount() const { return printers_.size(); }

private:
    struct HostedPrinter {
        std::unique_ptr<SimDevice> device;
        std::unique_ptr<TcpListener> http;
        std::unique_ptr<SnmpListener> snmp;
        std::unique_ptr<JobTurns> rawJobTurns;
        std::unique_ptr<TcpListener> raw;
        std::unique_ptr<TcpListener> quillWire;
    };

    void AddPrinter(const PrinterConfig& config);

    StopSignal stop_;
    ServerOptions options_;
    std::vector<HostedPrinter> printers_;
    std::string setupError_;
    std::unique_ptr<ControlService> controlService_;
    std::unique_ptr<TcpListener> control_;
};

} // namespace sim::server
