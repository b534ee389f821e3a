#pragma once
// What the network printer search decides without the component: which found devices are
// listed, under which name, as which record, and how far the progress bar may creep.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "discovery/Device_Dev.h"

// A device the component's network search found, as its properties read.
struct FoundPrinter {
    int32_t flags = 0;
    std::wstring name;
    std::wstring secondName; // the product name
    std::wstring friendlyName;
    std::wstring address;
    std::wstring productId;
    std::wstring printerName; // installed print queue; empty when there is none
    int16_t driverInstalled = 0;
};

// Devices without this flag are never listed.
inline constexpr int32_t kSuitableSearchFlag = 0x10;

// The name a found device is listed under: its name when that contains a product-line word in
// any letter case, else its second name; nothing when that is empty too.
std::optional<std::wstring> SearchListName(const std::wstring& name, const std::wstring& secondName);

// The records of the suitable devices, in the order found.
DeviceList SearchResultRecords(const std::vector<FoundPrinter>& found);

// The bar creeps ahead of the component's reports by at most this much, and never past the cap.
inline constexpr int kSearchCreepAhead = 30;
inline constexpr int kSearchCreepCap = 96;
inline constexpr int kSearchBarStep = 2;
// Whether the bar at `position` steps once more, given the last reported progress.
bool SearchBarSteps(int position, int32_t lastProgress);
