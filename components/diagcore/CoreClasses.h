#pragma once
// The component's creatable classes, as the class factory makes them.
#include <windows.h>

namespace diagcore {

HRESULT CreateDeviceEnumerator(REFIID iid, void** object);
HRESULT CreateNetworkInfo(REFIID iid, void** object);
HRESULT CreateCoreInfo(REFIID iid, void** object);

} // namespace diagcore
