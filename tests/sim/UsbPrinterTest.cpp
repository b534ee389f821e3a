#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "sim/UsbPrinter.h"
#include "sim/UsbHostReader.h"

namespace {

using namespace std::chrono_literals;
using sim::UsbRead;
using sim::UsbWrite;

const std::string kGetConfig = "GET /DevMgmt/ProductConfigDyn.xml HTTP/1.1\r\nHOST: \r\n\r\n";

std::string PostInternalPrint(const std::string& jobType)
{
    std::string body = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><InternalPrintDyn>\t<JobType>" + jobType +
                       "</JobType></InternalPrintDyn>";
    return "POST /DevMgmt/InternalPrintDyn.xml HTTP/1.1\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nContent-Type: text/xml\r\nHOST: \r\n\r\n" + body;
}

sim::PrinterConfig UsbConfig()
{
    sim::PrinterConfig config = sim::DefaultPrinter("usb printer");
    config.usb = true;
    return config;
}

class UsbPrinterTest : public ::testing::Test {
protected:
    void Fault(const std::string& faults)
    {
        std::string error;
        ASSERT_TRUE(device->Apply("fault.usb", faults, error)) << error;
    }

    // Reads until the host is done or the printer has nothing more to hand out.
    UsbHostReader ReadAnswer(std::vector<std::string>* reads = nullptr)
    {
        UsbHostReader host;
        for (bool more = true; more;) {
            UsbRead read = printer.Read(sim::kUsbReadBlock, now);
            if (read.kind == UsbRead::Kind::Nothing)
                break;
            if (reads != nullptr)
                reads->push_back(read.bytes);
            more = host.Take(read.bytes);
        }
        return host;
    }

    std::string ExpectedConfigBody() const
    {
        sim::SimDevice twin(UsbConfig());
        return twin.HandleHttp({"GET", "/DevMgmt/ProductConfigDyn.xml", "HTTP/1.1", {}, {}}).body;
    }

    std::shared_ptr<sim::SimDevice> device = std::make_shared<sim::SimDevice>(UsbConfig());
    sim::UsbPrinter printer{device};
    sim::Clock::time_point now = sim::Clock::now();
};

TEST_F(UsbPrinterTest, NamesItselfByVendorProductAndSerialAndAnswersTheIdentificationWithoutLengthPrefix)
{
    EXPECT_EQ(printer.HardwareId(), "VID_0A7E&PID_2312");
    EXPECT_EQ(printer.InterfacePath(), "\\\\?\\USB#VID_0A7E&PID_2312#CN4A7K1XYZ#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}");
    std::string id = printer.QueryDeviceId();
    EXPECT_EQ(id, device->DeviceId() + '\0');
    EXPECT_TRUE(id.starts_with("MFG:")); // text from the first byte: no length prefix
    EXPECT_NE(id.find(";S:"), std::string::npos);

    sim::PrinterConfig odd = UsbConfig();
    odd.productId = "a1b2";
    odd.serial = "AB#12\\3 x";
    sim::UsbPrinter other(std::make_shared<sim::SimDevice>(odd));
    EXPECT_EQ(other.InterfacePath(), "\\\\?\\USB#VID_0A7E&PID_A1B2#AB_12_3_x#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}");
}

TEST(UsbPrinterRequests, ARequestSplitAtAnyByteAfterItsMethodIsOneRequest)
{
    const std::string post = PostInternalPrint("diagnosticsPage");
    for (size_t split = 5; split < post.size(); ++split) {
        auto device = std::make_shared<sim::SimDevice>(UsbConfig());
        sim::UsbPrinter printer(device);
        auto now = sim::Clock::now();
        ASSERT_EQ(printer.Write(std::string_view(post).substr(0, split), true, now), UsbWrite::Request);
        ASSERT_EQ(printer.Write(std::string_view(post).substr(split), false, now), UsbWrite::Request);
        UsbRead answer = printer.Read(4096, now);
        ASSERT_TRUE(answer.bytes.starts_with("HTTP/1.1 201 Created\r\n")) << "split at " << split;
        EXPECT_NE(answer.bytes.find("Location: /Jobs/JobList/"), std::string::npos);
        sim::ReceivedLog received = device->Received();
        ASSERT_EQ(received.jobPosts.size(), 1u) << "split at " << split;
        EXPECT_EQ(received.jobPosts[0].jobType, "diagnosticsPage");
        EXPECT_TRUE(received.printBytes.empty());
    }
}

struct FramingCase {
    const char* faults;
    size_t readLimit;
    bool chunked;
    unsigned emptyPerData;
    bool noise;
};

TEST_F(UsbPrinterTest, AnswersAreFramedSoTheHostRebuildsTheDocument)
{
    const FramingCase cases[] = {
        {"", 2048, false, 0, false},
        {"read-size=100", 100, false, 0, false},
        {"read-size=4", 4, false, 0, false}, // the least in which a host finds "HTTP"
        {"chunked", 2048, true, 0, false},
        {"chunked read-size=103", 103, true, 0, false},  // a chunk piece is 10 reads and 1 byte
        {"chunked read-size=1029", 1029, true, 0, false}, // ... one read and 2 bytes
        {"chunked read-size=9", 9, true, 0, false},
        {"noise", 2048, false, 0, true},
        {"noise chunked read-size=300", 300, true, 0, true},
        {"empty-reads=3", 2048, false, 3, false},
        {"empty-reads=9 chunked read-size=500", 500, true, 9, false},
    };
    const std::string expected = ExpectedConfigBody();
    ASSERT_GT(expected.size(), 1024u); // several chunks
    for (const FramingCase& c : cases) {
        SCOPED_TRACE(c.faults);
        Fault(c.faults);
        ASSERT_EQ(printer.Write(kGetConfig, false, now), UsbWrite::Request);
        std::vector<std::string> reads;
        UsbHostReader host = ReadAnswer(&reads);
        EXPECT_EQ(host.Body(), expected);
        EXPECT_EQ(host.ContentLength() == -1, c.chunked);
        EXPECT_EQ(host.ChunkedComplete(), c.chunked);
        EXPECT_EQ(host.Misaligned(), 0);
        EXPECT_EQ(host.EmptyReads(), static_cast<int>(c.emptyPerData) * host.DataReads());
        EXPECT_EQ(host.NoiseReads() > 0, c.noise);
        for (const std::string& read : reads)
            ASSERT_LE(read.size(), c.readLimit);
        EXPECT_EQ(printer.WaitingBytes(now), 0u);
    }
}

TEST_F(UsbPrinterTest, AHeadAndTheStartOfAContentLengthBodyShareARead)
{
    ASSERT_EQ(printer.Write(kGetConfig, false, now), UsbWrite::Request);
    UsbRead first = printer.Read(sim::kUsbReadBlock, now);
    size_t headEnd = first.bytes.find("\r\n\r\n");
    ASSERT_NE(headEnd, std::string::npos);
    EXPECT_TRUE(first.bytes.substr(headEnd + 4).starts_with("<?xml"));
}

TEST_F(UsbPrinterTest, DelayHoldsTheAnswerBackAndSilenceNeverGivesOne)
{
    Fault("delay=500");
    printer.Write(kGetConfig, false, now);
    EXPECT_EQ(printer.Read(2048, now).kind, UsbRead::Kind::Nothing);
    EXPECT_EQ(printer.WaitingBytes(now + 499ms), 0u);
    EXPECT_EQ(printer.Read(2048, now + 499ms).kind, UsbRead::Kind::Nothing);
    UsbRead late = printer.Read(2048, now + 500ms);
    EXPECT_TRUE(late.bytes.starts_with("HTTP/1.1 200 OK\r\n"));

    Fault("silence");
    printer.Write(kGetConfig, false, now + 1s);
    EXPECT_EQ(printer.Read(2048, now + 1h).kind, UsbRead::Kind::Nothing);
    EXPECT_EQ(device->Received().httpRequests.size(), 2u); // heard, not answered
}

TEST_F(UsbPrinterTest, FaultsThatCutTheAnswerLeaveTheHostWithoutTheDocument)
{
    const std::string expected = ExpectedConfigBody();
    Fault("disconnect");
    printer.Write(kGetConfig, false, now);
    UsbHostReader cut = ReadAnswer();
    EXPECT_TRUE(cut.HeadComplete());
    EXPECT_LT(cut.Body().size(), expected.size());
    EXPECT_EQ(expected.substr(0, cut.Body().size()), cut.Body());

    Fault("garbage");
    printer.Write(kGetConfig, false, now);
    UsbHostReader garbage = ReadAnswer();
    EXPECT_FALSE(garbage.HeadComplete());
    EXPECT_GT(garbage.NoiseReads(), 0);
}

TEST_F(UsbPrinterTest, UnreadBytesAreStaleInputBeforeTheNextAnswer)
{
    printer.QueueStaleInput("old status");
    EXPECT_EQ(printer.WaitingBytes(now), 10u);
    EXPECT_EQ(printer.Read(2048, now).bytes, "old status");
    EXPECT_EQ(printer.WaitingBytes(now), 0u);

    printer.Write(kGetConfig, false, now);
    printer.Read(100, now);
    size_t rest = printer.WaitingBytes(now);
    EXPECT_GT(rest, 0u);
    printer.Write(kGetConfig, false, now);
    EXPECT_GT(printer.WaitingBytes(now), rest);
    UsbRead next = printer.Read(2048, now);
    EXPECT_FALSE(next.bytes.starts_with("HTTP")); // the rest of the first answer comes first
    EXPECT_EQ(next.bytes.size(), std::min<size_t>(rest, 2048));
}

TEST_F(UsbPrinterTest, EndlessChunksGoOnUntilTheNextRequest)
{
    Fault("endless");
    printer.Write(kGetConfig, false, now);
    UsbHostReader host;
    for (int i = 0; i < 200; ++i)
        ASSERT_TRUE(host.Take(printer.Read(2048, now).bytes)) << "read " << i;
    EXPECT_EQ(host.Misaligned(), 0);

    Fault("");
    printer.Write(kGetConfig, false, now);
    UsbHostReader next = ReadAnswer();
    EXPECT_EQ(next.Body(), ExpectedConfigBody());
}

TEST_F(UsbPrinterTest, OtherWritesArePrintedUnlessThePrinterStalls)
{
    const std::string page = "\x1b%-12345X\x1b" "E page one";
    EXPECT_EQ(printer.Write(page, true, now), UsbWrite::Print);
    EXPECT_EQ(printer.Write(" more", false, now), UsbWrite::Print);
    EXPECT_EQ(printer.Write("", true, now), UsbWrite::Print); // delivers nothing, starts nothing
    sim::ReceivedLog received = device->Received();
    EXPECT_EQ(std::string(received.printBytes.begin(), received.printBytes.end()), page + " more");
    EXPECT_EQ(received.printJobs, 1);

    Fault("stall");
    EXPECT_EQ(printer.Write(page, true, now), UsbWrite::Stalled);
    EXPECT_EQ(device->Received().printBytes.size(), page.size() + 5);
    EXPECT_EQ(printer.Write(kGetConfig, false, now), UsbWrite::Request); // requests still get through
    EXPECT_TRUE(printer.Read(2048, now).bytes.starts_with("HTTP/1.1 200 OK"));
    Fault("");
    EXPECT_EQ(printer.Write(page, true, now), UsbWrite::Print);
    EXPECT_EQ(device->Received().printJobs, 2);
}

TEST_F(UsbPrinterTest, AnUnparsableRequestIsAnsweredWithBadRequest)
{
    EXPECT_EQ(printer.Write("GET /" + std::string(20000, 'a'), false, now), UsbWrite::Request);
    EXPECT_TRUE(printer.Read(2048, now).bytes.starts_with("HTTP/1.1 400 Bad Request\r\n"));
    // The channel is usable again afterwards.
    printer.Write(kGetConfig, false, now);
    EXPECT_EQ(ReadAnswer().Body(), ExpectedConfigBody());
}

TEST_F(UsbPrinterTest, ReachesTheQuillObjectStore)
{
    sim::QuillRead serial = printer.GetQuillObject({1, 1, 3, 3});
    ASSERT_EQ(serial.result, 0u);
    std::string text(serial.value.begin(), serial.value.end());
    EXPECT_NE(text.find("CN4A7K1XYZ"), std::string::npos);
    EXPECT_NE(printer.GetQuillObject({9, 9, 9, 9}).result, 0u);
}

} // namespace
