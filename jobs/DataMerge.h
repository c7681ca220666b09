// Labels from data: every record of a CSV file, a spreadsheet or standard
// input becomes a label. The records are read once, at the start, and held
// as one block of text, so a run never mixes two versions of a file that
// changes while it prints and the window can show any record. The check
// lays out the label of every record chosen, at the printer's resolution,
// and lists every problem before anything is sent; the print run then
// takes only the records that passed, each as many times as its copies
// say. The window's merge and `quorvane labels` share all of it.
//
// The usual order:
//   data  = MergeData::Open(path, options)      once
//   plan  = MergePlan{label, data, options}
//   check = CheckMerge(plan, dpi)               findings, counts, bad records
//   PrintLabelRun(printer, where, MergeLabels(plan, *check))
// or, for a job sent whole at its end (CheckAsMade), check and print in
// one pass:
//   PrintLabelRun(printer, where, CheckingMergeLabels(plan, dpi, check, skipBad))
#pragma once

#include "core/Result.h"
#include "files/DataSource.h"
#include "labels/Label.h"
#include "labels/LabelLayout.h"
#include "printing/SheetPrint.h"

#include <QDate>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

namespace jobs {

// The records of a data source, read whole: their text in one block with
// the offsets of their fields, a few bytes a field beyond the text itself.
class MergeData {
public:
    // Reads every record of the source to its end. `keepGoing` is asked
    // every thousand records with the number read (the window processes
    // its events); a failure when it says no, or when the source can't be
    // read (naming the file and the line).
    static core::Result<std::shared_ptr<const MergeData>> Read(files::DataSource& source,
                                                               const std::function<bool(qint64 read)>& keepGoing = {});
    // Opens the file ("-": standard input) and reads it.
    static core::Result<std::shared_ptr<const MergeData>> Open(const QString& path, const files::DataOptions& options,
                                                               const std::function<bool(qint64 read)>& keepGoing = {});

    const QStringList& FieldNames() const { return names_; }
    // The path as given, and the source as messages name it ("items.csv",
    // "standard input").
    const QString& Path() const { return path_; }
    const QString& Name() const { return name_; }
    qint64 Count() const { return static_cast<qint64>(lines_.size()); }

    // Record `index` (from 0, in the file's order): its values, one for
    // each field name; its number (from 1) and the line it starts on.
    QStringList Values(qint64 index) const;
    QString Value(qint64 index, qsizetype field) const;
    qint64 Number(qint64 index) const { return index + 1; }
    qint64 Line(qint64 index) const { return lines_[static_cast<size_t>(index)]; }
    // "items.csv:17", where messages about the record start.
    QString At(qint64 index) const;

private:
    QString path_, name_;
    QStringList names_;
    QString text_;                 // every value, one after the other
    std::vector<qsizetype> starts_; // each value's start in text_; one past the last: its end
    std::vector<qint64> lines_;     // each record's line
};

// What a merge makes of each record.
struct MergeOptions {
    qint64 copies = 1;   // labels of every record
    QString copiesField; // set: each record's own count (0 skips it), instead of `copies`
    // The records chosen by number, from 1, both ends included.
    qint64 first = 1;
    qint64 last = std::numeric_limits<qint64>::max();
    qint64 serialStart = 1; // ${serial}
    qint64 serialStep = 1;
    QDate today; // ${date}; one day for the whole run
    bool verify = false; // the check reads every barcode part back
};

// The most labels one record may ask for: more is taken for a wrong column.
inline constexpr qint64 kMaxRecordCopies = 100000;

// "5-20", "5-" (to the end), "-20" (from the first) or "7": the records
// chosen, as MergeOptions' first and last; why not, naming the text.
core::Result<std::pair<qint64, qint64>> ParseRecordRange(const QString& text);

struct MergePlan {
    std::shared_ptr<const labels::PreparedLabel> label;
    std::shared_ptr<const MergeData> data;
    MergeOptions options;
};

// What the label and the options ask of the data as a whole: a placeholder
// naming a field the data does not have, or a copies field it does not
// have, fails, naming the field and listing the fields there are.
core::Status CheckFields(const MergePlan& plan);

// A problem of one record.
struct MergeFinding {
    qint64 index = 0; // the record, from 0, in the data
    // "items.csv:17: sku: \"12A\" can't be drawn as EAN-13: ..."; its place
    // names the file, the line, the record and the field (when one is known).
    core::Failure failure;
};

// The findings listed in full; of the rest only their number.
inline constexpr int kListedFindings = 50;

// What the check found.
struct MergeCheck {
    double dpi = 0;     // the resolution the labels were laid out at
    qint64 records = 0; // records chosen
    qint64 good = 0;    // of them, records that passed (a record of 0 copies included)
    qint64 labels = 0;  // the labels the good records make, copies counted
    qint64 bad = 0;     // records that failed
    std::vector<MergeFinding> findings; // the first kListedFindings, in record order
    std::vector<bool> failed;          // by record index: the record failed

    bool IsBad(qint64 index) const { return index >= 0 && index < static_cast<qint64>(failed.size()) && failed[static_cast<size_t>(index)]; }
    // A line for each finding listed, then "... and N more records that
    // can't be printed." for the rest.
    QStringList Lines() const;
};

// Checks every record chosen: its copies, and its label laid out for a
// device of `dpi` (barcodes encoded, texts fitted; with verify, barcodes
// read back). Fails only when the plan can't be checked at all
// (CheckFields), or when `keepGoing` (asked every hundred records with the
// number checked) says no: kStopped.
core::Result<MergeCheck> CheckMerge(const MergePlan& plan, double dpi,
                                    const std::function<bool(qint64 checked)>& keepGoing = {});

// The labels a record asks for (its copies field, else the options'
// copies); why not, as a finding of the record.
core::Result<qint64> CopiesOf(const MergePlan& plan, qint64 index);

// The label of record `index` laid out for a device of `dpi`, as the
// preview shows it; why not, as a finding of the record.
core::Result<labels::LaidOutLabel> LayOutRecord(const MergePlan& plan, qint64 index, double dpi);

// The labels of the records that passed the check, in record order, each
// as many times as its copies say. Each is a label of parts named by its
// record's place ("items.csv:17"); its fields stay valid until the next
// call.
printing::NextLabel MergeLabels(const MergePlan& plan, const MergeCheck& check);

// The labels of the records chosen, each laid out once, for a run whose
// job is sent only when it ends (a job of sheets or of a roll, a PDF): the
// check is made as the labels are given, filled into `check`, and a run
// with a bad record ends with a label that stops it (SheetLabel::stop:
// "N of M records can't be printed."), so that its job is dropped; after
// the first bad record the rest are only checked. With `skipBad` the bad
// records give no labels and the run ends as usual. `keepGoing` is asked
// as CheckMerge asks it; when it says no, the run ends with a label that
// stops it (kStopped). Fails as CheckMerge does when the plan can't be
// checked at all.
core::Result<printing::NextLabel> CheckingMergeLabels(const MergePlan& plan, double dpi,
                                                      const std::shared_ptr<MergeCheck>& check, bool skipBad,
                                                      const std::function<bool(qint64 checked)>& keepGoing = {});

// Whether a merge printed on `sheets` (on sheets or a roll, sent as one
// job; none: a job for each label, or a file for each) is checked as its
// labels are made (CheckingMergeLabels), each laid out once: a job sent
// whole at its end can still be dropped when a record fails. Labels sent
// one by one can't be taken back, so all of them are checked before the
// first (CheckMerge, then MergeLabels).
inline bool CheckAsMade(const std::optional<printing::SheetPlacement>& sheets) { return sheets.has_value(); }

// The labels the records chosen ask for, copies counted (a record whose
// copies can't be read: none), without laying any out: what a run checked
// as it is made counts its progress against.
qint64 LabelsAsked(const MergePlan& plan);

// The label of `quorvane labels --barcode TEXT --type TYPE --text TEXT...`:
// the barcode across the top of a label of `sizeMm`, 3 mm from its edges,
// its caption under its bars, and each text a line below it, set smaller to
// fit the label's width.
labels::Label QuickLabel(const QString& barcode, symbols::Symbology symbology, const QStringList& texts, QSizeF sizeMm);

} // namespace jobs
