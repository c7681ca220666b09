// Printing through a real CUPS queue. The test starts its own cupsd
// (OwnCupsd), adds cups-pdf queues, and stops only the cupsd it started.
#include "printing/Printers.h"
#include "services/Messages.h"
#include "tests/printing/cups/CupsPdf.h"
#include "tests/printing/cups/OwnCupsd.h"
#include "tests/printing/cups/StatusLine.h"
#include "tests/support/Decode.h"
#include "tests/support/PrintSupport.h"
#include "tests/support/TempConfig.h"
#include "tests/support/Window.h"
#include "ui/Form1.h"

#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <algorithm>
#include <unistd.h>

namespace {

using testsupport::OwnCupsd;
using namespace testsupport::cupspdf;

const QString kQueue = QStringLiteral("Quorvane-Lab_Queue"); // mixed case, a hyphen and an underscore

} // namespace

TEST(CupsPrinting, QueuesListedByName_PrintAtTheirOwnResolutionAndTheirPdfsScan)
{
    REQUIRE_CUPS_PDF();

    const MachineWideTurn turn;
    OwnCupsd cups;
    ASSERT_TRUE(cups.Started());
    QTemporaryDir drivers;
    // An office printer's driver (300 dpi) and a label printer's (203 dpi).
    struct Queue {
        QString name;
        int dpi;
    };
    const Queue queues[] = {{kQueue, 300}, {QStringLiteral("Label203"), 203}};
    for (const Queue& q : queues)
        ASSERT_TRUE(cups.AddQueue(q.name, QStringLiteral("cups-pdf:/"), {QStringLiteral("-P"), DriverAt(drivers, q.dpi)}));

    testsupport::TempConfig config;
    services::RecordingSink messages;
    ui::Form1 form{testsupport::Quietly(&messages)}; // the system's printers, now those of our cupsd
    form.Form_Load();

    QStringList listed;
    for (int i = 0; i < testsupport::Combo(form, "Combo1")->count(); ++i)
        listed << testsupport::Combo(form, "Combo1")->itemText(i);
    listed.sort();
    EXPECT_EQ(listed, (QStringList{QStringLiteral("Label203"), printing::kPdfPrinterName, kQueue}));

    const QString pdfFolder = CupsPdfOutputFolder();
    struct Job {
        const char* option;
        const char* text;
        ZXing::BarcodeFormat format;
    };
    const Job jobs[] = {{"Option2", "CUPS-42", ZXing::BarcodeFormat::Code39},
                        {"Option1", "Label 203", ZXing::BarcodeFormat::Code128}};
    for (const Queue& q : queues) {
        for (const Job& j : jobs) {
            SCOPED_TRACE(q.name.toStdString() + ": " + j.text);
            // cups-pdf names a file by the job's title and overwrites an
            // older file of that name: the job's file is the one written
            // after it was sent.
            const QDateTime sent = QDateTime::currentDateTime().addSecs(-1);
            testsupport::Radio(form, j.option)->setChecked(true);
            testsupport::Line(form, "Text1")->setText(QString::fromLatin1(j.text));
            testsupport::Combo(form, "Combo1")->setEditText(q.name);
            form.Command2_Click();
            EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join(QLatin1Char('|')).toStdString();
            EXPECT_EQ(testsupport::Combo(form, "Combo1")->lineEdit()->placeholderText(), q.name);

            // cups-pdf has written the job's file, whole, when CUPS says the
            // job has printed: its backend has ended.
            ASSERT_FALSE(form.FollowedJobs().empty()) << "no job was sent to CUPS";
            const int job = form.FollowedJobs().back().id;
            ASSERT_TRUE(testsupport::StatusSays(form, QStringLiteral("Printed on %1 (job %2)").arg(q.name).arg(job), 90000))
                << testsupport::StatusLine(form).toStdString() << "\n" << cups.ErrorLog().toStdString();
            QStringList made;
            for (const QString& f : PdfsIn(pdfFolder))
                if (QFileInfo(f).lastModified() >= sent && QFileInfo(f).size() > 0)
                    made << f;
            ASSERT_EQ(made.size(), 1) << "no PDF from the queue in " << pdfFolder.toStdString() << "\n"
                                      << cups.ErrorLog().toStdString();
            const auto pages = testsupport::RenderPdf(made[0], q.dpi);
            for (const QString& f : made)
                QFile::remove(f);
            ASSERT_EQ(pages.size(), 1u);
            const auto d = testsupport::DecodeOne(pages[0], j.format);
            EXPECT_EQ(d.text, j.text);
            // At the printer's own resolution every bar and space is whole dots.
            const auto runs = testsupport::RunsFrom(pages[0], d.left, d.Middle(), q.dpi / 10);
            ASSERT_GT(runs.size(), 20u);
            const int module = *std::min_element(runs.begin(), runs.end());
            for (int r : runs)
                EXPECT_EQ(r % module, 0) << "a run of " << r << " dots, module " << module;
        }
    }
}
