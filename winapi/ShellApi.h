#pragma once
// The shell's ShellExecuteW behind a replaceable global instance; tests never start a browser.
#include <windows.h>

namespace NGWinApi {

class CShellApi {
public:
    virtual HINSTANCE ShellExecuteW(HWND window, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters,
                                    LPCWSTR directory, INT showCommand);
    virtual ~CShellApi() = default;
};

// The instance in use; Replace() swaps one in (null restores the real one) and returns the previous.
CShellApi& Shell();
CShellApi* Replace(CShellApi* api);

} // namespace NGWinApi
