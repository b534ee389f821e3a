#pragma once
// The six tests of a diagnosis: the test object base, the entry the diagnosis manager keeps for
// each, and the three tests the user judges on a page (never run by the engine).
#include <cstdint>
#include <memory>
#include <string>

#include "discovery/Device_Dev.h"

// Results of CTest::Run.
inline constexpr int32_t kRunFailed = 0;
inline constexpr int32_t kRunPassed = 1;
inline constexpr int32_t kRunAbandon = 2; // the user cancelled; the wizard abandons the run

// Stored results of a Test entry.
inline constexpr int32_t kTestNotRun = 0;
inline constexpr int32_t kTestPassed = 1;
inline constexpr int32_t kTestFailed = 2;

class CTest {
public:
    CTest() = default;
    virtual ~CTest() = default;
    CTest(const CTest&) = delete;
    CTest& operator=(const CTest&) = delete;

    virtual int32_t Run(Device_Dev& device)
    {
        (void)device;
        return kRunFailed;
    }
};

struct Test {
    int32_t id = 0;
    std::wstring name;
    int32_t result = kTestNotRun;
    std::unique_ptr<CTest> test;
};

// The user judges these on their pages; the engine only answers "passed" if asked.
class CPrintEvaluationTest : public CTest {
public:
    int32_t Run(Device_Dev&) override { return kRunPassed; }
};

class CCopyTest : public CTest {
public:
    int32_t Run(Device_Dev&) override { return kRunPassed; }
};

class CCopyEvaluationTest : public CTest {
public:
    int32_t Run(Device_Dev&) override { return kRunPassed; }
};
