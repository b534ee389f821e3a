#include "quill/QuillCommon.h"

#include "support/XMLHandler.h"
#include "discovery/PrintQueue.h"
#include "quill/QuillRules.h"
#include "discovery/HostDeviceInfo.h"

void FindServiceIDFromInstallationDate(std::wstring& text)
{
    LogFile().Write(L"FindServiceIDFromInstallationDate ");
    text = ServiceIdFromInstallationDate(text);
}

void FormatInstallationDate(std::wstring& text)
{
    LogFile().Write(L"FormatInstallationDate ");
    text = InstallationDateText(text);
}

std::wstring HostDriverVersion(const Device_Dev& printer)
{
    std::wstring version;
    if (GetDriverVersionFromClass(printer.deviceName, version) ||
        GetDriverVersionFromSpooler(printer.deviceName, version))
        return version;
    return {};
}

void AddHostSideInformation(DeviceInfo& info)
{
    GetPanelProgramVersion(info);
}

std::wstring Localized(const wchar_t* key)
{
    return StringTable().GetString(key);
}

std::wstring AnsiToWide(const std::string& text)
{
    if (text.empty())
        return {};
    const int size = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size > 0 ? size : 0), L'\0');
    if (size > 0)
        ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return wide;
}

std::string InkObjectId(const InkSlotObject& object, int slot)
{
    return object.prefix == nullptr ? std::string(object.suffix) : Slot(object.prefix, slot, object.suffix);
}

void LogInkFields(int slot, const InkInfo& ink)
{
    LogFile().Write(L" catridges [ %d ] percentage level -> %s ", slot, ink.level.c_str());
    LogFile().Write(L" catridges [ %d ] Ink drop count -> %s ", slot, ink.dropsUsed.c_str());
    LogFile().Write(L" catridges [ %d ] InstallationDate -> %s ", slot, ink.installationDate.c_str());
    LogFile().Write(L" catridges [ %d ] Cartridge No -> %s ", slot, ink.selectabilityNumber.c_str());
    LogFile().Write(L" catridges [ %d ] SerialNo -> %s ", slot, ink.serialNumber.c_str());
    LogFile().Write(L" catridges [ %d ] Region -> %s ", slot, ink.regionalCartridge.c_str());
}
