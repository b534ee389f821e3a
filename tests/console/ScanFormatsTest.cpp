#include "console/ScanFormats.h"

#include <gtest/gtest.h>

namespace {

using Reach = PrinterSnapshot::Reach;

PrinterSnapshot Awkward()
{
    PrinterSnapshot s;
    s.printer = L"127.0.0.10";
    s.address = L"127.0.0.10";
    s.reach = Reach::Answered;
    s.model = L"Kelo \"Work\\line\", 4420\tß";
    s.serialNumber = L"CN5912D01A";
    s.firmware = L"line\nbreak";
    s.pageCount = 18342;
    s.statusRead = true;
    s.statusCode = 14;
    s.adf = true;
    s.statusText = L"Stau \\t";
    s.inks = {{"cyan", L"Cyan", 41}, {"photo_black", L"Photo Black", -1}};
    return s;
}

} // namespace

TEST(PrinterSnapshot, LineFormRoundTripsAndRefusesCutRecords)
{
    const PrinterSnapshot s = Awkward();
    const std::string text = SerializeSnapshot(s);
    const std::optional<PrinterSnapshot> back = ParseSnapshot(text);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->model, s.model);
    EXPECT_EQ(back->firmware, s.firmware);
    EXPECT_EQ(back->statusText, s.statusText);
    EXPECT_EQ((std::tuple(back->reach, back->pageCount, back->statusRead, back->statusPassed, back->statusCode, back->adf)),
              (std::tuple(s.reach, s.pageCount, s.statusRead, s.statusPassed, s.statusCode, s.adf)));
    ASSERT_EQ(back->inks.size(), 2u);
    EXPECT_EQ((std::tuple(back->inks[1].colour, back->inks[1].name, back->inks[1].level)),
              (std::tuple(std::string("photo_black"), std::wstring(L"Photo Black"), -1)));

    EXPECT_FALSE(ParseSnapshot(text.substr(0, text.size() / 2)));
    EXPECT_FALSE(ParseSnapshot("garbage\n"));
    EXPECT_FALSE(ParseSnapshot(""));
}

TEST(PrinterSnapshot, LevelsAndColourIds)
{
    for (const auto& [text, level] : std::vector<std::pair<std::wstring, int32_t>>{
             {L"41", 41}, {L"41%", 41}, {L" 7 ", 7}, {L"100", 100}, {L"101", -1}, {L"", -1}, {L"N/A", -1}, {L"4x", -1}})
        EXPECT_EQ(InkLevelPercent(text), level) << std::string(text.begin(), text.end());
    EXPECT_EQ(ColourId(L"TSY_COLOR_PHOTO_BLACK"), "photo_black");
    EXPECT_EQ(ColourId(L"Light Gray"), "light_gray");
    EXPECT_EQ(ColourId(L"Tri-color"), "tri_color");
    EXPECT_EQ(ColourId(L"Черный"), "unknown");
}

TEST(ScanFormats, CsvQuotesAndPrometheusEscapes)
{
    PrinterSnapshot silent;
    silent.printer = silent.address = L"127.0.0.24";
    silent.reach = Reach::NotAnswering;
    const std::vector<PrinterSnapshot> printers = {Awkward(), silent};

    const std::string csv = FormatScan(printers, ScanFormat::Csv);
    EXPECT_NE(csv.find("127.0.0.10,127.0.0.10,answered,\"Kelo \"\"Work\\line\"\", 4420\t\xC3\x9F\",CN5912D01A,18342,0,14,"
                       "Stau \\t,cyan,41\r\n"),
              std::string::npos)
        << csv;
    EXPECT_NE(csv.find("127.0.0.24,127.0.0.24,notAnswering,,,,,,,,\r\n"), std::string::npos) << csv;

    const std::string prometheus = FormatScan(printers, ScanFormat::Prometheus);
    EXPECT_NE(prometheus.find("kelo_up{printer=\"127.0.0.24\"} 0\n"), std::string::npos);
    EXPECT_NE(prometheus.find("kelo_ink_level_percent{printer=\"127.0.0.10\",color=\"cyan\"} 41\n"), std::string::npos);
    EXPECT_EQ(prometheus.find("photo_black"), std::string::npos); // no number, no sample
    EXPECT_NE(prometheus.find("model=\"Kelo \\\"Work\\\\line\\\", 4420\t\xC3\x9F\",serial=\"CN5912D01A\","
                              "firmware=\"line\\nbreak\"} 1\n"),
              std::string::npos)
        << prometheus;
    EXPECT_NE(prometheus.find("# TYPE kelo_page_count_total counter\nkelo_page_count_total{printer=\"127.0.0.10\"} 18342\n"),
              std::string::npos);
}
