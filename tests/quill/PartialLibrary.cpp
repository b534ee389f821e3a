// A stand-in kelodev12.dll for the tool's handling of an incomplete library: it opens and
// registers any device but offers neither get nor set. KELO_PARTIAL_LIBRARY=refuse makes its
// initialisation fail; =no-open leaves the open entry out too.
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "components/kelodev/QuillProcTable.h"

namespace {

DWORD WINAPI OpenAny(const QuillProcs::OpenBlock*, DWORD* device)
{
    *device = 7;
    return 0;
}

DWORD WINAPI RegisterAny(DWORD, DWORD, HWND, UINT, DWORD, DWORD* registration)
{
    *registration = 9;
    return 0;
}

DWORD WINAPI Ignore(DWORD, DWORD) { return 0; }
DWORD WINAPI CloseAny(DWORD) { return 0; }

} // namespace

extern "C" __declspec(dllexport) DWORD WINAPI _QuillInitRtlProcs(void* table, DWORD size, DWORD)
{
    const char* mode = std::getenv("KELO_PARTIAL_LIBRARY");
    const bool refuse = mode != nullptr && std::strcmp(mode, "refuse") == 0;
    const bool noOpen = mode != nullptr && std::strcmp(mode, "no-open") == 0;
    if (refuse || size != QuillProcs::kTableSize)
        return 1;
    void* entries[QuillProcs::kEntries] = {};
    entries[QuillProcs::kOpen] = noOpen ? nullptr : reinterpret_cast<void*>(&OpenAny);
    entries[QuillProcs::kClose] = reinterpret_cast<void*>(&CloseAny);
    entries[QuillProcs::kRegister] = reinterpret_cast<void*>(&RegisterAny);
    entries[QuillProcs::kUnregister] = reinterpret_cast<void*>(&Ignore);
    std::memcpy(table, entries, sizeof entries);
    return 0;
}
