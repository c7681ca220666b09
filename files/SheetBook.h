// The inside of a spreadsheet file, one kind of file each (.xlsx, .ods):
// the sheets it has, and a sheet's rows one at a time with the text each
// cell shows. SpreadsheetReader turns the rows into records.
#pragma once

#include "core/Result.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

class QuaZip;
class QXmlStreamReader;

namespace files {

struct SheetCell {
    int column = 0; // from 0: A
    QString text; // as the sheet shows it; never empty
};

struct SheetRow {
    qint64 number = 0; // from 1, as the sheet numbers it
    QList<SheetCell> cells; // the cells that show something, left to right
};

class SheetBook {
public:
    virtual ~SheetBook() = default;
    // Chooses the sheet by its name (empty: the first) and returns the name;
    // a failure lists the sheets there are.
    virtual core::Result<QString> OpenSheet(const QString& name) = 0;
    // The same sheet again, from its first row.
    virtual core::Status Rewind() = 0;
    // The next row that shows something; false after the last.
    virtual core::Result<bool> NextRow(SheetRow& row) = 0;
};

// Where messages about a book come from: the file as given and as shown.
struct BookName {
    QString path;
    QString shown;
};

// The letters of a column: A for 0, Z, AA, ... XFD.
QString ColumnName(int column);

// "items.xlsx:5: what": a failure at a row (0: the file as a whole, and no
// number is written).
core::Failure SheetFailure(const BookName& book, qint64 row, const QString& what);

// There is no sheet of that name: the failure lists the sheets there are.
core::Failure NoSuchSheet(const BookName& book, const QString& name, const QStringList& sheets);

// The whole of one file of the zip, or why not (a clause).
core::Result<QByteArray> ReadZipEntry(QuaZip& zip, const QString& entry);

// The file is not what it should be: "items.xlsx is damaged: ...".
core::Failure Damaged(const BookName& book, const QString& entry, const QString& why);
core::Failure Damaged(const BookName& book, const QString& entry, const QXmlStreamReader& xml);

// The books of the two kinds. `zip` stays open while the book lives.
core::Result<std::unique_ptr<SheetBook>> OpenXlsxBook(QuaZip& zip, const BookName& name);
core::Result<std::unique_ptr<SheetBook>> OpenOdsBook(QuaZip& zip, const BookName& name);

} // namespace files
