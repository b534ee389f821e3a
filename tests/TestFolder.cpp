#include "TestFolder.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/LogFile.h"

namespace fs = std::filesystem;

TestFolder::TestFolder()
{
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    GUID guid;
    ::CoCreateGuid(&guid);
    wchar_t name[64];
    swprintf(name, 64, L"kelo-test-%08lx%04x", guid.Data1, guid.Data2);
    path_ = std::wstring(temp) + name;
    fs::create_directories(path_);
}

TestFolder::~TestFolder()
{
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

void TestFolder::Write(const std::wstring& relative, const std::string& bytes) const
{
    fs::path target = fs::path(path_) / relative;
    fs::create_directories(target.parent_path());
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out << bytes;
}

void TestFolder::Remove(const std::wstring& relative) const
{
    std::error_code ignored;
    fs::remove_all(fs::path(path_) / relative, ignored);
}

DWORD FakeExecutableFolder::GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size)
{
    if (module != nullptr)
        return CKernelApi::GetModuleFileNameW(module, fileName, size);
    if (size == 0)
        return 0;
    size_t count = exe_.size() < size ? exe_.size() : size - 1;
    exe_.copy(fileName, count);
    fileName[count] = L'\0';
    return static_cast<DWORD>(count);
}

std::string ReadWholeFile(const std::wstring& path)
{
    std::ifstream in(fs::path(path), std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

std::wstring Widen(const std::string& text)
{
    int size = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return wide;
}

std::wstring WinePathOf(const std::string& unixPath)
{
    std::wstring path = L"Z:" + Widen(unixPath);
    for (wchar_t& c : path)
        if (c == L'/')
            c = L'\\';
    return path;
}

LogTail::LogTail() : path_(LogFile().Path()), start_(ReadWholeFile(path_).size()) {}

std::string LogTail::Appended() const
{
    std::string all = ReadWholeFile(path_);
    return all.size() > start_ ? all.substr(start_) : std::string();
}
