#include "app/ExportCommand.h"

#include "output/BatchExport.h"
#include "app/SymbologyTable.h"
#include "output/ScanCheck.h"
#include "platform/TextCodec.h"

#include <cstdio>

namespace app {
namespace {

void Tell(const QString& text)
{
    const QByteArray line = QByteArrayLiteral("quorvane: ") + platform::ToLocalBytes(text) + '\n';
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
    std::fflush(stderr);
}

// A line's text as a message shows it: a very long one by its start.
QString Shown(const QString& text)
{
    constexpr qsizetype kShown = 60;
    return text.size() <= kShown ? text : text.left(kShown) + QStringLiteral("...");
}

} // namespace

SymbolRequest ExportRequest(Symbology symbology, const QString& text, bool textBelow)
{
    return ReadSizeFields(symbology, text, QStringLiteral("1.4"), QStringLiteral("8"), QStringLiteral("800"), textBelow);
}

SymbolFile DrawForFile(const SymbolRequest& request, bool verify)
{
    const Symbol symbol = GenerateSymbol(request);
    const QString caption = QLatin1String(RowOf(request.symbology).caption);
    if (symbol.failure) {
        platform::Failure f = *symbol.failure;
        f.text = QStringLiteral("no %1 barcode of \"%2\": %3").arg(caption, Shown(request.text), f.text);
        return {{}, f};
    }
    if (symbol.drawing.IsEmpty())
        return {{}, platform::Failure{platform::kNotDrawable, QStringLiteral("no %1 barcode of an empty text").arg(caption)}};
    platform::Drawing drawing = symbol.drawing.Cropped();
    if (verify) {
        const output::ScanResult scan = output::ScanCheck(drawing, ExpectedScan(request.symbology, request.text));
        if (!scan.Scans())
            return {{},
                    platform::Failure{platform::kDoesNotScan,
                                      QStringLiteral("the %1 barcode of \"%2\" %3").arg(caption, Shown(request.text), scan.Text())}};
    }
    return {drawing, {}};
}

int RunExport(const Command& command)
{
    const output::ExportOptions options{command.dpi, command.moduleDots};
    if (command.batch.isEmpty()) {
        const SymbolFile file = DrawForFile(ExportRequest(command.symbology, command.text, command.textBelow), command.verify);
        if (file.failure) {
            Tell(file.failure->text + QStringLiteral("; nothing was written"));
            return 1;
        }
        if (const output::ExportResult failed = output::ExportDrawing(file.drawing, command.output, options)) {
            Tell(failed->text);
            return 1;
        }
        return 0;
    }

    output::BatchExportEvents events;
    events.lineFailed = [](qint64 line, const output::ExportFailure& f) { Tell(QStringLiteral("line %1: %2").arg(line).arg(f.text)); };
    const output::BatchExportReport report = output::ExportBatch(
        command.batch,
        [&](const QString& line, platform::Drawing& drawing) -> output::ExportResult {
            SymbolFile file = DrawForFile(ExportRequest(command.symbology, line, command.textBelow), command.verify);
            if (file.failure)
                return output::ExportFailure{output::ExportFailure::LineFailed, file.failure->text};
            drawing = std::move(file.drawing);
            return std::nullopt;
        },
        command.output, options, events);
    if (report.failure) {
        Tell(report.failure->text);
        return 1;
    }
    return 0;
}

} // namespace app
