#pragma once
// Helpers for Windows test programs: scratch folders, a fake executable path, file reading.
#include <windows.h>

#include <string>

#include "winapi/NGWinApi.h"

// A fresh folder under the temporary folder, removed with everything in it.
class TestFolder {
public:
    TestFolder();
    ~TestFolder();
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    const std::wstring& Path() const { return path_; }
    std::wstring File(const std::wstring& relative) const { return path_ + L"\\" + relative; }
    // Writes `bytes` to `relative`, creating folders on the way.
    void Write(const std::wstring& relative, const std::string& bytes) const;
    void Remove(const std::wstring& relative) const;

private:
    std::wstring path_;
};

// Reports `<folder>\KeloTessaly.exe` as the running executable.
class FakeExecutableFolder : public NGWinApi::CKernelApi {
public:
    explicit FakeExecutableFolder(std::wstring folder) : exe_(std::move(folder) + L"\\KeloTessaly.exe") {}
    DWORD GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size) override;

private:
    std::wstring exe_;
};

std::string ReadWholeFile(const std::wstring& path);
std::wstring Widen(const std::string& text);

// The Windows path of a Unix path (Wine's Z: drive).
std::wstring WinePathOf(const std::string& unixPath);

// Follows the growth of the process log from the moment it is constructed.
class LogTail {
public:
    LogTail();
    // What was appended since construction.
    std::string Appended() const;

private:
    std::wstring path_;
    size_t start_;
};
