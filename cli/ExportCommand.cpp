#include "cli/ExportCommand.h"

#include "files/AtomicFile.h"
#include "files/BatchExport.h"
#include "files/LabelLanguage.h"
#include "graphics/Raster.h"
#include "jobs/SheetJobs.h"
#include "printing/RangePrint.h"
#include "services/Messages.h"
#include "services/Termination.h"
#include "symbols/SymbologyTable.h"

#include <QFileInfo>
#include <QtGlobal>
#include <atomic>
#include <utility>

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
    r.printSize = command.printSize.value_or(graphics::PrintSize{});
    return r;
}

printing::Barcode ExportBarcode(const Command& command, const QString& code)
{
    core::Result<symbols::SymbolFile> drawn = symbols::DrawForFile(ExportRequest(command, code), command.verify, command.strict);
    if (drawn.failed())
        return printing::Barcode{{}, drawn.failure(), {}};
    return printing::Barcode{std::move(drawn->drawing), {}, drawn->note};
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
    if (files::LabelLanguageOfPath(command.output))
        return ExportLabels(command);
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

int ExportLabels(const Command& command)
{
    const QtRemarksSilenced quiet;
    const QString shown = files::ShownPath(command.output);
    const files::LabelLanguage language = *files::LabelLanguageOfPath(command.output);
    files::AtomicFile file;
    const auto nothing = [&](const QString& why) {
        file.Discard();
        Tell(QStringLiteral("%1 Nothing was written to %2.").arg(why, shown));
        return 1;
    };
    const auto barcodeFor = [&command](const QString& code) { return ExportBarcode(command, code); };
    printing::NextLabel labels;
    if (!command.batch.isEmpty()) {
        core::Result<printing::NextLabel> lines = jobs::FileLabels(command.batch, QString(), false, barcodeFor);
        if (lines.failed())
            return nothing(lines.failure().text);
        labels = *lines;
    } else if (!command.from.isEmpty()) {
        if (const auto range = printing::ReadRange(command.from, command.to); range && !range->HasNext())
            return nothing(printing::EmptyRange(*range, QStringLiteral("--from"), QStringLiteral("--to")));
        labels = jobs::RangeLabels(command.prefix, command.from, command.to, barcodeFor);
    } else {
        labels = [&, done = false]() mutable -> std::optional<printing::SheetLabel> {
            if (std::exchange(done, true))
                return std::nullopt;
            return printing::SheetLabel{command.text, barcodeFor(command.text), {}};
        };
    }

    files::LabelSettings settings;
    settings.dpi = command.dpi;
    settings.darkness = command.labelSetup.darkness;
    settings.speed = command.labelSetup.speed;
    std::optional<QSize> media;
    if (const std::optional<QSizeF> mm = command.labelSetup.mediaMm)
        media = printing::LabelPrinter::Label{*mm, command.dpi}.Dots();

    const QString folder = QFileInfo(command.output).absolutePath();
    const QString suffix = QStringLiteral(".%1.part").arg(files::LabelLanguageName(language));
    files::AtomicFile::RemoveAbandoned(folder, suffix);
    const auto cannotWrite = [&](const core::Failure& why) {
        return nothing(QStringLiteral("Cannot write %1: %2.").arg(shown, why.text));
    };
    if (const core::Status created = file.Create(folder, suffix); created.failed())
        return cannotWrite(created.failure());
    // Written a megabyte at a time: memory stays flat however many labels.
    QByteArray stream;
    qint64 written = 0;
    const auto flush = [&] { return stream.isEmpty() || file.Write(std::exchange(stream, QByteArray())); };
    const auto notWritten = [&] {
        const core::Status w = file.Written();
        return cannotWrite(w.failed() ? w.failure() : core::Failure{core::kCannotWrite, QStringLiteral("it could not be written")});
    };
    for (std::optional<printing::SheetLabel> label = labels(); label; label = labels()) {
        if (services::TerminationRequested())
            return nothing(QStringLiteral("Stopped after %1 labels.").arg(written));
        if (label->stop.failed())
            return nothing(label->stop.failure().text);
        if (label->barcode.status.failed())
            return nothing(QStringLiteral("There is no barcode for the label \"%1\": %2")
                               .arg(label->text, label->barcode.status.failure().text));
        if (!label->barcode.note.isEmpty())
            Tell(label->barcode.note);
        const QImage picture = graphics::RasterImage(label->barcode.drawing, {command.dpi, command.moduleDots});
        if (picture.isNull())
            return nothing(QStringLiteral("The barcode of the label \"%1\" is too large a picture at %2 dpi.")
                               .arg(label->text)
                               .arg(command.dpi));
        settings.width = media ? media->width() : picture.width();
        settings.height = media ? media->height() : picture.height();
        if (const core::Status appended = files::AppendLabel(stream, language, picture, settings); appended.failed())
            return nothing(QStringLiteral("The label \"%1\" can't be written: %2").arg(label->text, appended.failure().text));
        ++written;
        if (stream.size() >= (1 << 20) && !flush())
            return notWritten();
    }
    if (written == 0)
        return nothing(command.batch.isEmpty() ? QStringLiteral("The range from %1 to %2 has no numbers.").arg(command.from, command.to)
                                               : QStringLiteral("The file %1 has no lines.").arg(files::ShownPath(command.batch)));
    if (!flush())
        return notWritten();
    const auto hold = services::HoldOffStop();
    if (const core::Status whole = file.Complete(); whole.failed())
        return cannotWrite(whole.failure());
    if (const core::Status named = file.ReplaceAs(command.output); named.failed())
        return cannotWrite(named.failure());
    return 0;
}

} // namespace cli
