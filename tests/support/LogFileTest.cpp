#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <thread>
#include <vector>

#include "TestFolder.h"
#include "support/LogFile.h"

namespace {

std::vector<std::string> Lines(const std::string& content)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = content.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(content.substr(start, end - start));
    EXPECT_EQ(start, content.size()) << "the file ends inside a line";
    return lines;
}

// The message of a line, after checking its prefix.
std::string Message(const std::string& line)
{
    static const std::regex prefix(R"(^\( \d{1,2}-\d{1,2}-\d{4} \d{1,2}:\d{1,2}:\d{1,2}:\d{1,3} \):)");
    std::smatch match;
    EXPECT_TRUE(std::regex_search(line, match, prefix)) << line;
    return match.suffix();
}

} // namespace

TEST(LogFile, WritesOneTimestampedCrLfLinePerCallWithWideFormatting)
{
    TestFolder folder;
    CLogFile log(folder.File(L"KeloTSYLog.log"));
    log.Write(L"Enumaration success");
    log.Write(L"Version :%s, count %d", L"4.0.0.35", 7);
    log.Write(L"%s", L"");
    log.Write(L"Unicode \x4E2D and \x00E9");

    std::string content = ReadWholeFile(log.Path());
    ASSERT_FALSE(content.empty());
    EXPECT_NE(content.substr(0, 3), "\xEF\xBB\xBF");
    auto lines = Lines(content);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(Message(lines[0]), "Enumaration success");
    EXPECT_EQ(Message(lines[1]), "Version :4.0.0.35, count 7");
    EXPECT_EQ(Message(lines[2]), "");
    EXPECT_EQ(Message(lines[3]), "Unicode ? and \xE9");
}

TEST(LogFile, WritesTheBanner)
{
    TestFolder folder;
    CLogFile log(folder.File(L"banner.log"));
    log.WriteBanner();
    auto lines = Lines(ReadWholeFile(log.Path()));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(Message(lines[0]), "-------------- APPLICATION STARTUP --------------------");
    EXPECT_EQ(Message(lines[1]), "Version :0.0.0.0"); // a test program has no version block
    EXPECT_EQ(Message(lines[2]).rfind("Operating System : ", 0), 0u);
    EXPECT_TRUE(Message(lines[2]).ends_with("Bit)")) << lines[2];
    EXPECT_EQ(Message(lines[3]), "-------------------------------------------------------");
}

TEST(LogFile, CutsLongMessagesAndGoesOn)
{
    TestFolder folder;
    CLogFile log(folder.File(L"long.log"));
    std::wstring huge(5000, L'x');
    log.Write(L"%s", huge.c_str());
    log.Write(L"after %s", huge.c_str());
    log.Write(L"still here");
    auto lines = Lines(ReadWholeFile(log.Path()));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(Message(lines[0]), std::string(1023, 'x'));
    EXPECT_EQ(Message(lines[1]), "after " + std::string(1017, 'x'));
    EXPECT_EQ(Message(lines[2]), "still here");
}

TEST(LogFile, ConcurrentWritersProduceWholeLinesInTheirOrder)
{
    TestFolder folder;
    CLogFile log(folder.File(L"threads.log"));
    constexpr int kThreads = 6, kLines = 150;
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t)
        writers.emplace_back([&log, t] {
            for (int i = 0; i < kLines; ++i)
                log.Write(L"thread %d line %d %s", t, i, L"payload-payload-payload-payload");
        });
    for (auto& w : writers)
        w.join();

    auto lines = Lines(ReadWholeFile(log.Path()));
    ASSERT_EQ(lines.size(), static_cast<size_t>(kThreads * kLines));
    std::vector<int> next(kThreads, 0);
    for (const auto& line : lines) {
        std::istringstream message(Message(line));
        std::string word, payload;
        int thread = -1, index = -1;
        message >> word >> thread >> word >> index >> payload;
        ASSERT_TRUE(thread >= 0 && thread < kThreads) << line;
        EXPECT_EQ(index, next[thread]++) << line;
        EXPECT_EQ(payload, "payload-payload-payload-payload");
    }
}

TEST(LogFile, RecreatesADeletedFileAndIgnoresAnUnwritablePath)
{
    TestFolder folder;
    CLogFile log(folder.File(L"gone.log"));
    log.Write(L"first");
    folder.Remove(L"gone.log");
    log.Write(L"second");
    auto lines = Lines(ReadWholeFile(log.Path()));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(Message(lines[0]), "second");

    CLogFile nowhere(folder.File(L"missing-folder\\x.log"));
    nowhere.Write(L"dropped %s", L"quietly");
    CLogFile empty(L"");
    empty.Write(L"dropped");
    EXPECT_TRUE(ReadWholeFile(nowhere.Path()).empty());
}

TEST(LogFile, TheProcessLogLivesInTheTemporaryFolder)
{
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    EXPECT_EQ(LogFile().Path(), std::wstring(temp) + L"KeloTSYLog.log");
}
