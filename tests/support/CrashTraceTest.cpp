#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <stdexcept>

#include "TestFolder.h"
#include "support/CrashTrace.h"

namespace {

void SomewhereInThisProgram() {}

} // namespace

TEST(CrashTrace, AnUnhandledExceptionLeavesALogLineAndAMinidump)
{
    const std::filesystem::path dump(CrashDumpPath());
    std::filesystem::remove(dump);
    CONTEXT context = {};
    ::RtlCaptureContext(&context);
    EXCEPTION_RECORD record = {};
    record.ExceptionCode = EXCEPTION_ACCESS_VIOLATION;
    record.ExceptionAddress = reinterpret_cast<void*>(&SomewhereInThisProgram);
    EXCEPTION_POINTERS pointers = {&record, &context};
    LogTail log;
    EXPECT_EQ(WriteCrashTrace(&pointers), EXCEPTION_EXECUTE_HANDLER);
    const std::string lines = log.Appended();
    EXPECT_NE(lines.find("Unhandled exception 0xc0000005 at "), std::string::npos) << lines;
    EXPECT_NE(lines.find("support_tests.exe+0x"), std::string::npos) << lines;
    EXPECT_NE(lines.find("Crash dump written: "), std::string::npos) << lines;
    ASSERT_TRUE(std::filesystem::exists(dump));
    EXPECT_GT(std::filesystem::file_size(dump), 0u);
    std::filesystem::remove(dump);
}

TEST(CrashTrace, AThreadEndedByAnExceptionIsLogged)
{
    LogTail log;
    EXPECT_EQ(RunThreadLogged(L"test worker", []() -> DWORD { throw std::runtime_error("lost"); }), 1u);
    EXPECT_NE(log.Appended().find("Thread test worker ("), std::string::npos) << log.Appended();
    EXPECT_NE(log.Appended().find(") ended by an exception"), std::string::npos);
    EXPECT_EQ(RunThreadLogged(L"quiet", [] { return DWORD{0}; }), 0u);
}
