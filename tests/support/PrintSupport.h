// Test doubles for printing: a printer list injected through the printers'
// catalog whose queues write PDF files, and a folder for the built-in PDF
// printer.
#pragma once

#include "printing/Printers.h"
#include "services/Clock.h"
#include "services/EventPump.h"
#include "services/MessageBox.h"
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
    bool Configure(QPrinter& printer, const QString& deviceName, QString& error) const override
    {
        if (deviceName == refuse) {
            error = QStringLiteral("the printer is offline");
            return false;
        }
        const QString pdf = dir.filePath(QStringLiteral("%1-%2.pdf").arg(jobs.size() + 1).arg(deviceName));
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        if (resolution > 0)
            printer.setResolution(resolution);
        printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        jobs.push_back({deviceName, pdf});
        return true;
    }

private:
    QTemporaryDir tmp;
    QDir dir{tmp.path()};
};

// Installs a printer list and a fresh folder for the built-in printer for
// one test, and collects the files the built-in printer writes.
class PrintingSandbox {
public:
    explicit PrintingSandbox(FakePrinters* printers)
        : previousDir_(qgetenv("QUORVANE_PDF_DIR"))
    {
        qputenv("QUORVANE_PDF_DIR", pdfDir.path().toLocal8Bit());
        previousCatalog_ = printing::SetPrinterCatalog(printers);
        previousHandler_ = printing::SetPdfWrittenHandler([this](const QString& path) { written.append(path); });
        services::SetEventPump([] {});
    }
    ~PrintingSandbox()
    {
        printing::CurrentPrinter().KillDoc();
        services::SetEventPump({});
        printing::SetPdfWrittenHandler(std::move(previousHandler_));
        printing::SetPrinterCatalog(previousCatalog_);
        qputenv("QUORVANE_PDF_DIR", previousDir_);
    }
    PrintingSandbox(const PrintingSandbox&) = delete;
    PrintingSandbox& operator=(const PrintingSandbox&) = delete;

    QTemporaryDir pdfDir;
    QStringList written; // files of the built-in printer, in order

private:
    QByteArray previousDir_;
    printing::PrinterCatalog* previousCatalog_ = nullptr;
    std::function<void(const QString&)> previousHandler_;
};

// A clock that moves on by a fixed step every time it is read, so timed
// waits end at once.
class SteppingClock : public services::Clock {
public:
    explicit SteppingClock(double step) : step_(step) { previous_ = services::SetClock(this); }
    ~SteppingClock() override { services::SetClock(previous_); }
    double Seconds() override { return now_ += step_; }

private:
    double step_;
    double now_ = 1000;
    services::Clock* previous_ = nullptr;
};

// What every printing test starts from: its own settings folder, the fake
// printers, and the messages recorded instead of shown.
struct PrintingTest : ::testing::Test {
    TempConfig config;
    FakePrinters printers;
    PrintingSandbox sandbox{&printers};
    services::RecordingSink messages;
    services::ScopedMessageSink sink{&messages};
};

} // namespace testsupport
