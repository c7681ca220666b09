// A label printer spoken to in its own language: each page of a job (a
// label) is painted on a picture whose pixels are the printer's dots and
// written as one label of ZPL, EPL2 or TSPL (files/LabelLanguage.h), so
// that what prints is the program's drawing dot for dot, with no driver to
// scale or dither it. The labels of a job go out as one stream: to a CUPS
// queue that passes it to its device unchanged (a queue with no driver, or
// any queue the user gave a language), to an IPP printer that takes ZPL
// (LPrint, as application/vnd.zebra-zpl), to a network printer's raw port
// (socket://HOST[:PORT]) or to a device (a file being exported).
#pragma once

#include "files/LabelLanguage.h"
#include "printing/PaintingTarget.h"

#include <QByteArray>
#include <QSize>
#include <QSizeF>
#include <QString>
#include <memory>
#include <optional>

class QIODevice;

namespace printing {

// The resolution of most thermal label printers, taken when neither the
// user nor the printer says another.
inline constexpr int kLabelPrinterDpi = 203;
// The label taken when nothing names one: 4 × 6 in, the shipping label
// most label printers are loaded with (LPrint's default too).
inline const QSizeF kDefaultLabelMm{101.6, 152.4};

// How a label printer is set up: what the user stored for it by name
// (beside its calibration) with what the command line gives for one run on
// top. What is not set is the printer's own (darkness, speed) or found
// out (the label size, the resolution).
struct LabelSetup {
    // Set: the printer is printed to in this language whatever its queue
    // takes. None: a queue with no driver, or one that takes ZPL, gets ZPL;
    // any other queue prints through its driver.
    std::optional<files::LabelLanguage> language;
    std::optional<int> darkness; // in the language's numbers (LabelSettings)
    std::optional<int> speed;
    std::optional<QSizeF> mediaMm; // the label's size
    std::optional<int> dpi;        // the printer's dots per inch

    bool IsEmpty() const { return !language && !darkness && !speed && !mediaMm && !dpi; }
};

// "WxH" and a unit, mm or in: "50x25mm", "2x1in", "4 x 6 in", "2×1in".
// A failure naming the text when it is none, or a side is not between
// 1 mm and 32,000 dots at 600 dpi (about 1.35 m).
core::Result<QSizeF> ParseMedia(const QString& text);
// A label size as the command line takes it: "2x1in" when both sides are
// whole hundredths of an inch, else "50x25mm".
QString MediaText(QSizeF mm);

// The dots per inch a label printer can have: what TSPL sizes in mm.
inline constexpr int kMinLabelDpi = 100, kMaxLabelDpi = 600;

// Where a label printer's jobs go.
enum class LabelSink {
    Device,    // written to the device given (an export, a dry run's count)
    CupsQueue, // a CUPS or IPP queue, the stream as its document
    Socket,    // a network printer's raw port, the address being the printer's name
};

// Where the label's size came from, as the dry run tells it.
enum class LabelSizeFrom { Stored, Queue, Sheet, Default };
QString LabelSizeFromText(LabelSizeFrom from);

class LabelPrinter : public PaintingTarget {
public:
    // The printer `name` (a queue, or a socket:// address) reached as
    // `sink` says. `format` is the MIME type a queue gets the stream as:
    // application/vnd.zebra-zpl for a printer that lists it, else
    // application/vnd.cups-raw, which a queue passes on unchanged.
    LabelPrinter(QString name, LabelSink sink, LabelSetup setup, Calibration calibration, QByteArray format = {});
    // Jobs written to `out`, each after the one before.
    LabelPrinter(QString name, QIODevice& out, LabelSetup setup, Calibration calibration = {});

    QString Name() const override { return name_; }
    core::Result<JobPage> PageFor(std::optional<QSizeF> paperMm) const override;

    files::LabelLanguage Language() const { return setup_.language.value_or(files::LabelLanguage::Zpl); }
    LabelSink Sink() const { return sink_; }
    // The label a job on sheets of `paperMm` (none: a job of its own
    // labels) gets, its resolution and where its size came from. A printer
    // whose label size is known (stored, or the queue's) refuses sheets of
    // another size; one that knows none takes the sheet's as its label's,
    // and without a sheet the 4 × 6 in label.
    struct Label {
        QSizeF sizeMm;
        int dpi = kLabelPrinterDpi;
        LabelSizeFrom from = LabelSizeFrom::Default;
        QSize Dots() const;
    };
    core::Result<Label> LabelFor(std::optional<QSizeF> paperMm) const;
    // The same printer writing its jobs to `out` instead (a dry run counts
    // the bytes a job would be).
    std::unique_ptr<LabelPrinter> WritingTo(QIODevice& out) const;

protected:
    core::Result<OpenedJob> Open(std::optional<QSizeF> paperMm) override;

private:
    QString name_;
    LabelSink sink_;
    LabelSetup setup_;
    Calibration calibration_;
    QByteArray format_;
    QIODevice* out_ = nullptr;
    int jobs_ = 0; // jobs sent: each gets a title of its own (LPrint names its output files by it)
};

} // namespace printing
