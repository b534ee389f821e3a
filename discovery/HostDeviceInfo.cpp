#include "discovery/HostDeviceInfo.h"

#include <shlobj.h>

#include <cwchar>
#include <vector>

#include "discovery/HostInfoRules.h"
#include "support/LogFile.h"
#include "winapi/HostFilesApi.h"
#include "winapi/SpoolerApi.h"

namespace {

constexpr DWORD kTextChars = 260;

std::wstring ProgramFilesFolder()
{
    wchar_t path[MAX_PATH] = {};
    if (!NGWinApi::HostFiles().SHGetSpecialFolderPathW(nullptr, path, CSIDL_PROGRAM_FILES, FALSE))
        return {};
    return path;
}

// The device's friendly name, or its device name when it has none.
std::wstring DisplayedName(const Device_Dev& device)
{
    return device.friendlyName.empty() ? device.deviceName : device.friendlyName;
}

std::wstring IniText(const std::wstring& file, const wchar_t* section, const wchar_t* key)
{
    wchar_t buffer[kTextChars] = {};
    NGWinApi::HostFiles().GetPrivateProfileStringW(section, key, L"", buffer, kTextChars, file.c_str());
    return buffer;
}

class UniqueFind {
public:
    explicit UniqueFind(HANDLE find) : find_(find) {}
    ~UniqueFind()
    {
        if (valid())
            NGWinApi::HostFiles().FindClose(find_);
    }
    UniqueFind(const UniqueFind&) = delete;
    UniqueFind& operator=(const UniqueFind&) = delete;
    bool valid() const { return find_ != INVALID_HANDLE_VALUE && find_ != nullptr; }
    HANDLE get() const { return find_; }

private:
    HANDLE find_;
};

} // namespace

std::optional<std::wstring> GetFileVersionText(const std::wstring& filePath)
{
    DWORD ignored = 0;
    const DWORD size = NGWinApi::HostFiles().GetFileVersionInfoSizeW(filePath.c_str(), &ignored);
    if (size == 0)
        return std::nullopt;
    std::vector<BYTE> block(size);
    if (!NGWinApi::HostFiles().GetFileVersionInfoW(filePath.c_str(), 0, size, block.data()))
        return std::nullopt;
    void* translations = nullptr;
    UINT length = 0;
    std::vector<std::pair<uint16_t, uint16_t>> pairs;
    if (NGWinApi::HostFiles().VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &translations, &length) &&
        translations != nullptr) {
        const auto* words = static_cast<const WORD*>(translations);
        for (UINT i = 0; i + 1 < length / sizeof(WORD); i += 2)
            pairs.emplace_back(words[i], words[i + 1]);
    }
    const std::optional<size_t> chosen = ChooseTranslation(pairs, NGWinApi::HostFiles().GetUserDefaultLangID());
    if (!chosen)
        return std::nullopt;
    wchar_t query[64] = {};
    std::swprintf(query, 64, L"\\StringFileInfo\\%04X%04X\\FileVersion", pairs[*chosen].first, pairs[*chosen].second);
    void* text = nullptr;
    if (!NGWinApi::HostFiles().VerQueryValueW(block.data(), query, &text, &length) || text == nullptr)
        return std::nullopt;
    const auto* characters = static_cast<const wchar_t*>(text);
    return std::wstring(characters, ::wcsnlen(characters, length));
}

bool GetPanelProgramVersion(DeviceInfo& info)
{
    const std::optional<std::wstring> version =
        GetFileVersionText(ProgramFilesFolder() + L"\\Kelo\\Vistalane\\bin\\kelopanel01.exe");
    if (!version)
        return false;
    info.panelProgramVersion = *version;
    return true;
}

void GetProductFolderInfo(const Device_Dev& device, DeviceInfo& info)
{
    std::wstring programFiles = ProgramFilesFolder();
    const size_t x86 = programFiles.find(L" (x86)");
    if (x86 != std::wstring::npos)
        programFiles.resize(x86);

    std::wstring matchedFolder;
    WIN32_FIND_DATAW found{};
    UniqueFind find(NGWinApi::HostFiles().FindFirstFileW((programFiles + L"\\Kelo\\*.*").c_str(), &found));
    for (bool more = find.valid(); more; more = NGWinApi::HostFiles().FindNextFileW(find.get(), &found)) {
        const std::wstring name = found.cFileName;
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || name == L"." || name == L"..")
            continue;
        info.modelBaseName = DisplayedName(device);
        LogFile().Write(L"m_sMakeAndModel >> %s", info.modelBaseName.c_str());
        LogFile().Write(L"strName %s", ProductMatchName(name).c_str());
        LogFile().Write(L"strModelName %s", ProductMatchName(info.modelBaseName).c_str());
        if (ProductFolderMatches(name, info.modelBaseName)) {
            matchedFolder = programFiles + L"\\Kelo\\" + name;
            break;
        }
    }

    const std::wstring queueName =
        matchedFolder.empty() ? std::wstring() : IniText(matchedFolder + L"\\config.ini", L"DeviceInfo", L"ModelName");
    GetPrinterDriverVersion(device, queueName, info);
    if (matchedFolder.empty())
        return;
    const std::wstring dashboard = matchedFolder + L"\\BIn\\Dashboard.exe";
    LogFile().Write(L"Dashboard path>> %s", dashboard.c_str());
    if (const std::optional<std::wstring> version = GetFileVersionText(dashboard))
        info.panelProgramVersion = *version;
}

void GetPrinterDriverVersion(const Device_Dev& device, const std::wstring& queueName, DeviceInfo& info)
{
    NGWinApi::UniquePrinter printer;
    std::wstring name = queueName;
    if (!NGWinApi::Spooler().OpenPrinterW(name.data(), printer.put(), nullptr)) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_INVALID_PRINTER_NAME) {
            LogFile().Write(L"Failed to open prinrer. Name: %s . Error Code: %ld", queueName.c_str(),
                            static_cast<long>(error));
            return;
        }
        std::wstring fallback = DisplayedName(device);
        if (!NGWinApi::Spooler().OpenPrinterW(fallback.data(), printer.put(), nullptr)) {
            LogFile().Write(L"Failed to open prinrer Friendly. Name: %s . Error Code: %ld",
                            device.friendlyName.c_str(), static_cast<long>(::GetLastError()));
            return;
        }
    }
    DWORD needed = 0;
    if (NGWinApi::Spooler().GetPrinterDriverW(printer.get(), nullptr, 3, nullptr, 0, &needed) ||
        ::GetLastError() != ERROR_INSUFFICIENT_BUFFER)
        return;
    std::vector<BYTE> block(needed);
    if (!NGWinApi::Spooler().GetPrinterDriverW(printer.get(), nullptr, 3, block.data(), needed, &needed))
        return;
    const auto* driver = reinterpret_cast<const DRIVER_INFO_3W*>(block.data());
    std::vector<std::wstring> dependentFiles;
    for (const wchar_t* file = driver->pDependentFiles; file != nullptr && *file != L'\0';
         file += std::wcslen(file) + 1)
        dependentFiles.emplace_back(file);
    std::wstring iniFile;
    for (const std::wstring& file : dependentFiles)
        if (file.find(L".ini") != std::wstring::npos) {
            iniFile = file;
            break;
        }
    LogFile().Write(L"pDependentFiles >> %s", dependentFiles.empty() ? L"" : dependentFiles.front().c_str());
    LogFile().Write(L"wstrIniFile>> %s", iniFile.c_str());
    if (iniFile.empty())
        return;
    const std::wstring driverFileName = IniText(iniFile, L"OEMFiles", L"OEMDriverFile1");
    std::wstring driverPath;
    for (const std::wstring& file : dependentFiles)
        if (file.find(driverFileName) != std::wstring::npos) {
            driverPath = file;
            break;
        }
    LogFile().Write(L"wstrDriverPath >> %s", driverPath.c_str());
    if (driverPath.empty())
        return;
    if (const std::optional<std::wstring> version = GetFileVersionText(driverPath)) {
        info.printerDriverVersion = *version;
        LogFile().Write(L"m_sPrinterDriverVersion>> %s", info.printerDriverVersion.c_str());
    }
}
