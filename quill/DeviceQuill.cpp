#include "quill/DeviceQuill.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "components/kelodev/QuillProcTable.h"
#include "quill/QuillCommon.h"

namespace {

constexpr wchar_t kDefaultLibrary[] = L"kelodev12.dll";
constexpr wchar_t kWindowClass[] = L"KeloQuillNotification";

constexpr uint8_t kModelNameId[] = {1, 1, 3, 2, 0};
constexpr uint8_t kSerialNumberId[] = {1, 1, 3, 3, 0};
constexpr uint8_t kFirmwareId[] = {1, 1, 3, 6, 0};
constexpr uint8_t kServiceId[] = {1, 1, 2, 19, 0};
constexpr uint8_t kMacAddressId[] = {1, 2, 5, 3, 0};
constexpr uint8_t kRegionId[] = {1, 1, 1, 35, 0};
constexpr uint8_t kPageCountId[] = {1, 4, 1, 2, 5, 0};
constexpr uint8_t kUsageId[] = {1, 4, 1, 2, 1, 0};
constexpr uint8_t kStatusId[] = {1, 2, 2, 2, 1, 0};
constexpr uint8_t kInstallationDateId[] = {1, 1, 2, 8, 0};
constexpr uint8_t kNonGenuineId[] = {1, 4, 1, 5, 2, 32, 0};
constexpr uint8_t kPrintheadWarrantyId[] = {1, 4, 1, 5, 3, 1, 23, 0};
constexpr uint8_t kPrintheadHealthId[] = {1, 4, 1, 5, 3, 1, 27, 0};

DWORD IdLength(QuillId id)
{
    return static_cast<DWORD>(std::strlen(reinterpret_cast<const char*>(id)));
}

} // namespace

// ---- hidden window ----

bool CHiddenWindow::CreateHiddenWindow()
{
    if (window_ != nullptr)
        return true;
    static const ATOM registered = [] {
        WNDCLASSEXW windowClass{sizeof windowClass};
        windowClass.lpfnWndProc = WindowProcedure;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kWindowClass;
        return ::RegisterClassExW(&windowClass);
    }();
    if (registered == 0)
        return false;
    window_ = ::CreateWindowExW(0, kWindowClass, L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                ::GetModuleHandleW(nullptr), this);
    return window_ != nullptr;
}

void CHiddenWindow::DestroyWindowIfAny()
{
    if (window_ != nullptr && ::IsWindow(window_))
        ::DestroyWindow(window_);
    window_ = nullptr;
}

LRESULT CALLBACK CHiddenWindow::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<CHiddenWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    LRESULT result = 0;
    if (self != nullptr && self->OnMessage(message, wParam, lParam, result))
        return result;
    if (message == WM_NCDESTROY)
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// ---- library ----

bool CLibrary::Load(const std::wstring& fileName)
{
    Free();
    module_ = ::LoadLibraryW(fileName.c_str());
    if (module_ == nullptr)
        return false;
    fileName_ = fileName;
    owns_ = true;
    return true;
}

void CLibrary::Free()
{
    if (module_ != nullptr && owns_)
        ::FreeLibrary(module_);
    module_ = nullptr;
    fileName_.clear();
}

// ---- library object ----

CQuillDevice::CQuillDevice() = default;

CQuillDevice::~CQuillDevice()
{
    Unload();
}

uint32_t CQuillDevice::LoadLibraryTable(const std::wstring& fileName)
{
    if (!CreateHiddenWindow())
        return kQuillDeviceLost;
    if (library_.Module() != nullptr && ::lstrcmpiW(library_.FileName().c_str(), fileName.c_str()) == 0)
        return 0;
    Unload();
    CreateHiddenWindow();
    if (!library_.Load(fileName))
        return kQuillDeviceLost;
    auto init = reinterpret_cast<QuillProcs::InitProc>(
        reinterpret_cast<void*>(::GetProcAddress(library_.Module(), QuillProcs::kInitName)));
    if (init == nullptr || init(table_.data(), QuillProcs::kTableSize, 0) != 0) {
        table_.fill(nullptr);
        library_.Free();
        return kQuillDeviceLost;
    }
    return 0;
}

uint32_t CQuillDevice::OpenDevice(const std::wstring& deviceName, bool modeFlag)
{
    if (device_ != 0 && (deviceName != deviceName_ || modeFlag != modeFlag_))
        CloseDeviceHandle();
    if (device_ != 0)
        return 0;
    deviceName_ = deviceName;
    modeFlag_ = modeFlag;
    auto open = Entry<QuillProcs::OpenProc>(QuillProcs::kOpen);
    auto registerWindow = Entry<QuillProcs::RegisterProc>(QuillProcs::kRegister);
    if (open == nullptr || registerWindow == nullptr)
        return kQuillMissingProcedure;
    QuillProcs::OpenBlock block;
    std::memset(&block, 0xCC, sizeof block); // bytes the contract leaves unset
    block.size = sizeof block;
    block.zero = 0;
    block.reserved = reservedFlag_ ? 1 : 0;
    block.flags = modeFlag_ ? 0x14 : 0x13;
    block.deviceName = deviceName_.c_str();
    DWORD handle = 0;
    if (const DWORD result = open(&block, &handle); result != 0)
        return result;
    device_ = handle;
    DWORD registration = 0;
    if (const DWORD result = registerWindow(device_, 0, Window(), QuillProcs::kNotificationMessage, 0, &registration);
        result != 0) {
        CloseDeviceHandle();
        return result;
    }
    registration_ = registration;
    return 0;
}

void CQuillDevice::CloseDeviceHandle()
{
    if (registration_ != 0) {
        if (auto cancel = Entry<QuillProcs::UnregisterProc>(QuillProcs::kUnregister))
            cancel(device_, registration_);
        registration_ = 0;
    }
    if (device_ != 0) {
        if (auto close = Entry<QuillProcs::CloseProc>(QuillProcs::kClose))
            close(device_);
        device_ = 0;
    }
}

void CQuillDevice::Unload()
{
    CloseDeviceHandle();
    table_.fill(nullptr);
    library_.Free();
    DestroyWindowIfAny();
}

uint32_t CQuillDevice::ReadObject(QuillId id, uint8_t* buffer, uint32_t bufferSize, uint8_t& type, uint32_t& length)
{
    auto get = Entry<QuillProcs::GetObjectProc>(QuillProcs::kGetObject);
    if (get == nullptr)
        return kQuillMissingProcedure;
    DWORD returned = 0;
    BYTE valueType = 0;
    const DWORD result = get(device_, registration_, id, IdLength(id), buffer, bufferSize, &valueType, &returned);
    if (result == kQuillDeviceLost)
        CloseDeviceHandle(); // the next operation opens it again
    type = valueType;
    length = returned;
    return result;
}

uint32_t CQuillDevice::WriteObject(QuillId id, int32_t value, uint8_t valueType)
{
    auto set = Entry<QuillProcs::SetObjectProc>(QuillProcs::kSetObject);
    if (set == nullptr)
        return kQuillMissingProcedure;
    const DWORD data = static_cast<DWORD>(value);
    BYTE reply[4] = {};
    DWORD replyLength = 0;
    const DWORD result = set(device_, registration_, id, IdLength(id), &data, valueType, 4, reply, sizeof reply,
                             &replyLength);
    if (result == kQuillDeviceLost)
        CloseDeviceHandle();
    return result;
}

bool CQuillDevice::OnMessage(UINT message, WPARAM, LPARAM lParam, LRESULT& result)
{
    if (message != QuillProcs::kNotificationMessage)
        return false;
    if (LOWORD(lParam) == QuillProcs::kNotificationDeviceLost)
        CloseDeviceHandle();
    result = 0;
    return true;
}

// ---- device ----

CDeviceQuill::CDeviceQuill(std::wstring deviceName) : deviceName_(std::move(deviceName)) {}

CDeviceQuill::~CDeviceQuill()
{
    device_.Unload();
}

uint32_t CDeviceQuill::Prepare()
{
    if (opened_)
        return 0;
    if (device_.LoadLibraryTable(libraryFileName_.empty() ? kDefaultLibrary : libraryFileName_) != 0)
        return kQuillDeviceLost;
    if (device_.OpenDevice(deviceName_, false) != 0)
        return kQuillDeviceLost;
    opened_ = true;
    return 0;
}

uint32_t CDeviceQuill::Ready(bool argumentsGiven)
{
    if (const uint32_t prepared = Prepare(); prepared != 0)
        return prepared;
    if (!argumentsGiven)
        return kQuillMissingArgument;
    // A lost device was closed; this access opens it again.
    if (device_.DeviceHandle() == 0 && device_.OpenDevice(deviceName_, device_.ModeFlag()) != 0)
        return kQuillDeviceLost;
    return 0;
}

uint32_t CDeviceQuill::GetInt(QuillId id, int32_t* value, uint8_t* type)
{
    if (const uint32_t ready = Ready(id != nullptr && value != nullptr); ready != 0)
        return ready;
    uint8_t buffer[4] = {};
    uint8_t valueType = 0;
    uint32_t length = 0;
    if (const uint32_t result = device_.ReadObject(id, buffer, sizeof buffer, valueType, length); result != 0)
        return result;
    switch (valueType) {
    case 1:
    case 2:
    case 8:
        std::memcpy(value, buffer, 4);
        if (type != nullptr)
            *type = valueType;
        return 0;
    case 4:
        // Only with the mode flag (never set here) would up to four bytes be read big-endian.
        if (device_.ModeFlag() && length <= 4) {
            uint32_t number = 0;
            for (uint32_t i = 0; i < length; ++i)
                number = (number << 8) | buffer[i];
            *value = static_cast<int32_t>(number);
            if (type != nullptr)
                *type = 8;
        }
        return 0;
    default:
        return kQuillUnusableType;
    }
}

uint32_t CDeviceQuill::ReadBytes(QuillId id, bool outputGiven, uint32_t bufferSize, std::vector<uint8_t>& bytes,
                                 uint8_t& type)
{
    if (const uint32_t ready = Ready(id != nullptr && outputGiven); ready != 0)
        return ready;
    bytes.assign(bufferSize, 0);
    uint32_t length = 0;
    if (const uint32_t result = device_.ReadObject(id, bytes.data(), bufferSize, type, length); result != 0)
        return result;
    bytes.resize(length < bufferSize ? length : bufferSize);
    return 0;
}

namespace {

constexpr uint32_t kTextBufferBytes = 1024;
constexpr uint32_t kCodeBufferBytes = 64;

bool IsIntegerType(uint8_t type)
{
    return type == 1 || type == 2 || type == 8;
}

int32_t LittleEndianInt(const std::vector<uint8_t>& bytes)
{
    uint8_t four[4] = {};
    std::copy_n(bytes.begin(), std::min<size_t>(bytes.size(), 4), four);
    int32_t value = 0;
    std::memcpy(&value, four, 4);
    return value;
}

// A string object's bytes as text: type 4 may start with a two-byte prefix, type 5 is plain.
uint32_t StringText(uint8_t type, std::vector<uint8_t> buffer, std::wstring* text, uint16_t* prefix)
{
    if (type == 4) {
        if (buffer.size() >= 2 && buffer[0] < 32) {
            if (prefix != nullptr)
                *prefix = static_cast<uint16_t>(buffer[0] * 256 + buffer[1]);
            buffer.erase(buffer.begin(), buffer.begin() + 2);
        }
    } else if (type != 5) {
        return kQuillUnusableType;
    }
    const auto zero = std::find(buffer.begin(), buffer.end(), uint8_t{0});
    *text = AnsiToWide(std::string(buffer.begin(), zero));
    return 0;
}

} // namespace

uint32_t CDeviceQuill::GetText(QuillId id, std::wstring* text, uint16_t* prefix, uint32_t bufferSize)
{
    std::vector<uint8_t> buffer;
    uint8_t valueType = 0;
    if (const uint32_t result = ReadBytes(id, text != nullptr, bufferSize, buffer, valueType); result != 0)
        return result;
    return StringText(valueType, std::move(buffer), text, prefix);
}

uint32_t CDeviceQuill::GetTextOrNumber(QuillId id, std::wstring* text)
{
    std::vector<uint8_t> bytes;
    uint8_t type = 0;
    if (const uint32_t result = ReadBytes(id, text != nullptr, kTextBufferBytes, bytes, type); result != 0)
        return result;
    if (!IsIntegerType(type))
        return StringText(type, std::move(bytes), text, nullptr);
    *text = std::to_wstring(LittleEndianInt(bytes));
    return 0;
}

uint32_t CDeviceQuill::GetCode(QuillId id, int32_t* value)
{
    std::vector<uint8_t> bytes;
    uint8_t type = 0;
    if (const uint32_t result = ReadBytes(id, value != nullptr, kCodeBufferBytes, bytes, type); result != 0)
        return result;
    if (IsIntegerType(type))
        *value = LittleEndianInt(bytes);
    else if (type == 4 || type == 5)
        *value = static_cast<int32_t>(QuillCode(SnmpValue::MakeBytes(SnmpType::OctetString, bytes)));
    else
        return kQuillUnusableType;
    return 0;
}

uint32_t CDeviceQuill::SetInt(QuillId id, int32_t value, uint8_t valueType)
{
    if (const uint32_t ready = Ready(id != nullptr); ready != 0)
        return ready;
    return device_.WriteObject(id, value, valueType);
}

namespace {

// Tries each identifier until one works or the device is lost; the last result.
template <class Try>
uint32_t FirstOf(const QuillId* ids, int count, Try attempt)
{
    uint32_t result = kQuillMissingArgument;
    for (int i = 0; i < count; ++i) {
        result = attempt(ids[i]);
        if (result == 0 || result == kQuillDeviceLost)
            break;
    }
    return result;
}

} // namespace

uint32_t CDeviceQuill::GetIntFirstOf(const QuillId* ids, int count, int32_t* value, uint8_t* type)
{
    return FirstOf(ids, count, [&](QuillId id) { return GetInt(id, value, type); });
}

uint32_t CDeviceQuill::GetCodeFirstOf(const QuillId* ids, int count, int32_t* value)
{
    return FirstOf(ids, count, [&](QuillId id) { return GetCode(id, value); });
}

uint32_t CDeviceQuill::GetTextFirstOf(const QuillId* ids, int count, std::wstring* text, uint16_t* prefix,
                                      uint32_t bufferSize)
{
    return FirstOf(ids, count, [&](QuillId id) { return GetText(id, text, prefix, bufferSize); });
}

bool CDeviceQuill::GetModelName(std::wstring& text) { return FixedText(kModelNameId, text); }
bool CDeviceQuill::GetSerialNumber(std::wstring& text) { return FixedText(kSerialNumberId, text); }
bool CDeviceQuill::GetFirmwareVersion(std::wstring& text) { return FixedText(kFirmwareId, text); }
bool CDeviceQuill::GetServiceID(std::wstring& text) { return FixedText(kServiceId, text); }
bool CDeviceQuill::GetMacAddress(std::wstring& text) { return FixedText(kMacAddressId, text); }
bool CDeviceQuill::GetPrinterRegion(int32_t& value) { return FixedInt(kRegionId, value); }
bool CDeviceQuill::GetObjectText(QuillId id, std::wstring& text) { return FixedText(id, text); }
bool CDeviceQuill::GetPageCount(int32_t& value) { return FixedInt(kPageCountId, value); }
bool CDeviceQuill::GetUsageObject(int32_t& value) { return FixedInt(kUsageId, value); }
// The feeder status word: an integer, or octets on printers that keep their SNMP type.
bool CDeviceQuill::GetStatusObject(int32_t& value) { return GetCode(kStatusId, &value) == 0; }
bool CDeviceQuill::GetObjectInt(QuillId id, int32_t& value) { return FixedInt(id, value); }
bool CDeviceQuill::GetInstallationDate(std::wstring& text) { return FixedText(kInstallationDateId, text); }
bool CDeviceQuill::GetNonGenuineAgents(int32_t& value) { return FixedInt(kNonGenuineId, value); }
bool CDeviceQuill::GetPrintheadWarranty(int32_t& value) { return FixedInt(kPrintheadWarrantyId, value); }
bool CDeviceQuill::GetPrintheadHealth(int32_t& value) { return FixedInt(kPrintheadHealthId, value); }
