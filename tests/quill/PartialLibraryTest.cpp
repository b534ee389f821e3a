#include <gtest/gtest.h>

#include <cstdlib>

#include "quill/DeviceQuill.h"

namespace {

const uint8_t kPageCount[] = {1, 4, 1, 2, 5, 0};

// This program's folder holds tests/quill/PartialLibrary.cpp as kelodev12.dll.
TEST(PartialLibrary, MissingProceduresAndRefusedInitialisation)
{
    const struct {
        const char* mode;
        uint32_t read;
        uint32_t write;
    } cases[] = {
        {"complete", kQuillMissingProcedure, kQuillMissingProcedure}, // no get, no set
        {"no-open", kQuillDeviceLost, kQuillDeviceLost},              // opening fails
        {"refuse", kQuillDeviceLost, kQuillDeviceLost},               // the library is given up
    };
    for (const auto& c : cases) {
        _putenv_s("KELO_PARTIAL_LIBRARY", c.mode);
        CDeviceQuill device(L"Any Printer");
        int32_t value = 3;
        EXPECT_EQ(device.GetInt(kPageCount, &value, nullptr), c.read) << c.mode;
        EXPECT_EQ(value, 3) << c.mode;
        EXPECT_EQ(device.SetInt(kPageCount, 1, 1), c.write) << c.mode;
    }
}

} // namespace
