#pragma once
// Decisions of the device status test that need no system: how a feeder status word and a
// Sable status flag turn into the record's status code, its feeder flag and the verdict.
// Plain C++ without system headers.
#include <cstdint>
#include <string_view>

namespace sable {

// The "status not available" code.
inline constexpr int32_t kStatusNotAvailable = 61;

// What the status test leaves behind: the record's statusCode and adfStatus, and whether the
// printer may print (the test passes and the verdict is true).
struct StatusOutcome {
    int32_t statusCode = 0;
    bool adfStatus = false;
    bool pass = true;

    bool operator==(const StatusOutcome&) const = default;
};

// The index of the lowest set bit among bits 0 to 7 of a feeder status word; the whole word
// when none of those bits is set.
int32_t LowestFeederBit(int32_t value);

// A feeder status word: 0 passes, and so does a lowest bit of 4 (the feeder is idle); any
// other bit index is the feeder condition.
StatusOutcome FeederOutcome(int32_t value);

// The leading decimal number of a text, as the C library reads it: white space and a sign
// allowed, 0 when there is none, clamped to the 32-bit range.
int32_t DecimalTextValue(std::wstring_view text);

// The feeder status of a Quill status list: the text is read as a decimal number whose digits
// are then taken as the hexadecimal digits they were ("10" gives 16). The sign is kept; a
// result outside the 32-bit range is clamped to it.
int32_t FeederValueFromText(std::wstring_view text);

// A Sable status flag of a network printer: 0 passes, 62 and above are feeder conditions
// (stored as flag - 62), anything else is a printer condition.
StatusOutcome NetworkSableOutcome(int32_t flag);

// The feeder check of a USB Sable printer whose identification reported no error. A paper
// jam reported by such a printer is its feeder jamming (14 counts as 65); only feeder
// conditions fail, everything else - and a status that could not be read - passes.
StatusOutcome UsbSableFeederOutcome(bool flagRead, int32_t flag);

} // namespace sable
