#include "printing/RunProgress.h"

#include "core/Numeric.h"
#include "files/BatchFile.h"

#include <QDir>
#include <QLocale>
#include <cmath>

namespace printing {
namespace {

QString Of(const QString& what, qint64 n, const QString& total)
{
    return total.isEmpty() ? QStringLiteral("%1 %2").arg(what).arg(n) : QStringLiteral("%1 %2 of %3").arg(what).arg(n).arg(total);
}

QString Total(qint64 lines) { return lines < 0 ? QString() : QString::number(lines); }

} // namespace

QString ListingProgress(qint64 line, qint64 lines) { return Of(QStringLiteral("Printing line"), line, Total(lines)); }

QString ListingStopped(qint64 printed, qint64 lines)
{
    return Of(QStringLiteral("Stopped after line"), printed, Total(lines)) +
           QStringLiteral("; nothing was sent to the printer.");
}

QString LabelProgress(qint64 label, double labels)
{
    return Of(QStringLiteral("Printing label"), label, core::FormatNumber(labels));
}

QString RangeStopped(qint64 printed, double labels)
{
    if (printed == 0)
        return QStringLiteral("Stopped before the first of %1 labels was printed.").arg(core::FormatNumber(labels));
    return Of(QStringLiteral("Stopped after label"), printed, core::FormatNumber(labels)) + QLatin1Char('.');
}

QString MergeProgress(qint64 label, qint64 labels)
{
    // Grouped as people write large counts, whatever the system's language.
    const QLocale english(QLocale::English);
    return QStringLiteral("Printing label %1 of %2").arg(english.toString(label), english.toString(labels));
}

double LabelsLeft(double from, double to) { return from < to ? std::ceil(to - from) : 0; }

QString WhereItWent(const QString& printer, const QString& pdfPath)
{
    if (!pdfPath.isEmpty())
        return QStringLiteral("Saved ") + QDir::toNativeSeparators(pdfPath);
    return QStringLiteral("Sent to ") + printer;
}

std::optional<qint64> CountLines(const QString& path, const std::function<bool()>& keepGoing)
{
    constexpr qint64 kAskEvery = 4096;
    files::BatchFileReader reader;
    if (reader.Open(path).failed())
        return std::nullopt;
    qint64 lines = 0;
    QString line;
    while (reader.ReadLine(line)) {
        if (++lines % kAskEvery == 0 && !keepGoing())
            return std::nullopt;
    }
    if (reader.Outcome().failed())
        return std::nullopt;
    return lines;
}

} // namespace printing
