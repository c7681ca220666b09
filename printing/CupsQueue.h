// CUPS queues through libcups itself: a queue named as the local CUPS
// server knows it or by its ipp:// or ipps:// URI, the page it prints on
// (its default media, printable area and resolution, as the queue says),
// jobs sent to it as PDF documents, and what became of them.
#pragma once

#include "core/Result.h"

#include <QMarginsF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <optional>

class QIODevice;

namespace printing {

// True when this build talks to CUPS (Linux); elsewhere the functions
// below fail or say nothing.
bool CupsBuilt();

// Why the print server that queues named locally live on can't be
// reached ("the print server at localhost:631 can't be reached: it
// refused the connection"), or empty when it answers.
QString CupsServerProblem();

// ipp://host[:port]/printers/NAME or ipps://...: a queue named by its URI.
bool IsQueueUri(const QString& name);

// The page a queue prints on.
struct QueuePage {
    QSizeF sizeMm;       // the sheet or label
    QMarginsF marginsMm; // the edges it can't print on
    int dpi = 0;         // its dots per inch; 0 when it does not say
};

// The page in a few words: "4 × 5 in label, 203 dpi", "A4, 600 dpi".
QString DescribePage(const QueuePage& page);
// Its printable area: "printable to the edges", "margins 6.35 mm".
QString DescribeMargins(const QueuePage& page);

// The queue's default media with its margins, and its resolution, from
// its IPP attributes; why not, when the queue can't be reached or names
// no media.
core::Result<QueuePage> QueuePageOf(const QString& queue);

// What a queue takes as documents.
struct QueueFormats {
    // It passes a job's bytes to its device unchanged: a CUPS queue with no
    // driver ("lpadmin -m raw").
    bool raw = false;
    QStringList formats; // its document-format-supported: "application/pdf", "application/vnd.zebra-zpl" ...
};

// What the queue says it takes; why not, when it can't be asked.
core::Result<QueueFormats> QueueFormatsOf(const QString& queue);

// A job a queue has accepted.
struct CupsJob {
    QString queue; // as the user named it
    int id = 0;
    int subscription = 0; // the scheduler's notes about the job are read from it
    int lastNote = 0;     // sequence number of the last note read
    QString note;         // the scheduler's last note ("Stopping job because ...")
};

// Lost: the job can no longer be followed, because its queue was removed
// or its print server stopped answering (the reason says which).
enum class JobPhase { Queued, Printing, Stopped, Canceled, Aborted, Completed, Unknown, Lost };

// Where a job stands, with the words for what holds it up or ended it.
struct JobState {
    JobPhase phase = JobPhase::Unknown;
    // The printer holds the job up: it is paused, or reports an error
    // (media empty, a door open) while the job waits or prints.
    bool heldByPrinter = false;
    QString reason;
};

// Sends the document read from `document` (of the MIME type `format`,
// "application/pdf") to the queue as one job titled `title`; why not, when
// the queue refuses it.
core::Result<CupsJob> SubmitDocument(const QString& queue, const QString& title, QIODevice& document,
                                     const char* format);
// Asks the queue about the job (and its printer).
JobState PollJob(CupsJob& job);
core::Status CancelJob(const CupsJob& job);
// Drops what the scheduler keeps for following the job.
void ForgetJob(CupsJob& job);

// The job's phase from IPP's job-state (3 pending ... 9 completed).
JobPhase PhaseOfJobState(int jobState);
// Words for what holds a job up: the scheduler's note about it when it has
// one ("Stopping job because the scheduler could not open the output file."
// says "could not open the output file"), else the printer's state reasons
// ("paused": "the printer is paused", "media-empty-error": "media empty")
// with its message, else the job's own reasons.
QString ReasonText(const QString& note, const QStringList& printerReasons, const QString& printerMessage,
                   const QStringList& jobReasons);

} // namespace printing
