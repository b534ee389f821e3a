#include <gtest/gtest.h>

#include <string>

#include "sim/HttpMessage.h"
#include "sim/ResponsePlan.h"

using sim::HttpRequestParser;
using State = sim::HttpRequestParser::State;

namespace {

// Undoes chunked coding; false when the framing is broken.
bool Dechunk(std::string data, std::string& body)
{
    body.clear();
    for (;;) {
        size_t lineEnd = data.find("\r\n");
        if (lineEnd == std::string::npos)
            return false;
        size_t size = std::stoul(data.substr(0, lineEnd), nullptr, 16);
        if (size == 0)
            return data.substr(lineEnd) == "\r\n\r\n";
        if (data.size() < lineEnd + 2 + size + 2 || data.compare(lineEnd + 2 + size, 2, "\r\n") != 0)
            return false;
        body += data.substr(lineEnd + 2, size);
        data.erase(0, lineEnd + 2 + size + 2);
    }
}

} // namespace

TEST(HttpRequestParser, ParsesTheDeviceChannelRequestFedOneByteAtATime)
{
    // What the tool writes to a USB printer: an empty host header and nothing else.
    const std::string request = "GET /DevMgmt/ProductConfigDyn.xml HTTP/1.1\r\nHOST: \r\n\r\n";
    HttpRequestParser parser;
    for (size_t i = 0; i + 1 < request.size(); ++i)
        ASSERT_EQ(parser.Feed(request.substr(i, 1)), State::NeedMore) << i;
    ASSERT_EQ(parser.Feed(request.substr(request.size() - 1)), State::Complete);
    sim::HttpRequest parsed = parser.TakeRequest();
    EXPECT_EQ(parsed.method, "GET");
    EXPECT_EQ(parsed.target, "/DevMgmt/ProductConfigDyn.xml");
    EXPECT_EQ(parsed.Header("host"), "");
    EXPECT_EQ(parsed.body, "");
}

TEST(HttpRequestParser, ReadsBodiesByLengthOrChunksAndKeepsPipelinedRequests)
{
    HttpRequestParser parser;
    const std::string posted = "POST /Calibration/Session HTTP/1.1\r\nContent-Length: 5\r\nContent-Type: text/xml\r\n"
                               "HOST: \r\n\r\nhello";
    const std::string chunked = "POST /x HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n3;ext=1\r\nabc\r\n2\r\nde\r\n0\r\n\r\n";
    ASSERT_EQ(parser.Feed(posted + chunked), State::Complete);
    EXPECT_EQ(parser.TakeRequest().body, "hello");
    ASSERT_EQ(parser.CurrentState(), State::Complete);
    sim::HttpRequest second = parser.TakeRequest();
    EXPECT_EQ(second.target, "/x");
    EXPECT_EQ(second.body, "abcde");
    EXPECT_EQ(parser.CurrentState(), State::NeedMore);
}

TEST(HttpRequestParser, RefusesWhatNoClientShouldSend)
{
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        {"no method", " / HTTP/1.1\r\n\r\n"},
        {"four words", "GET / HTTP/1.1 extra\r\n\r\n"},
        {"not HTTP", "GET / SPDY/3\r\n\r\n"},
        {"header without colon", "GET / HTTP/1.1\r\nHost\r\n\r\n"},
        {"negative length", "POST / HTTP/1.1\r\nContent-Length: -1\r\n\r\n"},
        {"length with junk", "POST / HTTP/1.1\r\nContent-Length: 12abc\r\n\r\n"},
        {"huge length", "POST / HTTP/1.1\r\nContent-Length: 99999999999999999999\r\n\r\n"},
        {"body over the limit", "POST / HTTP/1.1\r\nContent-Length: 1048577\r\n\r\n"},
        {"bad chunk size", "POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n"},
        {"chunk over the limit", "POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\nFFFFFFFFFFFF\r\n"},
        {"unknown coding", "POST / HTTP/1.1\r\nTransfer-Encoding: gzip\r\n\r\n"},
        {"head without end", "GET / HTTP/1.1\r\nX: " + std::string(HttpRequestParser::kMaxHeadBytes, 'a')},
    };
    for (const Case& c : cases) {
        HttpRequestParser parser;
        EXPECT_EQ(parser.Feed(c.bytes), State::Error) << c.name;
        EXPECT_FALSE(parser.Error().empty()) << c.name;
        EXPECT_EQ(parser.Feed("GET / HTTP/1.1\r\n\r\n"), State::Error) << c.name << ": stays refused";
    }
}

TEST(HttpResponseFraming, ChunkedAndLengthFramingCarryTheSameBody)
{
    sim::HttpResponse response;
    response.headers = {{"Content-Type", "text/xml"}};
    response.body = std::string(2500, 'x') + "<end/>";
    std::string plain = sim::SerializeResponse(response, false);
    EXPECT_TRUE(plain.starts_with("HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: 2506\r\n\r\n"));
    EXPECT_TRUE(plain.ends_with(response.body));

    std::string chunked = sim::SerializeResponse(response, true, 1000);
    size_t bodyStart = chunked.find("\r\n\r\n") + 4;
    EXPECT_NE(chunked.substr(0, bodyStart).find("Transfer-Encoding: chunked"), std::string::npos);
    std::string body;
    ASSERT_TRUE(Dechunk(chunked.substr(bodyStart), body));
    EXPECT_EQ(body, response.body);
}

TEST(ResponsePlan, FaultsShapeTheBytesOnTheWire)
{
    sim::HttpResponse response;
    response.body = std::string(3000, 'b');
    auto joined = [](const sim::ResponsePlan& plan) {
        std::string all;
        for (const auto& piece : plan.pieces)
            all += piece;
        return all;
    };

    sim::ResponsePlan healthy = sim::PlanResponse(response, {});
    EXPECT_EQ(joined(healthy), sim::SerializeResponse(response, false));

    sim::EndpointFaults chunked;
    chunked.chunked = true;
    sim::ResponsePlan chunkedPlan = sim::PlanResponse(response, chunked);
    for (size_t i = 1; i < chunkedPlan.pieces.size(); ++i)
        EXPECT_TRUE(std::isxdigit(static_cast<unsigned char>(chunkedPlan.pieces[i][0]))) << "each piece is one chunk";
    std::string body;
    std::string all = joined(chunkedPlan);
    ASSERT_TRUE(Dechunk(all.substr(all.find("\r\n\r\n") + 4), body));
    EXPECT_EQ(body, response.body);

    sim::EndpointFaults disconnect;
    disconnect.disconnect = true;
    sim::ResponsePlan cut = sim::PlanResponse(response, disconnect);
    EXPECT_TRUE(cut.closeEarly);
    EXPECT_NE(joined(cut).find("Content-Length: 3000"), std::string::npos);
    EXPECT_EQ(joined(cut).size() - joined(cut).find("\r\n\r\n") - 4, 1500u);

    sim::EndpointFaults oversized;
    oversized.oversized = true;
    EXPECT_GT(joined(sim::PlanResponse(response, oversized)).size(), sim::kOversizedBodyBytes);

    sim::EndpointFaults empty;
    empty.empty = true;
    EXPECT_TRUE(joined(sim::PlanResponse(response, empty)).ends_with("Content-Length: 0\r\n\r\n"));

    sim::EndpointFaults endless;
    endless.endless = true;
    sim::ResponsePlan forever = sim::PlanResponse(response, endless);
    EXPECT_TRUE(forever.endless);
    EXPECT_EQ(joined(forever).find("0\r\n\r\n"), std::string::npos) << "no last chunk";

    sim::EndpointFaults silent;
    silent.silence = true;
    silent.delayMs = 50;
    EXPECT_TRUE(sim::PlanResponse(response, silent).silent);

    sim::EndpointFaults garbage;
    garbage.garbage = true;
    EXPECT_EQ(joined(sim::PlanResponse(response, garbage)).find("HTTP"), std::string::npos);
}
