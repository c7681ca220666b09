// Following a CUPS job to its end: the words the status line and an
// unattended run use for where it stands, and the wait of an unattended
// run for its job.
#pragma once

#include "core/Result.h"
#include "printing/CupsQueue.h"

#include <QString>
#include <functional>

namespace printing {

// "Printing on NAME (job 12)…", "Printed on NAME (job 12)", "Job 12 on NAME
// stopped: the printer is paused", "Job 12 on NAME was canceled by its
// owner", "Job 12 on NAME was aborted: REASON".
QString JobStatusText(const CupsJob& job, const JobState& state);

// The job has ended, printed or not, or can't be followed any more (its
// queue or its server went away): nothing more will be learnt of it.
bool JobEnded(JobPhase phase);

using JobPoll = std::function<JobState(CupsJob&)>;

// Waits up to `seconds` for the job to print. Done when it printed;
// else why not, in the status line's words: stopped, aborted or canceled
// (at once), its queue removed or its server gone (at once), or still
// queued or printing when the time is up (a paused
// printer says so). A stop request (services::TerminationRequested) ends
// the wait as well. The job is left in the queue either way.
core::Status WaitForJob(CupsJob& job, double seconds, const JobPoll& poll = PollJob);

} // namespace printing
