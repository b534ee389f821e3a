#pragma once
// One request at a time to one printer over SNMP version 1 (community "public"): open, GET or
// SET one object, wait for the reply, read it as text, close.
#include <cstdint>
#include <mutex>
#include <string>
#include <utility>
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
    // A printer that has not answered once in this bracket and lets one request time out, or
    // one that lets two requests in a row time out, is gone: the rest of the bracket then fails
    // at once without sending. One request lost on a busy network does not blank the read.
    bool SnmpSendPdu();
    // Whether any request of the open bracket was answered.
    bool Answered() const;
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
    friend class CSnmpBracket;
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

// One QuillInit ... QuillUninit bracket as a scope: the process-wide request lock is released
// however the scope ends, an exception included.
class CSnmpBracket {
public:
    CSnmpBracket(CSnmpSession& session, const std::wstring& address) : session_(session)
    {
        session_.QuillInit(address);
    }
    ~CSnmpBracket() { Close(); }
    CSnmpBracket(const CSnmpBracket&) = delete;
    CSnmpBracket& operator=(const CSnmpBracket&) = delete;

    // Ends the bracket early; what Answered says stays.
    void Close()
    {
        if (std::exchange(open_, false)) {
            answered_ = session_.Answered();
            session_.QuillUninit();
        }
    }
    bool Answered() const { return open_ ? session_.Answered() : answered_; }

private:
    CSnmpSession& session_;
    bool open_ = true;
    bool answered_ = false;
};
