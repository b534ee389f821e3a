#pragma once
// The status code of a USB printer, read from its IEEE 1284 device identification.
#include <cstdint>
#include <string>

// True with the code when the identification could be read; false with `code` unchanged
// when the device cannot be opened or does not answer the query.
bool ReadUsbStatus(const std::wstring& interfacePath, int32_t& code);

// The identification text of a USB printer; false when it cannot be read.
bool ReadUsbIdentification(const std::wstring& interfacePath, std::wstring& identification);
