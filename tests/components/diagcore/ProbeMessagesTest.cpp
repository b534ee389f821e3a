#include "components/diagcore/ProbeMessages.h"

#include <gtest/gtest.h>

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
    EXPECT_EQ(reply->text, "Kelo X");

    // Quotes, blanks and the zero bytes some agents append are not part of the text.
    auto quoted = Response(8, SnmpValue::MakeOctetString(std::string("\"Kelo Y\" \0\0", 11)));
    EXPECT_EQ(ReadSnmpTextReply(quoted.data(), quoted.size())->text, "Kelo Y");

    // Answered, but no text: the object is missing or of another type.
    for (const auto& noText : {Response(9, SnmpValue::MakeNull(), "public", 0, 2), Response(9, SnmpValue::MakeInteger(5))}) {
        auto answered = ReadSnmpTextReply(noText.data(), noText.size());
        ASSERT_TRUE(answered);
        EXPECT_EQ(answered->requestId, 9);
        EXPECT_FALSE(answered->text);
    }

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
