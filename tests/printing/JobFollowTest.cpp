// Following a CUPS job: what the status line says in every state, and
// when an unattended run's wait ends and how, with CUPS played by a list
// of the states it reports.
#include "printing/JobFollow.h"
#include "services/Termination.h"
#include "tests/support/PrintTo.h"

#include <gtest/gtest.h>
#include <vector>

using printing::JobPhase;
using printing::JobState;

namespace {

const printing::CupsJob kJob{QStringLiteral("Label"), 12, 0, 0, {}};

} // namespace

TEST(JobFollow, StatusText_EveryState)
{
    struct Case {
        JobState state;
        const char* text;
    };
    const Case cases[] = {
        {{JobPhase::Queued, false, {}}, "Printing on Label (job 12)…"},
        {{JobPhase::Printing, false, {}}, "Printing on Label (job 12)…"},
        {{JobPhase::Queued, true, QStringLiteral("the printer is paused")}, "Job 12 on Label stopped: the printer is paused"},
        {{JobPhase::Printing, true, QStringLiteral("media empty")}, "Job 12 on Label stopped: media empty"},
        {{JobPhase::Unknown, false, QStringLiteral("the job can't be found")}, "Job 12 on Label: the job can't be found"},
        {{JobPhase::Stopped, false, QStringLiteral("could not open the output file")},
         "Job 12 on Label stopped: could not open the output file"},
        {{JobPhase::Completed, false, {}}, "Printed on Label (job 12)"},
        {{JobPhase::Canceled, false, QStringLiteral("canceled by its owner")}, "Job 12 on Label was canceled by its owner"},
        {{JobPhase::Canceled, false, {}}, "Job 12 on Label was canceled"},
        {{JobPhase::Canceled, true, QStringLiteral("the printer is paused")}, "Job 12 on Label was canceled"},
        {{JobPhase::Aborted, false, QStringLiteral("filter failed")}, "Job 12 on Label was aborted: filter failed"},
        {{JobPhase::Lost, false, QStringLiteral("queue Label was removed; job 12 is gone")}, "Queue Label was removed; job 12 is gone"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(printing::JobStatusText(kJob, c.state), QString::fromUtf8(c.text));
}

TEST(JobFollow, WaitForJob_EndsWithTheJobOrTheTime)
{
    struct Case {
        const char* why;
        std::vector<JobState> reported; // the last one repeats
        double seconds;
        const char* failure; // empty: printed
    };
    const Case cases[] = {
        {"printed after a while", {{JobPhase::Queued, false, {}}, {JobPhase::Printing, false, {}}, {JobPhase::Completed, false, {}}}, 30, ""},
        {"a stopped job fails at once, long before the wait ends",
         {{JobPhase::Printing, false, {}}, {JobPhase::Stopped, false, QStringLiteral("could not open the output file")}}, 3600,
         "Job 12 on Label stopped: could not open the output file; it stays in the queue."},
        {"canceled from outside", {{JobPhase::Queued, false, {}}, {JobPhase::Canceled, false, {}}}, 3600, "Job 12 on Label was canceled"},
        {"a server gone ends the wait at once, and says nothing of a queue",
         {{JobPhase::Queued, false, {}}, {JobPhase::Lost, false, QStringLiteral("the print server at localhost:631 stopped answering; job 12's state is unknown")}},
         3600, "The print server at localhost:631 stopped answering; job 12's state is unknown"},
        {"a paused printer is waited for until the time is up",
         {{JobPhase::Queued, true, QStringLiteral("the printer is paused")}}, 0.3,
         "Job 12 on Label stopped: the printer is paused; it stays in the queue."},
        {"still printing when the time is up", {{JobPhase::Printing, false, {}}}, 0,
         "Job 12 on Label has not printed after 0 s; it stays in the queue."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        std::size_t polls = 0;
        printing::CupsJob job = kJob;
        const auto failed = printing::WaitForJob(job, c.seconds, [&](printing::CupsJob&) {
            return c.reported[std::min(polls++, c.reported.size() - 1)];
        });
        EXPECT_EQ(failed.failed() ? failed.failure().text : QString(), QString::fromUtf8(c.failure));
    }
    // A run stopped by a signal stops waiting at once.
    services::RequestStop();
    printing::CupsJob job = kJob;
    const auto stopped = printing::WaitForJob(job, 3600, [](printing::CupsJob&) { return JobState{JobPhase::Printing, false, {}}; });
    services::ClearStopRequest();
    ASSERT_TRUE(stopped.failed());
    EXPECT_EQ(stopped.failure().text, "Stopped waiting for job 12 on Label; it stays in the queue.");
}
