#include <gtest/gtest.h>

#include <vector>

#include "sim/QuillWire.h"

namespace {

using Bytes = std::vector<uint8_t>;

sim::QuillRead Ask(sim::SimDevice& device, const sim::QuillWireRequest& request)
{
    // Through the wire form both ways, as the loopback endpoint does it.
    Bytes bytes = sim::EncodeQuillRequest(request);
    sim::QuillWireRequest parsed;
    size_t consumed = 0;
    EXPECT_EQ(sim::ParseQuillRequest(bytes.data(), bytes.size(), parsed, consumed), sim::WireParse::Ok);
    EXPECT_EQ(consumed, bytes.size());
    Bytes answer = sim::EncodeQuillResponse(sim::AnswerQuillRequest(device, parsed));
    sim::QuillRead read;
    EXPECT_EQ(sim::ParseQuillResponse(answer.data(), answer.size(), read, consumed), sim::WireParse::Ok);
    EXPECT_EQ(consumed, answer.size());
    return read;
}

sim::QuillWireRequest Read(Bytes id)
{
    sim::QuillWireRequest request;
    request.id = std::move(id);
    return request;
}

} // namespace

TEST(QuillWire, UsbLibraryViewOfTheObjects)
{
    sim::PrinterConfig config = sim::DefaultPrinter("desk");
    config.usb = true;
    config.protocol = sim::Protocol::Quill;
    config.model = "Kelo Corvid 2200";
    sim::SimDevice device(config);

    sim::QuillRead model = Ask(device, Read({1, 1, 3, 2}));
    EXPECT_EQ(model.result, 0u);
    EXPECT_EQ(model.type, 4);
    EXPECT_EQ(Bytes(model.value.begin() + 2, model.value.end()), Bytes(config.model.begin(), config.model.end()));

    sim::QuillRead pages = Ask(device, Read({1, 4, 1, 2, 5}));
    EXPECT_EQ(pages.type, 1);
    EXPECT_EQ(pages.value, (Bytes{0xD2, 0x04, 0, 0})) << "1234, little-endian";

    sim::QuillRead feeder = Ask(device, Read({1, 2, 2, 2, 1}));
    EXPECT_EQ(feeder.type, 1) << "the feeder status is an integer over USB";
    EXPECT_EQ(feeder.value, (Bytes{0x10, 0, 0, 0}));

    EXPECT_EQ(Ask(device, Read({1, 9, 9})).result, sim::kQuillUnknownObject);

    sim::QuillWireRequest clean;
    clean.set = true;
    clean.id = {1, 4, 1, 5, 1, 1};
    clean.value = 100;
    EXPECT_EQ(Ask(device, clean).result, 0u);
    clean.id = {1, 1, 3, 3};
    EXPECT_EQ(Ask(device, clean).result, sim::kQuillUnknownObject) << "identity objects are read-only";
    ASSERT_EQ(device.Received().snmpSets.size(), 1u);
    EXPECT_EQ(device.Received().snmpSets[0].oid, "1.3.6.1.4.1.48213.2.3.9.4.2.1.4.1.5.1.1.0");

    std::string error;
    ASSERT_TRUE(device.Apply("fault.quill-wire", "wrong-types", error));
    EXPECT_EQ(Ask(device, Read({1, 4, 1, 2, 5})).type, 3) << "a type the library refuses";
    ASSERT_TRUE(device.Apply("fault.quill-wire", "silence", error));
    EXPECT_EQ(Ask(device, Read({1, 4, 1, 2, 5})).result, sim::kQuillDeviceLost);
}

TEST(QuillWire, FramingWaitsForWholeMessagesAndRefusesNonsense)
{
    sim::QuillWireRequest set;
    set.set = true;
    set.id = {1, 1, 5, 2};
    set.valueType = 1;
    set.value = -2;
    Bytes bytes = sim::EncodeQuillRequest(set);
    sim::QuillWireRequest parsed;
    size_t consumed = 0;
    for (size_t size = 0; size < bytes.size(); ++size)
        EXPECT_EQ(sim::ParseQuillRequest(bytes.data(), size, parsed, consumed), sim::WireParse::NeedMore) << size;
    ASSERT_EQ(sim::ParseQuillRequest(bytes.data(), bytes.size(), parsed, consumed), sim::WireParse::Ok);
    EXPECT_EQ(parsed.value, -2);

    const Bytes bad[] = {{'X'}, {'G', 0}, {'G', 33}, {'S', 200, 1}};
    for (const Bytes& b : bad)
        EXPECT_EQ(sim::ParseQuillRequest(b.data(), b.size(), parsed, consumed), sim::WireParse::Bad);

    Bytes hugeAnswer = {0, 0, 0, 0, 4, 0xFF, 0xFF};
    sim::QuillRead read;
    EXPECT_EQ(sim::ParseQuillResponse(hugeAnswer.data(), hugeAnswer.size(), read, consumed), sim::WireParse::Bad);
    sim::QuillRead longValue;
    longValue.value.assign(5000, 'a');
    EXPECT_EQ(sim::EncodeQuillResponse(longValue).size(), 7 + sim::kMaxQuillValueBytes);
}
