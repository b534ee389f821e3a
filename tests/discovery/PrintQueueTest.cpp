// Driver versions and queue states against Wine's real registry and spooler; every key a
// test writes carries a unique name and is removed again.
#include <gtest/gtest.h>

#include <windows.h>
#include <winspool.h>

#include <string>
#include <vector>

#include "TestFolder.h"
#include "discovery/PrintQueue.h"
#include "winapi/NGWinApi.h"

namespace {

const std::wstring kClassKey = L"SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E979-E325-11CE-BFC1-08002BE10318}";
const std::wstring kEnvironments = L"SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\";
const std::wstring kPrinters = L"SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\";

// Keys created for one test, deleted when it ends.
class RegistryScratch {
public:
    ~RegistryScratch()
    {
        for (auto it = created_.rbegin(); it != created_.rend(); ++it)
            RegDeleteTreeW(HKEY_LOCAL_MACHINE, it->c_str());
    }

    void Text(const std::wstring& path, const wchar_t* name, const std::wstring& value)
    {
        Set(path, name, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }

    void Number(const std::wstring& path, const wchar_t* name, DWORD value)
    {
        Set(path, name, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    }

private:
    void Set(const std::wstring& path, const wchar_t* name, DWORD type, const BYTE* data, DWORD size)
    {
        HKEY key = nullptr;
        DWORD disposition = 0;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                  &disposition),
                  ERROR_SUCCESS);
        if (disposition == REG_CREATED_NEW_KEY)
            created_.push_back(path);
        ASSERT_EQ(RegSetValueExW(key, name, 0, type, data, size), ERROR_SUCCESS);
        RegCloseKey(key);
    }

    std::vector<std::wstring> created_;
};

// Answers what kind of process this is and what IsWow64Process says, whatever the build.
class BitnessKernel : public NGWinApi::CKernelApi {
public:
    BitnessKernel(bool process64Bit, bool wow64) : process64Bit_(process64Bit), wow64_(wow64) {}
    ~BitnessKernel() override { NGWinApi::Replace(previous_); }
    bool ProcessIs64Bit() override { return process64Bit_; }
    BOOL IsWow64Process(HANDLE, PBOOL wow64) override
    {
        *wow64 = wow64_ ? TRUE : FALSE;
        return TRUE;
    }

private:
    bool process64Bit_;
    bool wow64_;
    NGWinApi::CKernelApi* previous_ = NGWinApi::Replace(this);
};

} // namespace

TEST(PrintQueue, DriverVersionFromThePrinterClassKeys)
{
    RegistryScratch registry;
    registry.Text(kClassKey + L"\\9901", L"DriverDesc", L"Other Vendor Laser");
    registry.Text(kClassKey + L"\\9901", L"DriverVersion", L"1.0");
    registry.Text(kClassKey + L"\\9902", L"DriverDesc", L"Kelo Tessa Test 4420 Series");
    registry.Text(kClassKey + L"\\9902", L"DriverVersion", L"61.4.1.9");

    std::wstring version;
    ASSERT_TRUE(GetDriverVersionFromClass(L"Kelo Tessa Test 4420", version));
    EXPECT_EQ(version, L"61.4.1.9");
    EXPECT_FALSE(GetDriverVersionFromClass(L"Kelo Tessa Test 9999", version));
    EXPECT_FALSE(GetDriverVersionFromClass(L"", version)) << "an empty name matches no driver";
}

TEST(PrintQueue, DriverVersionFromThisSystemsSpoolerEnvironmentSkippingFax)
{
    // A 64-bit system is a 64-bit process, or a 32-bit one that IsWow64Process says runs on one.
    const struct {
        bool process64Bit;
        bool wow64;
        const wchar_t* own;
        const wchar_t* other;
    } cases[] = {
        {false, false, L"Windows NT x86", L"Windows x64"},
        {false, true, L"Windows x64", L"Windows NT x86"},
        {true, false, L"Windows x64", L"Windows NT x86"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "64-bit process " << c.process64Bit << ", WOW64 " << c.wow64);
        BitnessKernel kernel(c.process64Bit, c.wow64);
        RegistryScratch registry;
        const std::wstring own = kEnvironments + c.own + L"\\Drivers\\Version-3\\";
        const std::wstring other = kEnvironments + c.other + L"\\Drivers\\Version-3\\";
        registry.Text(own + L"Kelo Tessa Pro 9150 Fax", L"DriverVersion", L"9.9.9.9");
        registry.Text(own + L"Kelo Tessa Pro 9150 Series", L"DriverVersion", L"62.1.0.3");
        registry.Text(other + L"Kelo Tessa Pro 9150 Other", L"DriverVersion", L"0.0.0.1");

        LogTail log;
        std::wstring version;
        ASSERT_TRUE(GetDriverVersionFromSpooler(L"Kelo Tessa Pro 9150", version));
        EXPECT_EQ(version, L"62.1.0.3");
        std::string written = log.Appended();
        EXPECT_NE(written.find("Registry full path " + std::string(own.begin(), own.end()) + "Kelo Tessa Pro 9150 Fax"),
                  std::string::npos);
        EXPECT_EQ(written.find("Kelo Tessa Pro 9150 Other"), std::string::npos) << "the other environment is not searched";
    }
}

TEST(PrintQueue, WorkingOfflineIsReadAndCleared)
{
    RegistryScratch registry;
    const std::wstring driver = kEnvironments + L"Windows NT x86\\Drivers\\Version-3\\Kelo Queue Test Driver";
    registry.Text(driver, L"Driver", L"wineps.drv");
    registry.Text(driver, L"Data File", L"generic.ppd");
    registry.Number(driver, L"Version", 3);
    auto install = [&](const std::wstring& name, DWORD attributes, DWORD status) {
        const std::wstring key = kPrinters + name;
        registry.Text(key, L"Name", name);
        registry.Text(key, L"Port", L"IP_127.0.0.10");
        registry.Text(key, L"Printer Driver", L"Kelo Queue Test Driver");
        registry.Text(key, L"Print Processor", L"winprint");
        registry.Text(key, L"Datatype", L"RAW");
        registry.Number(key, L"Attributes", attributes);
        registry.Number(key, L"Status", status);
    };
    install(L"Kelo Queue Offline", PRINTER_ATTRIBUTE_LOCAL | PRINTER_ATTRIBUTE_WORK_OFFLINE, 0);
    install(L"Kelo Queue Paused", PRINTER_ATTRIBUTE_LOCAL, PRINTER_STATUS_PAUSED);

    EXPECT_TRUE(QueryPrinterState(L"Kelo Queue Offline", kQueueStateWorkOffline));
    EXPECT_FALSE(QueryPrinterState(L"Kelo Queue Paused", kQueueStateWorkOffline)) << "paused is not offline";
    EXPECT_FALSE(ChangePrinterState(L"Kelo Queue Paused", kQueueStateBringOnline)) << "nothing to clear";

    ASSERT_TRUE(ChangePrinterState(L"Kelo Queue Offline", kQueueStateBringOnline));
    EXPECT_FALSE(QueryPrinterState(L"Kelo Queue Offline", kQueueStateWorkOffline));

    EXPECT_FALSE(QueryPrinterState(L"Kelo Queue Missing", kQueueStateWorkOffline));
    EXPECT_FALSE(ChangePrinterState(L"Kelo Queue Missing", kQueueStateBringOnline));
}
