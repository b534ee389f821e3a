#include "tools/PrintPort.h"

#include "winapi/NGWinApi.h"

std::string NarrowAddress(const std::wstring& address)
{
    NGWinApi::CKernelApi& kernel = NGWinApi::Kernel();
    const int size = kernel.WideCharToMultiByte(CP_THREAD_ACP, 0, address.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return {};
    std::string narrow(static_cast<size_t>(size), '\0');
    kernel.WideCharToMultiByte(CP_THREAD_ACP, 0, address.c_str(), -1, narrow.data(), size, nullptr, nullptr);
    narrow.resize(static_cast<size_t>(size - 1));
    return narrow;
}
