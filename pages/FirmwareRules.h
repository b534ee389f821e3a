#pragma once
// The texts of the device information page that are not copied as they stand.
#include <cstdint>
#include <string>
#include <vector>

namespace firmware {

// A printhead number longer than this gets a blank after its first characters, so its static
// can wrap it.
inline constexpr size_t kPrintheadNumberWrap = 18;

// The page count as "%ld"; the not-available text for -1 (unknown).
std::wstring PageCountText(int32_t pageCount, const std::wstring& notAvailable);

// The number as it stands up to 18 characters, else its first 18, a blank and the rest.
std::wstring PrintheadNumberText(const std::wstring& number);

// Which of the printer's printheads the page shows (it has room for one): the last one whose
// number the printer reported, else the last. The Quill readers always list four, unread ones
// with the not-available text. `numbers` is not empty.
size_t ShownPrinthead(const std::vector<std::wstring>& numbers, const std::wstring& notAvailable);

} // namespace firmware
