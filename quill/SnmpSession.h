#pragma once
// One request at a time to one printer over SNMP version 1 (community "public"): open, GET or
// SET one object, wait for the reply, read it as text, close.
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "quill/SnmpStack.h"

class CSnmpSession {
public:
    CSnmpSession() = default;
    ~CSnmpSession(); // runs QuillUninit
    CSnmpSession(const CSnmpSession&) = delete;
    CSnmpSession& operator=(const CSnmpSession&) = delete;

    // Opens the stack, the session, the destination and the context; true when the stack
    // started. Holds the process-wide request lock until QuillUninit, so brackets of
    // different threads never interleave.
    bool QuillInit(const std::wstring& address);
    // Builds a GET of one object; true when the PDU was made.
    bool SnmpGetPdu(const char* oid);
    // Builds a SET of one INTEGER; true when the PDU was made.
    bool SnmpSetPdu(const char* oid, int32_t value);
    // Sends the PDU built last and waits for its reply; true when it arrived and was read.
    // Once a request of this bracket has timed out, fails at once without sending.
    bool SnmpSendPdu();
    // Releases everything and ends the bracket; always true.
    bool QuillUninit();

    // The reply text of the last request (empty when it failed); the caller then zeroes it.
    static std::string ResultText();
    // The same reply as it arrived (its type and bytes); NULL when the request failed.
    static SnmpValue ResultValue();
    // Zeroes both.
    static void ClearResultText();

    static SnmpStack::Status SnmpCallback(SnmpStack::HSession session, HWND window, UINT message, WPARAM wParam,
                                          LPARAM lParam, void* clientData);

private:
    void ReleaseHandles();

    std::wstring host_;
    std::string hostAnsi_;
    std::vector<uint8_t> community_;
    SnmpStack::HSession session_ = 0;
    SnmpStack::HEntity destination_ = 0;
    SnmpStack::HContext context_ = 0;
    SnmpStack::HVbl vbl_ = 0;
    SnmpStack::HPdu pdu_ = 0;
    bool started_ = false;
    std::unique_lock<std::mutex> bracket_;
};
