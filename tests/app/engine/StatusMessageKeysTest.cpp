#include "app/engine/StatusMessageKeys.h"

#include <gtest/gtest.h>

TEST(StatusMessageKeys, PadsPrinterConditionsBelowTenAndNeverFeederOnes)
{
    const struct {
        int32_t flag;
        bool adf;
        const wchar_t* status;
        const wchar_t* error;
    } cases[] = {
        {0, false, L"TSY_DEVID_STATUS_MSG_00", L"TSY_DEVICE_ERROR_MSG_00"},
        {7, false, L"TSY_DEVID_STATUS_MSG_07", L"TSY_DEVICE_ERROR_MSG_07"},
        {14, false, L"TSY_DEVID_STATUS_MSG_14", L"TSY_DEVICE_ERROR_MSG_14"},
        {61, false, L"TSY_DEVID_STATUS_MSG_61", L"TSY_DEVICE_ERROR_MSG_61"},
        {3, true, L"ADF_TSY_DEVID_STATUS_MSG_3", L"ADF_TSY_DEVICE_ERROR_MSG_3"},
        {-1, false, L"TSY_DEVID_STATUS_MSG_-1", L"TSY_DEVICE_ERROR_MSG_-1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(StatusMessageKey(c.flag, c.adf), c.status);
        EXPECT_EQ(DeviceErrorMessageKey(c.flag, c.adf), c.error);
    }
}
