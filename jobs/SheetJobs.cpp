#include "jobs/SheetJobs.h"

#include "files/BatchFile.h"
#include "files/Export.h"
#include "jobs/StoredLayouts.h"
#include "printing/RangePrint.h"

#include <QStringList>

namespace jobs {

QString LayoutList()
{
    QStringList lines;
    // A saved layout that can't be printed (edited by hand) is listed
    // with the reason.
    for (const printing::SheetLayout& layout : AllLayouts()) {
        const core::Status printable = printing::CheckLayout(layout);
        lines << printing::DescribeLayout(layout) + (printable.ok() ? QString() : QLatin1Char('\t') + printable.failure().text);
    }
    return lines.join(QLatin1Char('\n'));
}

printing::NextLabel RangeLabels(const QString& prefix, const QString& from, const QString& to,
                              const printing::BarcodeMaker& barcodeFor)
{
    std::optional<printing::RangeBounds> range = printing::ReadRange(from, to);
    return [=, next = from]() mutable -> std::optional<printing::SheetLabel> {
        if (!range || !range->HasNext() || !range->CanStep())
            return std::nullopt;
        const QString label = printing::LabelText(prefix, next);
        next = printing::NextFrom(range->from, from);
        range->from += 1;
        return printing::SheetLabel{label, barcodeFor(label), {}};
    };
}

core::Result<printing::NextLabel> FileLabels(const QString& path, const QString& pattern, bool keepPattern,
                                             const printing::BarcodeMaker& barcodeFor,
                                             const services::EventPump& whileWaiting)
{
    auto reader = std::make_shared<files::BatchFileReader>(whileWaiting);
    if (const core::Status opened = reader->Open(path); opened.failed())
        return core::Failure{core::kCannotOpen,
                             QStringLiteral("The file %1 can't be opened: %2").arg(path, opened.failure().text)};
    return printing::NextLabel([=]() -> std::optional<printing::SheetLabel> {
        QString line;
        while (reader->ReadLine(line)) {
            const std::optional<QString> code = printing::CodeOfLine(line, pattern, keepPattern);
            if (code && !code->isEmpty())
                return printing::SheetLabel{*code, barcodeFor(*code), {}};
        }
        const core::Status read = reader->Outcome();
        if (read.ok())
            return std::nullopt;
        return printing::SheetLabel{{}, {}, core::Failure{read.failure().code, QStringLiteral("The file %1 can't be read: %2")
                                                                                   .arg(path, read.failure().text)}};
    });
}

} // namespace jobs
