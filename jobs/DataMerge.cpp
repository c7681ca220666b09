#include "jobs/DataMerge.h"

#include "labels/LabelCheck.h"
#include "labels/Placeholders.h"
#include "printing/LabelPrint.h"

#include <QLocale>
#include <QRegularExpression>
#include <algorithm>

namespace jobs {
namespace {

// The window hears how far reading and checking have come this often.
constexpr qint64 kReadTick = 1000, kCheckTick = 100;

core::Failure Stopped(const QString& what)
{
    return core::Failure{core::kStopped, QStringLiteral("Stopped while %1.").arg(what)};
}

std::span<const QString> Span(const QStringList& list) { return {list.constData(), static_cast<size_t>(list.size())}; }

// The fields a part's text names: the field a problem of the part lies in
// when there is one, "a, b" for several.
QString FieldsOf(const labels::PreparedLabel& label, int partNumber)
{
    const size_t i = static_cast<size_t>(partNumber - 1);
    if (partNumber < 1 || i >= label.texts.size() || !label.texts[i])
        return {};
    QStringList names;
    for (const QString& name : label.texts[i]->Fields())
        names << name;
    return names.join(QStringLiteral(", "));
}

// A layout failure of a record as a finding's text: "items.csv:17: sku:
// part 1 (barcode): ..." without the record's number, which the place says.
core::Failure RecordFailure(const MergePlan& plan, qint64 index, core::Failure why)
{
    const MergeData& data = *plan.data;
    // LayOutLabel's failures start "Part N (kind), record R: " and name
    // the part in their place ("parts[N].text").
    static const QRegularExpression who(QStringLiteral("^Part (\\d+) \\((\\w+)\\), record \\d+: "));
    QString reason = why.text;
    QString field;
    if (const QRegularExpressionMatch m = who.match(reason); m.hasMatch()) {
        const int part = m.captured(1).toInt();
        field = FieldsOf(*plan.label, part);
        reason = reason.mid(m.capturedLength());
        if (field.isEmpty())
            field = QStringLiteral("part %1 (%2)").arg(part).arg(m.captured(2));
    }
    why.text = QStringLiteral("%1: %2%3").arg(data.At(index), field.isEmpty() ? QString() : field + QStringLiteral(": "), reason);
    why.where = core::Place{data.Path(), data.Line(index), {}, data.Number(index), field};
    return why;
}

labels::FillContext FillFor(const MergePlan& plan, qint64 index, const QStringList& values)
{
    labels::FillContext fill;
    fill.record = plan.data->Number(index);
    fill.run = fill.record;
    fill.fieldNames = Span(plan.data->FieldNames());
    fill.fieldValues = Span(values);
    fill.today = plan.options.today.isValid() ? plan.options.today : QDate::currentDate();
    fill.serialStart = plan.options.serialStart;
    fill.serialStep = plan.options.serialStep;
    return fill;
}

// The records the options choose, as indexes: [begin, end).
std::pair<qint64, qint64> Chosen(const MergePlan& plan)
{
    const qint64 count = plan.data->Count();
    const qint64 begin = std::clamp<qint64>(plan.options.first - 1, 0, count);
    const qint64 end = std::clamp<qint64>(plan.options.last, begin, count);
    return {begin, end};
}

qint64 CopiesIn(const MergePlan& plan, qint64 index, const QStringList& values, core::Failure* why)
{
    if (plan.options.copiesField.isEmpty())
        return plan.options.copies;
    const qsizetype field = plan.data->FieldNames().indexOf(plan.options.copiesField);
    const QString value = field >= 0 && field < values.size() ? values[field].trimmed() : QString();
    bool ok = false;
    const qint64 copies = value.toLongLong(&ok);
    if (ok && copies >= 0 && copies <= kMaxRecordCopies)
        return copies;
    const MergeData& data = *plan.data;
    *why = core::Failure{core::kBadPlaceholder,
                         QStringLiteral("%1: %2: \"%3\" is no number of copies (a whole number from 0 to %4).")
                             .arg(data.At(index), plan.options.copiesField, values.value(field).left(60))
                             .arg(kMaxRecordCopies),
                         false, core::Place{data.Path(), data.Line(index), {}, data.Number(index), plan.options.copiesField}};
    return -1;
}

} // namespace

core::Result<std::shared_ptr<const MergeData>> MergeData::Read(files::DataSource& source,
                                                              const std::function<bool(qint64)>& keepGoing)
{
    auto data = std::make_shared<MergeData>();
    data->path_ = source.Path();
    data->name_ = source.Name();
    data->names_ = source.FieldNames();
    const qsizetype width = data->names_.size();
    for (;;) {
        const core::Result<const files::DataRecord*> next = source.Next();
        if (next.failed())
            return next.failure();
        const files::DataRecord* record = *next;
        if (!record)
            break;
        for (qsizetype f = 0; f < width; ++f) {
            data->starts_.push_back(data->text_.size());
            if (f < record->values.size())
                data->text_ += record->values[f];
        }
        data->lines_.push_back(record->line);
        if (keepGoing && data->Count() % kReadTick == 0 && !keepGoing(data->Count()))
            return Stopped(QStringLiteral("reading %1").arg(data->name_));
    }
    data->starts_.push_back(data->text_.size());
    data->text_.squeeze();
    data->starts_.shrink_to_fit();
    data->lines_.shrink_to_fit();
    return std::shared_ptr<const MergeData>(std::move(data));
}

core::Result<std::shared_ptr<const MergeData>> MergeData::Open(const QString& path, const files::DataOptions& options,
                                                              const std::function<bool(qint64)>& keepGoing)
{
    core::Result<std::unique_ptr<files::DataSource>> source = files::OpenDataSource(path, options);
    if (source.failed())
        return source.failure();
    return Read(**source, keepGoing);
}

QString MergeData::Value(qint64 index, qsizetype field) const
{
    if (index < 0 || index >= Count() || field < 0 || field >= names_.size())
        return {};
    const size_t at = static_cast<size_t>(index * names_.size() + field);
    return text_.mid(starts_[at], starts_[at + 1] - starts_[at]);
}

QStringList MergeData::Values(qint64 index) const
{
    QStringList values;
    values.reserve(names_.size());
    for (qsizetype f = 0; f < names_.size(); ++f)
        values << Value(index, f);
    return values;
}

QString MergeData::At(qint64 index) const { return QStringLiteral("%1:%2").arg(name_).arg(Line(index)); }

core::Result<std::pair<qint64, qint64>> ParseRecordRange(const QString& text)
{
    static const QRegularExpression form(QStringLiteral("^\\s*(\\d*)\\s*(-?)\\s*(\\d*)\\s*$"));
    const QRegularExpressionMatch m = form.match(text);
    bool firstOk = true, lastOk = true;
    qint64 first = 1, last = std::numeric_limits<qint64>::max();
    if (m.hasMatch() && !m.captured(1).isEmpty())
        first = m.captured(1).toLongLong(&firstOk);
    if (m.hasMatch() && !m.captured(3).isEmpty())
        last = m.captured(3).toLongLong(&lastOk);
    else if (m.hasMatch() && m.captured(2).isEmpty())
        last = first; // "7": that record alone
    if (!m.hasMatch() || !firstOk || !lastOk || (m.captured(1).isEmpty() && m.captured(3).isEmpty()) || first < 1 ||
        last < first)
        return core::Failure{core::kBadPlaceholder,
                             QStringLiteral("The records \"%1\" are none: give them as FIRST-LAST (5-20), FIRST- or "
                                            "-LAST, numbered from 1.")
                                 .arg(text)};
    return std::pair{first, last};
}

core::Status CheckFields(const MergePlan& plan)
{
    const QStringList& names = plan.data->FieldNames();
    const labels::Label& label = plan.label->label;
    for (size_t i = 0; i < plan.label->texts.size(); ++i) {
        if (!plan.label->texts[i])
            continue;
        for (const QString& field : plan.label->texts[i]->Fields())
            if (!names.contains(field))
                return core::Failure{
                    core::kBadPlaceholder,
                    QStringLiteral("Part %1 (%2) of the label names the field \"%3\", which %4 does not have: %5.")
                        .arg(i + 1)
                        .arg(labels::KindName(label.parts[i]), field, plan.data->Name(), labels::FieldList(Span(names))),
                    false, core::Place{plan.data->Path(), 0, {}, 0, field}};
    }
    if (!plan.options.copiesField.isEmpty() && !names.contains(plan.options.copiesField))
        return core::Failure{core::kBadPlaceholder,
                             QStringLiteral("The copies are to come from the field \"%1\", which %2 does not have: %3.")
                                 .arg(plan.options.copiesField, plan.data->Name(), labels::FieldList(Span(names))),
                             false, core::Place{plan.data->Path(), 0, {}, 0, plan.options.copiesField}};
    return core::Ok();
}

core::Result<qint64> CopiesOf(const MergePlan& plan, qint64 index)
{
    core::Failure why;
    const qint64 copies = CopiesIn(plan, index, plan.data->Values(index), &why);
    if (copies < 0)
        return why;
    return copies;
}

core::Result<labels::LaidOutLabel> LayOutRecord(const MergePlan& plan, qint64 index, double dpi)
{
    const QStringList values = plan.data->Values(index);
    core::Result<labels::LaidOutLabel> laid = labels::LayOutLabel(*plan.label, FillFor(plan, index, values), dpi);
    if (laid.failed())
        return RecordFailure(plan, index, laid.failure());
    if (plan.options.verify)
        if (const core::Status scanned = labels::ScanLabel(*laid, plan.label->label); scanned.failed())
            return RecordFailure(plan, index, scanned.failure());
    return laid;
}

namespace {

// Checks record `index` into `check`: its copies, and its label laid out
// at the check's dpi (read back with verify). The label when the record
// gives one; none for a bad record or one of 0 copies.
std::optional<labels::LaidOutLabel> CheckRecord(const MergePlan& plan, qint64 index, const QStringList& values,
                                                MergeCheck& check, qint64& copies, labels::LayoutMemo& memo)
{
    const auto found = [&](core::Failure why) {
        ++check.bad;
        check.failed[static_cast<size_t>(index)] = true;
        if (check.findings.size() < kListedFindings)
            check.findings.push_back(MergeFinding{index, std::move(why)});
    };
    core::Failure why;
    copies = CopiesIn(plan, index, values, &why);
    if (copies < 0) {
        found(std::move(why));
        return std::nullopt;
    }
    if (copies == 0) { // skipped: nothing of it prints, so nothing of it can fail
        ++check.good;
        return std::nullopt;
    }
    core::Result<labels::LaidOutLabel> laid = labels::LayOutLabel(*plan.label, FillFor(plan, index, values), check.dpi, &memo);
    core::Status status = laid.failed()          ? core::Status(laid.failure())
                          : plan.options.verify ? labels::ScanLabel(*laid, plan.label->label)
                                                : core::Ok();
    if (status.failed()) {
        found(RecordFailure(plan, index, status.failure()));
        return std::nullopt;
    }
    ++check.good;
    check.labels += copies;
    return std::move(*laid);
}

// Where a run of labels is: its record, and the copies of it still to come.
struct RunState {
    qint64 index;
    qint64 left = 0;
    QStringList values;                                // the record's
    std::shared_ptr<const labels::LaidOutLabel> laid; // its label, when laid out already
    bool stopped = false;                              // the run ended with a stop
};

MergeCheck EmptyCheck(const MergePlan& plan, double dpi)
{
    MergeCheck check;
    check.dpi = dpi;
    check.failed.assign(static_cast<size_t>(plan.data->Count()), false);
    const auto [begin, end] = Chosen(plan);
    check.records = end - begin;
    return check;
}

} // namespace

core::Result<MergeCheck> CheckMerge(const MergePlan& plan, double dpi, const std::function<bool(qint64)>& keepGoing)
{
    if (const core::Status fields = CheckFields(plan); fields.failed())
        return fields.failure();
    MergeCheck check = EmptyCheck(plan, dpi);
    labels::LayoutMemo memo;
    const auto [begin, end] = Chosen(plan);
    for (qint64 index = begin; index < end; ++index) {
        if (keepGoing && (index - begin) % kCheckTick == 0 && !keepGoing(index - begin))
            return Stopped(QStringLiteral("checking the labels of %1").arg(plan.data->Name()));
        qint64 copies = 0;
        CheckRecord(plan, index, plan.data->Values(index), check, copies, memo);
    }
    return check;
}

core::Result<printing::NextLabel> CheckingMergeLabels(const MergePlan& plan, double dpi,
                                                      const std::shared_ptr<MergeCheck>& check, bool skipBad,
                                                      const std::function<bool(qint64)>& keepGoing)
{
    if (const core::Status fields = CheckFields(plan); fields.failed())
        return fields.failure();
    *check = EmptyCheck(plan, dpi);
    const auto [first, last] = Chosen(plan);
    const qint64 begin = first, end = last;
    return printing::NextLabel([plan, check, begin, end, skipBad, keepGoing, state = RunState{begin - 1, 0, {}, {}, false},
                                memo = labels::LayoutMemo{}]() mutable -> std::optional<printing::SheetLabel> {
        while (state.left == 0) {
            if (state.stopped)
                return std::nullopt;
            if (++state.index < end && keepGoing && (state.index - begin) % kCheckTick == 0 &&
                !keepGoing(state.index - begin)) {
                state.stopped = true;
                return printing::SheetLabel{{}, {}, Stopped(QStringLiteral("checking the labels of %1").arg(plan.data->Name()))};
            }
            if (state.index >= end) {
                if (check->bad == 0 || skipBad)
                    return std::nullopt;
                state.stopped = true;
                return printing::SheetLabel{
                    {}, {},
                    core::Failure{core::kNotDrawable, QStringLiteral("%1 of %2 records can't be printed.")
                                                          .arg(QLocale::c().toString(check->bad), QLocale::c().toString(check->records))}};
            }
            state.values = plan.data->Values(state.index);
            qint64 copies = 0;
            std::optional<labels::LaidOutLabel> laid = CheckRecord(plan, state.index, state.values, *check, copies, memo);
            // Once a record fails without skipBad nothing is to print:
            // the rest are only checked.
            if (!laid || (check->bad > 0 && !skipBad))
                continue;
            state.laid = std::make_shared<const labels::LaidOutLabel>(std::move(*laid));
            state.left = copies;
        }
        --state.left;
        printing::SheetLabel label{plan.data->At(state.index), {}, core::Ok()};
        label.parts = printing::LabelParts{plan.label, FillFor(plan, state.index, state.values), false, state.laid};
        return label;
    });
}

qint64 LabelsAsked(const MergePlan& plan)
{
    const auto [begin, end] = Chosen(plan);
    if (plan.options.copiesField.isEmpty())
        return (end - begin) * plan.options.copies;
    qint64 labels = 0;
    core::Failure unread;
    for (qint64 index = begin; index < end; ++index)
        labels += std::max<qint64>(CopiesIn(plan, index, plan.data->Values(index), &unread), 0);
    return labels;
}

QStringList MergeCheck::Lines() const
{
    QStringList lines;
    for (const MergeFinding& finding : findings)
        lines << finding.failure.text;
    if (const qint64 more = bad - static_cast<qint64>(findings.size()); more > 0)
        lines << QStringLiteral("... and %1 more %2 that can't be printed.")
                     .arg(QLocale::c().toString(more), more == 1 ? QStringLiteral("record") : QStringLiteral("records"));
    return lines;
}

printing::NextLabel MergeLabels(const MergePlan& plan, const MergeCheck& check)
{
    auto failed = std::make_shared<const std::vector<bool>>(check.failed);
    const auto [begin, last] = Chosen(plan);
    const qint64 end = last;
    return [plan, failed, end, state = RunState{begin - 1, 0, {}, {}, false}]() mutable -> std::optional<printing::SheetLabel> {
        while (state.left == 0) {
            if (++state.index >= end)
                return std::nullopt;
            const size_t i = static_cast<size_t>(state.index);
            if (i < failed->size() && (*failed)[i])
                continue;
            state.values = plan.data->Values(state.index);
            core::Failure why;
            state.left = CopiesIn(plan, state.index, state.values, &why);
            if (state.left < 0) // the check passed it: the data can't have changed
                return printing::SheetLabel{plan.data->At(state.index), {}, why};
        }
        --state.left;
        printing::SheetLabel label{plan.data->At(state.index), {}, core::Ok()};
        label.parts = printing::LabelParts{plan.label, FillFor(plan, state.index, state.values), false, {}};
        return label;
    };
}

labels::Label QuickLabel(const QString& barcode, symbols::Symbology symbology, const QStringList& texts, QSizeF sizeMm)
{
    // A line of 9 pt text takes about 4 mm; the barcode, its caption
    // included, takes what the lines leave, at least 8 mm.
    constexpr double kEdgeMm = 3, kLineMm = 4, kPoints = 9, kMinBarcodeMm = 8;
    const double width = std::max(1.0, sizeMm.width() - 2 * kEdgeMm);
    const double barcodeHeight =
        std::max(kMinBarcodeMm, sizeMm.height() - 2 * kEdgeMm - kLineMm * static_cast<double>(texts.size()));
    labels::Label label;
    label.sizeMm = sizeMm;
    labels::BarcodePart code;
    code.symbology = symbology;
    code.text = barcode;
    // A 2D code's height follows its width, and it has no caption; a
    // square one is made as high as the room there is.
    using S = symbols::Symbology;
    const bool square = symbology == S::Qr || symbology == S::DataMatrix || symbology == S::Gs1DataMatrix ||
                        symbology == S::Aztec;
    const bool twoD = square || symbology == S::Pdf417;
    code.widthMm = square ? std::min(width, barcodeHeight) : width;
    code.caption = !twoD;
    if (!twoD)
        code.heightMm = barcodeHeight;
    label.parts.push_back(labels::Part{QPointF(kEdgeMm, kEdgeMm), code});
    double y = kEdgeMm + barcodeHeight + 0.5;
    for (const QString& text : texts) {
        labels::TextPart line;
        line.text = text;
        line.points = kPoints;
        line.boxWidthMm = width;
        line.minPoints = 5;
        label.parts.push_back(labels::Part{QPointF(kEdgeMm, y), line});
        y += kLineMm;
    }
    return label;
}

} // namespace jobs
