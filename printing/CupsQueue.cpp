#include "printing/CupsQueue.h"

#include <QIODevice>
#include <QPageSize>
#include <QRegularExpression>

#ifdef QUORVANE_HAVE_CUPS
#include "printing/CupsLibrary.h"

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>
#include <utility>

namespace printing {
namespace {

constexpr double kMmPerInch = 25.4;

// A length in inches as a label's size is written: 4, 2.25.
QString Inches(double mm)
{
    return QString::number(std::round(mm / kMmPerInch * 100) / 100, 'g', 6);
}

bool WholeQuarterInches(double mm)
{
    const double quarters = mm / kMmPerInch * 4;
    return std::abs(quarters - std::round(quarters)) < 0.02;
}

QString Millimeters(double mm) { return QString::number(std::round(mm * 100) / 100, 'g', 6); }

// Printer state reasons in words; the rest are told as their keywords.
struct ReasonWords {
    std::string_view keyword;
    const char* words;
};
constexpr std::array<ReasonWords, 12> kReasonWords{{
    {"paused", "the printer is paused"},
    {"media-empty", "media empty"},
    {"media-needed", "media needed"},
    {"media-jam", "media jam"},
    {"toner-empty", "toner empty"},
    {"marker-supply-empty", "supplies empty"},
    {"door-open", "a door is open"},
    {"cover-open", "the cover is open"},
    {"offline", "the printer is offline"},
    {"shutdown", "the printer is shut down"},
    {"connecting-to-device", "the printer can't be reached"},
    {"job-canceled-by-user", "canceled by its owner"},
}};

// "media-empty-error" -> "media empty".
QString ReasonInWords(QString keyword)
{
    static const QRegularExpression severity(QStringLiteral("-(error|warning|report)$"));
    keyword.remove(severity);
    for (const ReasonWords& r : kReasonWords)
        if (keyword == QLatin1String(r.keyword.data(), static_cast<qsizetype>(r.keyword.size())))
            return QString::fromLatin1(r.words);
    return keyword.replace(QLatin1Char('-'), QLatin1Char(' '));
}

QString Reasons(const QStringList& keywords)
{
    QStringList words;
    for (const QString& k : keywords)
        if (k != QLatin1String("none") && !k.endsWith(QLatin1String("-report")) && k != QLatin1String("job-printing") &&
            k != QLatin1String("job-incoming") && k != QLatin1String("job-queued"))
            words << ReasonInWords(k);
    words.removeDuplicates();
    return words.join(QStringLiteral(", "));
}

// Why a queue can't be used or a job not sent, in words to follow "The
// printer X failed: ".
core::Failure Unusable(const QString& why) { return core::Failure{core::kPrintFailed, why}; }

[[maybe_unused]] const QString kNoCups = QStringLiteral("this build does not print through CUPS");

} // namespace

bool IsQueueUri(const QString& name)
{
    return name.startsWith(QLatin1String("ipp://"), Qt::CaseInsensitive) ||
           name.startsWith(QLatin1String("ipps://"), Qt::CaseInsensitive);
}

QString DescribePage(const QueuePage& page)
{
    const double w = page.sizeMm.width(), h = page.sizeMm.height();
    const QPageSize known(page.sizeMm, QPageSize::Millimeter, QString(), QPageSize::FuzzyMatch);
    QString text;
    if (known.id() != QPageSize::Custom)
        text = known.name().section(QStringLiteral(" / "), 0, 0); // "Letter / ANSI A": its common name
    else if (WholeQuarterInches(w) && WholeQuarterInches(h))
        text = QStringLiteral("%1 × %2 in label").arg(Inches(w), Inches(h));
    else
        text = QStringLiteral("%1 × %2 mm label").arg(Millimeters(w), Millimeters(h));
    if (page.dpi > 0)
        text += QStringLiteral(", %1 dpi").arg(page.dpi);
    return text;
}

QString DescribeMargins(const QueuePage& page)
{
    const QMarginsF& m = page.marginsMm;
    if (m.left() <= 0 && m.top() <= 0 && m.right() <= 0 && m.bottom() <= 0)
        return QStringLiteral("printable to the edges");
    if (m.left() == m.top() && m.left() == m.right() && m.left() == m.bottom())
        return QStringLiteral("margins %1 mm").arg(Millimeters(m.left()));
    return QStringLiteral("margins %1 mm left, %2 mm top, %3 mm right, %4 mm bottom")
        .arg(Millimeters(m.left()), Millimeters(m.top()), Millimeters(m.right()), Millimeters(m.bottom()));
}

JobPhase PhaseOfJobState(int jobState)
{
    switch (jobState) {
    case 3:
    case 4: return JobPhase::Queued;
    case 5: return JobPhase::Printing;
    case 6: return JobPhase::Stopped;
    case 7: return JobPhase::Canceled;
    case 8: return JobPhase::Aborted;
    case 9: return JobPhase::Completed;
    default: return JobPhase::Unknown;
    }
}

QString ReasonText(const QString& note, const QStringList& printerReasons, const QString& printerMessage,
                   const QStringList& jobReasons)
{
    // The scheduler says why it stopped a job in a sentence of its own.
    QString said = note.trimmed();
    for (const char* opening : {"Stopping job because ", "the scheduler ", "Job "})
        if (said.startsWith(QLatin1String(opening), Qt::CaseInsensitive))
            said = said.mid(static_cast<qsizetype>(std::string_view(opening).size()));
    while (said.endsWith(QLatin1Char('.')))
        said.chop(1);
    if (!said.isEmpty())
        return said;
    QString text = Reasons(printerReasons);
    const QString message = printerMessage.trimmed();
    // "Paused" is what pausing a queue without a reason leaves as its message.
    if (!message.isEmpty() && message.compare(QLatin1String("Paused"), Qt::CaseInsensitive) != 0 &&
        !text.contains(message, Qt::CaseInsensitive))
        text = text.isEmpty() ? message : QStringLiteral("%1 (%2)").arg(text, message);
    return text.isEmpty() ? Reasons(jobReasons) : text;
}

#ifdef QUORVANE_HAVE_CUPS

using cups::Cups;

namespace {

// Every successful-ok-* status is below the redirections and errors.
bool Failed(ipp_status_t status) { return status >= IPP_STATUS_REDIRECTION_OTHER_SITE; }

// The server libcups talks to for queues named locally: its socket, or
// host:port.
QString LocalServer()
{
    const QString server = QString::fromUtf8(Cups().cupsServer());
    return server.startsWith(QLatin1Char('/')) ? server : QStringLiteral("%1:%2").arg(server).arg(Cups().ippPort());
}

// Why a connection failed, from the errno of the attempt: a server that
// is not listening refuses it.
QString ConnectionError(int error)
{
    if (error == ECONNREFUSED)
        return QStringLiteral("it refused the connection");
    if (error == 0 || error == ETIMEDOUT)
        return QStringLiteral("it does not answer");
    return QString::fromLocal8Bit(std::strerror(error));
}

// Why nothing at host:port (or at the socket a host starting with "/"
// names) takes a connection: libcups reports the failure of a connect
// with another error than the connect's own, so it is tried here once.
QString WhyNoConnection(const char* host, int port)
{
    http_addrlist_t* list = Cups().httpAddrGetList(host, AF_UNSPEC, QByteArray::number(port).constData());
    if (!list)
        return QStringLiteral("its name is not known");
    int error = ECONNREFUSED;
    for (http_addrlist_t* a = list; a; a = a->next) {
        const int fd = ::socket(Cups().httpAddrFamily(&a->addr), SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            error = errno;
            continue;
        }
        int e = ::connect(fd, &a->addr.addr, static_cast<socklen_t>(Cups().httpAddrLength(&a->addr))) == 0 ? 0 : errno;
        if (e == EINPROGRESS) {
            pollfd p{fd, POLLOUT, 0};
            socklen_t len = sizeof e;
            e = ::poll(&p, 1, 5000) <= 0 ? ETIMEDOUT : ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &e, &len) == 0 ? e : errno;
        }
        ::close(fd);
        if (e == 0) {
            error = 0;
            break;
        }
        error = e;
    }
    Cups().httpAddrFreeList(list);
    return ConnectionError(error);
}

// Connects to a server; why not, in words to follow "can't be reached: ".
QString Connect(const char* host, int port, http_encryption_t encryption, http_t** http)
{
    *http = Cups().httpConnect2(host, port, nullptr, AF_UNSPEC, encryption, 1, 15000, nullptr);
    return *http ? QString() : WhyNoConnection(host, port);
}

// The words for a job that can't be followed any more.
QString StoppedAnswering(const QString& server, int id)
{
    return QStringLiteral("the print server at %1 stopped answering; job %2's state is unknown").arg(server).arg(id);
}

// A queue and the connection that reaches it: the local server's shared
// connection for a queue named locally, an own connection for a URI.
class Destination {
public:
    explicit Destination(const QString& queue) : queue_(queue)
    {
        if (!Cups().problem.isEmpty()) {
            server_ = QStringLiteral("of this machine");
            unreachable_ = Cups().problem;
            return;
        }
        const QByteArray name = queue.toUtf8();
        if (IsQueueUri(queue)) {
            dest_ = Cups().cupsGetDestWithURI(nullptr, name.constData());
            if (!dest_)
                return;
            char scheme[32], user[256], host[256], resource[1024];
            int port = 0;
            if (Cups().httpSeparateURI(HTTP_URI_CODING_ALL, name.constData(), scheme, sizeof scheme, user, sizeof user, host,
                                sizeof host, &port, resource, sizeof resource) < HTTP_URI_STATUS_OK)
                return;
            const bool tls = std::string_view(scheme) == "ipps";
            server_ = QStringLiteral("%1:%2").arg(QString::fromUtf8(host)).arg(port);
            unreachable_ = Connect(host, port, tls ? HTTP_ENCRYPTION_ALWAYS : HTTP_ENCRYPTION_IF_REQUESTED, &http_);
            ownHttp_ = true;
            uri_ = name;
            resource_ = resource;
            reachable_ = http_ != nullptr;
        } else {
            server_ = LocalServer();
            dest_ = Cups().cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.constData(), nullptr);
            if (!dest_) {
                // No queue of that name, or no server to ask.
                http_t* probe = nullptr;
                unreachable_ = Connect(Cups().cupsServer(), Cups().ippPort(), Cups().cupsEncryption(), &probe);
                if (probe)
                    Cups().httpClose(probe);
                return;
            }
            const char* uri = Cups().cupsGetOption("printer-uri-supported", dest_->num_options, dest_->options);
            uri_ = uri ? QByteArray(uri) : "ipp://localhost/printers/" + name;
            resource_ = "/";
            reachable_ = true;
        }
    }
    ~Destination()
    {
        if (info_)
            Cups().cupsFreeDestInfo(info_);
        if (ownHttp_ && http_)
            Cups().httpClose(http_);
        if (dest_)
            Cups().cupsFreeDests(1, dest_);
    }
    Destination(const Destination&) = delete;
    Destination& operator=(const Destination&) = delete;

    // Why the queue can't be used, or empty.
    QString Problem() const
    {
        if (!unreachable_.isEmpty())
            return QStringLiteral("the print server at %1 can't be reached: %2").arg(server_, unreachable_);
        if (!dest_)
            return IsQueueUri(queue_) ? QStringLiteral("%1 is not a printer URI CUPS can use").arg(queue_)
                                      : QStringLiteral("CUPS knows no queue named \"%1\"").arg(queue_);
        if (!reachable_)
            return QStringLiteral("the print server of %1 can't be reached").arg(queue_);
        return {};
    }
    // The server does not answer (the queue may still be there).
    bool Unreachable() const { return !unreachable_.isEmpty(); }
    // Where the queue lives: a socket or host:port.
    const QString& Server() const { return server_; }

    cups_dest_t* dest() const { return dest_; }
    http_t* http() const { return http_; }
    cups_dinfo_t* info()
    {
        if (!info_)
            info_ = Cups().cupsCopyDestInfo(http_, dest_);
        return info_;
    }

    // An IPP request about this queue, with the operation's usual attributes.
    ipp_t* Request(ipp_op_t op) const
    {
        ipp_t* request = Cups().ippNewRequest(op);
        Cups().ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri_.constData());
        Cups().ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, Cups().cupsUser());
        return request;
    }
    // Sends the request; the answer or nothing (freed by the caller).
    ipp_t* Send(ipp_t* request) const
    {
        ipp_t* answer = Cups().cupsDoRequest(http_, request, resource_.constData());
        if (answer && Failed(Cups().ippGetStatusCode(answer))) {
            Cups().ippDelete(answer);
            return nullptr;
        }
        return answer;
    }

    static QString LastError() { return QString::fromUtf8(Cups().cupsLastErrorString()); }

private:
    QString queue_;
    QString server_;
    QString unreachable_; // why the server can't be reached, or empty
    cups_dest_t* dest_ = nullptr;
    http_t* http_ = CUPS_HTTP_DEFAULT;
    bool ownHttp_ = false;
    bool reachable_ = false;
    QByteArray uri_, resource_;
    cups_dinfo_t* info_ = nullptr;
};

QStringList Strings(ipp_t* answer, const char* name)
{
    QStringList values;
    if (ipp_attribute_t* a = Cups().ippFindAttribute(answer, name, IPP_TAG_ZERO))
        for (int i = 0; i < Cups().ippGetCount(a); ++i)
            if (const char* s = Cups().ippGetString(a, i, nullptr))
                values << QString::fromUtf8(s);
    return values;
}

int Integer(ipp_t* answer, const char* name, int def)
{
    ipp_attribute_t* a = Cups().ippFindAttribute(answer, name, IPP_TAG_ZERO);
    return a && (Cups().ippGetValueTag(a) == IPP_TAG_INTEGER || Cups().ippGetValueTag(a) == IPP_TAG_ENUM) ? Cups().ippGetInteger(a, 0) : def;
}

// The media-col-default collection's size and margins, in millimetres.
// Read here rather than through cupsGetDestMediaDefault, which for CUPS'
// own ZPL Label Printer model answers 1.25 × 0.25 in (a size its driver
// lists) instead of the queue's 4 × 5 in default.
std::optional<QueuePage> PageOfMediaCol(ipp_t* answer)
{
    ipp_attribute_t* col = Cups().ippFindAttribute(answer, "media-col-default", IPP_TAG_BEGIN_COLLECTION);
    ipp_t* media = col ? Cups().ippGetCollection(col, 0) : nullptr;
    ipp_attribute_t* sizeAttr = media ? Cups().ippFindAttribute(media, "media-size", IPP_TAG_BEGIN_COLLECTION) : nullptr;
    ipp_t* size = sizeAttr ? Cups().ippGetCollection(sizeAttr, 0) : nullptr;
    const int x = size ? Integer(size, "x-dimension", 0) : 0, y = size ? Integer(size, "y-dimension", 0) : 0;
    if (x <= 0 || y <= 0)
        return std::nullopt;
    auto margin = [media](const char* name) { return std::max(Integer(media, name, 0), 0) / 100.0; };
    QueuePage page;
    page.sizeMm = QSizeF(x / 100.0, y / 100.0);
    page.marginsMm = QMarginsF(margin("media-left-margin"), margin("media-top-margin"), margin("media-right-margin"),
                               margin("media-bottom-margin"));
    return page;
}

int DotsPerInch(ipp_t* answer)
{
    ipp_attribute_t* res = Cups().ippFindAttribute(answer, "printer-resolution-default", IPP_TAG_RESOLUTION);
    if (!res)
        return 0;
    int y = 0;
    ipp_res_t units = IPP_RES_PER_INCH;
    const int x = Cups().ippGetResolution(res, 0, &y, &units);
    const int perInch = units == IPP_RES_PER_CM ? static_cast<int>(std::lround(x * 2.54)) : x;
    return perInch >= 72 && perInch <= 9600 ? perInch : 0;
}

// The scheduler's notes about the job since the last one read.
void ReadNotes(const Destination& d, CupsJob& job)
{
    if (job.subscription <= 0)
        return;
    ipp_t* request = d.Request(IPP_OP_GET_NOTIFICATIONS);
    Cups().ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "notify-subscription-ids", job.subscription);
    Cups().ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "notify-sequence-numbers", job.lastNote + 1);
    ipp_t* answer = d.Send(request);
    if (!answer)
        return;
    for (ipp_attribute_t* a = Cups().ippFirstAttribute(answer); a; a = Cups().ippNextAttribute(answer)) {
        const char* name = Cups().ippGetName(a);
        if (!name)
            continue;
        if (std::string_view(name) == "notify-sequence-number")
            job.lastNote = std::max(job.lastNote, Cups().ippGetInteger(a, 0));
        else if (std::string_view(name) == "notify-text")
            if (const char* text = Cups().ippGetString(a, 0, nullptr); text && *text)
                job.note = QString::fromUtf8(text);
    }
    Cups().ippDelete(answer);
}

} // namespace

bool CupsBuilt() { return true; }

QString CupsServerProblem()
{
    if (!Cups().problem.isEmpty())
        return QStringLiteral("no print server can be reached: %1").arg(Cups().problem);
    http_t* http = nullptr;
    const QString why = Connect(Cups().cupsServer(), Cups().ippPort(), Cups().cupsEncryption(), &http);
    if (http)
        Cups().httpClose(http);
    return why.isEmpty() ? QString() : QStringLiteral("the print server at %1 can't be reached: %2").arg(LocalServer(), why);
}

core::Result<QueuePage> QueuePageOf(const QString& queue)
{
    Destination d(queue);
    if (const QString problem = d.Problem(); !problem.isEmpty())
        return Unusable(problem);
    ipp_t* request = d.Request(IPP_OP_GET_PRINTER_ATTRIBUTES);
    static const char* const wanted[] = {"media-col-default", "media-default", "printer-resolution-default"};
    Cups().ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 3, nullptr, wanted);
    ipp_t* answer = d.Send(request);
    if (!answer)
        return Unusable(QStringLiteral("%1 does not answer: %2").arg(queue, Destination::LastError()));
    std::optional<QueuePage> page = PageOfMediaCol(answer);
    if (!page) {
        // Only the media's name: its size from CUPS' table of names, and
        // margins the queue does not tell.
        const QStringList names = Strings(answer, "media-default");
        if (pwg_media_t* pwg = names.isEmpty() ? nullptr : Cups().pwgMediaForPWG(names.front().toUtf8().constData()))
            page = QueuePage{QSizeF(pwg->width / 100.0, pwg->length / 100.0), {}, 0};
    }
    if (page)
        page->dpi = DotsPerInch(answer);
    Cups().ippDelete(answer);
    if (!page)
        return Unusable(QStringLiteral("%1 names no default media").arg(queue));
    return *page;
}

core::Result<QueueFormats> QueueFormatsOf(const QString& queue)
{
    Destination d(queue);
    if (const QString problem = d.Problem(); !problem.isEmpty())
        return Unusable(problem);
    ipp_t* request = d.Request(IPP_OP_GET_PRINTER_ATTRIBUTES);
    static const char* const wanted[] = {"document-format-supported", "printer-make-and-model", "media-default",
                                         "media-col-default"};
    Cups().ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 4, nullptr, wanted);
    ipp_t* answer = d.Send(request);
    if (!answer)
        return Unusable(QStringLiteral("%1 does not answer: %2").arg(queue, Destination::LastError()));
    QueueFormats formats;
    formats.formats = Strings(answer, "document-format-supported");
    // CUPS names the model of a local queue without a driver "Local Raw
    // Printer"; one that forwards to another server has that server's
    // model. Either way a queue without a driver names no media: every
    // driver has some.
    formats.raw = Strings(answer, "printer-make-and-model").value(0).contains(QLatin1String("Raw Printer"), Qt::CaseInsensitive) ||
                  (!Cups().ippFindAttribute(answer, "media-default", IPP_TAG_ZERO) &&
                   !Cups().ippFindAttribute(answer, "media-col-default", IPP_TAG_ZERO));
    Cups().ippDelete(answer);
    return formats;
}

core::Result<CupsJob> SubmitDocument(const QString& queue, const QString& title, QIODevice& document,
                                     const char* format)
{
    Destination d(queue);
    if (const QString problem = d.Problem(); !problem.isEmpty())
        return Unusable(problem);
    cups_dinfo_t* info = d.info();
    if (!info)
        return Unusable(QStringLiteral("%1 does not answer: %2").arg(queue, Destination::LastError()));
    const QByteArray name = title.toUtf8();
    CupsJob job;
    job.queue = queue;
    if (Failed(Cups().cupsCreateDestJob(d.http(), d.dest(), info, &job.id, name.constData(), 0, nullptr)) ||
        job.id <= 0)
        return Unusable(QStringLiteral("%1 did not take the job: %2").arg(queue, Destination::LastError()));
    // The scheduler tells why it stops a job only in its notes about the
    // job: subscribe before the document goes, so none is missed.
    ipp_t* subscribe = d.Request(IPP_OP_CREATE_JOB_SUBSCRIPTIONS);
    Cups().ippAddInteger(subscribe, IPP_TAG_SUBSCRIPTION, IPP_TAG_INTEGER, "notify-job-id", job.id);
    Cups().ippAddString(subscribe, IPP_TAG_SUBSCRIPTION, IPP_TAG_KEYWORD, "notify-pull-method", nullptr, "ippget");
    static const char* const events[] = {"job-state-changed", "job-stopped", "job-completed"};
    Cups().ippAddStrings(subscribe, IPP_TAG_SUBSCRIPTION, IPP_TAG_KEYWORD, "notify-events", 3, nullptr, events);
    if (ipp_t* answer = d.Send(subscribe)) {
        job.subscription = Integer(answer, "notify-subscription-id", 0);
        Cups().ippDelete(answer);
    }

    bool sent = Cups().cupsStartDestDocument(d.http(), d.dest(), info, job.id, name.constData(), format, 0, nullptr, 1) ==
                HTTP_STATUS_CONTINUE;
    QByteArray chunk(64 * 1024, Qt::Uninitialized);
    document.seek(0);
    for (qint64 n; sent && (n = document.read(chunk.data(), chunk.size())) > 0;)
        sent = Cups().cupsWriteRequestData(d.http(), chunk.constData(), static_cast<size_t>(n)) == HTTP_STATUS_CONTINUE;
    // Finishing reads the answer even after a failed write, so the
    // connection is left ready for the next request.
    const bool finished = !Failed(Cups().cupsFinishDestDocument(d.http(), d.dest(), info));
    if (!sent || !finished) {
        const core::Failure failed =
            Unusable(QStringLiteral("the document could not be sent to %1: %2").arg(queue, Destination::LastError()));
        Cups().cupsCancelDestJob(d.http(), d.dest(), job.id);
        ForgetJob(job);
        return failed;
    }
    return job;
}

JobState PollJob(CupsJob& job)
{
    Destination d(job.queue);
    JobState state;
    // A server that stopped answering or a queue removed ends the following
    // at once: a removed queue takes its jobs with it.
    if (d.Unreachable())
        return {JobPhase::Lost, false, StoppedAnswering(d.Server(), job.id)};
    if (!d.dest() && !IsQueueUri(job.queue))
        return {JobPhase::Lost, false, QStringLiteral("queue %1 was removed; job %2 is gone").arg(job.queue).arg(job.id)};
    if (!d.Problem().isEmpty()) {
        state.reason = d.Problem();
        return state;
    }
    ipp_t* request = d.Request(IPP_OP_GET_JOB_ATTRIBUTES);
    Cups().ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", job.id);
    ipp_t* jobAnswer = d.Send(request);
    const bool found = jobAnswer != nullptr;
    if (!found) {
        const ipp_status_t status = Cups().cupsLastError();
        if (status == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE || status == IPP_STATUS_ERROR_INTERNAL)
            return {JobPhase::Lost, false, StoppedAnswering(d.Server(), job.id)};
        if (status == IPP_STATUS_ERROR_NOT_FOUND)
            return {JobPhase::Lost, false, QStringLiteral("job %1 is gone from queue %2").arg(job.id).arg(job.queue)};
    }
    QStringList jobReasons;
    if (found) {
        state.phase = PhaseOfJobState(Integer(jobAnswer, "job-state", 0));
        jobReasons = Strings(jobAnswer, "job-state-reasons");
        Cups().ippDelete(jobAnswer);
    }
    ipp_t* printer = d.Send(d.Request(IPP_OP_GET_PRINTER_ATTRIBUTES));
    QStringList printerReasons;
    QString printerMessage;
    if (printer) {
        printerReasons = Strings(printer, "printer-state-reasons");
        printerMessage = Strings(printer, "printer-state-message").value(0);
        // A paused printer holds its jobs, and so does one that reports an
        // error (media empty, a door open) while it keeps the job.
        const bool error = std::any_of(printerReasons.begin(), printerReasons.end(),
                                       [](const QString& r) { return r.endsWith(QLatin1String("-error")); });
        state.heldByPrinter = Integer(printer, "printer-state", 3) == IPP_PSTATE_STOPPED || error;
        Cups().ippDelete(printer);
    }
    ReadNotes(d, job);
    const bool waiting = state.phase == JobPhase::Queued || state.phase == JobPhase::Printing;
    if (waiting && state.heldByPrinter)
        state.reason = ReasonText(QString(), printerReasons, printerMessage, {});
    else if (!waiting && state.phase != JobPhase::Completed && state.phase != JobPhase::Unknown)
        state.reason = ReasonText(job.note, state.heldByPrinter ? printerReasons : QStringList(),
                                  state.heldByPrinter ? printerMessage : QString(), jobReasons);
    if (!found)
        state.reason = QStringLiteral("the job can't be found: %1").arg(Destination::LastError());
    return state;
}

core::Status CancelJob(const CupsJob& job)
{
    Destination d(job.queue);
    if (const QString problem = d.Problem(); !problem.isEmpty())
        return Unusable(problem);
    if (Failed(Cups().cupsCancelDestJob(d.http(), d.dest(), job.id)))
        return Unusable(Destination::LastError());
    return core::Ok();
}

void ForgetJob(CupsJob& job)
{
    if (job.subscription <= 0)
        return;
    Destination d(job.queue);
    if (d.Problem().isEmpty()) {
        ipp_t* request = d.Request(IPP_OP_CANCEL_SUBSCRIPTION);
        Cups().ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "notify-subscription-id", job.subscription);
        if (ipp_t* answer = d.Send(request))
            Cups().ippDelete(answer);
    }
    job.subscription = 0;
}

#else

bool CupsBuilt() { return false; }

QString CupsServerProblem() { return {}; }

core::Result<QueuePage> QueuePageOf(const QString&) { return Unusable(kNoCups); }

core::Result<QueueFormats> QueueFormatsOf(const QString&) { return Unusable(kNoCups); }

core::Result<CupsJob> SubmitDocument(const QString&, const QString&, QIODevice&, const char*) { return Unusable(kNoCups); }

JobState PollJob(CupsJob&) { return {}; }

core::Status CancelJob(const CupsJob&) { return Unusable(kNoCups); }

void ForgetJob(CupsJob& job) { job.subscription = 0; }

#endif

} // namespace printing
