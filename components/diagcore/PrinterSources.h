#pragma once
// Where the component finds printers on this host: the print spooler's queues and drivers,
// USB printers from SetupAPI (through NGWinApi::DeviceIo(), so tests can plug simulated
// printers in), and which queue belongs to which USB printer or network address.
//
// Binding a queue to a USB printer: the USB port monitor records the port it made for a
// printer interface as "Port Number" and "Base Name" in the interface's "Device Parameters"
// key (under Control\DeviceClasses); the queue on that port is the printer's. Without that
// record, a queue on a USB port is taken whose printer or driver name holds the printer's
// model, or whose driver is named for the model ("Kelo Homeline 2150 Series" for the
// "Kelo Homeline 2150 All-in-One"). A network queue's address is read from its port name
// ("IP_192.0.2.7"), else from the standard TCP/IP port monitor's data for the port.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "components/diagcore/DeviceRecord.h"
#include "components/diagcore/Ipv4Ranges.h"
#include "components/diagcore/UsbInterfacePath.h"

namespace diagcore {

struct SpoolerQueue {
    std::wstring name;
    std::wstring port; // may list several ports, comma separated (printer pools)
    std::wstring driver;
    DWORD attributes = 0;
};

struct SpoolerState {
    std::vector<SpoolerQueue> queues;
    std::vector<std::wstring> drivers; // installed driver names; empty when unknown
    bool driversKnown = false;
};

// EnumPrinters level 2 (local queues and connections) and the installed drivers. False when
// the queues cannot be read.
bool ReadSpooler(SpoolerState& state);

struct UsbPrinter {
    std::wstring path;
    UsbInterfaceIdentity identity;
    std::wstring model;        // from the IEEE 1284 identification, when the printer answered
    std::wstring manufacturer;
    std::wstring serialNumber;
    std::wstring boundPort;    // the port the USB port monitor made for it; empty when unknown
};

// Printers behind the USB printing interface class, and the maker's devices listed under the
// USB setup class. False when neither class could be listed.
bool ReadUsbPrinters(std::vector<UsbPrinter>& printers);

// The printer address of a queue's port, when it is a network port.
std::optional<Ipv4> QueueAddress(const SpoolerQueue& queue);

std::vector<DeviceRecord> UsbDeviceRecords(const std::vector<UsbPrinter>& printers, const SpoolerState& spooler);
std::vector<DeviceRecord> InstalledDeviceRecords(const SpoolerState& spooler, const std::vector<UsbPrinter>& usb);
// Gives search results the queue installed for their address, if any.
void BindNetworkQueues(std::vector<DeviceRecord>& found, const SpoolerState& spooler);

} // namespace diagcore
