#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>

#include "sim/SableDocuments.h"
#include "sim/SimDevice.h"

namespace {

struct ManualClock {
    sim::Clock::time_point now{};
    std::function<sim::Clock::time_point()> Function()
    {
        return [this] { return now; };
    }
};

sim::HttpRequest Get(const std::string& target)
{
    sim::HttpRequest request;
    request.method = "GET";
    request.target = target;
    request.version = "HTTP/1.1";
    return request;
}

sim::HttpRequest Post(const std::string& target, const std::string& body)
{
    sim::HttpRequest request = Get(target);
    request.method = "POST";
    request.body = body;
    return request;
}

std::string InternalPrint(const std::string& jobType)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><InternalPrintDyn xmlns=\"<x>\">\t<JobType>" + jobType +
           "</JobType></InternalPrintDyn>";
}

sim::PrinterConfig NetworkSable()
{
    sim::PrinterConfig config = sim::DefaultPrinter("office");
    config.address = "127.0.0.10";
    config.jobDelayMs = 1000;
    return config;
}

// Every prefix used on an element or attribute is declared on the root.
void ExpectPrefixesDeclared(const std::string& xml, const std::string& what)
{
    std::set<std::string> used;
    std::regex element("</?([A-Za-z0-9]+):[A-Za-z]");
    for (auto it = std::sregex_iterator(xml.begin(), xml.end(), element); it != std::sregex_iterator(); ++it)
        used.insert((*it)[1]);
    EXPECT_FALSE(used.empty()) << what;
    for (const std::string& prefix : used)
        EXPECT_NE(xml.find("xmlns:" + prefix + "=\""), std::string::npos) << what << ": " << prefix;
    EXPECT_TRUE(xml.starts_with("<?xml version=\"1.0\" encoding=\"UTF-8\"?>")) << what;
}

} // namespace

TEST(SableService, ServesEveryResourceTheToolReads)
{
    sim::SimDevice device(NetworkSable());
    const char* paths[] = {"/DevMgmt/ProductConfigDyn.xml", "/DevMgmt/ConsumableConfigDyn.xml",
                           "/DevMgmt/ProductUsageDyn.xml", "/IoMgmt/Adapters", "/DevMgmt/ProductStatusDyn.xml"};
    for (const char* path : paths) {
        sim::HttpResponse response = device.HandleHttp(Get(path));
        EXPECT_EQ(response.status, 200) << path;
        ExpectPrefixesDeclared(response.body, path);
    }
    EXPECT_EQ(device.Received().httpRequests.front(), "GET /DevMgmt/ProductConfigDyn.xml HTTP/1.1");

    sim::HttpResponse unknown = device.HandleHttp(Get("/DevMgmt/Nothing.xml"));
    EXPECT_EQ(unknown.status, 404);
    EXPECT_NE(unknown.body.find("<html>"), std::string::npos);
    EXPECT_EQ(device.HandleHttp(Post("/IoMgmt/Adapters", "")).status, 405);

    sim::PrinterConfig quill = NetworkSable();
    quill.protocol = sim::Protocol::Quill;
    EXPECT_EQ(sim::SimDevice(quill).HandleHttp(Get("/DevMgmt/ProductConfigDyn.xml")).status, 404)
        << "a Quill printer has no Sable resources";
}

TEST(SableService, DocumentsCarryTheStateAndEscapeItsText)
{
    sim::PrinterConfig config = NetworkSable();
    config.model = "Kelo <Office> & Co";
    config.statuses = {"inPowerSave", "cartridgeLow"};
    config.alerts = {{"cartridgeLow", "Warning", 5}, {"genuineKelo", "Info", -1}};
    sim::SimDevice device(config);

    std::string product = device.HandleHttp(Get("/DevMgmt/ProductConfigDyn.xml")).body;
    EXPECT_NE(product.find("<dd:MakeAndModel>Kelo &lt;Office&gt; &amp; Co</dd:MakeAndModel>"), std::string::npos);
    EXPECT_NE(product.find("<dd:ServiceID>23045</dd:ServiceID>"), std::string::npos);

    std::string status = device.HandleHttp(Get("/DevMgmt/ProductStatusDyn.xml")).body;
    // The status category must be the first child of its status element.
    EXPECT_NE(status.find("<psdyn:Status><pscat:StatusCategory>inPowerSave<"), std::string::npos);
    EXPECT_LT(status.find(">inPowerSave<"), status.find(">cartridgeLow<"));
    EXPECT_NE(status.find("<ad:AlertPriority>5</ad:AlertPriority>"), std::string::npos);
    EXPECT_EQ(status.find("<ad:AlertPriority>-1"), std::string::npos) << "an alert without priority has no element";

    std::string usage = device.HandleHttp(Get("/DevMgmt/ProductUsageDyn.xml")).body;
    EXPECT_NE(usage.find("<dd:SupplySerialNumber>KB7001</dd:SupplySerialNumber>"), std::string::npos);
    EXPECT_NE(usage.find("<dd:MarkingAgentCount>12</dd:MarkingAgentCount>"), std::string::npos);

    std::string adapters = device.HandleHttp(Get("/IoMgmt/Adapters")).body;
    EXPECT_LT(adapters.find("<dd:IsConnected>false"), adapters.find("<dd:MacAddress>00:1A:2B:3C:4D:5E"))
        << "the connected adapter is not the first one";

    std::string error;
    ASSERT_TRUE(device.Apply("statuses", "jamInPrinter", error));
    EXPECT_NE(device.HandleHttp(Get("/DevMgmt/ProductStatusDyn.xml")).body.find(">jamInPrinter<"), std::string::npos);
    EXPECT_FALSE(device.Apply("address", "127.0.0.99", error)) << "listeners are bound to the address";
}

TEST(SableService, JobsRunForTheirTimeAndEndAsConfigured)
{
    ManualClock clock;
    sim::SimDevice device(NetworkSable(), clock.Function());

    sim::HttpResponse created = device.HandleHttp(Post("/DevMgmt/InternalPrintDyn.xml", InternalPrint("cleaningPage")));
    ASSERT_EQ(created.status, 201);
    std::string location;
    for (const auto& [name, value] : created.headers)
        if (name == "Location")
            location = value;
    ASSERT_TRUE(location.starts_with("http://127.0.0.10:8080/Jobs/JobList/")) << location;
    std::string jobPath = location.substr(location.find("/Jobs/JobList/"));

    EXPECT_NE(device.HandleHttp(Get(jobPath)).body.find("<j:JobState>processing</j:JobState>"), std::string::npos);
    clock.now += std::chrono::milliseconds(1000);
    EXPECT_NE(device.HandleHttp(Get(jobPath)).body.find("<j:JobState>completed</j:JobState>"), std::string::npos);

    std::string error;
    ASSERT_TRUE(device.Apply("job-final-state", "canceled", error));
    ASSERT_TRUE(device.Apply("job-delay-ms", "0", error));
    const char* calibration = "<?xml version=\"1.0\"?><CalibrationState xmlns=\"x\">Printing</CalibrationState>";
    sim::HttpResponse calibrated = device.HandleHttp(Post("/Calibration/Session", calibration));
    ASSERT_EQ(calibrated.status, 201);
    std::string calibrationJob = calibrated.headers[0].second.substr(calibrated.headers[0].second.find("/Jobs"));
    EXPECT_NE(calibrationJob, jobPath);
    EXPECT_NE(device.HandleHttp(Get(calibrationJob)).body.find(">canceled<"), std::string::npos);

    EXPECT_EQ(device.HandleHttp(Post("/DevMgmt/InternalPrintDyn.xml", InternalPrint("selfDestruct"))).status, 400);
    EXPECT_EQ(device.HandleHttp(Get("/Jobs/JobList/999")).status, 404);

    sim::ReceivedLog received = device.Received();
    ASSERT_EQ(received.jobPosts.size(), 3u);
    EXPECT_EQ(received.jobPosts[0].jobType, "cleaningPage");
    EXPECT_EQ(received.jobPosts[1].path, "/Calibration/Session");
    EXPECT_EQ(received.jobPosts[2].jobType, "selfDestruct") << "refused posts are recorded too";
}

TEST(SableService, UsbJobLocationsAreRelative)
{
    sim::PrinterConfig config = sim::DefaultPrinter("desk");
    config.usb = true;
    sim::SimDevice device(config);
    sim::HttpResponse created = device.HandleHttp(Post("/DevMgmt/InternalPrintDyn.xml", InternalPrint("diagnosticsPage")));
    ASSERT_EQ(created.status, 201);
    EXPECT_EQ(created.headers[0].second, "/Jobs/JobList/12");
}
