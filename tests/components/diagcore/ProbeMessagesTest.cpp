#include "components/diagcore/ProbeMessages.h"

#include <gtest/gtest.h>

#include <limits>

#include "quill/SnmpCodec.h"

using namespace diagcore;

namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> values)
{
    std::vector<uint8_t> bytes;
    for (int value : values)
        bytes.push_back(static_cast<uint8_t>(value));
    return bytes;
}

std::vector<uint8_t> Response(int32_t requestId, SnmpValue value, const char* community = "public", int32_t version = 0,
                              int32_t errorStatus = 0, SnmpPduType type = SnmpPduType::GetResponse)
{
    SnmpMessage message;
    message.version = version;
    message.community.assign(community, community + strlen(community));
    message.pdu.type = type;
    message.pdu.requestId = requestId;
    message.pdu.errorStatus = errorStatus;
    message.pdu.varbinds.push_back({*SnmpOid::Parse(kDescriptionOid), std::move(value)});
    return EncodeSnmpMessage(message);
}

// A request as the agent reads it: its id and the objects asked.
std::pair<int32_t, std::vector<std::string>> Asked(const std::vector<uint8_t>& datagram)
{
    SnmpMessage message;
    if (!DecodeSnmpMessage(datagram.data(), datagram.size(), message) || message.pdu.type != SnmpPduType::GetRequest)
        return {};
    std::vector<std::string> oids;
    for (const SnmpVarBind& varbind : message.pdu.varbinds)
        oids.push_back(varbind.oid.Format());
    return {message.pdu.requestId, oids};
}

using Texts = std::vector<std::optional<std::string>>;

SnmpTextReply Reply(int32_t requestId, Texts texts, bool failed = false)
{
    return SnmpTextReply{requestId, failed, std::move(texts)};
}

constexpr Ipv4 kAgent = 0x7F00050B;    // 127.0.5.11
constexpr Ipv4 kNeighbour = 0x7F00050C; // 127.0.5.12

} // namespace

TEST(ProbeMessages, SnmpRequestIsTheBerOfAVersion1Get)
{
    // Written out by hand from RFC 1157 and X.690: GetRequest id 1 for hrDeviceDescr.1.
    EXPECT_EQ(SnmpGetRequest(1, kDescriptionOid),
              Bytes({0x30, 0x29, 0x02, 0x01, 0x00, 0x04, 0x06, 'p', 'u', 'b', 'l', 'i', 'c', 0xA0, 0x1C, 0x02, 0x01,
                     0x01, 0x02, 0x01, 0x00, 0x02, 0x01, 0x00, 0x30, 0x11, 0x30, 0x0F, 0x06, 0x0B, 0x2B, 0x06, 0x01,
                     0x02, 0x01, 0x19, 0x03, 0x02, 0x01, 0x03, 0x01, 0x05, 0x00}));
}

TEST(ProbeMessages, SnmpRepliesGiveTextOnlyForAnOctetStringWithoutError)
{
    // The same reply written out by hand: GetResponse id 7, "Kelo X".
    auto handWritten = Bytes({0x30, 0x2F, 0x02, 0x01, 0x00, 0x04, 0x06, 'p', 'u', 'b', 'l', 'i', 'c', 0xA2, 0x22,
                              0x02, 0x01, 0x07, 0x02, 0x01, 0x00, 0x02, 0x01, 0x00, 0x30, 0x17, 0x30, 0x15, 0x06,
                              0x0B, 0x2B, 0x06, 0x01, 0x02, 0x01, 0x19, 0x03, 0x02, 0x01, 0x03, 0x01, 0x04, 0x06,
                              'K', 'e', 'l', 'o', ' ', 'X'});
    auto reply = ReadSnmpTextReply(handWritten.data(), handWritten.size());
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->requestId, 7);
    EXPECT_FALSE(reply->failed);
    EXPECT_EQ(reply->texts, (std::vector<std::optional<std::string>>{"Kelo X"}));

    // Quotes, blanks and the zero bytes some agents append are not part of the text.
    auto quoted = Response(8, SnmpValue::MakeOctetString(std::string("\"Kelo Y\" \0\0", 11)));
    EXPECT_EQ(ReadSnmpTextReply(quoted.data(), quoted.size())->texts[0], "Kelo Y");

    // Answered, but no text: the agent failed the request, or the object is of another type.
    auto failed = Response(9, SnmpValue::MakeNull(), "public", 0, 2);
    auto answered = ReadSnmpTextReply(failed.data(), failed.size());
    ASSERT_TRUE(answered);
    EXPECT_EQ(answered->requestId, 9);
    EXPECT_TRUE(answered->failed);
    EXPECT_TRUE(answered->texts.empty());
    auto number = Response(9, SnmpValue::MakeInteger(5));
    EXPECT_EQ(ReadSnmpTextReply(number.data(), number.size())->texts,
              (std::vector<std::optional<std::string>>{std::nullopt}));

    // Not an answer to us at all.
    const std::vector<uint8_t> strangers[] = {
        Response(10, SnmpValue::MakeOctetString("x"), "private"),
        Response(10, SnmpValue::MakeOctetString("x"), "public", 1),
        Response(10, SnmpValue::MakeOctetString("x"), "public", 0, 0, SnmpPduType::GetRequest),
        Bytes({0x30, 0x03, 0x02, 0x01}),
    };
    for (const auto& stranger : strangers)
        EXPECT_FALSE(ReadSnmpTextReply(stranger.data(), stranger.size()));
}

TEST(ProbeMessages, SnmpExchangeAsksBothObjectsAtOnceAndTakesOnlyItsAgentsReplies)
{
    const std::string identification = "MFG:Kelo;MDL:Kelo Workline 6500 All-in-One;";
    SnmpExchange exchange(kAgent, 100, 1000);
    auto first = exchange.Start(0);
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(Asked(first[0]), (std::pair<int32_t, std::vector<std::string>>{
                                   100, {kDescriptionOid, kIdentificationOid}}));

    // Another host's address, or another host's request ids (the neighbours' exchanges own
    // 97-99 and 103-105): none of them is an answer.
    EXPECT_TRUE(exchange.Received(kNeighbour, Reply(100, {"Other", identification}), 5).empty());
    EXPECT_TRUE(exchange.Received(kAgent, Reply(99, {"Other", identification}), 5).empty());
    EXPECT_TRUE(exchange.Received(kAgent, Reply(103, {"Other", identification}), 5).empty());
    EXPECT_FALSE(exchange.Answered());

    EXPECT_TRUE(exchange.Received(kAgent, Reply(100, {"Kelo Workline 6500", identification}), 6).empty());
    EXPECT_TRUE(exchange.Done());
    EXPECT_TRUE(exchange.Answered());
    EXPECT_EQ(exchange.Description(), "Kelo Workline 6500");
    EXPECT_EQ(exchange.Identification(), identification);
    // A late duplicate changes nothing.
    exchange.Received(kAgent, Reply(100, {"Changed", "Changed"}), 7);
    EXPECT_EQ(exchange.Description(), "Kelo Workline 6500");
}

TEST(ProbeMessages, SnmpExchangeAsksObjectByObjectWhatTheAgentWouldNotGiveAtOnce)
{
    // A version 1 agent without the maker's object fails the request for both.
    SnmpExchange exchange(kAgent, 200, 1000);
    exchange.Start(0);
    auto separate = exchange.Received(kAgent, Reply(200, {}, true), 3);
    ASSERT_EQ(separate.size(), 2u);
    EXPECT_EQ(Asked(separate[0]), (std::pair<int32_t, std::vector<std::string>>{201, {kDescriptionOid}}));
    EXPECT_EQ(Asked(separate[1]), (std::pair<int32_t, std::vector<std::string>>{202, {kIdentificationOid}}));
    EXPECT_TRUE(exchange.Answered());

    // The replies may come in any order; a failed one is an answer without text.
    EXPECT_TRUE(exchange.Received(kAgent, Reply(202, {}, true), 4).empty());
    EXPECT_FALSE(exchange.Done());
    EXPECT_TRUE(exchange.Received(kAgent, Reply(201, {"LaserBox 3000"}), 5).empty());
    EXPECT_TRUE(exchange.Done());
    EXPECT_EQ(exchange.Description(), "LaserBox 3000");
    EXPECT_FALSE(exchange.Identification());

    // A reply that is not both objects in order is no answer to the joint request either.
    SnmpExchange odd(kAgent, 300, 1000);
    odd.Start(0);
    EXPECT_EQ(odd.Received(kAgent, Reply(300, {"One object"}), 1).size(), 2u);
}

TEST(ProbeMessages, SnmpExchangeEndsByItsTimeOutsOrARefusal)
{
    // Silent: one repeat after T, the end T later.
    SnmpExchange silent(kAgent, 100, 1000);
    silent.Start(0);
    EXPECT_TRUE(silent.Tick(999).empty());
    auto repeat = silent.Tick(1000);
    ASSERT_EQ(repeat.size(), 1u);
    EXPECT_EQ(Asked(repeat[0]).first, 100);
    EXPECT_TRUE(silent.Tick(1999).empty());
    EXPECT_FALSE(silent.Done());
    EXPECT_TRUE(silent.Tick(2000).empty());
    EXPECT_TRUE(silent.Done());
    EXPECT_FALSE(silent.Answered());

    // An object asked on its own after the agent failed the joint request: the repeat counts
    // towards the same two rounds.
    SnmpExchange partial(kAgent, 100, 1000);
    partial.Start(0);
    partial.Received(kAgent, Reply(100, {}, true), 400);
    partial.Received(kAgent, Reply(101, {"Desk printer"}), 410);
    EXPECT_TRUE(partial.Tick(1399).empty());
    EXPECT_TRUE(partial.Tick(1400).empty());
    EXPECT_TRUE(partial.Done());
    EXPECT_EQ(partial.Description(), "Desk printer");

    SnmpExchange refused(kAgent, 100, 1000);
    refused.Start(0);
    refused.Refused();
    EXPECT_TRUE(refused.Done());
    EXPECT_TRUE(refused.Tick(5000).empty());
    EXPECT_TRUE(refused.Received(kAgent, Reply(100, {"Late", "Late"}), 6).empty());
    EXPECT_FALSE(refused.Description());
}

TEST(ProbeMessages, SnmpExchangeIdsWrapPastTheTopOfTheRange)
{
    // The fuzzer's reply: GetResponse id 0x7FFFFFFE, noSuchName, for hrDeviceDescr.1.
    const auto failedJoint = Bytes({0x30, 0x2C, 0x02, 0x01, 0x00, 0x04, 0x06, 'p', 'u', 'b', 'l', 'i', 'c', 0xA2, 0x1F,
                                    0x02, 0x04, 0x7F, 0xFF, 0xFF, 0xFE, 0x02, 0x01, 0x02, 0x02, 0x01, 0x00, 0x30, 0x11,
                                    0x30, 0x0F, 0x06, 0x0B, 0x2B, 0x06, 0x01, 0x02, 0x01, 0x19, 0x03, 0x02, 0x01, 0x03,
                                    0x01, 0x05, 0x00});
    const auto reply = ReadSnmpTextReply(failedJoint.data(), failedJoint.size());
    ASSERT_TRUE(reply);
    constexpr int32_t kTop = std::numeric_limits<int32_t>::max();
    constexpr int32_t kBottom = std::numeric_limits<int32_t>::min();
    SnmpExchange exchange(kAgent, kTop - 1, 1000);
    exchange.Start(0);
    auto separate = exchange.Received(kAgent, *reply, 1);
    ASSERT_EQ(separate.size(), 2u);
    EXPECT_EQ(Asked(separate[0]).first, kTop);
    EXPECT_EQ(Asked(separate[1]).first, kBottom);
    // The answer to the id after INT32_MAX is this exchange's, the one after that is not.
    EXPECT_TRUE(exchange.Received(kAgent, Reply(kBottom + 1, {"Not ours"}), 2).empty());
    exchange.Received(kAgent, Reply(kBottom, {"MFG:Kelo;MDL:Kelo Atlas 7;"}), 2);
    exchange.Received(kAgent, Reply(kTop, {"Atlas"}), 3);
    EXPECT_TRUE(exchange.Done());
    EXPECT_EQ(exchange.Description(), "Atlas");
    EXPECT_EQ(exchange.Identification(), "MFG:Kelo;MDL:Kelo Atlas 7;");
}

TEST(ProbeMessages, IcmpUnreachableNamesTheUdpDatagramItQuotes)
{
    // 127.0.0.1 tells 127.0.6.50's port 161 is closed to a datagram from our port 50000.
    auto message = [](uint8_t type, uint8_t quotedProtocol, size_t quotedOptions, size_t outerOptions) {
        std::vector<uint8_t> bytes = {static_cast<uint8_t>(0x45 + outerOptions / 4), 0, 0, 0, 0, 0, 0, 0, 64, 1, 0, 0,
                                      127, 0, 0, 1, 127, 0, 0, 1};
        bytes.insert(bytes.end(), outerOptions, 0);
        for (int byte : {static_cast<int>(type), 3, 0, 0, 0, 0, 0, 0})
            bytes.push_back(static_cast<uint8_t>(byte));
        for (int byte : {0x45 + static_cast<int>(quotedOptions) / 4, 0, 0, 0, 0, 0, 0, 0, 64, static_cast<int>(quotedProtocol),
                         0, 0, 127, 0, 0, 1, 127, 0, 6, 50})
            bytes.push_back(static_cast<uint8_t>(byte));
        bytes.insert(bytes.end(), quotedOptions, 0);
        for (int byte : {0xC3, 0x50, 0x00, 0xA1, 0, 8, 0, 0})
            bytes.push_back(static_cast<uint8_t>(byte));
        return bytes;
    };
    // Options in either IP header move what follows.
    const std::pair<size_t, size_t> layouts[] = {{0, 0}, {4, 0}, {0, 8}};
    for (auto [outer, quoted] : layouts) {
        auto bytes = message(3, 17, quoted, outer);
        auto unreachable = ReadUdpUnreachable(bytes.data(), bytes.size());
        ASSERT_TRUE(unreachable) << outer << " " << quoted;
        EXPECT_EQ(unreachable->destination, 0x7F000632u);
        EXPECT_EQ(unreachable->sourcePort, 50000);
        EXPECT_EQ(unreachable->destinationPort, 161);
    }

    auto timeExceeded = message(11, 17, 0, 0);
    auto aboutTcp = message(3, 6, 0, 0);
    auto cut = message(3, 17, 0, 0);
    cut.resize(cut.size() - 5);
    for (const auto& bytes : {timeExceeded, aboutTcp, cut})
        EXPECT_FALSE(ReadUdpUnreachable(bytes.data(), bytes.size()));
    EXPECT_FALSE(ReadUdpUnreachable(nullptr, 0));
}

TEST(ProbeMessages, HttpRequestAsksForTheDocumentAndTheEndOfTheConnection)
{
    EXPECT_EQ(HttpGetRequest("127.0.5.10", 8080, kProductConfigPath),
              "GET /DevMgmt/ProductConfigDyn.xml HTTP/1.1\r\nHost: 127.0.5.10:8080\r\nAccept: text/xml\r\n"
              "Connection: close\r\n\r\n");
}

TEST(ProbeMessages, HttpResponsesInAnySplit)
{
    struct Case {
        const char* name;
        std::string response;
        bool closeAtEnd;
        HttpResponseReader::State state;
        int status;
        std::string body;
    };
    using State = HttpResponseReader::State;
    const std::string big(kMaxHttpResponse, 'x');
    const Case cases[] = {
        {"length", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello", false, State::Complete, 200, "hello"},
        {"length, more bytes than said", "HTTP/1.1 200 OK\r\ncontent-length:3\r\n\r\nhello", false, State::Complete, 200, "hel"},
        {"chunked", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n1;x=y\r\n!\r\n0\r\n\r\n", false,
         State::Complete, 200, "hello!"},
        {"until close", "HTTP/1.0 200 OK\r\n\r\nhello", true, State::Complete, 200, "hello"},
        {"not found", "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n", false, State::Complete, 404, ""},
        {"closed early", "HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\nhello", true, State::Failed, 200, "hello"},
        {"chunk without its end", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhelloXY", false,
         State::Failed, 200, ""},
        {"no HTTP", "SSH-2.0-OpenSSH\r\n\r\n", false, State::Failed, 0, ""},
        {"announced too large", "HTTP/1.1 200 OK\r\nContent-Length: 999999999\r\n\r\n", false, State::Failed, 0, ""},
        {"larger than the bound", "HTTP/1.1 200 OK\r\n\r\n" + big, false, State::Failed, 200, ""},
    };
    for (const Case& c : cases) {
        for (size_t piece : {size_t{1}, size_t{7}, c.response.size()}) {
            HttpResponseReader reader;
            for (size_t at = 0; at < c.response.size() && reader.Current() == State::NeedMore; at += piece)
                reader.Feed(std::string_view(c.response).substr(at, piece));
            if (c.closeAtEnd)
                reader.Closed();
            EXPECT_EQ(reader.Current(), c.state) << c.name << ", pieces of " << piece;
            if (c.state == State::Complete) {
                EXPECT_EQ(reader.Status(), c.status) << c.name;
                EXPECT_EQ(reader.Body(), c.body) << c.name;
            }
        }
    }
}

TEST(ProbeMessages, ProductConfigurationWhateverThePrefixes)
{
    const char* document =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- product -->\n"
        "<prdcfgdyn2:ProductConfigDyn xmlns:prdcfgdyn2=\"urn:x\" xmlns:dd=\"urn:y\">\n"
        "  <prdcfgdyn:ProductInformation>\n"
        "    <dd:MakeAndModel>Kelo Workline 4420 All-in-One &amp; Fax</dd:MakeAndModel>\n"
        "    <dd:Version><dd:Revision>WKL</dd:Revision></dd:Version>\n"
        "    <dd:SerialNumber>CN5912D01A</dd:SerialNumber>\n"
        "    <dd:MakeAndModelBase>Kelo Workline 4420</dd:MakeAndModelBase>\n"
        "  </prdcfgdyn:ProductInformation>\n"
        "</prdcfgdyn2:ProductConfigDyn>\n";
    auto product = ReadProductConfig(document);
    ASSERT_TRUE(product);
    EXPECT_EQ(product->makeAndModel, "Kelo Workline 4420 All-in-One & Fax");
    EXPECT_EQ(product->modelBase, "Kelo Workline 4420");
    EXPECT_EQ(product->serialNumber, "CN5912D01A");

    EXPECT_EQ(ReadProductConfig("<ProductConfigDyn><MakeAndModelBase>K&#233;lo</MakeAndModelBase></ProductConfigDyn>")
                  ->modelBase,
              "K\xC3\xA9lo");
    for (const char* other : {"<html><body><MakeAndModel>Router</MakeAndModel></body></html>",
                              "<ProductConfigDyn><Other>x</Other></ProductConfigDyn>", "", "not xml at all"})
        EXPECT_FALSE(ReadProductConfig(other)) << other;
}

TEST(ProbeMessages, DeviceTextIsUtf8WhenValidElseLatin1)
{
    EXPECT_EQ(WidenDeviceText("Caf\xC3\xA9"), L"Caf\u00E9");
    EXPECT_EQ(WidenDeviceText("Caf\xE9"), L"Caf\u00E9");
    EXPECT_EQ(WidenDeviceText("\xF0\x9F\x96\xA8"), (std::wstring{wchar_t(0xD83D), wchar_t(0xDDA8)})); // UTF-16, as on Windows
    EXPECT_EQ(WidenDeviceText("\xC0\x80"), L"\u00C0\u0080"); // an overlong form is no UTF-8
}

TEST(ProbeMessages, WhatAHostThatAnsweredIs)
{
    const std::string identification = "MFG:Kelo;MDL:Kelo Workline 6500 All-in-One;CLS:PRINTER;SN:CN7511Q02B;";
    const SableProduct sable{"Kelo Workline 4420 All-in-One", "Kelo Workline 4420", "CN5912D01A"};
    struct Case {
        const char* name;
        ProbeOutcome outcome;
        std::optional<FoundPrinter> expected;
    };
    const Case cases[] = {
        {"nothing", {}, std::nullopt},
        {"empty answers", {std::string(), std::string(), std::nullopt}, std::nullopt},
        {"some other printer", {std::string("LaserBox 3000"), std::nullopt, std::nullopt},
         FoundPrinter{L"LaserBox 3000", L"", L"", L"", kFlagAnsweredSnmp}},
        {"identification without a model", {std::nullopt, std::string("garbage"), std::nullopt}, std::nullopt},
        {"Quill printer", {std::string("Kelo Workline 6500"), identification, std::nullopt},
         FoundPrinter{L"Kelo Workline 6500", L"Kelo Workline 6500 All-in-One", L"Kelo", L"CN7511Q02B",
                      kFlagAnsweredSnmp | kFlagMakerPrinter}},
        {"identification only", {std::nullopt, identification, std::nullopt},
         FoundPrinter{L"Kelo Workline 6500 All-in-One", L"Kelo Workline 6500 All-in-One", L"Kelo", L"CN7511Q02B",
                      kFlagAnsweredSnmp | kFlagMakerPrinter}},
        {"Sable printer", {std::nullopt, std::nullopt, sable},
         FoundPrinter{L"Kelo Workline 4420 All-in-One", L"Kelo Workline 4420", L"Kelo", L"CN5912D01A",
                      kFlagAnsweredSable | kFlagMakerPrinter}},
        {"Sable printer with a description", {std::string("Workline 4420"), std::nullopt, sable},
         FoundPrinter{L"Workline 4420", L"Kelo Workline 4420", L"Kelo", L"CN5912D01A",
                      kFlagAnsweredSnmp | kFlagAnsweredSable | kFlagMakerPrinter}},
    };
    for (const Case& c : cases) {
        auto found = ClassifyProbe(c.outcome);
        ASSERT_EQ(found.has_value(), c.expected.has_value()) << c.name;
        if (!found)
            continue;
        EXPECT_EQ(found->name, c.expected->name) << c.name;
        EXPECT_EQ(found->productName, c.expected->productName) << c.name;
        EXPECT_EQ(found->manufacturer, c.expected->manufacturer) << c.name;
        EXPECT_EQ(found->serialNumber, c.expected->serialNumber) << c.name;
        EXPECT_EQ(found->flags, c.expected->flags) << c.name;
    }
}
