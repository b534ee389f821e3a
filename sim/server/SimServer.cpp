#include "sim/server/SimServer.h"

#include "sim/server/HttpService.h"
#include "sim/server/PrinterServices.h"

namespace sim::server {

SimServer::SimServer(const Scenario& scenario, ServerOptions options) : options_(std::move(options))
{
    for (const PrinterConfig& config : scenario.printers)
        AddPrinter(config);

    std::vector<ControlledPrinter> controlled;
    for (HostedPrinter& printer : printers_) {
        PrinterConfig config = printer.device->Config();
        ControlledPrinter entry;
        entry.device = printer.device.get();
        entry.where = config.usb ? "usb" : config.address;
        if (printer.quillWire)
            entry.where += " quill-wire " + printer.quillWire->Address().Text();
        if (TcpListener* raw = printer.raw.get())
            entry.settingsChanged = [raw] { raw->Refresh(); };
        controlled.push_back(std::move(entry));
    }
    controlService_ = std::make_unique<ControlService>(std::move(controlled), stop_);
    control_ = std::make_unique<TcpListener>(
        "control", options_.control,
        [this](Connection& connection) {
            ServeHttp(connection, control_->Label(),
                      [this](const HttpRequest& request) { return controlService_->Handle(request); });
        },
        stop_, options_.limits);
}

SimServer::~SimServer()
{
    stop_.Trigger();
    // Members then join their threads: the control first, the devices last.
}

void SimServer::AddPrinter(const PrinterConfig& config)
{
    HostedPrinter printer;
    PrinterConfig served = config;
    served.httpPort = options_.httpPort;
    printer.device = std::make_unique<SimDevice>(served);
    SimDevice& device = *printer.device;
    if (!config.usb) {
        auto label = [&](uint16_t port) { return config.name + " " + config.address + ":" + std::to_string(port); };
        printer.http = std::make_unique<TcpListener>(
            label(options_.httpPort), SocketAddress{config.address, options_.httpPort},
            [&device, name = label(options_.httpPort)](Connection& connection) {
                ServeHttp(connection, name, [&device](const HttpRequest& request) {
                    return HttpReply{device.HandleHttp(request), device.FaultsOf(Endpoint::Http), {}};
                });
            },
            stop_, options_.limits);
        printer.snmp = std::make_unique<SnmpListener>(label(options_.snmpPort),
                                                      SocketAddress{config.address, options_.snmpPort}, device, stop_);
        printer.rawJobTurns = std::make_unique<JobTurns>();
        printer.raw = std::make_unique<TcpListener>(
            label(options_.rawPort), SocketAddress{config.address, options_.rawPort},
            [&device, &turns = *printer.rawJobTurns, name = label(options_.rawPort)](Connection& connection) {
                ServeRawSink(connection, name, device, turns);
            },
            stop_, options_.limits, [&device] { return !device.FaultsOf(Endpoint::Raw).refuse; });
    } else if (!config.quillEndpoint.empty()) {
        SocketAddress where;
        if (!ParseLoopbackEndpoint(config.quillEndpoint, where, setupError_)) {
            setupError_ = config.name + ": quill-endpoint " + setupError_;
        } else {
            std::string name = config.name + " quill-wire " + where.Text();
            printer.quillWire = std::make_unique<TcpListener>(
                name, where, [&device, name](Connection& connection) { ServeQuillWire(connection, name, device); },
                stop_, options_.limits);
        }
    }
    printers_.push_back(std::move(printer));
}

bool SimServer::Open(std::string& error)
{
    if (!setupError_.empty()) {
        error = setupError_;
        return false;
    }
    for (HostedPrinter& printer : printers_) {
        for (TcpListener* listener : {printer.http.get(), printer.raw.get(), printer.quillWire.get()})
            if (listener && !listener->Open(error))
                return false;
        if (printer.snmp && !printer.snmp->Open(error))
            return false;
    }
    return control_->Open(error);
}

void SimServer::Start()
{
    for (HostedPrinter& printer : printers_) {
        for (TcpListener* listener : {printer.http.get(), printer.raw.get(), printer.quillWire.get()})
            if (listener)
                listener->Start();
        if (printer.snmp)
            printer.snmp->Start();
    }
    control_->Start();
}

} // namespace sim::server
