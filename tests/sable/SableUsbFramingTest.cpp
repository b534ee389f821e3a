// Byte-exact answers the simulator never gives, from a scripted device interface: what the
// channel writes into the file for each framing edge and how many reads it takes.
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "SableTestSupport.h"
#include "sable/SableManager.h"

namespace {

const wchar_t kInterfacePath[] = L"\\\\?\\USB#VID_0A7E&PID_2312#SCRIPT#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";
const HANDLE kDevice = reinterpret_cast<HANDLE>(0x4321);
const HDEVINFO kSet = reinterpret_cast<HDEVINFO>(0x1234);

// One printer whose reads hand out scripted blocks (an empty block: a read without a byte);
// other paths and handles go to the system.
class ScriptedDeviceIo : public NGWinApi::CDeviceIoApi {
public:
    HDEVINFO SetupDiGetClassDevsW(const GUID*, PCWSTR, HWND, DWORD) override { return kSet; }
    BOOL SetupDiEnumDeviceInterfaces(HDEVINFO, PSP_DEVINFO_DATA, const GUID*, DWORD index,
                                     PSP_DEVICE_INTERFACE_DATA) override
    {
        if (index == 0)
            return TRUE;
        ::SetLastError(ERROR_NO_MORE_ITEMS);
        return FALSE;
    }
    BOOL SetupDiGetDeviceInterfaceDetailW(HDEVINFO, PSP_DEVICE_INTERFACE_DATA, PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail,
                                          DWORD size, PDWORD required, PSP_DEVINFO_DATA) override
    {
        const DWORD need = static_cast<DWORD>(sizeof(DWORD) + sizeof(kInterfacePath));
        if (required != nullptr)
            *required = need;
        if (detail == nullptr || size < need) {
            ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        memcpy(detail->DevicePath, kInterfacePath, sizeof(kInterfacePath));
        return TRUE;
    }
    BOOL SetupDiDestroyDeviceInfoList(HDEVINFO) override { return TRUE; }
    HANDLE CreateFileW(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES attributes, DWORD disposition,
                       DWORD flags, HANDLE templateFile) override
    {
        if (std::wstring(name) == kInterfacePath)
            return kDevice;
        return CDeviceIoApi::CreateFileW(name, access, share, attributes, disposition, flags, templateFile);
    }
    BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD size, LPDWORD read, LPOVERLAPPED overlapped) override
    {
        if (file != kDevice)
            return CDeviceIoApi::ReadFile(file, buffer, size, read, overlapped);
        ++reads;
        std::string block;
        if (!blocks.empty()) {
            block = blocks.front().substr(0, size);
            blocks.pop_front();
        }
        memcpy(buffer, block.data(), block.size());
        if (read != nullptr)
            *read = static_cast<DWORD>(block.size());
        if (overlapped != nullptr) {
            overlapped->InternalHigh = block.size();
            ::SetEvent(overlapped->hEvent);
        }
        return TRUE;
    }
    BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD size, LPDWORD written, LPOVERLAPPED overlapped) override
    {
        if (file != kDevice)
            return CDeviceIoApi::WriteFile(file, buffer, size, written, overlapped);
        request.append(static_cast<const char*>(buffer), size);
        *written = size;
        return TRUE;
    }
    BOOL GetOverlappedResult(HANDLE file, LPOVERLAPPED overlapped, LPDWORD transferred, BOOL wait) override
    {
        if (file != kDevice)
            return CDeviceIoApi::GetOverlappedResult(file, overlapped, transferred, wait);
        *transferred = static_cast<DWORD>(overlapped->InternalHigh);
        return TRUE;
    }
    DWORD GetFileSize(HANDLE file, LPDWORD high) override
    {
        if (file != kDevice)
            return CDeviceIoApi::GetFileSize(file, high);
        ::SetLastError(ERROR_INVALID_FUNCTION);
        return INVALID_FILE_SIZE;
    }
    BOOL CancelIo(HANDLE file) override { return file == kDevice ? TRUE : CDeviceIoApi::CancelIo(file); }
    BOOL CloseHandle(HANDLE handle) override { return handle == kDevice ? TRUE : CDeviceIoApi::CloseHandle(handle); }

    std::deque<std::string> blocks;
    int reads = 0;
    std::string request;
};

class SableUsbFramingTest : public ::testing::Test, public SableFolderFixture {
protected:
    SableUsbFramingTest() : scoped_(io_)
    {
        target_.hardwareId = L"VID_0A7E&PID_2312";
        SableWaits waits;
        waits.sleep = [](DWORD) {};
        manager_.SetWaits(waits);
    }

    ScriptedDeviceIo io_;
    NGWinApi::ScopedApi<NGWinApi::CDeviceIoApi> scoped_;
    Device_Dev target_;
    CSableManager manager_;
};

} // namespace

TEST_F(SableUsbFramingTest, FramingEdges)
{
    const std::string chunk26(26, 'z');
    struct Case {
        const char* name;
        std::vector<std::string> blocks;
        std::string file;
        int reads;
        const char* logLine;  // nullptr: none required
    };
    const Case cases[] = {
        {"length 10 in one block", {"HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n0123456789"}, "0123456789", 1,
         nullptr},
        {"lower-case length header reads chunked",
         {"HTTP/1.1 200 OK\r\ncontent-length: 5\r\n\r\n", "5\r\nhello\r\n", "0\r\n\r\n"}, "hello", 3, nullptr},
        {"length 0 reads chunked",
         {"HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n", "5\r\nhello\r\n", "0\r\n\r\n"}, "hello", 3, nullptr},
        {"HTTP/1.0", {"HTTP/1.0 200 OK\r\nContent-Length: 3\r\n\r\nabc"}, "", 1,
         "Failed to found the string 'HTTP/1.1'"},
        {"not 200", {"HTTP/1.1 404 Missing\r\nContent-Length: 3\r\n\r\nabc"}, "", 1, nullptr},
        {"noise and a split status line", {"\x01\x02garbage\r\n\r\n", "HTTP/1.1 2", "00 OK\r\nContent-Length: 4\r\n\r\n", "data"},
         "data", 4, nullptr},
        {"0x1a chunk", {"HTTP/1.1 200 OK\r\n\r\n", "1a\r\n" + chunk26 + "\r\n", "0\r\n\r\n"}, chunk26, 3, nullptr},
        {"chunk that came with the head", {"HTTP/1.1 200 OK\r\n\r\n4\r\nwith\r\n", "0\r\n\r\n"}, "with", 2, nullptr},
        {"ten empty reads end the body", {"HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\npartial"}, "partial", 11,
         "Read Failure count : 10"},
        {"more than announced is written too", {"HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\n", "abcdef"}, "abcdef",
         12, nullptr},
        {"silent head gives up", {}, "", 10, "ReadSOAPResponseHeader Failed."},
    };
    for (const Case& c : cases) {
        io_.blocks.assign(c.blocks.begin(), c.blocks.end());
        io_.reads = 0;
        io_.request.clear();
        LogTail log;
        const bool fetched = manager_.GetDocumentOverUsb(target_, L"/DevMgmt/\u0141.xml", L"Framed.xml");
        EXPECT_EQ(fetched, c.logLine == nullptr || std::string(c.logLine) != "ReadSOAPResponseHeader Failed.")
            << c.name;
        EXPECT_EQ(io_.request, "GET /DevMgmt/A.xml HTTP/1.1\r\nHOST: \r\n\r\n") << c.name;
        if (fetched) {
            EXPECT_EQ(ReadWholeFile(Folder().File(L"Framed.xml")), c.file) << c.name;
        }
        EXPECT_EQ(io_.reads, c.reads) << c.name;
        if (c.logLine != nullptr) {
            EXPECT_NE(log.Appended().find(c.logLine), std::string::npos) << c.name << "\n" << log.Appended();
        }
        ::DeleteFileW(Folder().File(L"Framed.xml").c_str());
    }
}
