#include "printing/JobFollow.h"

#include "services/Termination.h"

#include <QElapsedTimer>
#include <chrono>
#include <thread>

namespace printing {

QString JobStatusText(const CupsJob& job, const JobState& state)
{
    const QString id = QString::number(job.id);
    auto with = [&state](const QString& text) { return state.reason.isEmpty() ? text : text + QStringLiteral(": ") + state.reason; };
    switch (state.phase) {
    case JobPhase::Completed: return QStringLiteral("Printed on %1 (job %2)").arg(job.queue, id);
    case JobPhase::Stopped: return with(QStringLiteral("Job %1 on %2 stopped").arg(id, job.queue));
    case JobPhase::Aborted: return with(QStringLiteral("Job %1 on %2 was aborted").arg(id, job.queue));
    case JobPhase::Canceled:
        // The printer's reasons (paused, out of paper) are not why a job
        // was canceled; only the job's own reason is told.
        if (state.reason.startsWith(QLatin1String("canceled")))
            return QStringLiteral("Job %1 on %2 was %3").arg(id, job.queue, state.reason);
        return QStringLiteral("Job %1 on %2 was canceled").arg(id, job.queue);
    case JobPhase::Queued:
    case JobPhase::Printing:
        if (state.heldByPrinter && !state.reason.isEmpty())
            return with(QStringLiteral("Job %1 on %2 stopped").arg(id, job.queue));
        break;
    case JobPhase::Lost: {
        QString text = state.reason;
        if (!text.isEmpty())
            text[0] = text[0].toUpper();
        return text;
    }
    case JobPhase::Unknown:
        if (!state.reason.isEmpty())
            return QStringLiteral("Job %1 on %2: %3").arg(id, job.queue, state.reason);
        break;
    }
    return QStringLiteral("Printing on %1 (job %2)…").arg(job.queue, id);
}

bool JobEnded(JobPhase phase)
{
    return phase == JobPhase::Completed || phase == JobPhase::Canceled || phase == JobPhase::Aborted ||
           phase == JobPhase::Lost;
}

core::Status WaitForJob(CupsJob& job, double seconds, const JobPoll& poll)
{
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        const JobState state = poll(job);
        if (state.phase == JobPhase::Completed)
            return core::Ok();
        // A stopped job goes on only when someone restarts it.
        if (JobEnded(state.phase))
            return core::Failure{core::kPrintFailed, JobStatusText(job, state)};
        if (state.phase == JobPhase::Stopped)
            return core::Failure{core::kPrintFailed, JobStatusText(job, state) + QStringLiteral("; it stays in the queue.")};
        if (services::TerminationRequested())
            return core::Failure{core::kPrintFailed,
                                     QStringLiteral("Stopped waiting for job %1 on %2; it stays in the queue.").arg(job.id).arg(job.queue)};
        if (waited.elapsed() >= seconds * 1000) {
            QString text = JobStatusText(job, state);
            if (!state.heldByPrinter || state.reason.isEmpty())
                text = QStringLiteral("Job %1 on %2 has not printed after %3 s").arg(job.id).arg(job.queue).arg(seconds) +
                       (state.reason.isEmpty() ? QString() : QStringLiteral(": ") + state.reason);
            return core::Failure{core::kPrintFailed, text + QStringLiteral("; it stays in the queue.")};
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
}

} // namespace printing
