#pragma once
// The texts every wizard page shares: the step rows, the step icons, the heading that names the
// printer and the markup of a link.
#include <array>
#include <cstdint>
#include <string>

#include "discovery/Device_Dev.h"

// Icon index of a step row in the shared step image list.
enum StepIcon : int32_t {
    kStepFailed = 0,
    kStepNotRun = 1,
    kStepPassed = 2,
    kStepCurrent = 3,
};

inline constexpr int kStepCount = 6;

// String keys of the six step rows; a row's index is its test's index in the test list.
inline constexpr std::array<const wchar_t*, kStepCount> kStepTextKeys = {
    L"TSY_DIAGNOSE_CONNECTIVITY",     L"TSY_DIAGNOSE_DEVICESTATUSTEST", L"TSY_DIAGNOSE_LOWLEVELPRINTTEST",
    L"TSY_DIAGNOSE_PRINTEVALUATION",  L"TSY_DIAGNOSE_COPYTEST",         L"TSY_DIAGNOSE_COPYEVALUATION",
};

// The heading text, a blank and the device's friendly name (its device name when that is empty,
// empty); without a device, the placeholder printer. Every page names the printer alike, so
// two printers of one model stay apart by their addresses.
std::wstring PageHeading(const std::wstring& headingText, const Device_Dev* device);

// "<a>text</a>".
std::wstring LinkMarkup(const std::wstring& linkText);
// The link with optional plain text before and after it, joined by blanks.
std::wstring LinkWithText(const std::wstring& before, const std::wstring& linkText, const std::wstring& after);
