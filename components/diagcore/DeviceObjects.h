#pragma once
// The device objects and the collections the enumerator hands out. Both hold copies of
// their records, so they stay valid and unchanged whatever the enumerator does next.
#include <windows.h>

#include <vector>

#include "KeloDiagnosticCore.h"
#include "components/diagcore/DeviceRecord.h"

namespace diagcore {

// A new collection of `records` (in this order) as IDeviceCollection.
HRESULT CreateDeviceCollection(std::vector<DeviceRecord> records, IDeviceCollection** out);

} // namespace diagcore
