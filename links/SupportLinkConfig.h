#pragma once
// Where support links point: the support portal's host and the maker's main web host. Both come
// from "config\support_links.xml" beside the executable, so tests and demos can use loopback servers.
#include <string>

inline const wchar_t kBuiltInSupportHost[] = L"support.kelo.example";
inline const wchar_t kBuiltInMainWebHost[] = L"www.kelo.example";

struct SupportLinkHosts {
    std::wstring supportHost = kBuiltInSupportHost;
    std::wstring mainWebHost = kBuiltInMainWebHost;
};

// The configured hosts; a host the file does not name (or an unreadable file) keeps its built-in value.
SupportLinkHosts LoadSupportLinkHosts();
