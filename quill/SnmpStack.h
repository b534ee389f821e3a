#pragma once
// Our SNMP version 1 stack over Winsock UDP, with the operations of the WinSNMP interface the
// session layer uses (Wine's WinSNMP is only stubs): start-up and clean-up, sessions with a
// callback run on a receiver thread of their own, destination entities, community contexts,
// object identifiers, varbind lists, PDUs, send and receive, descriptors and the last error.
//
// Retransmission: a request without a reply is sent again after the time-out, at most `retries`
// times; then the session's callback is told and RecvMsg fails with kErrorTimeout. The defaults,
// one second and two retries, bound a dead printer's request to about three seconds.
#include <windows.h>

#include <cstdint>
#include <vector>

#include "quill/SnmpCodec.h"

namespace SnmpStack {

using Status = int;
constexpr Status kSuccess = 1;
constexpr Status kFailure = 0;

// Handles; 0 is none.
using HSession = uint32_t;
using HEntity = uint32_t;
using HContext = uint32_t;
using HVbl = uint32_t;
using HPdu = uint32_t;

// Error codes of GetLastError.
enum Error : int {
    kErrorNone = 0,
    kErrorNotInitialized = 18,
    kErrorSessionInvalid = 13,
    kErrorEntityInvalid = 5,
    kErrorContextInvalid = 3,
    kErrorOidInvalid = 9,
    kErrorVblInvalid = 15,
    kErrorPduInvalid = 12,
    kErrorIndexInvalid = 7,
    kErrorNoMessage = 8,
    kErrorTransport = 103,
    kErrorUndeliverable = 104,
    kErrorTimeout = 108,
};

// Run on the session's receiver thread when a reply or a time-out is ready (window 0,
// message 0, wParam 0, lParam the request id).
using Callback = Status (*)(HSession session, HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                            void* clientData);

struct RetransmitPolicy {
    DWORD timeoutMs = 1000;
    int retries = 2;
    USHORT agentPort = 161;
};
// Process-wide; tests shorten the time-out.
void SetRetransmitPolicy(const RetransmitPolicy& policy);
RetransmitPolicy GetRetransmitPolicy();
// Datagrams sent since the process started (requests and retransmissions).
uint64_t DatagramsSent();

Status Startup();
Status Cleanup(); // balances one Startup; the last closes every session left
int GetLastError();
// Translate mode and retransmit mode: only untranslated version 1 exists here; retransmission
// can be switched off (one try, then the time-out).
Status SetTranslateMode(int mode);
Status SetRetransmitMode(bool on);

HSession CreateSession(HWND window, UINT message, Callback callback, void* clientData);
Status Close(HSession session);
// A destination agent: a dotted IPv4 address (no host names).
HEntity StrToEntity(HSession session, const char* address);
HContext StrToContext(HSession session, const std::vector<uint8_t>& community);
// Dotted text into `oid`; the number of sub-identifiers, 0 (and an empty `oid`) when the text is not one.
Status StrToOid(const char* text, SnmpOid& oid);
// Dotted text into `buffer` (at most `size` bytes with the zero); its length, 0 on failure.
Status OidToStr(const SnmpOid& oid, size_t size, char* buffer);
// Descriptors are plain values here; freeing empties them.
Status FreeDescriptor(SnmpOid& oid);
Status FreeDescriptor(SnmpValue& value);

// One varbind (this layer never needs more).
HVbl CreateVbl(HSession session, const SnmpOid& oid, const SnmpValue& value);
HPdu CreatePdu(HSession session, SnmpPduType type, int32_t requestId, int32_t errorStatus, int32_t errorIndex,
               HVbl vbl);
// Sends and arms the retransmission; `source` must be 0.
Status SendMsg(HSession session, HEntity source, HEntity destination, HContext context, HPdu pdu);
// The reply waiting for the session as a new PDU; fails with kErrorTimeout after a time-out.
Status RecvMsg(HSession session, HEntity* source, HEntity* destination, HContext* context, HPdu* pdu);
// A new varbind list with the PDU's varbinds, and its header fields.
Status GetPduData(HPdu pdu, SnmpPduType* type, int32_t* requestId, int32_t* errorStatus, int32_t* errorIndex,
                  HVbl* vbl);
// Varbind `index` (from 1).
Status GetVb(HVbl vbl, uint32_t index, SnmpOid& oid, SnmpValue& value);
Status FreeVbl(HVbl vbl);
Status FreePdu(HPdu pdu);
Status FreeEntity(HEntity entity);
Status FreeContext(HContext context);

} // namespace SnmpStack
