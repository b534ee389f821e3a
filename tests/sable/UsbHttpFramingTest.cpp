#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>

#include "sable/UsbHttpFraming.h"
#include "support/DecimalText.h"

using sable::ChunkDecoder;
using sable::ParseResponseHead;
using sable::ResponseHeadAccumulator;

TEST(UsbHttpFraming, RequestIsTheGetLineAndAnEmptyHostWithLowBytesOnly)
{
    EXPECT_EQ(sable::BuildGetRequest(L"/DevMgmt/ProductConfigDyn.xml"),
              "GET /DevMgmt/ProductConfigDyn.xml HTTP/1.1\r\nHOST: \r\n\r\n");
    EXPECT_EQ(sable::BuildGetRequest(L"/\u0141\u4e2d"), std::string("GET /A\x2d HTTP/1.1\r\nHOST: \r\n\r\n"));
}

TEST(UsbHttpFraming, HeadVerdicts)
{
    struct Case {
        const char* head;
        bool http11;
        int32_t length;
    };
    const Case cases[] = {
        {"HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n", true, 10},
        {"HTTP/1.1 200 OK   \r\nContent-Length:   42\r\n\r\n", true, 42},
        {"HTTP/1.1 200 OK\r\ncontent-length: 10\r\n\r\n", true, -1},        // case matters
        {"HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n", true, -1},         // zero counts as absent
        {"HTTP/1.1 200 OK\r\nContent-Length: 0\r\nContent-Length: 7\r\n\r\n", true, 7},
        {"HTTP/1.1 200 OK\r\nContent-Length : 10\r\n\r\n", true, -1},
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n", true, -1},
        {"HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\n", false, 0},
        {"HTTP/1.1 404 Not Found\r\nContent-Length: 10\r\n\r\n", true, 0},  // reason of two words
        {"HTTP/1.1 404 Missing\r\nContent-Length: 10\r\n\r\n", true, 0},
        {"HTTP/1.1 200\r\nContent-Length: 10\r\n\r\n", true, 0},
        {" HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n", true, 0},        // leading blank: empty first word
        {"junk\r\nHTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\n", true, 3},
        {"HTTP/1.1 200 OK\nContent-Length: 9\n\r\n\r\n", true, 9},
        {"HTTP/1.1 299999999999999999999999999999999000 OK\r\n\r\n", true, 0},
        {"HTTP/1.1 200 OK\r\nContent-Length: 99999999999999999999999\r\n\r\n", true, INT32_MAX},
    };
    for (const Case& c : cases) {
        const sable::HeadVerdict verdict = ParseResponseHead(c.head);
        EXPECT_EQ(verdict.hasHttp11, c.http11) << c.head;
        EXPECT_EQ(verdict.contentLength, c.length) << c.head;
    }
}

TEST(UsbHttpFraming, HeadAccumulatorDropsNoiseAndJoinsSplitLines)
{
    ResponseHeadAccumulator head;
    EXPECT_FALSE(head.Add("\x01\x02 no protocol here\r\n\r\n"));
    EXPECT_FALSE(head.Add("HT"));
    EXPECT_TRUE(head.Head().empty()) << "no HTTP yet: noise";
    EXPECT_FALSE(head.Add("HTTP/1.1 2"));
    const char tail[] = "00 OK\r\nContent-Length: 10\r\n\r\n0123456789\0ignored";
    EXPECT_TRUE(head.Add(std::string(tail, sizeof(tail) - 1)));
    EXPECT_EQ(head.Head(), "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n");
    EXPECT_EQ(head.Leftover(), "0123456789");
}

TEST(UsbHttpFraming, ChunkDecoding)
{
    {
        ChunkDecoder decoder;
        const std::string data(26, 'x');
        ChunkDecoder::Result first = decoder.AddRead("1a\r\n" + data + "\r\n");
        EXPECT_EQ(first.data, data);
        EXPECT_FALSE(first.finished);
        EXPECT_TRUE(decoder.AddRead("0\r\n\r\n").finished);
    }
    {
        // Bytes that came with the head, a size line cut by the read, extensions, and two
        // chunks in one read.
        ChunkDecoder decoder;
        ChunkDecoder::Result leftover = decoder.AddLeftover("3;ext=1\r\nabc\r\n4");
        EXPECT_EQ(leftover.data, "abc");
        ChunkDecoder::Result next = decoder.AddRead("\r\ndefg\r\n2\r\nhi\r\n0\r\n\r\n");
        EXPECT_EQ(next.data, "defghi");
        EXPECT_TRUE(next.finished);
    }
    {
        // A chunk longer than the read continues in the next one.
        ChunkDecoder decoder;
        EXPECT_EQ(decoder.AddRead("A\r\n01234").data, "01234");
        EXPECT_EQ(decoder.AddRead("56789\r\n").data, "56789");
        EXPECT_TRUE(decoder.AddRead("no size line").finished) << "a read without a size line ends the body";
    }
}

TEST(UsbHttpFraming, NumberPrefixesSaturateInsteadOfOverflowing)
{
    struct DecimalCase {
        const char* text;
        long value;
    };
    const DecimalCase decimals[] = {
        {"  -12x", -12},
        {"+7", 7},
        {"-", 0},
        {"299999999999999999999999999999999000", LONG_MAX},
        {"-299999999999999999999999999999999000", LONG_MIN},
    };
    for (const DecimalCase& c : decimals)
        EXPECT_EQ(ParseDecimalPrefix(c.text), c.value) << c.text;
    const std::string longMax = std::to_string(LONG_MAX);
    const std::string longMin = std::to_string(LONG_MIN);
    EXPECT_EQ(ParseDecimalPrefix(longMax), LONG_MAX);
    EXPECT_EQ(ParseDecimalPrefix(longMin), LONG_MIN);
    EXPECT_EQ(ParseDecimalPrefix(longMax + "0"), LONG_MAX);
    EXPECT_EQ(ParseDecimalPrefix(longMin + "0"), LONG_MIN);

    EXPECT_EQ(sable::ParseHexPrefix("  1aG"), 0x1au);
    EXPECT_EQ(sable::ParseHexPrefix("ffffffffffffffff"), UINT64_MAX);
    EXPECT_EQ(sable::ParseHexPrefix("10000000000000000"), UINT64_MAX);
}
