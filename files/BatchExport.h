// Saving one barcode per line of a text file. The lines are read as batch
// printing reads them (encodings, the line limit, stopping on a signal),
// one at a time, so memory stays flat however long the file. Each line's
// drawing goes to a file named by a pattern whose last run of "~" in the
// file name becomes the line's number with leading zeros: with
// "out/~~~~~.svg", line 1 is out/00001.svg and line 12 out/00012.svg.
// Empty lines give no file and their numbers stay unused, so a file's
// number is always its line's.
//
// Each file is whole or absent (see Export.h); they are made durable on
// disk together at the end, which costs one call instead of one per file.
#pragma once

#include "files/Export.h"

#include <functional>

namespace files {

// Draws one line's barcode; a failure when the line gives none.
using LineDrawer = std::function<core::Result<graphics::Drawing>(const QString& line)>;

struct BatchExportEvents {
    std::function<void(const QString& path)> written;                   // after each file
    std::function<void(qint64 line, const core::Failure&)> lineFailed; // a line that gave no file
    std::function<void(qint64 line)> lineWritten; // the moment a line's file has its name, before a stop can end the program
};

struct BatchExportReport {
    qint64 written = 0;
    qint64 failedLines = 0;
    // Done when every line gave its file. Otherwise what stopped the run
    // (the lines can't be read, the folder is missing, more lines than the
    // number can count, a stop), or kLineFailed when some lines gave no
    // file (every line is tried; the first of them are named).
    core::Status outcome;
};

// What is wrong with a pattern: no format extension, no "~" in the file
// name.
core::Status CheckBatchPattern(const QString& pattern);

// The file name for line `number`; empty when the number has more digits
// than the run of "~".
QString BatchOutputPath(const QString& pattern, qint64 number);

// `check`: each PNG's picture is checked before it is written (it is
// called after the line's drawer).
BatchExportReport ExportBatch(const QString& linesPath, const LineDrawer& draw, const QString& pattern,
                              const ExportOptions& options, const BatchExportEvents& events = {},
                              const PictureCheck& check = {});

} // namespace files
