// What the window says while a batch or range run prints and after every
// job: the progress texts, where a job went, and the number of lines of a
// batch file, counted before it prints so the progress can say "of M".
#pragma once

#include <QString>
#include <functional>
#include <optional>

namespace printing {

// "Printing line N of M"; without a known M (negative) "Printing line N".
QString ListingProgress(qint64 line, qint64 lines);
QString ListingStopped(qint64 printed, qint64 lines);

// "Printing label N of M".
QString LabelProgress(qint64 label, double labels);
QString RangeStopped(qint64 printed, double labels);
// "Printing label 37 of 1,204": the labels of a merge, counted before it prints.
QString MergeProgress(qint64 label, qint64 labels);

// How many labels a range still prints from From up to (not including) To.
double LabelsLeft(double from, double to);

// Where a finished job went: "Saved PATH" for a file the built-in printer
// wrote, else "Sent to PRINTER".
QString WhereItWent(const QString& printer, const QString& pdfPath);

// The number of lines batch printing will print from the file, split as
// the batch reader splits them. `keepGoing` is asked every few thousand
// lines (it may process window events); nothing when it says no, or when
// the file can't be read.
std::optional<qint64> CountLines(const QString& path, const std::function<bool()>& keepGoing);

} // namespace printing
