#pragma once
// What a test object may ask of the diagnosis that runs it. The diagnosis manager is the one
// implementation; tests of the device status and print checks depend on this, not on it.
#include <windows.h>

#include "discovery/DeviceProtocol.h"
#include "discovery/Device_Dev.h"

class CSableManager;
class CSNMPNWManager;

class CTestContext {
public:
    virtual CSableManager& Sable() = 0;
    virtual CSNMPNWManager& QuillNetwork() = 0;
    virtual void SetStatusVerdict(bool noError) = 0;
    // The cancel event of the running print job (auto-reset).
    virtual HANDLE CancelEvent() const = 0;

protected:
    ~CTestContext() = default;
};
