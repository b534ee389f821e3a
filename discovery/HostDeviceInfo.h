#pragma once
// Device information the host supplies: the panel program and printer driver versions
// installed for a printer, and its model base name.
#include <optional>
#include <string>

#include "discovery/DeviceRecords.h"
#include "discovery/Device_Dev.h"

// The "FileVersion" text of a file's version resource, in the translation that fits the user.
std::optional<std::wstring> GetFileVersionText(const std::wstring& filePath);

// The common panel program's version into the panel program version field.
bool GetPanelProgramVersion(DeviceInfo& info);

// The maker's product folder of `device`: model base name, panel program version, and on the way
// the printer driver version.
void GetProductFolderInfo(const Device_Dev& device, DeviceInfo& info);

// The version of the print queue's driver into the printer driver version field; when no queue
// has that name, the queue named after `device`.
void GetPrinterDriverVersion(const Device_Dev& device, const std::wstring& queueName, DeviceInfo& info);
