#pragma once
// The procedure table contract between the tool and the USB device library kelodev12.dll:
// "_QuillInitRtlProcs@12" fills 17 four-byte entries; the tool calls the six below. That is the
// maker's 32-bit library, kept byte-exact in the x86 build; the x64 build of our library uses
// the natural 64-bit layout (8-byte entries and pointer, no stdcall name decoration).
#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace QuillProcs {

constexpr UINT kNotificationMessage = 1225;      // posted to the registered window
constexpr WORD kNotificationDeviceLost = 1;      // low word of its second parameter
constexpr DWORD kDeviceLost = 0x80000000u;
constexpr size_t kEntries = 17;
constexpr DWORD kTableSize = kEntries * sizeof(void*);

enum Entry : size_t { kOpen = 0, kClose = 1, kRegister = 3, kUnregister = 4, kGetObject = 6, kSetObject = 9 };

// The open parameter block, 20 bytes little-endian in the x86 build (24 in the x64 build).
#pragma pack(push, 1)
struct OpenBlock {
    uint8_t size;        // 20
    uint8_t unused1[3];
    uint32_t zero;
    uint8_t reserved;    // the reserved flag, 0
    uint8_t unused2[3];
    uint32_t flags;      // 0x13, or 0x14 with the mode flag
    const wchar_t* deviceName;
};
#pragma pack(pop)
static_assert(offsetof(OpenBlock, zero) == 4 && offsetof(OpenBlock, reserved) == 8 && offsetof(OpenBlock, flags) == 12 &&
              offsetof(OpenBlock, deviceName) == 16 && sizeof(OpenBlock) == 16 + sizeof(void*), "the library contract");
#if defined(_WIN64)
static_assert(kTableSize == 136);
#else
static_assert(kTableSize == 68 && sizeof(OpenBlock) == 20, "the maker's 32-bit contract");
#endif

using OpenProc = DWORD(WINAPI*)(const OpenBlock* block, DWORD* device);
using CloseProc = DWORD(WINAPI*)(DWORD device);
using RegisterProc = DWORD(WINAPI*)(DWORD device, DWORD zero, HWND window, UINT message, DWORD zero2,
                                    DWORD* registration);
using UnregisterProc = DWORD(WINAPI*)(DWORD device, DWORD registration);
// Copies at most bufferSize bytes; *length is the value's whole length.
using GetObjectProc = DWORD(WINAPI*)(DWORD device, DWORD registration, const BYTE* id, DWORD idCount, BYTE* buffer,
                                     DWORD bufferSize, BYTE* type, DWORD* length);
using SetObjectProc = DWORD(WINAPI*)(DWORD device, DWORD registration, const BYTE* id, DWORD idCount,
                                     const DWORD* value, DWORD type, DWORD valueSize, BYTE* reply, DWORD replySize,
                                     DWORD* replyLength);
using InitProc = DWORD(WINAPI*)(void* table, DWORD size, DWORD reserved);

#if defined(_WIN64)
constexpr char kInitName[] = "_QuillInitRtlProcs";
#else
constexpr char kInitName[] = "_QuillInitRtlProcs@12";
#endif

} // namespace QuillProcs
