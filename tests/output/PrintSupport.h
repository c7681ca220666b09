// Test doubles for printing: a printer list injected through the platform
// catalog whose queues write PDF files, a folder for the built-in PDF
// printer, and rasterising a PDF with pdftoppm to decode what was printed.
#pragma once

#include "platform/Clock.h"
#include "platform/EventPump.h"
#include "platform/MessageBox.h"
#include "platform/Printers.h"
#include "tests/support/TempConfig.h"

#include <QDir>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QImage>
#include <QImageReader>
#include <QStringList>
#include <gtest/gtest.h>
#include <vector>

namespace testsupport {

// Installed printers that exist only in the test: every job goes to a PDF
// file named by its order and the printer it was sent to.
class FakePrinters : public platform::PrinterCatalog {
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
        previousCatalog_ = platform::SetPrinterCatalog(printers);
        previousHandler_ = platform::SetPdfWrittenHandler([this](const QString& path) { written.append(path); });
        platform::SetEventPump([] {});
    }
    ~PrintingSandbox()
    {
        platform::CurrentPrinter().KillDoc();
        platform::SetEventPump({});
        platform::SetPdfWrittenHandler(std::move(previousHandler_));
        platform::SetPrinterCatalog(previousCatalog_);
        qputenv("QUORVANE_PDF_DIR", previousDir_);
    }
    PrintingSandbox(const PrintingSandbox&) = delete;
    PrintingSandbox& operator=(const PrintingSandbox&) = delete;

    QTemporaryDir pdfDir;
    QStringList written; // files of the built-in printer, in order

private:
    QByteArray previousDir_;
    platform::PrinterCatalog* previousCatalog_ = nullptr;
    std::function<void(const QString&)> previousHandler_;
};

// A clock that moves on by a fixed step every time it is read, so timed
// waits end at once.
class SteppingClock : public platform::Clock {
public:
    explicit SteppingClock(double step) : step_(step) { previous_ = platform::SetClock(this); }
    ~SteppingClock() override { platform::SetClock(previous_); }
    double Seconds() override { return now_ += step_; }

private:
    double step_;
    double now_ = 1000;
    platform::Clock* previous_ = nullptr;
};

// What every printing test starts from: its own settings folder, the fake
// printers, and the messages recorded instead of shown.
struct PrintingTest : ::testing::Test {
    TempConfig config;
    FakePrinters printers;
    PrintingSandbox sandbox{&printers};
    platform::RecordingSink messages;
    platform::ScopedMessageSink sink{&messages};
};

// The two renderers a printed page meets: poppler (PDF viewers) and
// ghostscript (the one behind CUPS).
enum class Renderer { Poppler, Ghostscript };

// The pages of a PDF rendered at the given resolution, grey; with poppler,
// only the top `inches` of each page when that is given.
inline std::vector<QImage> RenderPdf(const QString& pdf, int dpi, Renderer renderer = Renderer::Poppler, double inches = 0)
{
    QTemporaryDir out;
    QProcess p;
    QStringList crop;
    if (inches > 0)
        crop = {QStringLiteral("-x"), QStringLiteral("0"), QStringLiteral("-y"), QStringLiteral("0"), QStringLiteral("-W"),
                QString::number(9 * dpi), QStringLiteral("-H"), QString::number(static_cast<int>(inches * dpi))};
    if (renderer == Renderer::Poppler)
        p.start(QStringLiteral("pdftoppm"), QStringList{QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-gray")}
                                                 + crop + QStringList{QStringLiteral("-png"), pdf, out.filePath(QStringLiteral("page"))});
    else
        p.start(QStringLiteral("gs"), {QStringLiteral("-q"), QStringLiteral("-dNOPAUSE"), QStringLiteral("-dBATCH"),
                                        QStringLiteral("-dSAFER"), QStringLiteral("-sDEVICE=pnggray"),
                                        QStringLiteral("-r%1").arg(dpi), QStringLiteral("-dTextAlphaBits=4"),
                                        QStringLiteral("-o"), out.filePath(QStringLiteral("page-%03d.png")), pdf});
    p.waitForFinished(120000);
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    QImageReader::setAllocationLimit(0); // a page at 600 dpi is larger than Qt's default limit
    std::vector<QImage> pages;
    QDir dir(out.path());
    for (const QString& name : dir.entryList({QStringLiteral("page*.png")}, QDir::Files, QDir::Name))
        pages.push_back(QImage(dir.filePath(name)));
    return pages;
}

// The raster images a PDF holds (`pdfimages -list`), one line each.
inline QStringList PdfImages(const QString& pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf});
    p.waitForFinished(60000);
    QStringList lines = QString::fromLocal8Bit(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return lines.mid(2); // after the two header lines
}

inline bool IsDark(const QImage& img, int x, int y) { return qGray(img.pixel(x, y)) < 128; }

// The widths of the dark and light runs along row y from the first dark
// pixel at or right of x, up to a light run of `quiet` pixels (the quiet
// zone after the symbol, not included).
inline std::vector<int> RunsFrom(const QImage& img, int x, int y, int quiet)
{
    std::vector<int> runs;
    while (x < img.width() && !IsDark(img, x, y))
        ++x;
    while (x < img.width()) {
        const bool dark = IsDark(img, x, y);
        int n = 0;
        while (x < img.width() && IsDark(img, x, y) == dark && (dark || n < quiet))
            ++x, ++n;
        if (!dark && n >= quiet)
            break;
        runs.push_back(n);
    }
    return runs;
}

} // namespace testsupport
