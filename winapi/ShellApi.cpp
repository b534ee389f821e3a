#include "winapi/ShellApi.h"

#include <shellapi.h>

#include "winapi/ApiSlot.h"

namespace NGWinApi {

HINSTANCE CShellApi::ShellExecuteW(HWND window, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters,
                                   LPCWSTR directory, INT showCommand)
{
    return ::ShellExecuteW(window, verb, file, parameters, directory, showCommand);
}

namespace {
ApiSlot<CShellApi> g_shell;
} // namespace

CShellApi& Shell() { return g_shell.Get(); }
CShellApi* Replace(CShellApi* api) { return g_shell.Replace(api); }

} // namespace NGWinApi
