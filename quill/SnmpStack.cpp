#include "quill/SnmpStack.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

#include "winapi/Handles.h"
#include "winapi/SocketApi.h"

namespace SnmpStack {
namespace {

std::atomic<int> g_lastError{kErrorNone};
std::atomic<uint64_t> g_datagramsSent{0};

template <class Result>
Result Fail(Error error, Result result)
{
    g_lastError = error;
    return result;
}

struct PendingRequest {
    std::vector<uint8_t> bytes;
    sockaddr_in to{};
    int32_t requestId = 0;
    SnmpOid oid;
    int retriesLeft = 0;
    ULONGLONG deadline = 0;
};

class Session {
public:
    HSession id = 0;
    Callback callback = nullptr;
    void* clientData = nullptr;
    NGWinApi::UniqueSocket socket;
    NGWinApi::UniqueHandle readEvent;
    NGWinApi::UniqueHandle wakeEvent;
    NGWinApi::UniqueHandle thread;
    DWORD threadId = 0;
    std::atomic<bool> stopping{false};
    // Guarded by the registry's mutex.
    std::optional<PendingRequest> pending;
    std::deque<std::optional<SnmpMessage>> inbox; // nothing: the request timed out

    void Run();

private:
    void Drain();
    void CheckDeadline();
    bool Accept(const uint8_t* data, size_t size, const sockaddr_in& from, int32_t& requestId);
    void Notify(int32_t requestId) { callback(id, nullptr, 0, 0, static_cast<LPARAM>(requestId), clientData); }
};

struct Entity {
    HSession session;
    sockaddr_in address;
};
struct Context {
    HSession session;
    std::vector<uint8_t> community;
};
struct Vbl {
    HSession session;
    std::vector<SnmpVarBind> binds;
};
struct Pdu {
    HSession session;
    SnmpPdu pdu;
};

struct Registry {
    std::mutex mutex;
    uint32_t nextHandle = 1;
    int startups = 0;
    RetransmitPolicy policy;
    bool retransmit = true;
    std::map<HSession, std::shared_ptr<Session>> sessions;
    std::map<HEntity, Entity> entities;
    std::map<HContext, Context> contexts;
    std::map<HVbl, Vbl> vbls;
    std::map<HPdu, Pdu> pdus;

    uint32_t NewHandle() { return nextHandle++; }
};

// Never destroyed: a receiver thread may still look at it while the process ends.
Registry& Reg()
{
    static Registry* registry = new Registry;
    return *registry;
}

template <class Map>
void EraseOfSession(Map& map, HSession session)
{
    for (auto it = map.begin(); it != map.end();)
        it = it->second.session == session ? map.erase(it) : std::next(it);
}

bool SendDatagram(SOCKET s, const PendingRequest& request)
{
    const int sent = NGWinApi::Sockets().sendto(s, reinterpret_cast<const char*>(request.bytes.data()),
                                                static_cast<int>(request.bytes.size()), 0,
                                                reinterpret_cast<const sockaddr*>(&request.to), sizeof request.to);
    ++g_datagramsSent;
    return sent == static_cast<int>(request.bytes.size()) ||
           NGWinApi::Sockets().WSAGetLastError() == WSAEWOULDBLOCK; // the retransmission covers it
}

DWORD WINAPI ReceiverThread(LPVOID parameter)
{
    static_cast<Session*>(parameter)->Run();
    return 0;
}

void Session::Run()
{
    Registry& reg = Reg();
    for (;;) {
        DWORD wait = INFINITE;
        {
            std::lock_guard guard(reg.mutex);
            if (pending) {
                const ULONGLONG now = ::GetTickCount64();
                wait = pending->deadline > now ? static_cast<DWORD>(pending->deadline - now) : 0;
            }
        }
        const HANDLE handles[] = {wakeEvent.get(), readEvent.get()};
        const DWORD woken = NGWinApi::Kernel().WaitForMultipleObjects(2, handles, FALSE, wait);
        if (stopping)
            return;
        if (woken == WAIT_OBJECT_0 + 1) {
            ::ResetEvent(readEvent.get());
            Drain();
        } else if (woken == WAIT_TIMEOUT) {
            CheckDeadline();
        } else if (woken == WAIT_FAILED) {
            return;
        }
    }
}

void Session::Drain()
{
    std::vector<uint8_t> buffer(65536);
    for (;;) {
        sockaddr_in from{};
        int fromLength = sizeof from;
        const int received = NGWinApi::Sockets().recvfrom(socket.get(), reinterpret_cast<char*>(buffer.data()),
                                                          static_cast<int>(buffer.size()), 0,
                                                          reinterpret_cast<sockaddr*>(&from), &fromLength);
        if (received < 0) {
            const int error = NGWinApi::Sockets().WSAGetLastError();
            // An ICMP port unreachable or an oversized datagram spoils one read, not the wait.
            if (error == WSAECONNRESET || error == WSAEMSGSIZE)
                continue;
            return;
        }
        int32_t requestId = 0;
        if (Accept(buffer.data(), static_cast<size_t>(received), from, requestId))
            Notify(requestId);
    }
}

// A reply counts only from the agent asked, as version 1, to the request outstanding.
bool Session::Accept(const uint8_t* data, size_t size, const sockaddr_in& from, int32_t& requestId)
{
    SnmpMessage message;
    if (!DecodeSnmpMessage(data, size, message))
        return false;
    std::lock_guard guard(Reg().mutex);
    if (!pending || from.sin_addr.s_addr != pending->to.sin_addr.s_addr || from.sin_port != pending->to.sin_port)
        return false;
    if (message.version != 0 || message.pdu.type != SnmpPduType::GetResponse ||
        message.pdu.requestId != pending->requestId)
        return false;
    // The request id never changes, so a late duplicate of an earlier reply is told apart by its name.
    if (!message.pdu.varbinds.empty() && message.pdu.varbinds.front().oid != pending->oid)
        return false;
    requestId = pending->requestId;
    pending.reset();
    inbox.push_back(std::move(message));
    return true;
}

void Session::CheckDeadline()
{
    int32_t timedOut = 0;
    bool notify = false;
    {
        Registry& reg = Reg();
        std::lock_guard guard(reg.mutex);
        if (!pending || ::GetTickCount64() < pending->deadline)
            return;
        if (pending->retriesLeft > 0) {
            --pending->retriesLeft;
            pending->deadline = ::GetTickCount64() + reg.policy.timeoutMs;
            SendDatagram(socket.get(), *pending);
            return;
        }
        timedOut = pending->requestId;
        pending.reset();
        inbox.push_back(std::nullopt);
        notify = true;
    }
    if (notify)
        Notify(timedOut);
}

void StopSession(const std::shared_ptr<Session>& session)
{
    session->stopping = true;
    ::SetEvent(session->wakeEvent.get());
    if (session->thread && session->threadId != ::GetCurrentThreadId())
        NGWinApi::Kernel().WaitForSingleObject(session->thread.get(), INFINITE);
}

std::optional<sockaddr_in> ParseIpv4(const char* text)
{
    unsigned parts[4];
    char extra = 0;
    if (text == nullptr || std::sscanf(text, "%3u.%3u.%3u.%3u%c", &parts[0], &parts[1], &parts[2], &parts[3],
                                       &extra) != 4)
        return std::nullopt;
    for (unsigned part : parts)
        if (part > 255)
            return std::nullopt;
    for (const char* c = text; *c != '\0'; ++c)
        if ((*c < '0' || *c > '9') && *c != '.')
            return std::nullopt;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl((parts[0] << 24) | (parts[1] << 16) | (parts[2] << 8) | parts[3]);
    return address;
}

} // namespace

void SetRetransmitPolicy(const RetransmitPolicy& policy)
{
    std::lock_guard guard(Reg().mutex);
    Reg().policy = policy;
}

RetransmitPolicy GetRetransmitPolicy()
{
    std::lock_guard guard(Reg().mutex);
    return Reg().policy;
}

uint64_t DatagramsSent() { return g_datagramsSent; }

int GetLastError() { return g_lastError; }

Status Startup()
{
    WSADATA data{};
    if (NGWinApi::Sockets().WSAStartup(MAKEWORD(2, 2), &data) != 0)
        return Fail(kErrorTransport, kFailure);
    std::lock_guard guard(Reg().mutex);
    ++Reg().startups;
    return kSuccess;
}

Status Cleanup()
{
    Registry& reg = Reg();
    std::vector<std::shared_ptr<Session>> closing;
    {
        std::lock_guard guard(reg.mutex);
        if (reg.startups == 0)
            return Fail(kErrorNotInitialized, kFailure);
        if (--reg.startups == 0) {
            for (auto& [id, session] : reg.sessions)
                closing.push_back(session);
            reg.sessions.clear();
            reg.entities.clear();
            reg.contexts.clear();
            reg.vbls.clear();
            reg.pdus.clear();
        }
    }
    for (const auto& session : closing)
        StopSession(session);
    closing.clear();
    NGWinApi::Sockets().WSACleanup();
    return kSuccess;
}

Status SetTranslateMode(int) { return kSuccess; }

Status SetRetransmitMode(bool on)
{
    std::lock_guard guard(Reg().mutex);
    Reg().retransmit = on;
    return kSuccess;
}

HSession CreateSession(HWND, UINT, Callback callback, void* clientData)
{
    Registry& reg = Reg();
    {
        std::lock_guard guard(reg.mutex);
        if (reg.startups == 0)
            return Fail(kErrorNotInitialized, HSession{0});
    }
    if (callback == nullptr)
        return Fail(kErrorSessionInvalid, HSession{0});
    auto session = std::make_shared<Session>();
    session->callback = callback;
    session->clientData = clientData;
    session->socket.reset(NGWinApi::Sockets().socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    session->readEvent.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    session->wakeEvent.reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    sockaddr_in any{};
    any.sin_family = AF_INET;
    if (!session->socket || !session->readEvent || !session->wakeEvent ||
        NGWinApi::Sockets().bind(session->socket.get(), reinterpret_cast<const sockaddr*>(&any), sizeof any) != 0 ||
        NGWinApi::Sockets().WSAEventSelect(session->socket.get(), session->readEvent.get(), FD_READ) != 0)
        return Fail(kErrorTransport, HSession{0});
    {
        std::lock_guard guard(reg.mutex);
        session->id = reg.NewHandle();
        reg.sessions[session->id] = session;
    }
    session->thread.reset(NGWinApi::Kernel().CreateThread(nullptr, 0, ReceiverThread, session.get(), 0,
                                                          &session->threadId));
    if (!session->thread) {
        Close(session->id);
        return Fail(kErrorTransport, HSession{0});
    }
    return session->id;
}

Status Close(HSession id)
{
    Registry& reg = Reg();
    std::shared_ptr<Session> session;
    {
        std::lock_guard guard(reg.mutex);
        auto it = reg.sessions.find(id);
        if (it == reg.sessions.end())
            return Fail(kErrorSessionInvalid, kFailure);
        session = it->second;
        reg.sessions.erase(it);
        EraseOfSession(reg.entities, id);
        EraseOfSession(reg.contexts, id);
        EraseOfSession(reg.vbls, id);
        EraseOfSession(reg.pdus, id);
    }
    StopSession(session);
    return kSuccess;
}

HEntity StrToEntity(HSession session, const char* address)
{
    std::optional<sockaddr_in> parsed = ParseIpv4(address);
    Registry& reg = Reg();
    std::lock_guard guard(reg.mutex);
    if (!reg.sessions.count(session))
        return Fail(kErrorSessionInvalid, HEntity{0});
    if (!parsed)
        return Fail(kErrorEntityInvalid, HEntity{0});
    parsed->sin_port = htons(reg.policy.agentPort);
    const HEntity id = reg.NewHandle();
    reg.entities[id] = Entity{session, *parsed};
    return id;
}

HContext StrToContext(HSession session, const std::vector<uint8_t>& community)
{
    Registry& reg = Reg();
    std::lock_guard guard(reg.mutex);
    if (!reg.sessions.count(session))
        return Fail(kErrorSessionInvalid, HContext{0});
    const HContext id = reg.NewHandle();
    reg.contexts[id] = Context{session, community};
    return id;
}

Status StrToOid(const char* text, SnmpOid& oid)
{
    std::optional<SnmpOid> parsed = text != nullptr ? SnmpOid::Parse(text) : std::nullopt;
    if (!parsed) {
        oid = SnmpOid{}; // never a stale name: a request built from it is refused
        return Fail(kErrorOidInvalid, kFailure);
    }
    oid = std::move(*parsed);
    return static_cast<Status>(oid.components.size());
}

Status OidToStr(const SnmpOid& oid, size_t size, char* buffer)
{
    const std::string text = oid.Format();
    if (buffer == nullptr || size == 0 || text.empty())
        return Fail(kErrorOidInvalid, kFailure);
    const size_t length = text.size() < size ? text.size() : size - 1;
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
    return static_cast<Status>(length);
}

Status FreeDescriptor(SnmpOid& oid)
{
    oid = SnmpOid{};
    return kSuccess;
}

Status FreeDescriptor(SnmpValue& value)
{
    value = SnmpValue{};
    return kSuccess;
}

HVbl CreateVbl(HSession session, const SnmpOid& oid, const SnmpValue& value)
{
    Registry& reg = Reg();
    std::lock_guard guard(reg.mutex);
    if (!reg.sessions.count(session))
        return Fail(kErrorSessionInvalid, HVbl{0});
    if (!oid.IsEncodable())
        return Fail(kErrorOidInvalid, HVbl{0});
    const HVbl id = reg.NewHandle();
    reg.vbls[id] = Vbl{session, {SnmpVarBind{oid, value}}};
    return id;
}

HPdu CreatePdu(HSession session, SnmpPduType type, int32_t requestId, int32_t errorStatus, int32_t errorIndex,
               HVbl vbl)
{
    Registry& reg = Reg();
    std::lock_guard guard(reg.mutex);
    if (!reg.sessions.count(session))
        return Fail(kErrorSessionInvalid, HPdu{0});
    auto list = reg.vbls.find(vbl);
    if (list == reg.vbls.end())
        return Fail(kErrorVblInvalid, HPdu{0});
    const HPdu id = reg.NewHandle();
    reg.pdus[id] = Pdu{session, SnmpPdu{type, requestId, errorStatus, errorIndex, list->second.binds}};
    return id;
}

Status SendMsg(HSession sessionId, HEntity source, HEntity destination, HContext context, HPdu pdu)
{
    Registry& reg = Reg();
    std::lock_guard guard(reg.mutex);
    auto session = reg.sessions.find(sessionId);
    if (session == reg.sessions.end())
        return Fail(kErrorSessionInvalid, kFailure);
    auto to = reg.entities.find(destination);
    if (source != 0 || to == reg.entities.end())
        return Fail(kErrorEntityInvalid, kFailure);
    auto community = reg.contexts.find(context);
    if (community == reg.contexts.end())
        return Fail(kErrorContextInvalid, kFailure);
    auto request = reg.pdus.find(pdu);
    if (request == reg.pdus.end())
        return Fail(kErrorPduInvalid, kFailure);

    PendingRequest pending;
    pending.bytes = EncodeSnmpMessage(SnmpMessage{0, community->second.community, request->second.pdu});
    if (pending.bytes.empty())
        return Fail(kErrorPduInvalid, kFailure);
    pending.to = to->second.address;
    pending.requestId = request->second.pdu.requestId;
    if (!request->second.pdu.varbinds.empty())
        pending.oid = request->second.pdu.varbinds.front().oid;
    pending.retriesLeft = reg.retransmit ? reg.policy.retries : 0;
    pending.deadline = ::GetTickCount64() + reg.policy.timeoutMs;

    Session& s = *session->second;
    s.inbox.clear();
    if (!SendDatagram(s.socket.get(), pending)) {
        s.pending.reset();
        return Fail(kErrorUndeliverable, kFailure);
    }
    s.pending = std::move(pending);
    ::SetEvent(s.wakeEvent.get());
    return kSuccess;
}

Status RecvMsg(HSession sessionId, HEntity* source, HEntity* destination, HContext* context, HPdu* pdu)
{
    for (auto* none : {source, destination, context})
        if (none != nullptr)
            *none = 0;
    Registry& reg = Reg();
    std::lock_guard guard(reg.mutex);
    auto session = reg.sessions.find(sessionId);
    if (session == reg.sessions.end())
        return Fail(kErrorSessionInvalid, kFailure);
    auto& inbox = session->second->inbox;
    if (inbox.empty())
        return Fail(kErrorNoMessage, kFailure);
    std::optional<SnmpMessage> message = std::move(inbox.front());
    inbox.pop_front();
    if (!message)
        return Fail(kErrorTimeout, kFailure);
    if (pdu == nullptr)
        return Fail(kErrorPduInvalid, kFailure);
    *pdu = reg.NewHandle();
    reg.pdus[*pdu] = Pdu{sessionId, std::move(message->pdu)};
    return kSuccess;
}

Status GetPduData(HPdu pdu, SnmpPduType* type, int32_t* requestId, int32_t* errorStatus, int32_t* errorIndex,
                  HVbl* vbl)
{
    Registry& reg = Reg();
    std::lock_guard guard(reg.mutex);
    auto found = reg.pdus.find(pdu);
    if (found == reg.pdus.end())
        return Fail(kErrorPduInvalid, kFailure);
    const SnmpPdu& data = found->second.pdu;
    if (type != nullptr)
        *type = data.type;
    if (requestId != nullptr)
        *requestId = data.requestId;
    if (errorStatus != nullptr)
        *errorStatus = data.errorStatus;
    if (errorIndex != nullptr)
        *errorIndex = data.errorIndex;
    if (vbl != nullptr) {
        *vbl = reg.NewHandle();
        reg.vbls[*vbl] = Vbl{found->second.session, data.varbinds};
    }
    return kSuccess;
}

Status GetVb(HVbl vbl, uint32_t index, SnmpOid& oid, SnmpValue& value)
{
    Registry& reg = Reg();
    std::lock_guard guard(reg.mutex);
    auto found = reg.vbls.find(vbl);
    if (found == reg.vbls.end())
        return Fail(kErrorVblInvalid, kFailure);
    if (index < 1 || index > found->second.binds.size())
        return Fail(kErrorIndexInvalid, kFailure);
    oid = found->second.binds[index - 1].oid;
    value = found->second.binds[index - 1].value;
    return kSuccess;
}

namespace {
template <class Map>
Status FreeHandle(Map& map, uint32_t handle, Error invalid)
{
    std::lock_guard guard(Reg().mutex);
    return map.erase(handle) == 1 ? kSuccess : Fail(invalid, kFailure);
}
} // namespace

Status FreeVbl(HVbl vbl) { return FreeHandle(Reg().vbls, vbl, kErrorVblInvalid); }
Status FreePdu(HPdu pdu) { return FreeHandle(Reg().pdus, pdu, kErrorPduInvalid); }
Status FreeEntity(HEntity entity) { return FreeHandle(Reg().entities, entity, kErrorEntityInvalid); }
Status FreeContext(HContext context) { return FreeHandle(Reg().contexts, context, kErrorContextInvalid); }

} // namespace SnmpStack
