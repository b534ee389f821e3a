// Job posts as a printer's parser reads them, and the tool's own job bodies against it.
#include <gtest/gtest.h>

#include <string>

#include "sable/SableRules.h"
#include "sim/SableDocuments.h"
#include "sim/SimDevice.h"
#include "sim/XmlDocument.h"

namespace {

const std::string kXmlDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";

std::string PrintBody(const std::string& jobType, const std::string& ns = sim::kInternalPrintNamespace)
{
    return kXmlDeclaration + "<InternalPrintDyn xmlns=\"" + ns + "\">\t<JobType>" + jobType +
           "</JobType></InternalPrintDyn>";
}

sim::HttpRequest JobRequest(const std::string& target, const std::string& body, const std::string& contentType = "text/xml")
{
    sim::HttpRequest request;
    request.method = "POST";
    request.target = target;
    request.version = "HTTP/1.1";
    if (!contentType.empty())
        request.headers.push_back({"Content-Type", contentType});
    request.body = body;
    return request;
}

int AnswerStatus(sim::SimDevice& printer, const sim::HttpRequest& request)
{
    return printer.HandleHttp(request).status;
}

sim::SimDevice JobPrinter(const char* jobCheck)
{
    sim::PrinterConfig config = sim::DefaultPrinter("office");
    config.address = "127.0.0.10";
    std::string error;
    EXPECT_TRUE(sim::ApplySetting(config, "job-check", jobCheck, error)) << error;
    return sim::SimDevice(config);
}

constexpr char kPrintPath[] = "/DevMgmt/InternalPrintDyn.xml";
constexpr char kCalibrationPath[] = "/Calibration/Session";

} // namespace

TEST(JobPost, TheToolsBodiesPassAStrictPrinter)
{
    sim::SimDevice printer = JobPrinter("strict");
    for (const char* jobType : {"diagnosticsPage", "pqDiagnosticsPage", "cleaningPage", "cleaningVerificationPage"}) {
        const std::string body = sable::InternalPrintDocument(jobType);
        std::string error;
        EXPECT_TRUE(sim::ReadJobPost(JobRequest(kPrintPath, body), false, error)) << error << "\n" << body;
        EXPECT_EQ(AnswerStatus(printer, JobRequest(kPrintPath, body)), 201) << jobType;
    }
    const std::string calibration = sable::CalibrationDocument();
    std::string error;
    EXPECT_TRUE(sim::ReadJobPost(JobRequest(kCalibrationPath, calibration), true, error)) << error << "\n" << calibration;
    EXPECT_EQ(AnswerStatus(printer, JobRequest(kCalibrationPath, calibration)), 201);
    // And what went out is what a printer parses as the request.
    EXPECT_EQ(printer.Received().jobPosts.front().jobType, "diagnosticsPage");
}

TEST(JobPost, AStrictPrinterRefusesWhatItCannotParse)
{
    const std::string wrongNamespace = "http://schemas.kelo.example/schemas/imaging/con/sable/other/2008/03/21";
    struct Case {
        const char* what;
        std::string body;
        std::string contentType;
    };
    const Case cases[] = {
        {"namespace in angle brackets", PrintBody("diagnosticsPage", std::string("<") + sim::kInternalPrintNamespace + ">"),
         "text/xml"},
        {"another namespace", PrintBody("diagnosticsPage", wrongNamespace), "text/xml"},
        {"no namespace", kXmlDeclaration + "<InternalPrintDyn><JobType>diagnosticsPage</JobType></InternalPrintDyn>",
         "text/xml"},
        {"job type in no namespace",
         kXmlDeclaration + "<p:InternalPrintDyn xmlns:p=\"" + sim::kInternalPrintNamespace +
             "\"><JobType>diagnosticsPage</JobType></p:InternalPrintDyn>",
         "text/xml"},
        {"two job types", PrintBody("diagnosticsPage</JobType><JobType>cleaningPage"), "text/xml"},
        {"unknown job type", PrintBody("everything"), "text/xml"},
        {"not closed", PrintBody("diagnosticsPage").substr(0, 120), "text/xml"},
        {"JobType in a comment only",
         kXmlDeclaration + "<InternalPrintDyn xmlns=\"" + sim::kInternalPrintNamespace +
             "\"><!--<JobType>diagnosticsPage</JobType>--></InternalPrintDyn>",
         "text/xml"},
        {"form content type", PrintBody("diagnosticsPage"), "application/x-www-form-urlencoded"},
        {"no content type", PrintBody("diagnosticsPage"), ""},
    };
    sim::SimDevice strict = JobPrinter("strict");
    for (const Case& c : cases)
        EXPECT_EQ(AnswerStatus(strict, JobRequest(kPrintPath, c.body, c.contentType)), 400) << c.what;
    EXPECT_EQ(AnswerStatus(strict, JobRequest(kPrintPath, PrintBody("cleaningPage"), "application/xml; charset=utf-8")), 201);
    EXPECT_EQ(strict.Received().jobPosts.size(), std::size(cases) + 1) << "refused posts are recorded too";

    // Calibration: its own root, namespace and a state.
    const std::string calibration = kXmlDeclaration + "<CalibrationState xmlns=\"" + sim::kCalibrationNamespace + "\">";
    EXPECT_EQ(AnswerStatus(strict, JobRequest(kCalibrationPath, calibration + "Printing</CalibrationState>")), 201);
    EXPECT_EQ(AnswerStatus(strict, JobRequest(kCalibrationPath, calibration + "</CalibrationState>")), 400);
    EXPECT_EQ(AnswerStatus(strict, JobRequest(kCalibrationPath, PrintBody("diagnosticsPage"))), 400);

    // A lenient printer takes what it finds a job type in, as before.
    sim::SimDevice lenient = JobPrinter("lenient");
    EXPECT_EQ(AnswerStatus(lenient, JobRequest(kPrintPath, cases[0].body, "")), 201);
    EXPECT_EQ(AnswerStatus(lenient, JobRequest(kPrintPath, PrintBody("everything"))), 400);
}

TEST(XmlDocument, WellFormedDocumentsAndTheirText)
{
    std::string error;
    auto root = sim::ParseXmlDocument("\xEF\xBB\xBF<?xml version='1.0'?>\n<!-- a -->\n<?pi x?>"
                                      "<a:r xmlns:a='urn:a' xmlns='urn:d' a:at='1 &amp; &#x32;'>"
                                      "<c>x &lt; y<![CDATA[ <&> ]]>&#233;</c><c/><a:c xml:lang='en'/></a:r>\n<!-- z -->",
                                      error);
    ASSERT_TRUE(root) << error;
    EXPECT_EQ(root->namespaceUri, "urn:a");
    EXPECT_EQ(root->localName, "r");
    ASSERT_EQ(root->Children("urn:d", "c").size(), 2u);
    EXPECT_EQ(root->Children("urn:d", "c")[0]->text, "x < y <&> \xC3\xA9");
    EXPECT_EQ(root->Children("urn:a", "c").size(), 1u);
}

TEST(XmlDocument, RefusesWhatIsNotWellFormed)
{
    std::string deep; // nested a hundred deep
    for (int i = 0; i < 100; ++i)
        deep = "<e>" + deep + "</e>";
    const std::string cases[] = {
        "",
        "text only",
        "<a>",
        "<a></b>",
        "<a><b></a></b>",
        "<a x=\"<\"/>",
        "<a x=1/>",
        "<a x=\"1\" x=\"2\"/>",
        "<a x=\"1\"y=\"2\"/>",
        "<p:a/>",
        "<a xmlns:p=\"\"/>",
        "<a xmlns=\"http://x.example/ \"/>",
        "<a>&nbsp;</a>",
        "<a>&#1;</a>",
        "<a>&#xD800;</a>",
        "<a>]]></a>",
        "<a>\x01</a>",
        "<a/><b/>",
        "<a/>tail",
        "<!DOCTYPE a [<!ENTITY e \"x\">]><a>&e;</a>",
        "<a><?xml version=\"1.0\"?></a>",
        "<a><!-- -- --></a>",
        "<a><![CDATA[x</a>",
        deep,
    };
    for (const std::string& text : cases) {
        std::string error;
        EXPECT_FALSE(sim::ParseXmlDocument(text, error)) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
}
