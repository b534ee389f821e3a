#pragma once
// Which protocol, and so which device access manager, serves a printer.
#include "discovery/Device_Dev.h"

enum class DeviceProtocol { Sable, QuillNetwork, QuillUsb };

// Sable when the catalogue calls the product a Sable device, else Quill by connection.
DeviceProtocol ProtocolFor(const Device_Dev& device);
