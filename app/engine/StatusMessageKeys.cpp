#include "app/engine/StatusMessageKeys.h"

namespace {

std::wstring Key(const wchar_t* stem, int32_t flag, bool adf)
{
    std::wstring key = adf ? L"ADF_" : L"";
    key += stem;
    if (!adf && flag >= 0 && flag <= 9)
        key += L'0';
    return key + std::to_wstring(flag);
}

} // namespace

std::wstring StatusMessageKey(int32_t flag, bool adf)
{
    return Key(L"TSY_DEVID_STATUS_MSG_", flag, adf);
}

std::wstring DeviceErrorMessageKey(int32_t flag, bool adf)
{
    return Key(L"TSY_DEVICE_ERROR_MSG_", flag, adf);
}
