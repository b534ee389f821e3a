#pragma once
// Quill objects of a USB printer through the maker's device library "kelodev12.dll", loaded at
// run time: the library object with its procedure table and hidden notification window, and
// the device class the USB Quill manager uses for every access.
#include <windows.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Result codes of the device operations besides 0 and the library's own codes.
constexpr uint32_t kQuillDeviceLost = 0x80000000u;    // library not loaded, device not open, or lost
constexpr uint32_t kQuillMissingProcedure = 0x80000007u;
constexpr uint32_t kQuillMissingArgument = 0xF0000004u;
constexpr uint32_t kQuillUnusableType = 0xC0000004u;

// A Quill identifier in its byte form, ended by a zero byte.
using QuillId = const uint8_t*;

// The abstract device: the destructor, then 27 operations in this order.
class ADevice {
public:
    virtual ~ADevice() = default;
    virtual bool GetModelName(std::wstring& text) = 0;
    virtual bool GetSerialNumber(std::wstring& text) = 0;
    virtual bool GetFirmwareVersion(std::wstring& text) = 0;
    virtual bool GetServiceID(std::wstring& text) = 0;
    virtual bool GetMacAddress(std::wstring& text) = 0;
    virtual bool GetPrinterRegion(int32_t& value) = 0;
    virtual bool GetObjectText(QuillId id, std::wstring& text) = 0;
    virtual bool GetPageCount(int32_t& value) = 0;
    virtual bool GetUsageObject(int32_t& value) = 0;
    virtual bool GetStatusObject(int32_t& value) = 0;
    virtual bool GetObjectInt(QuillId id, int32_t& value) = 0;
    virtual bool GetObjectIntSecond(QuillId id, int32_t& value) = 0;
    virtual bool GetInstallationDate(std::wstring& text) = 0;
    virtual bool GetObjectIntThird(QuillId id, int32_t& value) = 0;
    virtual bool GetObjectTextSecond(QuillId id, std::wstring& text) = 0;
    virtual bool GetObjectTextThird(QuillId id, std::wstring& text) = 0;
    virtual bool GetNonGenuineAgents(int32_t& value) = 0;
    virtual bool GetPrintheadWarranty(int32_t& value) = 0;
    virtual bool GetPrintheadHealth(int32_t& value) = 0;
    virtual bool IsSupported() = 0;
    virtual bool GetObjectIntChecked(QuillId id, int32_t& value) = 0;
    virtual bool GetStatusObjectChecked(int32_t& value) = 0;
    virtual uint32_t GetInt(QuillId id, int32_t* value, uint8_t* type) = 0;
    virtual uint32_t GetIntFirstOf(const QuillId* ids, int count, int32_t* value, uint8_t* type) = 0;
    virtual uint32_t GetTextFirstOf(const QuillId* ids, int count, std::wstring* text, uint16_t* prefix,
                                    uint32_t bufferSize) = 0;
    virtual uint32_t GetText(QuillId id, std::wstring* text, uint16_t* prefix, uint32_t bufferSize) = 0;
    virtual uint32_t SetInt(QuillId id, int32_t value, uint8_t valueType) = 0;
};

// A top-level pop-up window that is never shown; the derived class answers its messages.
class CHiddenWindow {
public:
    CHiddenWindow() = default;
    virtual ~CHiddenWindow() { DestroyWindowIfAny(); }
    CHiddenWindow(const CHiddenWindow&) = delete;
    CHiddenWindow& operator=(const CHiddenWindow&) = delete;

    bool CreateHiddenWindow();
    void DestroyWindowIfAny();
    HWND Window() const { return window_; }

protected:
    // True when the message was handled, with `result` set.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;

private:
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND window_ = nullptr;
};

// A loaded library; freed when the object goes if it owns the module.
class CLibrary {
public:
    CLibrary() = default;
    ~CLibrary() { Free(); }
    CLibrary(const CLibrary&) = delete;
    CLibrary& operator=(const CLibrary&) = delete;

    bool Load(const std::wstring& fileName);
    void Free();
    HMODULE Module() const { return module_; }
    const std::wstring& FileName() const { return fileName_; }

private:
    HMODULE module_ = nullptr;
    std::wstring fileName_;
    bool owns_ = true;
};

class CQuillDevice : public CHiddenWindow {
public:
    CQuillDevice();
    ~CQuillDevice() override;

    // Loads the library (or keeps the one loaded under the same name) and fills the table;
    // 0 or kQuillDeviceLost.
    uint32_t LoadLibraryTable(const std::wstring& fileName);
    // Opens the device (closing a handle held for another name or mode first); 0 or the error.
    uint32_t OpenDevice(const std::wstring& deviceName, bool modeFlag);
    // Cancels the registration and closes the device handle.
    void CloseDeviceHandle();
    void Unload();

    uint32_t ReadObject(QuillId id, uint8_t* buffer, uint32_t bufferSize, uint8_t& type, uint32_t& length);
    uint32_t WriteObject(QuillId id, int32_t value, uint8_t valueType);

    bool ModeFlag() const { return modeFlag_; }
    DWORD DeviceHandle() const { return device_; }

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    template <class Proc>
    Proc Entry(size_t index) const { return reinterpret_cast<Proc>(table_[index]); }

    CLibrary library_;
    std::array<void*, 17> table_{};
    std::wstring deviceName_;
    bool modeFlag_ = false;
    bool reservedFlag_ = false;
    DWORD device_ = 0;
    DWORD registration_ = 0;
};

class CDeviceQuill : public ADevice {
public:
    explicit CDeviceQuill(std::wstring deviceName);
    ~CDeviceQuill() override;

    bool GetModelName(std::wstring& text) override;
    bool GetSerialNumber(std::wstring& text) override;
    bool GetFirmwareVersion(std::wstring& text) override;
    bool GetServiceID(std::wstring& text) override;
    bool GetMacAddress(std::wstring& text) override;
    bool GetPrinterRegion(int32_t& value) override;
    bool GetObjectText(QuillId id, std::wstring& text) override;
    bool GetPageCount(int32_t& value) override;
    bool GetUsageObject(int32_t& value) override;
    bool GetStatusObject(int32_t& value) override;
    bool GetObjectInt(QuillId id, int32_t& value) override;
    bool GetObjectIntSecond(QuillId id, int32_t& value) override { return GetObjectInt(id, value); }
    bool GetInstallationDate(std::wstring& text) override;
    bool GetObjectIntThird(QuillId id, int32_t& value) override { return GetObjectInt(id, value); }
    bool GetObjectTextSecond(QuillId id, std::wstring& text) override { return GetObjectText(id, text); }
    bool GetObjectTextThird(QuillId id, std::wstring& text) override { return GetObjectText(id, text); }
    bool GetNonGenuineAgents(int32_t& value) override;
    bool GetPrintheadWarranty(int32_t& value) override;
    bool GetPrintheadHealth(int32_t& value) override;
    bool IsSupported() override { return false; }
    bool GetObjectIntChecked(QuillId id, int32_t& value) override { return GetObjectInt(id, value); }
    bool GetStatusObjectChecked(int32_t& value) override { return GetStatusObject(value); }
    uint32_t GetInt(QuillId id, int32_t* value, uint8_t* type) override;
    uint32_t GetIntFirstOf(const QuillId* ids, int count, int32_t* value, uint8_t* type) override;
    uint32_t GetTextFirstOf(const QuillId* ids, int count, std::wstring* text, uint16_t* prefix,
                            uint32_t bufferSize) override;
    uint32_t GetText(QuillId id, std::wstring* text, uint16_t* prefix, uint32_t bufferSize) override;
    uint32_t SetInt(QuillId id, int32_t value, uint8_t valueType) override;

    // Objects printers type either way (beside the slots above): a code (colour code, feeder
    // status word) arrives as an integer or as octets spelling its hexadecimal digits, and
    // reads as the same number over USB as over SNMP; a text (printhead health, warranty)
    // arrives as a string or as an integer, which reads as its decimal text.
    uint32_t GetCode(QuillId id, int32_t* value);
    uint32_t GetCodeFirstOf(const QuillId* ids, int count, int32_t* value);
    uint32_t GetTextOrNumber(QuillId id, std::wstring* text);

    CQuillDevice& Library() { return device_; }

private:
    // Ready (with the caller's output given or not), then one object into a buffer of
    // `bufferSize`; `bytes` holds what came.
    uint32_t ReadBytes(QuillId id, bool outputGiven, uint32_t bufferSize, std::vector<uint8_t>& bytes, uint8_t& type);
    uint32_t Prepare();
    // Prepare, then the arguments, then a handle (reopened after a loss); 0 when all is there.
    uint32_t Ready(bool argumentsGiven);
    bool FixedText(QuillId id, std::wstring& text) { return GetText(id, &text, nullptr, 1024) == 0; }
    bool FixedInt(QuillId id, int32_t& value) { return GetInt(id, &value, nullptr) == 0; }

    std::wstring unused_;
    std::wstring libraryFileName_; // empty: "kelodev12.dll"
    uint32_t openMode_ = 2;
    std::wstring deviceName_;
    bool opened_ = false;
    CQuillDevice device_;
    HANDLE stopEvent_ = INVALID_HANDLE_VALUE; // never set, so nothing is ever refused by it
};
