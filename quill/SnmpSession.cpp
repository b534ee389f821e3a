#include "quill/SnmpSession.h"

#include <atomic>
#include <cstring>
#include <utility>

#include "quill/SnmpValueText.h"
#include "support/LogFile.h"
#include "winapi/Handles.h"
#include "winapi/SocketApi.h"

namespace {

// One request in flight for the whole process: the callback hands its result over through
// this state, and the bracket lock keeps other threads out meanwhile.
struct SharedState {
    NGWinApi::UniqueHandle completion;
    std::atomic<int> success{0};
    std::atomic<int> lastError{0};
    SnmpOid requestOid;
    SnmpValue dValue;
    char result[kSnmpValueTextMax + 1] = {};
    SnmpValue resultValue; // the reply behind `result`
    // Set when the printer of the current bracket is taken for gone: the rest fails fast.
    std::atomic<bool> timedOut{false};
    std::atomic<bool> answered{false};        // a reply came in the current bracket
    std::atomic<int> consecutiveTimeOuts{0};  // requests in a row without a reply
    bool failFastLogged = false;
    in_addr hostAddress{};
};

SharedState& State()
{
    static SharedState* state = new SharedState; // the receiver thread may outlive static destruction
    return *state;
}

std::mutex g_bracketMutex;

std::string Ansi(const std::wstring& text)
{
    if (text.empty())
        return {};
    const int size = ::WideCharToMultiByte(CP_THREAD_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr,
                                           0, nullptr, nullptr);
    std::string ansi(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        ::WideCharToMultiByte(CP_THREAD_ACP, 0, text.c_str(), static_cast<int>(text.size()), ansi.data(), size,
                              nullptr, nullptr);
    return ansi;
}

// A guard far beyond the stack's own retransmission bound, so a stack fault cannot hang a worker.
DWORD ReplyWaitLimit()
{
    const SnmpStack::RetransmitPolicy policy = SnmpStack::GetRetransmitPolicy();
    return policy.timeoutMs * static_cast<DWORD>(policy.retries + 1) + 5000;
}

} // namespace

CSnmpSession::~CSnmpSession()
{
    QuillUninit();
}

bool CSnmpSession::QuillInit(const std::wstring& address)
{
    if (bracket_.owns_lock())
        ReleaseHandles();
    else
        bracket_ = std::unique_lock(g_bracketMutex);
    SharedState& state = State();
    state.timedOut = false;
    state.answered = false;
    state.consecutiveTimeOuts = 0;
    state.failFastLogged = false;

    host_ = address;
    hostAnsi_ = Ansi(address);
    community_ = {'p', 'u', 'b', 'l', 'i', 'c'};

    state.completion.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!state.completion) {
        LogFile().Write(L"CreateEvent failed (%ld)", static_cast<long>(::GetLastError()));
        return false;
    }

    const bool result = SnmpStack::Startup() == SnmpStack::kSuccess;
    started_ = result;
    if (result) {
        SnmpStack::SetTranslateMode(0);
        SnmpStack::SetRetransmitMode(true);
    }

    session_ = SnmpStack::CreateSession(nullptr, 0, SnmpCallback, nullptr);
    if (session_ == 0) {
        state.lastError = SnmpStack::GetLastError();
        LogFile().Write(L"SnmpCreateSession failed (%d)", state.lastError.load());
        ReleaseHandles();
        return result;
    }

    destination_ = SnmpStack::StrToEntity(session_, hostAnsi_.c_str());
    if (destination_ == 0 && hostAnsi_.empty()) {
        ReleaseHandles(); // an empty name would resolve to this computer
        return result;
    }
    if (destination_ == 0) {
        hostent* host = NGWinApi::Sockets().gethostbyname(hostAnsi_.c_str());
        if (host == nullptr || host->h_addrtype != AF_INET || host->h_addr_list[0] == nullptr) {
            ReleaseHandles();
            return result;
        }
        std::memcpy(&state.hostAddress, host->h_addr_list[0], sizeof state.hostAddress);
        destination_ = SnmpStack::StrToEntity(session_, ::inet_ntoa(state.hostAddress));
        if (destination_ == 0) {
            ReleaseHandles();
            return result;
        }
    }

    context_ = SnmpStack::StrToContext(session_, community_);
    if (context_ == 0)
        ReleaseHandles();
    return result;
}

bool CSnmpSession::SnmpGetPdu(const char* oid)
{
    SharedState& state = State();
    SnmpStack::StrToOid(oid, state.requestOid);
    state.dValue = SnmpValue::MakeNull();
    if (vbl_ != 0)
        SnmpStack::FreeVbl(vbl_);
    vbl_ = SnmpStack::CreateVbl(session_, state.requestOid, state.dValue);
    pdu_ = SnmpStack::CreatePdu(session_, SnmpPduType::GetRequest, 1, 0, 0, vbl_);
    return pdu_ != 0;
}

bool CSnmpSession::SnmpSetPdu(const char* oid, int32_t value)
{
    SharedState& state = State();
    if (SnmpStack::StrToOid(oid, state.requestOid) == 0) {
        LogFile().Write(L"SnmpStrToOid failed(SnmpSetPdu)- %ld", static_cast<long>(SnmpStack::GetLastError()));
        return false;
    }
    state.dValue = SnmpValue::MakeInteger(value);
    if (vbl_ != 0)
        SnmpStack::FreeVbl(vbl_);
    vbl_ = SnmpStack::CreateVbl(session_, state.requestOid, state.dValue);
    if (vbl_ == 0) {
        LogFile().Write(L"SnmpCreateVbl failed(SnmpSetPdu) - %ld", static_cast<long>(SnmpStack::GetLastError()));
        return false;
    }
    pdu_ = SnmpStack::CreatePdu(session_, SnmpPduType::SetRequest, 1, 0, 0, vbl_);
    if (pdu_ == 0) {
        LogFile().Write(L"SnmpCreatePdu failed(SnmpSetPdu) - %ld", static_cast<long>(SnmpStack::GetLastError()));
        return false;
    }
    return true;
}

bool CSnmpSession::SnmpSendPdu()
{
    SharedState& state = State();
    if (state.timedOut) {
        if (!state.failFastLogged)
            LogFile().Write(L"SNMP printer %s did not answer; the remaining requests of this operation are skipped",
                            host_.c_str());
        state.failFastLogged = true;
        SnmpStack::FreePdu(std::exchange(pdu_, 0));
        return false;
    }
    if (SnmpStack::SendMsg(session_, 0, destination_, context_, pdu_) != SnmpStack::kSuccess) {
        state.lastError = SnmpStack::GetLastError();
        LogFile().Write(L"SnmpSendMsg failed - %ld", static_cast<long>(state.lastError));
        return false;
    }
    SnmpStack::FreePdu(std::exchange(pdu_, 0));
    if (NGWinApi::Kernel().WaitForSingleObject(state.completion.get(), ReplyWaitLimit()) != WAIT_OBJECT_0)
        state.success = 0;
    ::ResetEvent(state.completion.get());
    return state.success != 0;
}

SnmpStack::Status CSnmpSession::SnmpCallback(SnmpStack::HSession session, HWND, UINT, WPARAM, LPARAM, void*)
{
    SharedState& state = State();
    state.success = 1;
    SnmpStack::HPdu pdu = 0;
    if (SnmpStack::RecvMsg(session, nullptr, nullptr, nullptr, &pdu) != SnmpStack::kSuccess) {
        state.lastError = SnmpStack::GetLastError();
        if (state.lastError == SnmpStack::kErrorTimeout &&
            (++state.consecutiveTimeOuts >= 2 || !state.answered))
            state.timedOut = true;
        state.success = 0;
        ::SetEvent(state.completion.get());
        LogFile().Write(L"SnMPRecvMsg failed - %d", state.lastError.load());
        return 0;
    }
    state.answered = true;
    state.consecutiveTimeOuts = 0;
    SnmpPduType type{};
    int32_t requestId = 0, errorStatus = 0, errorIndex = 0;
    SnmpStack::HVbl vbl = 0;
    if (SnmpStack::GetPduData(pdu, &type, &requestId, &errorStatus, &errorIndex, &vbl) != SnmpStack::kSuccess) {
        SnmpStack::FreePdu(pdu);
        state.lastError = SnmpStack::GetLastError();
        state.success = 0;
        ::SetEvent(state.completion.get());
        LogFile().Write(L"SnMPGetPduData failed - %ld", static_cast<long>(state.lastError));
        return 0;
    }
    if (SnmpStack::FreeDescriptor(state.requestOid) != SnmpStack::kSuccess)
        LogFile().Write(L"SnmpFreeDescriptor failed - %ld", static_cast<long>(SnmpStack::GetLastError()));
    if (SnmpStack::GetVb(vbl, 1, state.requestOid, state.dValue) != SnmpStack::kSuccess)
        LogFile().Write(L"SnmpGetVb failed - %ld", static_cast<long>(SnmpStack::GetLastError()));
    const std::string text = SnmpValueToText(state.dValue);
    state.resultValue = state.dValue;
    if (SnmpStack::FreeDescriptor(state.dValue) != SnmpStack::kSuccess)
        LogFile().Write(L"SnmpFreeDescriptor failed(dValue.syntax) - %ld",
                        static_cast<long>(SnmpStack::GetLastError()));
    std::memset(state.result, 0, sizeof state.result);
    std::memcpy(state.result, text.data(), text.size() < kSnmpValueTextMax ? text.size() : kSnmpValueTextMax);
    if (SnmpStack::FreeVbl(vbl) != SnmpStack::kSuccess)
        LogFile().Write(L"SnmpFreeVbl failed(dValue.syntax) - %ld", static_cast<long>(SnmpStack::GetLastError()));
    if (SnmpStack::FreePdu(pdu) != SnmpStack::kSuccess)
        LogFile().Write(L"SnmpFreePdu(hPdu) failed - %ld", static_cast<long>(SnmpStack::GetLastError()));
    if (!::SetEvent(state.completion.get()))
        LogFile().Write(L"SetEvent failed (%ld)\n", static_cast<long>(::GetLastError()));
    return 1;
}

void CSnmpSession::ReleaseHandles()
{
    // The session goes first: its receiver thread is the one that signals the event.
    if (session_ != 0)
        SnmpStack::Close(std::exchange(session_, 0));
    State().completion.reset();
    if (vbl_ != 0)
        SnmpStack::FreeVbl(std::exchange(vbl_, 0));
    if (pdu_ != 0)
        SnmpStack::FreePdu(std::exchange(pdu_, 0));
    if (destination_ != 0)
        SnmpStack::FreeEntity(std::exchange(destination_, 0));
    if (context_ != 0)
        SnmpStack::FreeContext(std::exchange(context_, 0));
    // Only a start-up of this bracket is balanced: another thread's stack use must stay open.
    if (std::exchange(started_, false))
        SnmpStack::Cleanup();
}

bool CSnmpSession::QuillUninit()
{
    if (bracket_.owns_lock()) {
        ReleaseHandles();
        bracket_.unlock();
    }
    return true;
}

bool CSnmpSession::Answered() const
{
    return bracket_.owns_lock() && State().answered;
}

std::string CSnmpSession::ResultText()
{
    return State().result;
}

SnmpValue CSnmpSession::ResultValue()
{
    return State().resultValue;
}

void CSnmpSession::ClearResultText()
{
    std::memset(State().result, 0, sizeof State().result);
    State().resultValue = SnmpValue::MakeNull();
}
