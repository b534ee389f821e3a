#include "winapi/SocketApi.h"

#include "winapi/ApiSlot.h"

namespace NGWinApi {

int CSocketApi::WSAStartup(WORD version, LPWSADATA data) { return ::WSAStartup(version, data); }
int CSocketApi::WSACleanup() { return ::WSACleanup(); }
int CSocketApi::WSAGetLastError() { return ::WSAGetLastError(); }
SOCKET CSocketApi::socket(int family, int type, int protocol) { return ::socket(family, type, protocol); }
int CSocketApi::bind(SOCKET s, const sockaddr* address, int length) { return ::bind(s, address, length); }

int CSocketApi::sendto(SOCKET s, const char* data, int size, int flags, const sockaddr* to, int toLength)
{
    return ::sendto(s, data, size, flags, to, toLength);
}

int CSocketApi::recvfrom(SOCKET s, char* data, int size, int flags, sockaddr* from, int* fromLength)
{
    return ::recvfrom(s, data, size, flags, from, fromLength);
}

int CSocketApi::WSAEventSelect(SOCKET s, WSAEVENT event, long events) { return ::WSAEventSelect(s, event, events); }
int CSocketApi::WSAEnumNetworkEvents(SOCKET s, WSAEVENT event, LPWSANETWORKEVENTS events)
{
    return ::WSAEnumNetworkEvents(s, event, events);
}

int CSocketApi::ioctlsocket(SOCKET s, long command, u_long* argument) { return ::ioctlsocket(s, command, argument); }

int CSocketApi::WSASend(SOCKET s, LPWSABUF buffers, DWORD count, LPDWORD sent, DWORD flags,
                        LPWSAOVERLAPPED overlapped, LPWSAOVERLAPPED_COMPLETION_ROUTINE completion)
{
    return ::WSASend(s, buffers, count, sent, flags, overlapped, completion);
}

int CSocketApi::closesocket(SOCKET s) { return ::closesocket(s); }
int CSocketApi::gethostname(char* name, int length) { return ::gethostname(name, length); }
hostent* CSocketApi::gethostbyname(const char* name) { return ::gethostbyname(name); }
unsigned long CSocketApi::inet_addr(const char* text) { return ::inet_addr(text); }
int CSocketApi::connect(SOCKET s, const sockaddr* address, int length) { return ::connect(s, address, length); }
int CSocketApi::shutdown(SOCKET s, int how) { return ::shutdown(s, how); }

BOOL CSocketApi::TransmitFile(SOCKET s, HANDLE file, DWORD bytes, DWORD bytesPerSend, LPOVERLAPPED overlapped,
                              LPTRANSMIT_FILE_BUFFERS buffers, DWORD flags)
{
    return ::TransmitFile(s, file, bytes, bytesPerSend, overlapped, buffers, flags);
}

BOOL CSocketApi::WSAGetOverlappedResult(SOCKET s, LPWSAOVERLAPPED overlapped, LPDWORD transferred, BOOL wait,
                                        LPDWORD flags)
{
    return ::WSAGetOverlappedResult(s, overlapped, transferred, wait, flags);
}

DWORD CSocketApi::SendARP(IPAddr destination, IPAddr source, PVOID macAddress, PULONG length)
{
    return ::SendARP(destination, source, macAddress, length);
}

namespace {
ApiSlot<CSocketApi> g_sockets;
}

CSocketApi& Sockets() { return g_sockets.Get(); }
CSocketApi* Replace(CSocketApi* api) { return g_sockets.Replace(api); }

} // namespace NGWinApi
