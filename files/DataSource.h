// The records that labels are made from: every row of a CSV file, of a
// spreadsheet's sheet or of standard input, one at a time. A source holds
// only the record it hands out, so a file of a million rows reads in flat
// memory, and says where each record lies for messages such as
// "items.csv:17: sku: ...".
//
// What a file is, is decided by its first bytes: a zip file is a
// spreadsheet (.xlsx or .ods, by what it holds), anything else is text
// with comma-separated values; a file named .xlsx or .ods must be a zip.
#pragma once

#include "core/Result.h"

#include <QString>
#include <QStringList>
#include <memory>

namespace files {

// How the bytes of a CSV file become text. Detect: the byte-order mark
// says (UTF-8, UTF-16 little or big endian); without one, UTF-8.
enum class TextEncoding { Detect, Utf8, Utf16, Utf16LE, Utf16BE, Cp1252 };

struct DataOptions {
    // The first row names the fields; without a header they are named
    // "1", "2", ... by their column.
    bool header = true;
    // CSV: the character between fields; none: found from the first lines
    // among , ; tab and | (a .tsv or .tab file: tab).
    QChar delimiter;
    // CSV: Utf16 takes the byte order from the byte-order mark, which it
    // requires. A mark that contradicts the encoding asked for is refused.
    TextEncoding encoding = TextEncoding::Detect;
    // Spreadsheets: the sheet by its name; empty: the first.
    QString sheet;
};

struct DataRecord {
    qint64 number = 0; // from 1; the header is not counted
    qint64 line = 0; // CSV: the line the record starts on; a sheet: its row
    QStringList values; // one for each field name, in their order
};

class DataSource {
public:
    virtual ~DataSource() = default;

    // The next record, or null after the last one. The record stays as it
    // is until the next call. A failure names the file and the line.
    virtual core::Result<const DataRecord*> Next() = 0;

    const QStringList& FieldNames() const { return names_; }
    // The path as the user gave it ("-": standard input).
    const QString& Path() const { return path_; }
    // The source in messages: the path as the system shows it, or
    // "standard input".
    const QString& Name() const { return name_; }

    // "items.csv:17", the start of a message about a record.
    QString At(const DataRecord& record) const { return QStringLiteral("%1:%2").arg(name_).arg(record.line); }
    // The same place for a Failure, with the field when there is one.
    core::Place PlaceOf(const DataRecord& record, const QString& field = {}) const
    {
        return core::Place{path_, record.line, {}, record.number, field};
    }

protected:
    QString path_;
    QString name_;
    QStringList names_;
};

// Opens a CSV file or a spreadsheet ("-": standard input) and reads its
// header. The failure says what is wrong and where.
core::Result<std::unique_ptr<DataSource>> OpenDataSource(const QString& path, const DataOptions& options = {});

// The encoding of a name as users write it: utf-8, utf-16, utf-16le,
// utf-16be, windows-1252 (or cp1252), in any letter case.
core::Result<TextEncoding> TextEncodingNamed(const QString& name);

} // namespace files
