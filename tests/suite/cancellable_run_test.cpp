// The worker run Setup and Uninstall share: what the page's Cancel and a failed step make of
// the run's end, and that a run that is not running is not asked about.
#include "suite/cancellable_run.h"

#include <gtest/gtest.h>

#include <string>

namespace {

enum class Outcome { NotStarted, Running, Succeeded, Failed, Cancelled };

enum class Interruption { None, CancelNo, CancelYes, FailedStep };

struct EndCase {
    const char* name;
    Interruption interruption;
    bool proceeds;
    Outcome outcome;
};

class CancellableRunEnd : public ::testing::TestWithParam<EndCase> {};

TEST_P(CancellableRunEnd, TheWorkerSeesTheStopAndTheRunEndsAccordingly) {
    const EndCase& c = GetParam();
    suite::CancellableRun<Outcome> run;
    ASSERT_TRUE(run.Begin());
    if (c.interruption == Interruption::FailedStep) {
        run.Stop();
    } else if (c.interruption != Interruption::None) {
        const bool yes = c.interruption == Interruption::CancelYes;
        EXPECT_EQ(run.RequestCancel([yes] { return yes; }), yes);
    }
    bool finished = false;
    ASSERT_TRUE(run.Launch([&] {
        const bool proceeds = run.Proceed();
        EXPECT_EQ(proceeds, c.proceeds);
        run.Finish(proceeds);
        finished = true;
    }));
    run.Wait();
    EXPECT_TRUE(finished);
    EXPECT_EQ(run.Current(), c.outcome);
    EXPECT_FALSE(run.IsRunning());
}

INSTANTIATE_TEST_SUITE_P(
    Interruptions, CancellableRunEnd,
    ::testing::Values(EndCase{"Uninterrupted", Interruption::None, true, Outcome::Succeeded},
                      EndCase{"CancelAnsweredNo", Interruption::CancelNo, true, Outcome::Succeeded},
                      EndCase{"CancelAnsweredYes", Interruption::CancelYes, false,
                              Outcome::Cancelled},
                      // A step that failed stops the run without anyone having cancelled it.
                      EndCase{"FailedStep", Interruption::FailedStep, false, Outcome::Failed}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CancellableRun, OnlyARunningRunAsksAboutCancelAndARunRunsOnce) {
    suite::CancellableRun<Outcome> run;
    int asked = 0;
    const auto confirm = [&] {
        ++asked;
        return true;
    };
    EXPECT_FALSE(run.RequestCancel(confirm));  // not started yet
    ASSERT_TRUE(run.Begin());
    run.Finish(true);
    EXPECT_FALSE(run.RequestCancel(confirm));  // already ended
    EXPECT_EQ(asked, 0);
    EXPECT_FALSE(run.Begin());
    EXPECT_EQ(run.Current(), Outcome::Succeeded);
}

TEST(CancellableRun, AStartThatFailedEndsAsFailed) {
    suite::CancellableRun<Outcome> run;
    ASSERT_TRUE(run.Begin());
    run.Abandon();
    EXPECT_EQ(run.Current(), Outcome::Failed);
    EXPECT_FALSE(run.IsRunning());
    EXPECT_FALSE(run.Begin());
}

}  // namespace
