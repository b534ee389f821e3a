#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "sable/SableRules.h"

TEST(SableRules, ColourKeysAndInkTypesAndDrops)
{
    EXPECT_EQ(sable::ColourKey(L"K"), L"TSY_COLOR_BLACK");
    EXPECT_EQ(sable::ColourKey(L"Photo Black"), L"TSY_COLOR_PHOTO_BLACK");
    EXPECT_EQ(sable::ColourKey(L"CMY"), L"TSY_COLOR_TRICOLOR");
    EXPECT_EQ(sable::ColourKey(L"cyan+magenta+yellow"), L"TSY_COLOR_TRICOLOR");
    EXPECT_EQ(sable::ColourKey(L"LC"), L"");
    EXPECT_TRUE(sable::IsInkType(L"inkcartridge"));
    EXPECT_TRUE(sable::IsInkType(L"introinksupply"));
    EXPECT_FALSE(sable::IsInkType(L"printhead"));
    EXPECT_EQ(sable::DropsUsedText(L"12"), L"12000");
    EXPECT_EQ(sable::DropsUsedText(L""), L"0");
    EXPECT_EQ(sable::DropsUsedText(L"many"), L"0");
    EXPECT_EQ(sable::DropsUsedText(L"-3"), L"-3000");
    EXPECT_EQ(sable::DropsUsedText(L"4523454523454523454523454523454"), std::to_wstring(LONG_MAX) + L"000");
    EXPECT_EQ(sable::DropsUsedText(L"-4523454523454523454523454523454"), std::to_wstring(LONG_MIN) + L"000");
}

TEST(SableRules, StatusOrderingMovesStrictlySmallerPrioritiesForward)
{
    struct Entry {
        std::string id;
        int priority;
    };
    std::vector<Entry> entries{{"a", 10000}, {"b", 5}, {"c", 7}, {"d", 5}, {"e", 10000}};
    sable::OrderByPriority(entries);
    std::string order;
    for (const Entry& e : entries)
        order += e.id;
    EXPECT_EQ(order, "bdcae");
}

TEST(SableRules, JobDocumentsAndAnswers)
{
    const std::string body = sable::InternalPrintDocument("cleaningPage");
    EXPECT_EQ(body.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?><InternalPrintDyn xmlns=\"http://", 0), 0u);
    EXPECT_NE(body.find("/schemas/imaging/con/sable/internalprintdyn/2008/03/21 InternalPrintDyn.xsd\">"
                        "\t<JobType>cleaningPage</JobType></InternalPrintDyn>"),
              std::string::npos);
    EXPECT_EQ(body.find('<', 1), body.find("<InternalPrintDyn")) << "no angle brackets inside attribute values";
    EXPECT_NE(sable::CalibrationDocument().find("xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
                                                "xsi:schemaLocation="),
              std::string::npos);
    EXPECT_EQ(sable::JobRequestHead("POST /Calibration/Session HTTP/1.1\r\n", 12),
              "POST /Calibration/Session HTTP/1.1\r\nContent-Length: 12\r\nContent-Type: text/xml\r\nHOST: \r\n\r\n");

    const sable::JobAnswer created =
        sable::ParseJobAnswer("HTTP/1.1 201 Created\r\nLocation: http://127.0.6.10:8080/Jobs/JobList/12\r\n\r\n");
    EXPECT_TRUE(created.accepted);
    EXPECT_EQ(created.location.value_or("none"), "/Jobs/JobList/12");
    EXPECT_FALSE(sable::ParseJobAnswer("HTTP/1.1 400 Bad\r\nLocation: /Jobs/JobList/1\r\n").accepted);
    EXPECT_FALSE(sable::ParseJobAnswer("HTTP/1.1 201 Created").accepted) << "no line end at all";
    EXPECT_FALSE(sable::ParseJobAnswer("HTTP/1.1 201 Created\r\n\r\n").location.has_value());
}
