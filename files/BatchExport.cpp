#include "files/BatchExport.h"

#include "files/AtomicFile.h"
#include "files/BatchFile.h"
#include "services/LocalPath.h"
#include "services/Termination.h"

#include <QFileInfo>

namespace files {
namespace {

QString Shown(const QString& path) { return ShownPath(path); }

// Where the last run of "~" of the file name starts and how long it is;
// length 0 when there is none.
std::pair<qsizetype, qsizetype> NumberRun(const QString& pattern)
{
    const qsizetype nameStart = std::max(pattern.lastIndexOf(QLatin1Char('/')), pattern.lastIndexOf(QLatin1Char('\\'))) + 1;
    const qsizetype end = pattern.lastIndexOf(QLatin1Char('~'));
    if (end < nameStart)
        return {0, 0};
    qsizetype start = end;
    while (start > nameStart && pattern[start - 1] == QLatin1Char('~'))
        --start;
    return {start, end + 1 - start};
}

// The failed lines a summary names; the rest are counted.
constexpr int kNamedLines = 10;

// "line 4", "lines 4 and 9", "lines 4, 9 and 12", "lines 4, 9, ... and 20 more".
QString LineList(const QList<qint64>& named, qint64 total)
{
    QStringList numbers;
    for (qint64 n : named)
        numbers << QString::number(n);
    if (total == 1)
        return QStringLiteral("line ") + numbers.value(0);
    if (total > named.size())
        return QStringLiteral("lines %1, ... and %2 more").arg(numbers.join(QStringLiteral(", "))).arg(total - named.size());
    const QString last = numbers.takeLast();
    return QStringLiteral("lines %1 and %2").arg(numbers.join(QStringLiteral(", ")), last);
}

} // namespace

core::Status CheckBatchPattern(const QString& pattern)
{
    if (!ExportFormatOf(pattern))
        return core::Failure{core::kBadName,
                             QStringLiteral("The file name %1 does not end in .png, .svg or .pdf.").arg(Shown(pattern))};
    if (NumberRun(pattern).second == 0)
        return core::Failure{
            core::kBadName,
            QStringLiteral("The file name %1 has no ~ where the line number goes (~~~~~ for 00001, 00002, ...).")
                .arg(Shown(pattern))};
    return core::Ok();
}

QString BatchOutputPath(const QString& pattern, qint64 number)
{
    const auto [start, length] = NumberRun(pattern);
    const QString digits = QString::number(number);
    if (length == 0 || digits.size() > length || number < 0)
        return {};
    return pattern.left(start) + digits.rightJustified(length, QLatin1Char('0')) + pattern.mid(start + length);
}

BatchExportReport ExportBatch(const QString& linesPath, const LineDrawer& draw, const QString& pattern,
                              const ExportOptions& options, const BatchExportEvents& events, const PictureCheck& check)
{
    BatchExportReport report;
    const auto fail = [&report](int code, const QString& text) {
        report.outcome = core::Failure{code, text};
        return report;
    };
    if ((report.outcome = CheckBatchPattern(pattern)).failed())
        return report;
    const ExportFormat format = *ExportFormatOf(pattern);
    BatchFileReader lines;
    if (const core::Status opened = lines.Open(linesPath); opened.failed())
        return fail(core::kCannotRead, QStringLiteral("Cannot read %1: %2.").arg(Shown(linesPath), opened.failure().text));
    const QString folder = QFileInfo(pattern).absolutePath();
    // A folder that can't be had fails every line alike: said once.
    if (!services::IsFolder(folder))
        return fail(core::kCannotWrite,
                    QStringLiteral("Cannot write %1: the folder %2 does not exist.").arg(Shown(pattern), Shown(folder)));
    AtomicFile::RemoveAbandoned(folder, QStringLiteral(".part"));
    const FileFolder held(folder);

    QList<qint64> failedNamed;
    auto lineFailed = [&](qint64 number, const core::Failure& f) {
        if (++report.failedLines <= kNamedLines)
            failedNamed << number;
        if (events.lineFailed)
            events.lineFailed(number, f);
    };
    qint64 lastWritten = 0;
    QString line;
    // Every line is tried: a line that gives no file (a bad text, a name
    // taken by a folder, a full disk for a moment) is counted and named at
    // the end, and the lines after it still get theirs.
    while (!services::TerminationRequested() && lines.ReadLine(line)) {
        const qint64 number = lines.LineNumber();
        if (line.isEmpty())
            continue;
        const QString path = BatchOutputPath(pattern, number);
        if (path.isEmpty())
            return fail(core::kTooManyLines, QStringLiteral("Line %1 of %2 has no file name: the ~ of %3 count up to %4 lines.")
                                                 .arg(number)
                                                 .arg(Shown(linesPath), Shown(pattern))
                                                 .arg(QString(NumberRun(pattern).second, QLatin1Char('9'))));
        if (lines.LineWasCut()) {
            lineFailed(number, core::Failure{core::kLineFailed,
                                             QStringLiteral("Line %1 is longer than %2 bytes; no barcode was saved for it.")
                                                 .arg(number)
                                                 .arg(BatchFileReader::kMaxLineBytes)});
            continue;
        }
        const core::Result<graphics::Drawing> drawing = draw(line);
        if (drawing.failed()) {
            lineFailed(number, drawing.failure());
            continue;
        }
        const auto named = [&] {
            lastWritten = number;
            if (events.lineWritten)
                events.lineWritten(number);
        };
        if (const core::Status written = WriteExport(*drawing, format, held, path, options, false, named, check); written.failed()) {
            lineFailed(number, written.failure());
            continue;
        }
        ++report.written;
        if (events.written)
            events.written(path);
    }
    const core::Status read = lines.Outcome();
    if ((read.failed() && read.failure().code == core::kStopped) || services::TerminationRequested())
        return fail(core::kStopped, lastWritten > 0 ? QStringLiteral("Stopped after line %1.").arg(lastWritten)
                                                    : QStringLiteral("Stopped before any file was written."));
    if (read.failed())
        return fail(core::kCannotRead, QStringLiteral("Cannot read %1 after line %2: %3.")
                                           .arg(Shown(linesPath))
                                           .arg(lines.LineNumber())
                                           .arg(read.failure().text));
    if (report.written > 0)
        if (const core::Status synced = AtomicFile::SyncFileSystem(folder); synced.failed())
            return fail(core::kCannotWrite,
                        QStringLiteral("Cannot write the files in %1: %2.").arg(Shown(folder), synced.failure().text));
    if (report.failedLines > 0)
        return fail(core::kLineFailed, QStringLiteral("%1 of the lines of %2 gave no barcode file: %3.")
                                           .arg(report.failedLines)
                                           .arg(Shown(linesPath), LineList(failedNamed, report.failedLines)));
    return report;
}

} // namespace files
