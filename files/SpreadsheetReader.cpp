#include "files/SpreadsheetReader.h"

#include "files/SheetBook.h"

#include <QBuffer>
#include <QHash>
#include <quazip/quazip.h>

namespace files {

// The file's bytes, the zip read from them and the book in it, destroyed
// in the reverse order.
struct SpreadsheetReader::Zip {
    QByteArray bytes;
    QBuffer buffer;
    QuaZip zip;
    BookName name;
    std::unique_ptr<SheetBook> book;
};

SpreadsheetReader::SpreadsheetReader() : zip_(std::make_unique<Zip>()) { }
SpreadsheetReader::~SpreadsheetReader() = default;

core::Result<std::unique_ptr<SpreadsheetReader>> SpreadsheetReader::Open(const QString& path,
                                                                         const DataOptions& options)
{
    auto file = std::make_unique<SourceFile>();
    if (const auto opened = file->Open(path); opened.failed())
        return opened.failure();
    return Open(std::move(file), options);
}

core::Result<std::unique_ptr<SpreadsheetReader>> SpreadsheetReader::Open(std::unique_ptr<SourceFile> file,
                                                                         const DataOptions& options)
{
    std::unique_ptr<SpreadsheetReader> reader(new SpreadsheetReader());
    if (const auto started = reader->start(std::move(file), options); started.failed())
        return started.failure();
    return reader;
}

core::Status SpreadsheetReader::start(std::unique_ptr<SourceFile> file, const DataOptions& options)
{
    path_ = file->Path();
    name_ = file->Name();
    Zip& z = *zip_;
    z.name = {path_, name_};
    if (const auto read = file->ReadAll(z.bytes); read.failed())
        return read;
    file.reset();
    z.buffer.setBuffer(&z.bytes);
    z.buffer.open(QIODevice::ReadOnly);
    z.zip.setIoDevice(&z.buffer);
    if (!z.zip.open(QuaZip::mdUnzip))
        return SheetFailure(
            z.name, 0, QStringLiteral("it is not a spreadsheet (.xlsx or .ods): its zip directory can't be read."));
    const QStringList entries = z.zip.getFileNameList();
    const auto has = [&](const QString& entry) { return entries.contains(entry, Qt::CaseInsensitive); };
    auto book = has(QStringLiteral("mimetype")) || has(QStringLiteral("content.xml")) ? OpenOdsBook(z.zip, z.name)
                : has(QStringLiteral("_rels/.rels"))
                    ? OpenXlsxBook(z.zip, z.name)
                    : core::Result<std::unique_ptr<SheetBook>>(SheetFailure(
                          z.name, 0, QStringLiteral("it is a zip file, but not a spreadsheet (.xlsx or .ods).")));
    if (book.failed())
        return book.failure();
    z.book = std::move(*book);

    const auto sheet = z.book->OpenSheet(options.sheet);
    if (sheet.failed())
        return sheet.failure();
    sheet_ = *sheet;

    SheetRow row;
    if (!options.header) {
        // The fields are the columns of the widest row: a look through the
        // sheet first, then back to its start.
        for (;;) {
            const auto got = z.book->NextRow(row);
            if (got.failed())
                return got.failure();
            if (!*got)
                break;
            width_ = std::max(width_, row.cells.back().column + 1);
        }
        for (int i = 1; i <= width_; ++i)
            names_.append(QString::number(i));
        return z.book->Rewind();
    }
    const auto got = z.book->NextRow(row);
    if (got.failed())
        return got.failure();
    if (!*got)
        return SheetFailure(
            z.name, 0, QStringLiteral("the sheet \"%1\" is empty; its first row should name the fields.").arg(sheet_));
    // A column without a name is named by its number, as without a header.
    width_ = row.cells.back().column + 1;
    for (int i = 1; i <= width_; ++i)
        names_.append(QString::number(i));
    QHash<QString, int> columns;
    for (const SheetCell& cell : row.cells)
        names_[cell.column] = cell.text;
    for (int i = 0; i < width_; ++i) {
        if (const auto seen = columns.constFind(names_[i]); seen != columns.constEnd())
            return SheetFailure(z.name, row.number,
                                QStringLiteral("the header names the field \"%1\" twice, in columns %2 and %3; each "
                                               "field needs a name of its own.")
                                    .arg(names_[i], ColumnName(*seen), ColumnName(i)));
        columns.insert(names_[i], i);
    }
    return core::Ok();
}

core::Result<const DataRecord*> SpreadsheetReader::Next()
{
    SheetRow row;
    const auto got = zip_->book->NextRow(row);
    if (got.failed())
        return got.failure();
    if (!*got)
        return nullptr;
    record_.values.resize(width_);
    for (QString& value : record_.values)
        value.clear();
    for (const SheetCell& cell : row.cells) {
        if (cell.column >= width_) {
            auto failure = SheetFailure(zip_->name, row.number,
                                        QStringLiteral("cell %1%2 shows \"%3\", but the header names the columns A to "
                                                       "%4 only.")
                                            .arg(ColumnName(cell.column))
                                            .arg(row.number)
                                            .arg(cell.text, ColumnName(width_ - 1)));
            failure.where.record = record_.number + 1;
            return failure;
        }
        record_.values[cell.column] = cell.text;
    }
    ++record_.number;
    record_.line = row.number;
    return &record_;
}

} // namespace files
