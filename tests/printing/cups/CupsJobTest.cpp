// Jobs through CUPS itself, on label queues of CUPS' own "ZPL Label
// Printer" model that print to files: the page each job gets, jobs
// followed to their end, queues of a second server reached over IPP, and
// jobs that never print. Every test starts its own cupsd (OwnCupsd) and
// stops only that.
#include "labels/LabelFile.h"
#include "printing/Printers.h"
#include "services/Messages.h"
#include "symbols/SymbologyTable.h"
#include "tests/printing/cups/OwnCupsd.h"
#include "tests/labels/SampleLabel.h"
#include "tests/printing/cups/StatusLine.h"
#include "tests/support/Decode.h"
#include "tests/support/LabelPage.h"
#include "tests/support/TempConfig.h"
#include "tests/support/UnattendedRun.h"
#include "tests/support/WaitUntil.h"
#include "tests/support/Window.h"
#include "tests/support/ZplGraphics.h"
#include "ui/Form1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>

namespace {

using testsupport::OwnCupsd;

// 4 × 5 inch labels at 203 dpi, the model's default media.
constexpr int kLabelWidth = 812, kLabelHeight = 1015;

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Every label of a ZPL stream is a whole 4 × 5 in label at 203 dpi, and
// both readers find `texts` on them.
void ExpectLabels(const QByteArray& zpl, const QStringList& texts, qsizetype labels = -1)
{
    const std::vector<QImage> images = testsupport::ZplGraphics(zpl);
    ASSERT_FALSE(images.empty()) << "no ~DG graphic in " << zpl.left(200).toStdString();
    if (labels >= 0) {
        EXPECT_EQ(static_cast<qsizetype>(images.size()), labels);
    }
    QStringList zxing, zbar;
    for (const QImage& image : images) {
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), QSize(kLabelWidth, kLabelHeight));
        // A listing starts at the label's edge: the readers get a quiet zone.
        const QImage framed = testsupport::WithQuietZone(image);
        for (const auto& d : testsupport::DecodeAll(framed))
            zxing << QString::fromStdString(d.text);
        for (const std::string& t : testsupport::ZbarDecodeAll(framed))
            zbar << QString::fromStdString(t);
    }
    for (const QString& text : texts) {
        EXPECT_TRUE(zxing.contains(text)) << text.toStdString() << " not read by zxing-cpp: " << zxing.join(',').toStdString();
        EXPECT_TRUE(zbar.contains(text)) << text.toStdString() << " not read by zbar: " << zbar.join(',').toStdString();
    }
}

// The media a queue offers: none until CUPS has made its driver, which for
// an IPP Everywhere queue it does after lpadmin has returned.
QStringList MediaSupported(const QString& queue)
{
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0, "/printers/%s",
                     queue.toUtf8().constData());
    ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr, "media-supported");
    QStringList media;
    if (ipp_t* answer = cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/")) {
        if (ipp_attribute_t* a = ippFindAttribute(answer, "media-supported", IPP_TAG_KEYWORD))
            for (int i = 0; i < ippGetCount(a); ++i)
                media << QString::fromUtf8(ippGetString(a, i, nullptr));
        ippDelete(answer);
    }
    return media;
}

// The window in a settings folder of its own, printing on the queue, its
// messages recorded instead of shown.
struct WindowOnQueue {
    testsupport::TempConfig config;
    services::RecordingSink messages;
    ui::Form1 form{testsupport::Quietly(&messages)};

    explicit WindowOnQueue(const QString& queue)
    {
        form.Form_Load();
        testsupport::Combo(form, "Combo1")->setEditText(queue);
        form.Combo1_Validate();
    }
    // Pumps the window's events until it follows no job and `done` holds.
    void WaitForJobs(const std::function<bool()>& done = [] { return true; })
    {
        testsupport::WaitUntil(
            [&] {
                QApplication::processEvents();
                return form.FollowedJobs().empty() && done();
            },
            20000, 50);
    }
};

// A queue that prints to a file overwrites it with every job: this keeps
// every whole job the file held (the driver ends each by deleting its
// graphic, ^IDR...^XZ) while jobs follow one another.
class JobCapture {
public:
    explicit JobCapture(QString path) : path_(std::move(path)), last_(ReadAll(path_)), thread_([this] { run(); }) {}
    ~JobCapture() { Stop(); }
    // Called once the jobs have ended: the file is read once more then, so
    // the last job is kept wherever the looks before fell.
    QList<QByteArray> Stop()
    {
        stop_ = true;
        if (thread_.joinable()) {
            thread_.join();
            look();
        }
        return jobs_;
    }

private:
    void run()
    {
        while (!stop_) {
            look();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    void look()
    {
        const QByteArray now = ReadAll(path_);
        if (now != last_ && now.contains("^IDR:") && now.trimmed().endsWith("^XZ") && !jobs_.contains(now))
            jobs_ << now;
        last_ = now;
    }
    QString path_;
    QByteArray last_; // at first an earlier job's
    std::atomic<bool> stop_{false};
    QList<QByteArray> jobs_;
    std::thread thread_;
};

// Unattended runs of `quorvane print` (or another command) on the CUPS
// server `server`.
struct UnattendedCups : testsupport::UnattendedRun {
    explicit UnattendedCups(const QString& server) { cupsServer = server; }
    testsupport::ProgramRun Print(const QStringList& args, const std::function<void(QProcess&)>& whileRunning = {},
                                  const QString& command = QStringLiteral("print"))
    {
        return quorvane(QStringList{command} + args, 60000, whileRunning);
    }
};

// A scheduler of the test's own with the label queue "Zebra", whose
// printer is the file `zpl`.
struct ZebraQueue {
    OwnCupsd cups;
    const QString zpl = cups.Path(QStringLiteral("out/label.zpl"));

    // Started, and the queue added; else why not.
    testing::AssertionResult Ready() const
    {
        const testing::AssertionResult started = cups.Started();
        return started ? cups.AddZplFileQueue(QStringLiteral("Zebra"), zpl) : started;
    }
};

} // namespace

TEST(CupsJobs, LabelQueue_BatchPrintAndRunIt_GiveWholeLabelsThatScan)
{
    SKIP_WITHOUT_CUPSD();
    const ZebraQueue zebra;
    ASSERT_TRUE(zebra.Ready());

    // Unattended: a listing whose every line is a code.
    UnattendedCups run(zebra.cups.Socket());
    const QString listing = run.writeFile(QStringLiteral("codes.txt"), "QV-101\r\nQV-102\r\n");
    const auto dry = run.Print({QStringLiteral("--dry-run"), QStringLiteral("--printer"), QStringLiteral("Zebra")});
    EXPECT_EQ(dry.exitCode, 0) << dry.err.toStdString();
    EXPECT_TRUE(dry.out.contains(QStringLiteral("4 × 5 in label, 203 dpi, printable to the edges"))) << dry.out.toStdString();
    const auto printed = run.Print({listing, QStringLiteral("--printer"), QStringLiteral("Zebra"), QStringLiteral("--wait"),
                                    QStringLiteral("30")});
    EXPECT_EQ(printed.exitCode, 0) << printed.err.toStdString() << zebra.cups.ErrorLog().toStdString();
    EXPECT_TRUE(printed.err.isEmpty()) << printed.err.toStdString();
    ExpectLabels(ReadAll(zebra.zpl), {QStringLiteral("QV-101"), QStringLiteral("QV-102")});
    // Sheets of A4 labels are not what the label printer has: nothing goes out.
    const auto sheets = run.Print({QStringLiteral("--from"), QStringLiteral("1"), QStringLiteral("--to"), QStringLiteral("3"),
                                   QStringLiteral("--layout"), QStringLiteral("L7160"), QStringLiteral("--printer"),
                                   QStringLiteral("Zebra")},
                                  {}, QStringLiteral("print-range"));
    EXPECT_EQ(sheets.exitCode, 1);
    EXPECT_TRUE(sheets.err.contains(QStringLiteral("it prints on 4 × 5 in label, 203 dpi, not on the 210 × 297 mm sheets")))
        << sheets.err.toStdString();
    ExpectLabels(ReadAll(zebra.zpl), {QStringLiteral("QV-101"), QStringLiteral("QV-102")});

    // The window: one Print, then a Run It of three labels, each its own job.
    WindowOnQueue window(QStringLiteral("Zebra"));
    ui::Form1& form = window.form;
    EXPECT_TRUE(testsupport::Label(form, "PrinterPage")->toolTip().endsWith(QStringLiteral(": 4 × 5 in label, 203 dpi, printable to the edges")))
        << testsupport::Label(form, "PrinterPage")->toolTip().toStdString();
    testsupport::Line(form, "Text1")->setText(QStringLiteral("QV-201"));
    form.Command2_Click();
    ASSERT_TRUE(testsupport::StatusSays(form, QStringLiteral("Printed on Zebra (job "))) << testsupport::StatusLine(form).toStdString();
    ExpectLabels(ReadAll(zebra.zpl), {QStringLiteral("QV-201")}, 1);

    JobCapture capture(zebra.zpl);
    testsupport::Line(form, "Text1")->setText(QStringLiteral("QV-"));
    testsupport::Line(form, "Text21")->setText(QStringLiteral("301"));
    testsupport::Line(form, "Text22")->setText(QStringLiteral("304"));
    form.Command8_Click();
    window.WaitForJobs();
    const QList<QByteArray> jobs = capture.Stop();
    EXPECT_TRUE(window.messages.texts.isEmpty()) << window.messages.texts.join('|').toStdString();
    ASSERT_EQ(jobs.size(), 3) << zebra.cups.ErrorLog().toStdString();
    for (int i = 0; i < 3; ++i)
        ExpectLabels(jobs[i], {QStringLiteral("QV-%1").arg(301 + i)}, 1);
}

TEST(CupsJobs, TwoServers_ForwardingQueueAndQueueUri_PrintAtTheSecond)
{
    SKIP_WITHOUT_CUPSD();
    // The print server holds the label queue and listens on loopback.
    OwnCupsd server(testsupport::FreeLoopbackPort(), false);
    ASSERT_TRUE(server.Started());
    const QString zpl = server.Path(QStringLiteral("out/label.zpl"));
    ASSERT_TRUE(server.AddZplFileQueue(QStringLiteral("Label"), zpl));
    const QString uri = QStringLiteral("ipp://127.0.0.1:%1/printers/Label").arg(server.Port());

    // The local server forwards a queue to it, as an IPP Everywhere queue.
    OwnCupsd local;
    ASSERT_TRUE(local.Started());
    ASSERT_TRUE(local.AddQueue(QStringLiteral("Forward"), uri, {QStringLiteral("-m"), QStringLiteral("everywhere")}));
    QString out;
    // CUPS names the made driver's default "4x5" but the size itself
    // "4x5.Borderless", and the queue then names no default media: the
    // label size is set as its default, as an administrator would. CUPS
    // makes the driver after lpadmin has returned, and a default set before
    // that is lost with the driver it was set on: it is set once the queue
    // offers the size.
    const QString label = QStringLiteral("custom_4x5in_4x5in");
    ASSERT_TRUE(testsupport::WaitUntil([&] { return MediaSupported(QStringLiteral("Forward")).contains(label); }, 15000, 50))
        << "no driver made for Forward: " << MediaSupported(QStringLiteral("Forward")).join(' ').toStdString();
    ASSERT_TRUE(local.Admin(QStringLiteral("lpadmin"),
                            {QStringLiteral("-p"), QStringLiteral("Forward"), QStringLiteral("-o"), QStringLiteral("media=") + label}, &out))
        << out.toStdString();
    const core::Result<printing::QueuePage> forward = printing::QueuePageOf(QStringLiteral("Forward"));
    ASSERT_TRUE(forward.ok()) << forward.failure().text.toStdString();

    UnattendedCups run(local.Socket());
    const QString listing = run.writeFile(QStringLiteral("codes.txt"), "QV-401\r\n");
    for (const QString& printer : {QStringLiteral("Forward"), uri}) {
        SCOPED_TRACE(printer.toStdString());
        QFile::remove(zpl);
        const auto printed = run.Print({listing, QStringLiteral("--printer"), printer, QStringLiteral("--wait"), QStringLiteral("30")});
        EXPECT_EQ(printed.exitCode, 0) << printed.err.toStdString();
        // Forwarded, the job ends at the local server once the remote one has it.
        testsupport::WaitUntil([&] { return ReadAll(zpl).trimmed().endsWith("^XZ"); }, 20000);
        ExpectLabels(ReadAll(zpl), {QStringLiteral("QV-401")});
    }

    // The window's printer box takes the URI as well, with the queue's page.
    WindowOnQueue window(uri);
    ui::Form1& form = window.form;
    EXPECT_TRUE(testsupport::Label(form, "PrinterPage")->toolTip().endsWith(QStringLiteral(": 4 × 5 in label, 203 dpi, printable to the edges")))
        << testsupport::Label(form, "PrinterPage")->toolTip().toStdString();
    QFile::remove(zpl);
    testsupport::Line(form, "Text1")->setText(QStringLiteral("QV-402"));
    form.Command2_Click();
    ASSERT_TRUE(testsupport::StatusSays(form, QStringLiteral("Printed on %1 (job ").arg(uri))) << testsupport::StatusLine(form).toStdString();
    ExpectLabels(ReadAll(zpl), {QStringLiteral("QV-402")}, 1);
    EXPECT_TRUE(window.messages.texts.isEmpty()) << window.messages.texts.join('|').toStdString();
}

TEST(CupsJobs, JobsThatDoNotPrint_FailWithTheReasonOfCups)
{
    SKIP_WITHOUT_CUPSD();
    OwnCupsd cups;
    ASSERT_TRUE(cups.Started());
    ASSERT_TRUE(cups.AddZplFileQueue(QStringLiteral("NoFile"), QStringLiteral("/nonexistent-folder/label.zpl")));
    ASSERT_TRUE(cups.AddZplFileQueue(QStringLiteral("Paused"), cups.Path(QStringLiteral("out/paused.zpl"))));
    ASSERT_TRUE(cups.Admin(QStringLiteral("cupsdisable"), {QStringLiteral("Paused")}));

    UnattendedCups run(cups.Socket());
    const QString listing = run.writeFile(QStringLiteral("codes.txt"), "QV-501\r\n");
    // Cancels the run's job from outside once the queue holds it (the
    // first case, while the queue holds no other).
    auto cancelFromOutside = [&cups](QProcess&) {
        QString jobs;
        testsupport::WaitUntil(
            [&] {
                return !cups.Admin(QStringLiteral("lpstat"), {QStringLiteral("-o"), QStringLiteral("Paused")}, &jobs) ||
                       !jobs.trimmed().isEmpty();
            },
            10000, 50);
        cups.Admin(QStringLiteral("cancel"), {jobs.trimmed().section(QLatin1Char(' '), 0, 0)});
    };
    struct Case {
        const char* why;
        QStringList args;
        std::function<void(QProcess&)> whileRunning;
        int exitCode;
        QString said; // on stderr
    };
    const Case cases[] = {
        {"canceled while the run waits", {QStringLiteral("Paused"), QStringLiteral("--wait"), QStringLiteral("20")}, cancelFromOutside,
         1, QStringLiteral("was canceled")},
        {"the scheduler can't open the device file", {QStringLiteral("NoFile"), QStringLiteral("--wait"), QStringLiteral("10")}, {}, 1,
         QStringLiteral("stopped: could not open the output file")},
        {"a paused queue holds the job past the wait", {QStringLiteral("Paused"), QStringLiteral("--wait"), QStringLiteral("2")}, {}, 1,
         QStringLiteral("stopped: the printer is paused; it stays in the queue")},
        {"--no-wait is done once CUPS took the job", {QStringLiteral("Paused"), QStringLiteral("--no-wait")}, {}, 0, QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        const auto r = run.Print(QStringList{listing, QStringLiteral("--printer")} + c.args, c.whileRunning);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err.toStdString();
        if (c.said.isEmpty())
            EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
        else
            EXPECT_TRUE(r.err.contains(c.said)) << r.err.toStdString();
    }

    // The window says the same in its status line, and cancels from there.
    WindowOnQueue window(QString{});
    ui::Form1& form = window.form;
    testsupport::Line(form, "Text1")->setText(QStringLiteral("QV-601"));
    for (const char* queue : {"NoFile", "Paused"}) {
        testsupport::Combo(form, "Combo1")->setEditText(QString::fromLatin1(queue));
        form.Command2_Click();
        const QString stopped = queue == std::string_view("NoFile") ? QStringLiteral("stopped: could not open the output file")
                                                                    : QStringLiteral("stopped: the printer is paused");
        ASSERT_TRUE(testsupport::StatusSays(form, stopped)) << testsupport::StatusLine(form).toStdString();
        EXPECT_TRUE(testsupport::Label(form, "JobLinks")->text().contains(QStringLiteral("Cancel job")));
        const int id = form.FollowedJobs().back().id;
        form.CancelJob_Click(id);
        EXPECT_TRUE(testsupport::StatusSays(form, QStringLiteral("Job %1 on %2 was canceled").arg(id).arg(QString::fromLatin1(queue))))
            << testsupport::StatusLine(form).toStdString();
    }
    EXPECT_TRUE(window.messages.texts.isEmpty()) << window.messages.texts.join('|').toStdString();
}

// A queue removed or its server stopped while a run follows its job: the
// run says what happened as soon as it happens, not when its wait is up.
TEST(CupsJobs, AQueueRemovedOrTheServerStopped_WhileTheJobIsFollowed_IsSaidAtOnce)
{
    SKIP_WITHOUT_CUPSD();
    const struct {
        const char* why;
        bool stopServer;
        QString said; // %1: the job's number
    } cases[] = {
        {"the queue removed", false, QStringLiteral("Queue Slow was removed; job %1 is gone")},
        {"the server stopped", true, QStringLiteral("stopped answering; job %1's state is unknown")},
    };
    constexpr int kWaitSeconds = 60;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        OwnCupsd cups;
        ASSERT_TRUE(cups.Started());
        ASSERT_TRUE(cups.AddZplFileQueue(QStringLiteral("Slow"), cups.Path(QStringLiteral("out/slow.zpl"))));
        ASSERT_TRUE(cups.Admin(QStringLiteral("cupsdisable"), {QStringLiteral("Slow")})); // the job waits in the queue
        UnattendedCups run(cups.Socket());
        const QString listing = run.writeFile(QStringLiteral("codes.txt"), "QV-701\r\n");
        QString job;
        const auto goAway = [&](QProcess&) {
            testsupport::WaitUntil(
                [&] {
                    QString jobs;
                    cups.Admin(QStringLiteral("lpstat"), {QStringLiteral("-o"), QStringLiteral("Slow")}, &jobs);
                    job = jobs.trimmed().section(QLatin1Char(' '), 0, 0); // "Slow-3"
                    return !job.isEmpty();
                },
                20000, 50);
            if (c.stopServer)
                cups.Stop();
            else
                cups.Admin(QStringLiteral("lpadmin"), {QStringLiteral("-x"), QStringLiteral("Slow")});
        };
        QElapsedTimer took;
        took.start();
        const auto r = run.Print({listing, QStringLiteral("--printer"), QStringLiteral("Slow"), QStringLiteral("--wait"),
                                  QString::number(kWaitSeconds)},
                                 goAway);
        const qint64 ms = took.elapsed();
        ASSERT_FALSE(job.isEmpty()) << "the job never reached the queue: " << r.err.toStdString();
        EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(c.said.arg(job.section(QLatin1Char('-'), -1)))) << r.err.toStdString();
        EXPECT_FALSE(r.err.contains(QStringLiteral("stays in the queue"))) << r.err.toStdString();
        EXPECT_LT(ms, kWaitSeconds * 1000 / 2) << "said when it happened, not when the wait ran out";
    }
}

// A print server that refuses connections: the printer named can't be
// reached, which is not the same as there being no printer of that name.
TEST(CupsJobs, AServerThatRefusesConnections_IsSaidToRefuse)
{
    UnattendedCups run(QStringLiteral("127.0.0.1:%1").arg(testsupport::FreeLoopbackPort()));
    const QString listing = run.writeFile(QStringLiteral("codes.txt"), "QV-702\r\n");
    const auto r = run.Print({listing, QStringLiteral("--printer"), QStringLiteral("Zebra")});
    EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("The printer \"Zebra\" can't be used: the print server at %1 can't be reached: "
                                              "it refused the connection").arg(run.cupsServer)))
        << r.err.toStdString();
    EXPECT_FALSE(r.err.contains(QStringLiteral("There is no printer named"))) << r.err.toStdString();
}

// The symbologies libzint encodes, printed from the window on the label
// queue at its own 203 dpi: each label reads back as its text with
// zxing-cpp, and with zbar where zbar reads the format.
TEST(CupsJobs, LabelQueue_EveryLibrarySymbology_ScansFromTheLabel)
{
    SKIP_WITHOUT_CUPSD();
    const ZebraQueue zebra;
    ASSERT_TRUE(zebra.Ready());
    WindowOnQueue window(QStringLiteral("Zebra"));
    ui::Form1& form = window.form;
    const std::pair<symbols::Symbology, const char*> cases[] = {
        {symbols::Symbology::Code128, "12345678901234567890"},   {symbols::Symbology::Gs1_128, "(01)09501101530003(10)AB-123"},
        {symbols::Symbology::RetailEan13, "950110153000"},       {symbols::Symbology::Qr, "https://example.org/QV-0001"},
        {symbols::Symbology::DataMatrix, "QV-0001"},             {symbols::Symbology::Pdf417, "Label 4711"},
        {symbols::Symbology::Aztec, "Ticket 0815"},
    };
    for (const auto& [symbology, text] : cases) {
        const symbols::SymbologyRow& row = symbols::RowOf(symbology);
        SCOPED_TRACE(row.name);
        const int index = testsupport::Combo(form, "ComboMore")->findData(QLatin1String(row.name));
        testsupport::Combo(form, "ComboMore")->setCurrentIndex(index);
        emit testsupport::Combo(form, "ComboMore")->activated(index);
        testsupport::Line(form, "Text1")->setText(QString::fromUtf8(text));
        const QByteArray before = ReadAll(zebra.zpl);
        form.Command2_Click();
        window.WaitForJobs([&] { return ReadAll(zebra.zpl) != before; });
        const std::vector<QImage> labels = testsupport::ZplGraphics(ReadAll(zebra.zpl));
        ASSERT_EQ(labels.size(), 1u) << zebra.cups.ErrorLog().toStdString();
        EXPECT_EQ(labels[0].size(), QSize(kLabelWidth, kLabelHeight));
        const symbols::ScanExpectation e = symbols::ExpectedScan(symbology, QString::fromUtf8(text));
        const QImage symbol = testsupport::AroundInk(labels[0]);
        EXPECT_EQ(testsupport::DecodeOne(symbol, ZXing::BarcodeFormatFromString(e.format.toStdString())).text, e.text.toStdString());
        if (symbology == symbols::Symbology::Qr || symbology == symbols::Symbology::Code128) {
            EXPECT_EQ(testsupport::ZbarReadOne(symbol), e.text.toStdString());
        }
    }
    EXPECT_TRUE(window.messages.texts.isEmpty()) << window.messages.texts.join('|').toStdString();
}

// A label file's label of two codes, three lines and a frame, printed
// unattended on the label queue at its own 203 dpi: both codes read with
// both readers, every part within a dot (0.2 mm) of where the file places
// it, nothing outside the label's corner of the media.
TEST(CupsJobs, LabelQueue_LabelOfSeveralParts_EveryPartWhereTheFilePlacesIt)
{
    SKIP_WITHOUT_CUPSD();
    const ZebraQueue zebra;
    ASSERT_TRUE(zebra.Ready());
    UnattendedCups run(zebra.cups.Socket());
    const QString file = run.work.filePath(QStringLiteral("shelf.json"));
    ASSERT_TRUE(labels::SaveLabel(testsupport::SampleLabel(), file).ok());
    const auto printed = run.Print({QStringLiteral("--label"), file, QStringLiteral("--printer"), QStringLiteral("Zebra"),
                                    QStringLiteral("--wait"), QStringLiteral("30"), QStringLiteral("--verify")});
    ASSERT_EQ(printed.exitCode, 0) << printed.err.toStdString() << zebra.cups.ErrorLog().toStdString();
    const std::vector<QImage> images = testsupport::ZplGraphics(ReadAll(zebra.zpl));
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].size(), QSize(kLabelWidth, kLabelHeight)) << "on the queue's own media";

    labels::FillContext fill; // as the run filled it: number 1, today
    fill.run = 1;
    fill.today = QDate::currentDate();
    const core::Result<labels::LaidOutLabel> laid = labels::LayOutLabel(testsupport::SampleLabel(), fill, 203);
    ASSERT_TRUE(laid.ok());
    testsupport::ExpectLabelWhereTheFilePlacesIt(images[0], {203, QPointF(0, 0)}, testsupport::SampleLabel(), *laid,
                                                 {"SKU-0001", "https://example.com/p/1"});
}
