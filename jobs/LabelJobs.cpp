#include "jobs/LabelJobs.h"

#include "core/Numeric.h"
#include "files/AtomicFile.h"
#include "labels/LabelCheck.h"
#include "labels/LabelFile.h"
#include "printing/RangePrint.h"

#include <QFileInfo>
#include <cmath>
#include <limits>

namespace jobs {
namespace {

// The resolutions `label --check` lays a label out for: a label printer's
// and an office printer's.
constexpr double kCheckedDpis[] = {203, 300};

QString Named(const QString& name, qint64 number) { return QStringLiteral("%1, number %2").arg(name).arg(number); }

} // namespace

core::Result<printing::LabelParts> LoadLabelParts(const QString& path, QDate today, bool verify)
{
    core::Result<labels::Label> label = labels::LoadLabel(path);
    if (label.failed())
        return label.failure();
    core::Result<labels::PreparedLabel> prepared = labels::PrepareLabel(std::move(*label));
    if (prepared.failed()) {
        core::Failure why = prepared.failure();
        why.text = QStringLiteral("%1: %2").arg(files::ShownPath(path), why.text);
        why.where.file = path;
        return why;
    }
    printing::LabelParts parts;
    parts.label = std::make_shared<const labels::PreparedLabel>(std::move(*prepared));
    parts.fill.today = today;
    parts.verify = verify;
    return parts;
}

printing::SheetLabel OneLabel(const printing::LabelParts& parts, const QString& name, qint64 number)
{
    printing::SheetLabel label{Named(name, number), {}, {}};
    label.parts = parts;
    label.parts->fill.run = number;
    return label;
}

printing::NextLabel RangeLabels(const printing::LabelParts& parts, const QString& name, const QString& from,
                                const QString& to)
{
    std::optional<printing::RangeBounds> range = printing::ReadRange(from, to);
    return [=]() mutable -> std::optional<printing::SheetLabel> {
        if (!range || !range->HasNext() || !range->CanStep())
            return std::nullopt;
        return OneLabel(parts, name, range->from++);
    };
}

core::Result<QString> CheckLabelFile(const QString& path, QDate today)
{
    const core::Result<printing::LabelParts> parts = LoadLabelParts(path, today);
    if (parts.failed())
        return parts.failure();
    const labels::Label& label = parts->label->label;
    for (const double dpi : kCheckedDpis) {
        labels::FillContext fill = parts->fill;
        fill.run = 1;
        const core::Result<labels::LaidOutLabel> laid = labels::LayOutLabel(*parts->label, fill, dpi);
        core::Status status = laid.failed() ? core::Status(laid.failure()) : labels::ScanLabel(*laid, label);
        if (status.failed()) {
            core::Failure why = status.failure();
            why.text = QStringLiteral("%1, laid out at %2 dpi: %3").arg(files::ShownPath(path)).arg(dpi).arg(why.text);
            why.where.file = path;
            return why;
        }
    }
    int codes = 0;
    for (const labels::Part& part : label.parts)
        codes += std::holds_alternative<labels::BarcodePart>(part.what);
    QStringList lines = labels::DescribeLabel(label);
    lines.prepend(files::ShownPath(path) + QLatin1Char(':'));
    lines << QStringLiteral("It lays out for printers of 203 and 300 dpi%1.")
                 .arg(codes == 0   ? QString()
                      : codes == 1 ? QStringLiteral(", and its barcode scans")
                                   : QStringLiteral(", and its %1 barcodes scan").arg(codes));
    return lines.join(QLatin1Char('\n'));
}

} // namespace jobs
