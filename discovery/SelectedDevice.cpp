#include "discovery/SelectedDevice.h"

#include <mutex>

namespace {

// Workers read the choice while the user interface thread may publish a new one.
std::mutex g_mutex;
std::optional<Device_Dev> g_selected;

} // namespace

std::optional<Device_Dev> SelectedDevice()
{
    std::lock_guard lock(g_mutex);
    return g_selected;
}

void SetSelectedDevice(std::optional<Device_Dev> device)
{
    std::lock_guard lock(g_mutex);
    g_selected = std::move(device);
}
