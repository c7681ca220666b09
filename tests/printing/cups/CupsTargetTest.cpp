// A CUPS queue passes the cases every print target passes
// (tests/support/TargetCases.h): its jobs are followed until CUPS says they
// printed, and the PDF its cups-pdf printer wrote is read back at the
// queue's resolution.
#include "printing/CupsPrinter.h"
#include "printing/JobFollow.h"
#include "tests/printing/cups/CupsPdf.h"
#include "tests/printing/cups/OwnCupsd.h"
#include "tests/support/Pages.h"
#include "tests/support/TargetCases.h"

#include <QDateTime>
#include <QFileInfo>

using namespace testsupport::cupspdf;

TEST(CupsTarget, OfficeQueue_PassesWhatEveryTargetDoes)
{
    REQUIRE_CUPS_PDF();

    const MachineWideTurn turn;
    testsupport::OwnCupsd cups;
    ASSERT_TRUE(cups.Started());
    constexpr int kDpi = 300;
    QTemporaryDir drivers;
    ASSERT_TRUE(cups.AddQueue(QStringLiteral("Office"), QStringLiteral("cups-pdf:/"),
                              {QStringLiteral("-P"), DriverAt(drivers, kDpi), QStringLiteral("-o"),
                               QStringLiteral("media-default=iso_a4_210x297mm")}));

    // cups-pdf names its files by the job's title and writes over an older
    // file of that name: a job's file is the one written since the test
    // began, removed once it is read.
    const QString folder = CupsPdfOutputFolder();
    const QDateTime began = QDateTime::currentDateTime().addSecs(-1);
    testsupport::TargetUnderTest t{std::make_unique<printing::CupsPrinter>(QStringLiteral("Office"), printing::Calibration{}),
                                   [&](const printing::JobDone& done) -> std::vector<QImage> {
                                       const core::Status printed = testsupport::JobPrinted(done, 90);
                                       EXPECT_TRUE(printed.ok()) << printed.failure().text.toStdString() << "\n"
                                                                 << cups.ErrorLog().toStdString();
                                       QStringList made;
                                       for (const QString& f : PdfsIn(folder))
                                           if (QFileInfo(f).lastModified() >= began && QFileInfo(f).size() > 0)
                                               made << f;
                                       EXPECT_EQ(made.size(), 1) << "PDFs of the job in " << folder.toStdString();
                                       if (made.size() != 1)
                                           return {};
                                       std::vector<QImage> pages = testsupport::RenderPdf(made[0], kDpi);
                                       QFile::remove(made[0]);
                                       return pages;
                                   }};
    testsupport::ExpectWhatEveryTargetDoes(t);
}
