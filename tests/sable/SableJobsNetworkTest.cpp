// Jobs over the network against the simulator.
#include <gtest/gtest.h>

#include "SableNetworkTestSupport.h"

namespace {

class SableJobsNetworkTest : public ::testing::Test, public SableNetworkFixture {
protected:
    // The printer parses what it is sent, as a real one does.
    SableJobsNetworkTest() : SableNetworkFixture("sable-a", L"127.0.6.10")
    {
        control_.Settings(printer_, "job-delay-ms = 50\njob-check = strict");
    }

    std::string Jobs() const { return control_.Get("/printers/" + printer_ + "/received/jobs"); }
};

} // namespace

TEST_F(SableJobsNetworkTest, ServicesPostTheirJobAndPollItToTheEnd)
{
    LogTail log;
    ASSERT_TRUE(manager_.PrintDiagnosticsPage(target_));
    EXPECT_NE(log.Appended().find("Job completed."), std::string::npos) << log.Appended();
    EXPECT_TRUE(manager_.JobCompleted());
    EXPECT_EQ(manager_.JobLocation().rfind("/Jobs/JobList/", 0), 0u) << manager_.JobLocation();
    EXPECT_NE(Jobs().find("/DevMgmt/InternalPrintDyn.xml\tdiagnosticsPage\t"), std::string::npos) << Jobs();

    ASSERT_TRUE(manager_.CleanPrintheads(target_));
    EXPECT_NE(Jobs().find("cleaningPage"), std::string::npos);
    EXPECT_NE(Jobs().find("cleaningVerificationPage"), std::string::npos);

    ASSERT_TRUE(control_.Settings(printer_, "job-final-state = CANCELED")) << "any letter case ends the job";
    LogTail canceled;
    EXPECT_TRUE(manager_.AlignPrintheads(target_)) << "a network job reports true once it has a location";
    EXPECT_NE(canceled.Appended().find("Job canceled."), std::string::npos);
    EXPECT_NE(Jobs().find("/Calibration/Session\t"), std::string::npos);
    const std::string body = control_.Get("/printers/" + printer_ + "/received/jobs/1");
    EXPECT_EQ(body.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?><InternalPrintDyn xmlns=\"http://", 0), 0u) << body;
}

TEST_F(SableJobsNetworkTest, FailedFirstCleaningJobStopsTheCleaning)
{
    ASSERT_TRUE(control_.Settings(printer_, "fault.http = garbage"));
    LogTail log;
    EXPECT_FALSE(manager_.CleanPrintheads(target_));
    const std::string appended = log.Appended();
    EXPECT_NE(appended.find("Failed to start service for network devices. Service: cleaningPage"), std::string::npos)
        << appended;
    EXPECT_EQ(Jobs().find("cleaningVerificationPage"), std::string::npos);
}

TEST_F(SableJobsNetworkTest, PollerStopsWhenItsStarterGivesUp)
{
    ASSERT_TRUE(control_.Settings(printer_, "job-delay-ms = 600000"));
    SableWaits waits = manager_.Waits();
    waits.networkJobMs = 300;
    manager_.SetWaits(waits);
    EXPECT_TRUE(manager_.PrintQualityPage(target_));
    EXPECT_FALSE(manager_.JobCompleted());
    const int afterReturn = control_.HttpRequests(printer_);
    EXPECT_GT(afterReturn, 1) << "the poller polled while the starter waited";
    ::Sleep(200);
    EXPECT_EQ(control_.HttpRequests(printer_), afterReturn) << "nobody polls after the starter gave up";
}
