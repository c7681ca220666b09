#include "files/SheetBook.h"

#include "files/SourceFile.h"

#include <QXmlStreamReader>
#include <quazip/quazip.h>
#include <quazip/quazipfile.h>

namespace files {

QString ColumnName(int column)
{
    QString name;
    for (int n = column + 1; n > 0; n = (n - 1) / 26)
        name.prepend(QChar(u'A' + (n - 1) % 26));
    return name;
}

core::Failure SheetFailure(const BookName& book, qint64 row, const QString& what)
{
    const QString text = row > 0 ? QStringLiteral("%1:%2: %3").arg(book.shown).arg(row).arg(what)
                                 : QStringLiteral("%1: %2").arg(book.shown, what);
    return core::Failure{core::kCannotRead, text, false, PlaceIn(book.path, row)};
}

core::Failure NoSuchSheet(const BookName& book, const QString& name, const QStringList& sheets)
{
    if (sheets.isEmpty())
        return SheetFailure(book, 0, QStringLiteral("the spreadsheet has no sheets."));
    QStringList quoted;
    for (const QString& sheet : sheets)
        quoted.append(u'"' + sheet + u'"');
    return core::Failure{core::kCannotRead,
                         QStringLiteral("%1 has no sheet named \"%2\"; its sheets are %3.")
                             .arg(book.shown, name, quoted.join(QStringLiteral(", "))),
                         false, PlaceIn(book.path)};
}

core::Result<QByteArray> ReadZipEntry(QuaZip& zip, const QString& entry)
{
    const auto missing = [&] { return core::Failure{core::kCannotRead, QStringLiteral("it has no %1").arg(entry)}; };
    if (!zip.setCurrentFile(entry, QuaZip::csInsensitive))
        return missing();
    QuaZipFile file(&zip);
    if (!file.open(QIODevice::ReadOnly))
        return core::Failure{core::kCannotRead, QStringLiteral("%1 can't be unpacked").arg(entry)};
    QByteArray bytes = file.readAll();
    if (file.getZipError() != UNZ_OK)
        return core::Failure{core::kCannotRead, QStringLiteral("%1 can't be unpacked").arg(entry)};
    return bytes;
}

core::Failure Damaged(const BookName& book, const QString& entry, const QString& why)
{
    return SheetFailure(book, 0, QStringLiteral("the file is damaged: %1 %2.").arg(entry, why));
}

core::Failure Damaged(const BookName& book, const QString& entry, const QXmlStreamReader& xml)
{
    return Damaged(
        book, entry,
        QStringLiteral("is not well-formed XML (%1, at its line %2)").arg(xml.errorString()).arg(xml.lineNumber()));
}

} // namespace files
