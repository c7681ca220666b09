#include "cli/ExportCommand.h"

#include "files/AtomicFile.h"
#include "files/BatchExport.h"
#include "services/Messages.h"
#include "services/Termination.h"
#include "symbols/SymbologyTable.h"

#include <QtGlobal>
#include <atomic>

namespace cli {
namespace {

void Tell(const QString& text) { services::WriteStderrLine(QStringLiteral("quorvane: ") + text); }

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

symbols::SymbolRequest ExportRequest(const Command& command, const QString& text)
{
    symbols::SymbolRequest r = symbols::ReadSizeFields(command.symbology, text, QStringLiteral("1.4"), QStringLiteral("8"),
                                     QStringLiteral("800"), command.textBelow);
    r.library = command.library;
    return r;
}

// With --verify, the picture a PNG is about to hold is read as written:
// a reader must find the text at that size, not only in the drawing.
// `after` ends its message.
files::PictureCheck ReadsBack(const Command& command, const symbols::SymbolRequest& request,
                              const files::ExportOptions& options, const QString& after = {})
{
    if (!command.verify)
        return {};
    return [&request, options, after](const QImage& picture) -> core::Status {
        const core::Status scans = symbols::ScansInPicture(picture, request, files::PictureSize(options));
        if (scans.failed())
            return core::Failure{scans.failure().code, scans.failure().text + after};
        return scans;
    };
}

int RunExport(const Command& command)
{
    const QtRemarksSilenced quiet;
    const files::ExportOptions options{command.dpi, command.moduleDots};
    const QString output = files::ShownPath(command.output);
    if (command.batch.isEmpty()) {
        // A stop ends the export wherever it is, a picture of millions of
        // pixels half drawn included: no file, or the whole one.
        std::atomic<bool> written = false;
        services::StopWatch watch([&] {
            Tell(written ? QStringLiteral("Stopped; %1 was written whole before the stop.").arg(output)
                         : QStringLiteral("Stopped; nothing was written to %1.").arg(output));
        });
        const symbols::SymbolRequest request = ExportRequest(command, command.text);
        const core::Result<symbols::SymbolFile> file = symbols::DrawForFile(request, command.verify, command.strict);
        const QString nothing = QStringLiteral("; nothing was written to %1").arg(output);
        if (file.failed()) {
            Tell(file.failure().text + nothing);
            return 1;
        }
        if (!file->note.isEmpty())
            Tell(file->note);
        if (const core::Status exported = files::ExportDrawing(file->drawing, command.output, options, [&] { written = true; },
                                                               ReadsBack(command, request, options, nothing));
            exported.failed()) {
            Tell(exported.failure().text);
            return 1;
        }
        return 0;
    }

    // A stop ends the run at once; the files of the lines before are whole.
    std::atomic<qint64> lastWritten = 0;
    services::StopWatch watch([&] {
        const qint64 line = lastWritten;
        Tell(line > 0 ? QStringLiteral("Stopped after line %1; its file and those before it are whole.").arg(line)
                      : QStringLiteral("Stopped before any file was written."));
    });
    files::BatchExportEvents events;
    events.lineWritten = [&](qint64 line) { lastWritten = line; };
    events.lineFailed = [&](qint64 line, const core::Failure& f) {
        const QString path = files::BatchOutputPath(command.output, line);
        // The writing's own failures name the file already.
        if (path.isEmpty() || f.text.contains(files::ShownPath(path)))
            Tell(QStringLiteral("line %1: %2").arg(line).arg(f.text));
        else
            Tell(QStringLiteral("line %1 (%2): %3").arg(line).arg(files::ShownPath(path), f.text));
    };
    // The sizes are the same for every line: read once.
    symbols::SymbolRequest request = ExportRequest(command, QString());
    const files::BatchExportReport report = files::ExportBatch(
        command.batch,
        [&](const QString& line) -> core::Result<graphics::Drawing> {
            request.text = line;
            core::Result<symbols::SymbolFile> file = symbols::DrawForFile(request, command.verify, command.strict);
            if (file.failed())
                return core::Failure{core::kLineFailed, file.failure().text};
            if (!file->note.isEmpty())
                Tell(file->note);
            return std::move(file->drawing);
        },
        command.output, options, events, ReadsBack(command, request, options));
    if (report.outcome.failed() && report.outcome.failure().code == core::kStopped)
        watch.StopNow(); // as the watch would: one farewell
    if (report.outcome.failed()) {
        Tell(report.outcome.failure().text);
        return 1;
    }
    return 0;
}

} // namespace cli
