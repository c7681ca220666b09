#include "printing/BatchPrint.h"

#include "printing/Printer.h"

#include "core/Units.h"
#include "files/BatchFile.h"
#include "services/Termination.h"

#include <QDir>
#include <QList>
#include <QStringList>
#include <algorithm>

namespace printing {
namespace {

// One blank and a line end: two text lines down, as the listing spaces a barcode.
const QString kBlankLine = QStringLiteral(" \r\n");

// Names the lines that were too long to print whole: the first few by
// number, the rest by count.
QString CutLinesMessage(const QString& shownPath, const QList<qint64>& lines)
{
    constexpr qsizetype kNamed = 10;
    QStringList numbers;
    for (qsizetype i = 0; i < std::min(lines.size(), kNamed); ++i)
        numbers << QString::number(lines[i]);
    QString which = numbers.join(QStringLiteral(", "));
    if (lines.size() > kNamed)
        which += QStringLiteral(" and %1 more").arg(lines.size() - kNamed);
    return QStringLiteral("%1 %2 of \"%3\" %4 longer than %5 MiB: only the start was printed, without a barcode.")
        .arg(lines.size() == 1 ? QStringLiteral("Line") : QStringLiteral("Lines"), which, shownPath,
             lines.size() == 1 ? QStringLiteral("is") : QStringLiteral("are"))
        .arg(files::BatchFileReader::kMaxLineBytes / (1024 * 1024));
}

// A code as a message shows it: a very long one by its start.
QString Shortened(const QString& code)
{
    constexpr qsizetype kShown = 60;
    return code.size() <= kShown ? code : code.left(kShown) + QStringLiteral("...");
}

} // namespace

QString TrimBlanks(const QString& text)
{
    qsizetype begin = 0, end = text.size();
    while (begin < end && text.at(begin) == QLatin1Char(' '))
        ++begin;
    while (end > begin && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.mid(begin, end - begin);
}

std::optional<QString> CodeOfLine(const QString& line, const QString& pattern, bool keepPattern)
{
    const QString t = TrimBlanks(line);
    if (!t.startsWith(pattern, Qt::CaseSensitive))
        return std::nullopt;
    if (keepPattern)
        return t;
    return TrimBlanks(t.mid(pattern.size()));
}

core::Result<Listing> PrintListing(const BatchOptions& options, PrintTarget& target, const BarcodeMaker& barcodeFor,
                                   const ListingTold& told, const LinePrinted& linePrinted)
{
    const auto tell = [&told](int code, const QString& text, bool logOnly = false) {
        if (told)
            told({core::Failure{code, text}, logOnly});
    };
    const QString shownPath = QDir::toNativeSeparators(options.path);
    files::BatchFileReader reader(options.pump);
    if (const core::Status opened = reader.Open(options.path); opened.failed())
        return core::Failure{core::kCannotOpen,
                             QStringLiteral("Cannot open the file \"%1\": %2").arg(shownPath, opened.failure().text)};

    Printer printer(target);
    printer.SetScaleMode(PrinterScale::Millimeters);
    QString line;
    QList<qint64> cutLines;
    Listing listing;
    for (qint64 lines = 0;;) {
        services::Pump(options.pump);
        // A stop asked for while the reader waits for a slow writer ends the wait.
        const bool gotLine = !services::TerminationRequested() && reader.ReadLine(line);
        if (services::TerminationRequested()) {
            printer.KillDoc();
            return core::Failure{core::kStopped, QStringLiteral("Printing of \"%1\" was stopped before the end of the file; "
                                                                "nothing was sent to the printer.")
                                                     .arg(shownPath)};
        }
        if (!gotLine)
            break;
        // A cut line's code is not the code the file holds: no barcode.
        std::optional<QString> code;
        if (reader.LineWasCut())
            cutLines.append(reader.LineNumber());
        else
            code = CodeOfLine(line, options.pattern, options.keepPattern);
        Barcode barcode;
        if (code)
            barcode = barcodeFor(*code);
        if (barcode.status.failed()) {
            ++listing.linesNotAsAsked;
            const core::Failure& failure = barcode.status.failure();
            const QString where = QStringLiteral("%1:%2: ").arg(shownPath).arg(reader.LineNumber());
            if (failure.inPicture)
                tell(failure.code, where + QStringLiteral("No barcode for \"%1\": %2").arg(Shortened(*code), failure.text),
                     true);
            else
                tell(failure.code, where + failure.text);
        } else if (!barcode.note.isEmpty()) {
            tell(core::kNotAsTyped, QStringLiteral("%1:%2: %3").arg(shownPath).arg(reader.LineNumber()).arg(barcode.note),
                 true);
        }
        // A code whose barcode failed gets none under it: a message or half
        // a symbol in its place would be taken for the code's barcode.
        const bool drawn = code && barcode.status.ok();
        const double barcodeHeight = drawn ? printer.DrawingHeight(barcode.drawing) : 0;

        // A line and its barcode stay together, and a barcode is never cut
        // by the bottom of the page: when they don't fit in what is left of
        // the page they start a new one.
        const double needed = printer.TextHeight() + barcodeHeight;
        core::Status printed = core::Ok();
        if (printer.CurrentY() > 0 && printer.CurrentY() + needed > printer.ScaleHeight())
            printed = printer.NewPage();
        if (printed.ok())
            printed = printer.Print(line);
        if (printed.ok() && drawn) {
            const double top = printer.CurrentY();
            printed = printer.PaintDrawing(barcode.drawing, 0, top);
            for (int blank = 0; blank < 2 && printed.ok(); ++blank)
                printed = printer.Print(kBlankLine);
            // A barcode taller than those lines keeps one line of space below
            // it, so the next line never runs into it.
            printer.MoveDownTo(top + barcodeHeight + printer.TextHeight());
        }
        if (printed.failed())
            break;
        if (linePrinted)
            linePrinted(++lines);
    }
    reader.Close();

    if (const core::Status read = reader.Outcome(); read.failed()) {
        printer.KillDoc(); // a listing cut short is not sent as if it were whole
        return core::Failure{core::kCannotRead,
                             QStringLiteral("Cannot read the file \"%1\": %2").arg(shownPath, read.failure().text)};
    }
    core::Result<JobDone> done = printer.EndDoc();
    if (done.failed())
        return done.failure();
    listing.done = std::move(*done);
    if (!cutLines.isEmpty()) {
        tell(core::kLinesCut, CutLinesMessage(shownPath, cutLines));
        listing.linesNotAsAsked += cutLines.size();
    }
    return listing;
}

} // namespace printing
