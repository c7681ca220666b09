#include "app/ExportCommand.h"

#include "output/BatchExport.h"
#include "app/SymbologyTable.h"
#include "output/ScanCheck.h"
#include "platform/AtomicFile.h"
#include "platform/MessageBox.h"
#include "platform/Termination.h"

#include <QtGlobal>
#include <atomic>

namespace app {
namespace {

void Tell(const QString& text) { platform::WriteStderrLine(QStringLiteral("quorvane: ") + text); }

// A line's text as a message shows it: a very long one by its start.
QString Shown(const QString& text)
{
    constexpr qsizetype kShown = 60;
    return text.size() <= kShown ? text : text.left(kShown) + QStringLiteral("...");
}

// Qt's own remarks (a font without OpenType support, a painter on a
// picture that could not be had) are no message of the export's: every
// failure is told by the export itself, naming the file.
void QuietQt(QtMsgType, const QMessageLogContext&, const QString&) {}

class QtRemarksSilenced {
public:
    QtRemarksSilenced() : previous_(qInstallMessageHandler(QuietQt)) {}
    ~QtRemarksSilenced() { qInstallMessageHandler(previous_); }
    QtRemarksSilenced(const QtRemarksSilenced&) = delete;
    QtRemarksSilenced& operator=(const QtRemarksSilenced&) = delete;

private:
    QtMessageHandler previous_;
};

} // namespace

SymbolRequest ExportRequest(const Command& command, const QString& text)
{
    SymbolRequest r = ReadSizeFields(command.symbology, text, QStringLiteral("1.4"), QStringLiteral("8"),
                                     QStringLiteral("800"), command.textBelow);
    r.library = command.library;
    return r;
}

SymbolFile DrawForFile(const SymbolRequest& request, bool verify, bool strict)
{
    Symbol symbol = GenerateSymbol(request);
    const QString caption = QLatin1String(RowOf(request.symbology).caption);
    if (symbol.failure) {
        platform::Failure f = *symbol.failure;
        f.text = QStringLiteral("no %1 barcode of \"%2\": %3").arg(caption, Shown(request.text), f.text);
        return {{}, f, {}};
    }
    if (symbol.drawing.IsEmpty())
        return {{}, platform::Failure{platform::kNotDrawable, QStringLiteral("no %1 barcode of an empty text").arg(caption)}, {}};
    platform::Drawing drawing = std::move(symbol.drawing).Cropped();
    if (verify) {
        const output::ScanResult scan = output::ScanCheck(drawing, ExpectedScan(request.symbology, request.text));
        if (scan.Fails())
            return {{},
                    platform::Failure{platform::kDoesNotScan,
                                      QStringLiteral("the %1 barcode of \"%2\" %3").arg(caption, Shown(request.text), scan.Text())},
                    {}};
    }
    const QString note = HoldsOtherText(request.symbology, request.text);
    if (strict && !note.isEmpty())
        return {{}, platform::Failure{platform::kNotAsTyped, note}, {}};
    return {std::move(drawing), {}, note};
}

QString SuggestedFileName(const QString& text)
{
    constexpr qsizetype kLongest = 60;
    QString name;
    for (const QChar c : text.left(kLongest))
        name += c.isPrint() && !QStringLiteral("/\\:*?\"<>|").contains(c) ? c : QLatin1Char('_');
    name = name.trimmed();
    while (name.startsWith(QLatin1Char('.')) || name.startsWith(QLatin1Char('-')))
        name.remove(0, 1); // no hidden file, no name read as an option
    return name.isEmpty() ? QStringLiteral("barcode") : name;
}

QString WithExtensionOf(const QString& path, const QString& filter)
{
    if (output::ExportFormatOf(path))
        return path;
    const qsizetype star = filter.lastIndexOf(QLatin1String("*."));
    const qsizetype end = filter.indexOf(QLatin1Char(')'), star);
    if (star < 0 || end < 0)
        return path;
    return path + filter.mid(star + 1, end - star - 1);
}

int RunExport(const Command& command)
{
    const QtRemarksSilenced quiet;
    const output::ExportOptions options{command.dpi, command.moduleDots};
    const QString output = platform::ShownPath(command.output);
    if (command.batch.isEmpty()) {
        // A stop ends the export wherever it is, a picture of millions of
        // pixels half drawn included: no file, or the whole one.
        std::atomic<bool> written = false;
        platform::StopWatch watch([&] {
            Tell(written ? QStringLiteral("Stopped; %1 was written whole before the stop.").arg(output)
                         : QStringLiteral("Stopped; nothing was written to %1.").arg(output));
        });
        const SymbolFile file =
            DrawForFile(ExportRequest(command, command.text), command.verify, command.strict);
        if (!file.note.isEmpty())
            Tell(file.note);
        if (file.failure) {
            Tell(file.failure->text + QStringLiteral("; nothing was written to %1").arg(output));
            return 1;
        }
        if (const output::ExportResult failed =
                output::ExportDrawing(file.drawing, command.output, options, [&] { written = true; })) {
            Tell(failed->text);
            return 1;
        }
        return 0;
    }

    // A stop ends the run at once; the files of the lines before are whole.
    std::atomic<qint64> lastWritten = 0;
    platform::StopWatch watch([&] {
        const qint64 line = lastWritten;
        Tell(line > 0 ? QStringLiteral("Stopped after line %1; its file and those before it are whole.").arg(line)
                      : QStringLiteral("Stopped before any file was written."));
    });
    output::BatchExportEvents events;
    events.lineWritten = [&](qint64 line) { lastWritten = line; };
    events.lineFailed = [&](qint64 line, const output::ExportFailure& f) {
        const QString path = output::BatchOutputPath(command.output, line);
        // The writing's own failures name the file already.
        if (path.isEmpty() || f.text.contains(platform::ShownPath(path)))
            Tell(QStringLiteral("line %1: %2").arg(line).arg(f.text));
        else
            Tell(QStringLiteral("line %1 (%2): %3").arg(line).arg(platform::ShownPath(path), f.text));
    };
    // The sizes are the same for every line: read once.
    SymbolRequest request = ExportRequest(command, QString());
    const output::BatchExportReport report = output::ExportBatch(
        command.batch,
        [&](const QString& line, platform::Drawing& drawing) -> output::ExportResult {
            request.text = line;
            SymbolFile file = DrawForFile(request, command.verify, command.strict);
            if (!file.note.isEmpty())
                Tell(file.note);
            if (file.failure)
                return output::ExportFailure{output::ExportCode::LineFailed, file.failure->text};
            drawing = std::move(file.drawing);
            return std::nullopt;
        },
        command.output, options, events);
    if (report.failure && report.failure->code == output::ExportCode::Stopped)
        watch.StopNow(); // as the watch would: one farewell
    if (report.failure) {
        Tell(report.failure->text);
        return 1;
    }
    return 0;
}

} // namespace app
