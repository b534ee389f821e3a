#pragma once
// Device information the host supplies: the panel program and printer driver versions
// installed for the selected printer, and its model base name.
#include <optional>
#include <string>

#include "discovery/DeviceRecords.h"

// The "FileVersion" text of a file's version resource, in the translation that fits the user.
std::optional<std::wstring> GetFileVersionText(const std::wstring& filePath);

// The common panel program's version into the panel program version field.
bool GetPanelProgramVersion(DeviceInfo& info);

// The maker's product folder of the selected printer: model base name, panel program version,
// and on the way the printer driver version.
void GetProductFolderInfo(DeviceInfo& info);

// The version of the print queue's driver into the printer driver version field.
void GetPrinterDriverVersion(const std::wstring& queueName, DeviceInfo& info);
