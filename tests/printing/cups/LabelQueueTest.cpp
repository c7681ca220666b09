// CUPS queues with no driver ("lpadmin -m raw"), as label printers are
// often set up: the program writes them ZPL itself and never fails for
// lack of media. One sends to a network printer's raw port (a listener of
// the test's own; CUPS 2.4 writes no raw job to a file: device) and
// passes what every print target does; another forwards over IPP to a
// second server's ZPL queue that prints to a file, printed to from the
// command line as a user would. Each test starts its own cupsd (OwnCupsd)
// and stops only that.
#include "printing/JobFollow.h"
#include "printing/LabelPrinter.h"
#include "printing/Printers.h"
#include "tests/printing/cups/OwnCupsd.h"
#include "tests/printing/cups/RawPort.h"
#include "tests/support/LabelLanguages.h"
#include "tests/support/TargetCases.h"
#include "tests/support/UnattendedRun.h"
#include "tests/support/WaitUntil.h"

#include <QLocale>

using testsupport::OwnCupsd;
using testsupport::Pages;
using testsupport::RawPort;
using testsupport::Texts;

TEST(CupsLabels, RawQueueToARawPort_GetsZpl_AndPassesWhatEveryTargetDoes)
{
    SKIP_WITHOUT_CUPSD();
    OwnCupsd cups;
    ASSERT_TRUE(cups.Started());
    RawPort printer;
    ASSERT_NE(printer.Port(), 0);
    ASSERT_TRUE(cups.AddQueue(QStringLiteral("Raw"), printer.Uri(), {QStringLiteral("-m"), QStringLiteral("raw")}));

    const printing::Printers printers;
    std::unique_ptr<printing::LabelPrinter> label = printers.OpenLabelPrinter(QStringLiteral("Raw"));
    ASSERT_NE(label, nullptr) << "a queue with no driver is a label printer";
    EXPECT_EQ(label->Language(), files::LabelLanguage::Zpl);
    // No media of its own, no size set: the default label, and a sheet's
    // page as the label on sheets.
    const core::Result<QString> page = printers.PageSummary(QStringLiteral("Raw"));
    ASSERT_TRUE(page.ok()) << page.failure().text.toStdString();
    EXPECT_EQ(*page, QStringLiteral("4 × 6 in label, 203 dpi, printable to the edges, in ZPL"));

    testsupport::TargetUnderTest t{std::move(label), [&](const printing::JobDone& done) -> std::vector<QImage> {
                                       const core::Status printed = testsupport::JobPrinted(done, 60);
                                       EXPECT_TRUE(printed.ok()) << printed.failure().text.toStdString() << "\n"
                                                                 << cups.ErrorLog().toStdString();
                                       return Pages(printer.Take());
                                   }};
    testsupport::ExpectWhatEveryTargetDoes(t);
}

TEST(CupsLabels, RawQueueForwardingOverIpp_PrintsFromTheCommandLine_WithTheSizeGiven)
{
    SKIP_WITHOUT_CUPSD();
    const int port = testsupport::FreeLoopbackPort();
    OwnCupsd server(port, false);
    ASSERT_TRUE(server.Started());
    // The second server's queue is CUPS' own ZPL label driver, on a label
    // printer's raw port: a raw job passes its driver unchanged.
    RawPort printer;
    ASSERT_NE(printer.Port(), 0);
    ASSERT_TRUE(server.AddQueue(QStringLiteral("Zpl"), printer.Uri(),
                                {QStringLiteral("-m"), QStringLiteral("drv:///sample.drv/zebra.ppd")}));
    OwnCupsd cups;
    ASSERT_TRUE(cups.Started());
    ASSERT_TRUE(cups.AddQueue(QStringLiteral("Forward"), QStringLiteral("ipp://127.0.0.1:%1/printers/Zpl").arg(port),
                              {QStringLiteral("-m"), QStringLiteral("raw")}));

    testsupport::UnattendedRun run;
    run.cupsServer = cups.Socket();
    run.Store("line", QStringLiteral("*"));
    const QString lines = run.writeFile(QStringLiteral("lines.txt"), "Parcel\r\n*FWD-1\r\n*FWD-2\r\n");
    const QStringList onForward{QStringLiteral("--printer"), QStringLiteral("Forward"), QStringLiteral("--media"),
                                QStringLiteral("3x2in"), QStringLiteral("--darkness"), QStringLiteral("20")};

    const testsupport::ProgramRun dry =
        run.quorvane(QStringList{QStringLiteral("print"), lines, QStringLiteral("--dry-run")} + onForward);
    ASSERT_EQ(dry.exitCode, 0) << dry.err.toStdString();
    for (const char* line : {"Language: ZPL\n", "Label: 3x2in, 609 × 406 dots at 203 dpi, from the size set for this printer\n"})
        EXPECT_TRUE(dry.out.contains(QString::fromUtf8(line))) << line << " in:\n" << dry.out.toStdString();

    const testsupport::ProgramRun printed = run.quorvane(QStringList{QStringLiteral("print"), lines} + onForward);
    ASSERT_EQ(printed.exitCode, 0) << printed.err.toStdString() << cups.ErrorLog().toStdString();
    EXPECT_FALSE(printed.err.contains(QStringLiteral("names no default media")));
    // The first server's job is done when the second has it; that one
    // prints on its own time.
    ASSERT_TRUE(testsupport::WaitUntil([&] { return printer.Jobs() >= 1; }, 60000, 50)) << server.ErrorLog().toStdString();
    const QByteArray zpl = printer.Take();
    const auto labels = testsupport::ReadZplLabels(zpl);
    ASSERT_TRUE(labels.ok()) << labels.failure().text.toStdString();
    ASSERT_GE(labels->size(), 1u);
    EXPECT_TRUE(dry.out.contains(QStringLiteral("Labels: %1, %2 bytes in ZPL")
                                          .arg(labels->size())
                                          .arg(QLocale(QLocale::English, QLocale::UnitedStates).toString(zpl.size()))))
        << "the dry run counts what prints:\n" << dry.out.toStdString();
    for (const testsupport::ReadLabel& l : *labels) {
        EXPECT_EQ(l.width, 609);
        EXPECT_EQ(l.length, 406);
        EXPECT_EQ(l.darkness, 20);
    }
    EXPECT_EQ(Texts(Pages(zpl)), QStringList({QStringLiteral("FWD-1"), QStringLiteral("FWD-2")}));
}
