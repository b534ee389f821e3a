// Host-side device information through faked shell, file, version and spooler calls.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "TestFolder.h"
#include "discovery/HostDeviceInfo.h"
#include "winapi/HostFilesApi.h"
#include "winapi/SpoolerApi.h"

namespace {

// A host with product folders, ini files and version resources held in memory. A version
// "block" is the file's path; VerQueryValueW answers from the file's translations and texts.
class FakeHost : public NGWinApi::CHostFilesApi {
public:
    BOOL SHGetSpecialFolderPathW(HWND, LPWSTR path, int, BOOL) override
    {
        wcscpy(path, L"C:\\Program Files (x86)");
        return TRUE;
    }
    HANDLE FindFirstFileW(LPCWSTR pattern, LPWIN32_FIND_DATAW data) override
    {
        searched = pattern;
        next = 0;
        return FindNextFileW(reinterpret_cast<HANDLE>(1), data) ? reinterpret_cast<HANDLE>(1) : INVALID_HANDLE_VALUE;
    }
    BOOL FindNextFileW(HANDLE, LPWIN32_FIND_DATAW data) override
    {
        if (next >= folders.size())
            return FALSE;
        *data = WIN32_FIND_DATAW{};
        wcscpy(data->cFileName, folders[next].c_str());
        data->dwFileAttributes = folders[next].find(L'.') == std::wstring::npos || folders[next][0] == L'.'
                                     ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
        ++next;
        return TRUE;
    }
    BOOL FindClose(HANDLE) override { return TRUE; }
    DWORD GetPrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR, LPWSTR buffer, DWORD size,
                                   LPCWSTR file) override
    {
        const std::wstring value = ini[std::wstring(file) + L"|" + section + L"|" + key];
        wcsncpy(buffer, value.c_str(), size);
        return static_cast<DWORD>(value.size());
    }
    DWORD GetFileVersionInfoSizeW(LPCWSTR file, LPDWORD) override
    {
        return versions.count(file) ? static_cast<DWORD>((wcslen(file) + 1) * sizeof(wchar_t)) : 0;
    }
    BOOL GetFileVersionInfoW(LPCWSTR file, DWORD, DWORD size, LPVOID data) override
    {
        memcpy(data, file, size);
        return TRUE;
    }
    BOOL VerQueryValueW(LPCVOID block, LPCWSTR subBlock, LPVOID* buffer, PUINT length) override
    {
        Version& version = versions[static_cast<const wchar_t*>(block)];
        if (std::wstring(subBlock) == L"\\VarFileInfo\\Translation") {
            *buffer = version.translations.data();
            *length = static_cast<UINT>(version.translations.size() * sizeof(WORD));
            return TRUE;
        }
        auto text = version.texts.find(subBlock);
        if (text == version.texts.end())
            return FALSE;
        *buffer = text->second.data();
        *length = static_cast<UINT>(text->second.size() + 1);
        return TRUE;
    }
    LANGID GetUserDefaultLangID() override { return 0x0409; }

    struct Version {
        std::vector<WORD> translations;
        std::map<std::wstring, std::wstring> texts;
    };
    std::vector<std::wstring> folders;
    size_t next = 0;
    std::wstring searched;
    std::map<std::wstring, std::wstring> ini;
    std::map<std::wstring, Version> versions;
};

// Known queues open; others fail with the queue's error. The driver's dependent files are given.
class FakeSpooler : public NGWinApi::CSpoolerApi {
public:
    BOOL OpenPrinterW(LPWSTR name, LPHANDLE printer, LPPRINTER_DEFAULTSW) override
    {
        opened.push_back(name);
        auto error = errors.find(name);
        if (error != errors.end()) {
            ::SetLastError(error->second);
            return FALSE;
        }
        *printer = reinterpret_cast<HANDLE>(7);
        return TRUE;
    }
    BOOL GetPrinterDriverW(HANDLE, LPWSTR, DWORD, LPBYTE buffer, DWORD size, LPDWORD needed) override
    {
        const DWORD want = static_cast<DWORD>(sizeof(DRIVER_INFO_3W) + dependent.size() * sizeof(wchar_t));
        *needed = want;
        if (buffer == nullptr || size < want) {
            ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        auto* info = reinterpret_cast<DRIVER_INFO_3W*>(buffer);
        *info = DRIVER_INFO_3W{};
        auto* files = reinterpret_cast<wchar_t*>(buffer + sizeof(DRIVER_INFO_3W));
        memcpy(files, dependent.data(), dependent.size() * sizeof(wchar_t));
        info->pDependentFiles = files;
        return TRUE;
    }
    BOOL ClosePrinter(HANDLE) override { return TRUE; }

    std::map<std::wstring, DWORD> errors;
    std::vector<std::wstring> opened;
    std::wstring dependent; // names separated and ended by zeros
};

class HostDeviceInfoTest : public ::testing::Test {
protected:
    HostDeviceInfoTest() : previousHost_(NGWinApi::Replace(&host_)), previousSpooler_(NGWinApi::Replace(&spooler_))
    {
        device_.deviceName = L"Kelo Homeline 1234 Plus All-in-One";
        device_.friendlyName = L"Homeline 1234 Plus All-in-One";
        ResetDeviceInfo(info_, L"n/a");
        spooler_.dependent = std::wstring(L"UNIDRV.DLL\0kh1234.ini\0KH1234.DLL\0\0", 34);
        host_.ini[L"kh1234.ini|OEMFiles|OEMDriverFile1"] = L"KH1234.DLL";
        host_.versions[L"KH1234.DLL"] = {{0x0409, 1200}, {{L"\\StringFileInfo\\040904B0\\FileVersion", L"61.3.41"}}};
    }
    ~HostDeviceInfoTest() override
    {
        NGWinApi::Replace(previousHost_);
        NGWinApi::Replace(previousSpooler_);
    }

    FakeHost host_;
    FakeSpooler spooler_;
    NGWinApi::CHostFilesApi* previousHost_;
    NGWinApi::CSpoolerApi* previousSpooler_;
    Device_Dev device_;
    DeviceInfo info_;
};

} // namespace

TEST_F(HostDeviceInfoTest, ProductFolderGivesNamesAndVersions)
{
    host_.folders = {L".", L"..", L"readme.txt", L"Workline 4420", L"Homeline 1234 All-in-One"};
    const std::wstring folder = L"C:\\Program Files\\Kelo\\Homeline 1234 All-in-One";
    host_.ini[folder + L"\\config.ini|DeviceInfo|ModelName"] = L"Kelo Homeline 1234";
    host_.versions[folder + L"\\BIn\\Dashboard.exe"] = {{0x0407, 1252},
                                                         {{L"\\StringFileInfo\\040704E4\\FileVersion", L"9.1"}}};
    GetProductFolderInfo(device_, info_);
    EXPECT_EQ(host_.searched, L"C:\\Program Files\\Kelo\\*.*") << "the (x86) part is cut";
    EXPECT_EQ(info_.modelBaseName, L"Homeline 1234 Plus All-in-One");
    EXPECT_EQ(info_.panelProgramVersion, L"9.1") << "a German-only resource is read through its pair";
    ASSERT_FALSE(spooler_.opened.empty());
    EXPECT_EQ(spooler_.opened.front(), L"Kelo Homeline 1234");
    EXPECT_EQ(info_.printerDriverVersion, L"61.3.41");
}

TEST_F(HostDeviceInfoTest, WithoutProductFolderTheDriverLookupFallsBackToTheFriendlyName)
{
    spooler_.errors[L""] = ERROR_INVALID_PRINTER_NAME;
    LogTail log;
    GetProductFolderInfo(device_, info_);
    EXPECT_EQ(info_.panelProgramVersion, L"n/a");
    EXPECT_EQ(info_.modelBaseName, L"n/a");
    ASSERT_EQ(spooler_.opened.size(), 2u);
    EXPECT_EQ(spooler_.opened[1], L"Homeline 1234 Plus All-in-One");
    EXPECT_EQ(info_.printerDriverVersion, L"61.3.41");
    EXPECT_EQ(log.Appended().find("Failed to open prinrer"), std::string::npos);
}

TEST_F(HostDeviceInfoTest, DriverFailuresLeaveTheVersionAlone)
{
    spooler_.errors[L"Denied"] = ERROR_ACCESS_DENIED;
    LogTail log;
    GetPrinterDriverVersion(device_, L"Denied", info_);
    EXPECT_NE(log.Appended().find("Failed to open prinrer. Name: Denied . Error Code: 5"), std::string::npos);
    EXPECT_EQ(info_.printerDriverVersion, L"n/a");

    spooler_.dependent = std::wstring(L"UNIDRV.DLL\0KH1234.INI\0KH1234.DLL\0\0", 34); // ".ini" in exact case only
    GetPrinterDriverVersion(device_, L"Known", info_);
    EXPECT_EQ(info_.printerDriverVersion, L"n/a") << "no .ini among the dependent files";
}
