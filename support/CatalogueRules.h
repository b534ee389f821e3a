#pragma once
// How catalogue attributes compare with what enumeration reports.
#include <string>

// Lower case, the brand and class words removed, white space trimmed.
std::wstring NormalizeModelName(const std::wstring& name);

// A "PID" text names a product id when it contains it, letter case ignored.
bool PidMatches(const std::wstring& pidAttribute, const std::wstring& productId);

// Feature flags count only with "YES" in upper case somewhere in the text.
bool IsYesFlag(const std::wstring& value);

// "rest" as the whole value, letter case ignored.
bool IsRestDeviceType(const std::wstring& value);

// Either normalized name contains the other.
bool NamesOverlap(const std::wstring& normalizedA, const std::wstring& normalizedB);

std::wstring ToLower(std::wstring text);
