#pragma once
// Which maintenance services a product offers from the tool: the built-in exclusion lists of the
// services page and the print bad page, and the state of the four service rows.
#include <array>
#include <string>

namespace services {

enum class Service { PrintQuality, Alignment, Cleaning };

// True when the product id (four hexadecimal digits, any case) is on the service's exclusion
// list. An empty id is on none.
bool Excluded(Service service, const std::wstring& productId);

struct RowState {
    bool shown = true;
    bool enabled = true;
    bool operator==(const RowState&) const = default;
};

// The four rows in page order: print quality page, alignment, cleaning (each disabled when the
// product is excluded), diagnostics page (shown only when the catalogue says the product prints
// it).
std::array<RowState, 4> RowStates(const std::wstring& productId, bool printsDiagnosticsPage);

} // namespace services
