#pragma once
// Windows Sockets and IP Helper calls of the SNMP stack, the ARP lookup and the raw port, replaceable in tests.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>
#include <mswsock.h>

#include <utility>

namespace NGWinApi {

class CSocketApi {
public:
    virtual int WSAStartup(WORD version, LPWSADATA data);
    virtual int WSACleanup();
    virtual int WSAGetLastError();
    virtual SOCKET socket(int family, int type, int protocol);
    virtual int bind(SOCKET s, const sockaddr* address, int length);
    virtual int sendto(SOCKET s, const char* data, int size, int flags, const sockaddr* to, int toLength);
    virtual int recvfrom(SOCKET s, char* data, int size, int flags, sockaddr* from, int* fromLength);
    virtual int WSAEventSelect(SOCKET s, WSAEVENT event, long events);
    virtual int WSAEnumNetworkEvents(SOCKET s, WSAEVENT event, LPWSANETWORKEVENTS events);
    virtual int ioctlsocket(SOCKET s, long command, u_long* argument);
    virtual int WSASend(SOCKET s, LPWSABUF buffers, DWORD count, LPDWORD sent, DWORD flags, LPWSAOVERLAPPED overlapped,
                        LPWSAOVERLAPPED_COMPLETION_ROUTINE completion);
    virtual int closesocket(SOCKET s);
    virtual int gethostname(char* name, int length);
    virtual hostent* gethostbyname(const char* name);
    virtual unsigned long inet_addr(const char* text);
    virtual int connect(SOCKET s, const sockaddr* address, int length);
    virtual int shutdown(SOCKET s, int how);
    virtual BOOL TransmitFile(SOCKET s, HANDLE file, DWORD bytes, DWORD bytesPerSend, LPOVERLAPPED overlapped,
                              LPTRANSMIT_FILE_BUFFERS buffers, DWORD flags);
    virtual BOOL WSAGetOverlappedResult(SOCKET s, LPWSAOVERLAPPED overlapped, LPDWORD transferred, BOOL wait,
                                        LPDWORD flags);
    virtual DWORD SendARP(IPAddr destination, IPAddr source, PVOID macAddress, PULONG length);
    virtual ~CSocketApi() = default;
};

CSocketApi& Sockets();
CSocketApi* Replace(CSocketApi* api);

// A socket closed through Sockets().
class UniqueSocket {
public:
    UniqueSocket() = default;
    explicit UniqueSocket(SOCKET s) : socket_(s) {}
    UniqueSocket(UniqueSocket&& other) noexcept : socket_(std::exchange(other.socket_, INVALID_SOCKET)) {}
    UniqueSocket& operator=(UniqueSocket&& other) noexcept
    {
        if (this != &other)
            reset(std::exchange(other.socket_, INVALID_SOCKET));
        return *this;
    }
    ~UniqueSocket() { reset(); }
    UniqueSocket(const UniqueSocket&) = delete;
    UniqueSocket& operator=(const UniqueSocket&) = delete;

    SOCKET get() const { return socket_; }
    explicit operator bool() const { return socket_ != INVALID_SOCKET; }
    void reset(SOCKET s = INVALID_SOCKET)
    {
        if (socket_ != INVALID_SOCKET)
            Sockets().closesocket(socket_);
        socket_ = s;
    }

private:
    SOCKET socket_ = INVALID_SOCKET;
};

// Balances a successful WSAStartup.
class WinsockSession {
public:
    WinsockSession() : ok_(Sockets().WSAStartup(MAKEWORD(2, 2), &data_) == 0) {}
    ~WinsockSession() { if (ok_) Sockets().WSACleanup(); }
    WinsockSession(const WinsockSession&) = delete;
    WinsockSession& operator=(const WinsockSession&) = delete;
    bool ok() const { return ok_; }

private:
    WSADATA data_{};
    bool ok_;
};

} // namespace NGWinApi
