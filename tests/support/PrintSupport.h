// Test doubles for printing: a printer list injected through the printers'
// catalog whose queues write PDF files, and a folder for the built-in PDF
// printer.
#pragma once

#include "jobs/PrintJobs.h"
#include "printing/Printers.h"
#include "services/Clock.h"
#include "services/Messages.h"
#include "tests/support/Pages.h"
#include "tests/support/TempConfig.h"

#include <QDir>
#include <QPrinter>
#include <QTemporaryDir>
#include <QStringList>
#include <gtest/gtest.h>
#include <vector>

namespace testsupport {

// Installed printers that exist only in the test: every job goes to a PDF
// file named by its order and the printer it was sent to.
class FakePrinters : public printing::PrinterCatalog {
public:
    struct Job {
        QString printer;
        QString pdf;
    };

    QStringList names;
    QString defaultName;
    QString refuse; // a printer that fails to start a job
    int resolution = 0; // dots per inch of the printers; 0: Qt's own
    mutable std::vector<Job> jobs;

    QStringList DeviceNames() const override { return names; }
    QString DefaultDeviceName() const override { return defaultName; }
    core::Status Configure(QPrinter& printer, const QString& deviceName) const override
    {
        if (deviceName == refuse)
            return core::Failure{core::kPrintFailed, QStringLiteral("the printer is offline")};
        const QString pdf = dir.filePath(QStringLiteral("%1-%2.pdf").arg(jobs.size() + 1).arg(deviceName));
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        if (resolution > 0)
            printer.setResolution(resolution);
        printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        jobs.push_back({deviceName, pdf});
        return core::Ok();
    }

private:
    QTemporaryDir tmp;
    QDir dir{tmp.path()};
};

// A fresh folder for the built-in printer for one test, the printers a
// test prints on (its fake ones, then the built-in one writing there), and
// the files the built-in printer wrote, in order.
class PrintingSandbox {
public:
    explicit PrintingSandbox(FakePrinters* printers) : printers_(printers), previousDir_(qgetenv("QUORVANE_PDF_DIR"))
    {
        qputenv("QUORVANE_PDF_DIR", pdfDir.path().toLocal8Bit());
    }
    ~PrintingSandbox() { qputenv("QUORVANE_PDF_DIR", previousDir_); }
    PrintingSandbox(const PrintingSandbox&) = delete;
    PrintingSandbox& operator=(const PrintingSandbox&) = delete;

    printing::Printers Printers() const
    {
        printing::Printers p;
        p.catalog = printers_;
        p.pdfFolder = pdfDir.path();
        return p;
    }
    // Keeps the file a job wrote, and gives back what became of the job.
    template <class Result>
    const Result& Keep(const Result& done)
    {
        if (done.ok())
            Keep(*done);
        return done;
    }
    void Keep(const printing::JobDone& done)
    {
        if (done.pdfPath.isEmpty())
            return;
        written.append(done.pdfPath);
        ExpectValidPdf(done.pdfPath);
    }

    QTemporaryDir pdfDir;
    QStringList written; // files of the built-in printer, in order

private:
    FakePrinters* printers_;
    QByteArray previousDir_;
};

// A clock that moves on by a fixed step every time it is read, so timed
// waits end at once.
class SteppingClock : public services::Clock {
public:
    explicit SteppingClock(double step) : step_(step) {}
    double Seconds() override { return now_ += step_; }

private:
    double step_;
    double now_ = 1000;
};

// What every printing test starts from: its own settings folder, the fake
// printers, and the messages recorded instead of shown.
struct PrintingTest : ::testing::Test {
    TempConfig config;
    FakePrinters printers;
    PrintingSandbox sandbox{&printers};
    services::RecordingSink messages;
    // What the window runs between the steps of a run (nothing, unless a
    // test watches the run go on).
    std::function<void()> pump;

    // An unattended run's set-up on the test's printers: its messages
    // recorded, the built-in printer's files kept.
    jobs::Unattended Unattended()
    {
        return jobs::Unattended{sandbox.Printers(), messages, [this](const QString& path) { sandbox.written.append(path); }};
    }
};

} // namespace testsupport
