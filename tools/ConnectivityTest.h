#pragma once
// The first diagnosis step: can the tool reach the printer at all? One ICMP echo for a network
// printer, a read of the IEEE 1284 device identification for a USB printer.
#include <string>

#include "app/engine/DiagnosticTest.h"

class CConnectivityTest : public CTest {
public:
    int32_t Run(Device_Dev& device) override;
};

// One ICMP echo (TTL 255, no data, 1000 ms); true when the printer answered with success.
bool Ping(const std::wstring& address);
