#pragma once
#include <string>

// Folder of the running executable, without the trailing backslash.
std::wstring GetExecutableFolder();

// File version of the running executable as "a.b.c.d"; 0.0.0.0 when it has none.
std::wstring GetModuleVersionString();

// Product version of the running executable as "a.b.c.d"; empty when it has none.
std::wstring GetModuleProductVersionString();
