#include <gtest/gtest.h>

#include "TestFolder.h"
#include "support/LogFile.h"
#include "support/XMLHandler.h"
#include "winapi/Handles.h"

namespace {

std::string StringFile(const std::string& body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Strings>\n" + body + "</Strings>\n";
}

class XMLHandlerTest : public ::testing::Test {
protected:
    XMLHandlerTest() : fake_(folder_.Path()), scoped_(fake_) {}

    XMLHandler FixedTo(unsigned short languageId)
    {
        XMLHandler strings;
        strings.SetLanguageId(languageId);
        strings.SetLanguageFixed(true);
        return strings;
    }

    NGWinApi::ComInitialization com_;
    TestFolder folder_;
    FakeExecutableFolder fake_;
    NGWinApi::ScopedApi<NGWinApi::CKernelApi> scoped_;
};

} // namespace

TEST_F(XMLHandlerTest, FirstKeyWinsAndKeysAreCaseSensitive)
{
    folder_.Write(L"strings\\1033.xml", StringFile(R"(
  <String ID="TSY_OK_BUTTON" Value="OK"/>
  <String ID="TSY_OK_BUTTON" Value="Second"/>
  <Group><String ID="TSY_NESTED" Value="Deep &amp; found"/></Group>
  <String ID="TSY_NO_VALUE"/>
  <String Value="no id"/>
  <string ID="TSY_LOWER_ELEMENT" Value="ignored"/>
  <String id="TSY_LOWER_ATTRIBUTE" Value="ignored"/>
  <String ID="TSY_EMPTY" Value=""/>
)"));
    XMLHandler strings = FixedTo(1033);
    ASSERT_TRUE(strings.Load());
    EXPECT_EQ(strings.GetString(L"TSY_OK_BUTTON"), L"OK");
    EXPECT_EQ(strings.GetString(L"tsy_ok_button"), L"");
    EXPECT_EQ(strings.GetString(L"TSY_NESTED"), L"Deep & found");
    EXPECT_EQ(strings.GetString(L"TSY_NO_VALUE"), L"");
    EXPECT_EQ(strings.GetString(L"TSY_LOWER_ELEMENT"), L"");
    EXPECT_EQ(strings.GetString(L"TSY_LOWER_ATTRIBUTE"), L"");
    EXPECT_EQ(strings.GetString(L""), L"");
    EXPECT_EQ(strings.GetString(L"TSY_UNKNOWN"), L"");
}

TEST_F(XMLHandlerTest, LoadsTheChosenLanguageOrFallsBackTo1033)
{
    folder_.Write(L"strings\\1033.xml", StringFile(R"(<String ID="TSY_TITLE_STRING" Value="Kelo Tessaly %1"/>)"));
    folder_.Write(L"strings\\2052.xml",
                  StringFile("<String ID=\"TSY_TITLE_STRING\" Value=\"\xE6\xB5\x8B\xE8\xAF\x95 %1\"/>"));
    XMLHandler chinese = FixedTo(2052);
    ASSERT_TRUE(chinese.Load());
    EXPECT_EQ(chinese.LanguageId(), 2052);
    EXPECT_EQ(BuildWindowTitle(chinese), L"\x6D4B\x8BD5 4.0");

    XMLHandler french = FixedTo(1036);
    ASSERT_TRUE(french.Load());
    EXPECT_EQ(french.LanguageId(), 1033);
    EXPECT_EQ(BuildWindowTitle(french), L"Kelo Tessaly 4.0");
    // A fixed language survives reloads, a fallback is remembered.
    ASSERT_TRUE(chinese.Load());
    EXPECT_EQ(chinese.LanguageId(), 2052);
}

TEST_F(XMLHandlerTest, ReportsMissingAndBrokenFilesAndKeepsNothing)
{
    LogTail log;
    XMLHandler strings = FixedTo(1036);
    EXPECT_FALSE(strings.Load());
    EXPECT_EQ(strings.LanguageId(), 1033);
    EXPECT_NE(log.Appended().find("):XMLDom Load (XMLHandler) failed\r\n"), std::string::npos);

    folder_.Write(L"strings\\1033.xml", "<Strings><String ID=\"A\" Value=\"1\"/><broken></Strings>");
    EXPECT_FALSE(strings.Load());
    EXPECT_EQ(strings.GetString(L"A"), L"");

    folder_.Write(L"strings\\1033.xml", StringFile(""));
    EXPECT_TRUE(strings.Load()); // a file without strings is still a table
}

TEST_F(XMLHandlerTest, IgnoresDocumentTypeDefinitionsAndExternalEntities)
{
    folder_.Write(L"secret.txt", "TOP-SECRET");
    const std::wstring secretPath = folder_.File(L"secret.txt");
    const std::string secret = "file:///" + std::string(secretPath.begin(), secretPath.end());
    folder_.Write(L"strings\\1033.xml",
                  "<?xml version=\"1.0\"?>\n<!DOCTYPE Strings [<!ENTITY leak SYSTEM \"" + secret +
                      "\">]>\n<Strings><String ID=\"TSY_X\" Value=\"a&leak;b\"/>"
                      "<String ID=\"TSY_Y\" Value=\"plain\"/></Strings>");
    XMLHandler strings = FixedTo(1033);
    strings.Load();
    EXPECT_EQ(strings.GetString(L"TSY_X").find(L"TOP-SECRET"), std::wstring::npos);
}

TEST(WindowTitle, ReplacesEveryPercentOne)
{
    TestFolder folder;
    FakeExecutableFolder fake(folder.Path());
    NGWinApi::ScopedApi<NGWinApi::CKernelApi> scoped(fake);
    NGWinApi::ComInitialization com;
    const struct {
        const char* value;
        const wchar_t* title;
    } cases[] = {{"Kelo Tessaly %1", L"Kelo Tessaly 4.0"},
                 {"Kelo Tessaly", L"Kelo Tessaly"},
                 {"%1 and %1", L"4.0 and 4.0"},
                 {"%%1%", L"%4.0%"}};
    for (const auto& c : cases) {
        folder.Write(L"strings\\1033.xml",
                     StringFile(std::string("<String ID=\"TSY_TITLE_STRING\" Value=\"") + c.value + "\"/>"));
        XMLHandler strings;
        strings.SetLanguageFixed(true);
        ASSERT_TRUE(strings.Load());
        EXPECT_EQ(BuildWindowTitle(strings), c.title) << c.value;
    }
}
