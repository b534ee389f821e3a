#include "discovery/PrintQueue.h"

#include <memory>

#include "support/LogFile.h"
#include "winapi/SpoolerApi.h"

using namespace NGWinApi;

namespace {

const wchar_t kPrinterClassKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E979-E325-11CE-BFC1-08002BE10318}";
const wchar_t kDriversX64[] = L"SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\Windows x64\\Drivers\\Version-3\\";
const wchar_t kDriversX86[] = L"SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\Windows NT x86\\Drivers\\Version-3\\";

constexpr DWORD kWorkOfflineAttribute = 0x400;
constexpr DWORD kMaxKeyNameChars = 256;
constexpr DWORD kMaxValueChars = 1024;

// The queue's level-2 information, or nothing.
std::unique_ptr<BYTE[]> ReadPrinterInfo2(HANDLE printer)
{
    DWORD needed = 0;
    Spooler().GetPrinterW(printer, 2, nullptr, 0, &needed);
    if (needed == 0)
        return nullptr;
    auto buffer = std::make_unique<BYTE[]>(needed);
    if (!Spooler().GetPrinterW(printer, 2, buffer.get(), needed, &needed))
        return nullptr;
    return buffer;
}

bool OpenQueue(const std::wstring& queueName, UniquePrinter& printer)
{
    PRINTER_DEFAULTSW defaults{};
    defaults.DesiredAccess = PRINTER_ALL_ACCESS;
    std::wstring name = queueName;
    return Spooler().OpenPrinterW(name.data(), printer.put(), &defaults) && printer.get() != nullptr;
}

} // namespace

std::vector<std::wstring> RegistrySubkeyNames(HKEY root, const std::wstring& path)
{
    std::vector<std::wstring> names;
    UniqueKey key;
    if (Registry().RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return names;
    for (DWORD index = 0;; ++index) {
        wchar_t name[kMaxKeyNameChars];
        DWORD size = kMaxKeyNameChars;
        LSTATUS status = Registry().RegEnumKeyExW(key.get(), index, name, &size, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_MORE_DATA)
            continue; // a name longer than any real driver or class key: skip it
        if (status != ERROR_SUCCESS)
            break;
        names.emplace_back(name, size);
    }
    return names;
}

std::wstring RegistryText(HKEY root, const std::wstring& path, const wchar_t* valueName)
{
    UniqueKey key;
    if (Registry().RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return {};
    wchar_t value[kMaxValueChars + 1] = {};
    DWORD type = 0;
    DWORD size = kMaxValueChars * sizeof(wchar_t);
    LSTATUS status = Registry().RegQueryValueExW(key.get(), valueName, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return {};
    // Stored texts need not carry their terminating zero.
    return std::wstring(value, wcsnlen(value, size / sizeof(wchar_t)));
}

bool GetDriverVersionFromClass(const std::wstring& deviceName, std::wstring& version)
{
    if (deviceName.empty())
        return false; // would match the first driver of any kind
    for (const std::wstring& subkey : RegistrySubkeyNames(HKEY_LOCAL_MACHINE, kPrinterClassKey)) {
        std::wstring path = std::wstring(kPrinterClassKey) + L"\\" + subkey;
        if (RegistryText(HKEY_LOCAL_MACHINE, path, L"DriverDesc").find(deviceName) != std::wstring::npos) {
            version = RegistryText(HKEY_LOCAL_MACHINE, path, L"DriverVersion");
            return true;
        }
    }
    return false;
}

bool GetDriverVersionFromSpooler(const std::wstring& deviceName, std::wstring& version)
{
    if (deviceName.empty())
        return false;
    const std::wstring base = RunsOn64BitSystem() ? kDriversX64 : kDriversX86;
    for (const std::wstring& name : RegistrySubkeyNames(HKEY_LOCAL_MACHINE, base)) {
        LogFile().Write(L"Registry full path %s", (base + name).c_str());
        if (name.find(L"Fax") != std::wstring::npos)
            continue;
        if (name.find(deviceName) != std::wstring::npos) {
            version = RegistryText(HKEY_LOCAL_MACHINE, base + name, L"DriverVersion");
            return true;
        }
    }
    return false;
}

bool QueryPrinterState(const std::wstring& queueName, DWORD selector)
{
    if (selector != kQueueStateWorkOffline)
        return false;
    UniquePrinter printer;
    if (!OpenQueue(queueName, printer))
        return false;
    auto info = ReadPrinterInfo2(printer.get());
    return info && (reinterpret_cast<PRINTER_INFO_2W*>(info.get())->Attributes & kWorkOfflineAttribute) != 0;
}

bool ChangePrinterState(const std::wstring& queueName, DWORD selector)
{
    if (selector != kQueueStateBringOnline)
        return false;
    UniquePrinter printer;
    if (!OpenQueue(queueName, printer))
        return false;
    auto info = ReadPrinterInfo2(printer.get());
    if (!info)
        return false;
    auto* printerInfo = reinterpret_cast<PRINTER_INFO_2W*>(info.get());
    if ((printerInfo->Attributes & kWorkOfflineAttribute) == 0)
        return false;
    printerInfo->Attributes &= ~kWorkOfflineAttribute;
    return Spooler().SetPrinterW(printer.get(), 2, info.get(), 0) != FALSE;
}
