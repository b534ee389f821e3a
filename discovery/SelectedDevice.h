#pragma once
// The printer the user picked, as the device access managers see it. The diagnosis manager
// owns the list and the index and publishes its choice here; tests set it directly.
#include <optional>

#include "discovery/Device_Dev.h"

// A copy of the selected record; nothing when no printer is selected.
std::optional<Device_Dev> SelectedDevice();

// Publishes a new choice (or none); records that change during a diagnosis are published again.
void SetSelectedDevice(std::optional<Device_Dev> device);
