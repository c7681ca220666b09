// .xlsx workbooks (Office Open XML): the workbook names the sheets and,
// through its relationships, the parts that hold them; text cells point
// into the shared strings; a number cell's style points to its number
// format. A sheet's rows are read from its part as it is unpacked.
#include "files/NumberFormat.h"
#include "files/SheetBook.h"

#include <QDate>
#include <QDir>
#include <QHash>
#include <QXmlStreamReader>
#include <functional>
#include <quazip/quazip.h>
#include <quazip/quazipfile.h>

namespace files {
namespace {

QStringView Attribute(const QXmlStreamReader& xml, QLatin1String name)
{
    for (const auto& a : xml.attributes())
        if (a.name() == name)
            return a.value();
    return {};
}

// The relationship id of a sheet (r:id): an attribute "id" in a namespace.
QStringView RelationshipId(const QXmlStreamReader& xml)
{
    for (const auto& a : xml.attributes())
        if (a.name() == QLatin1String("id") && !a.namespaceUri().isEmpty())
            return a.value();
    return {};
}

// Text escapes characters XML can't hold as _xHHHH_ (a CR is _x000D_).
QString Unescape(const QString& text)
{
    if (!text.contains(QLatin1String("_x")))
        return text;
    QString out;
    qsizetype i = 0;
    while (i < text.size()) {
        if (text.at(i) == u'_' && i + 6 < text.size() && text.at(i + 1) == u'x' && text.at(i + 6) == u'_') {
            bool ok = false;
            const uint code = QStringView(text).sliced(i + 2, 4).toUInt(&ok, 16);
            if (ok) {
                out += QChar(char16_t(code));
                i += 7;
                continue;
            }
        }
        out += text.at(i++);
    }
    return out;
}

// The text of a shared string or an inline string: its runs, without the
// phonetic guides of East Asian text.
QString RichText(QXmlStreamReader& xml)
{
    QString text;
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("t")) {
            text += xml.readElementText();
        } else if (xml.name() == QLatin1String("r")) {
            while (xml.readNextStartElement()) {
                if (xml.name() == QLatin1String("t"))
                    text += xml.readElementText();
                else
                    xml.skipCurrentElement();
            }
        } else {
            xml.skipCurrentElement();
        }
    }
    return Unescape(text);
}

// A part named by a relationship's target, from the folder of the part
// that has the relationship.
QString PartPath(const QString& from, const QString& target)
{
    if (target.startsWith(u'/'))
        return target.mid(1);
    const QString folder = from.section(u'/', 0, -2);
    return QDir::cleanPath(folder.isEmpty() ? target : folder + u'/' + target);
}

// The relationships file of a part: xl/workbook.xml -> xl/_rels/workbook.xml.rels.
QString RelationshipsOf(const QString& part)
{
    const QString folder = part.section(u'/', 0, -2);
    const QString file = part.section(u'/', -1);
    return (folder.isEmpty() ? QString() : folder + u'/') + QStringLiteral("_rels/") + file + QStringLiteral(".rels");
}

struct Relationship {
    QString type; // the last word of its type: officeDocument, worksheet, sharedStrings, styles
    QString part;
};

class XlsxBook final : public SheetBook {
public:
    XlsxBook(QuaZip& zip, const BookName& name) : zip_(zip), name_(name) { }

    core::Status Load();
    core::Result<QString> OpenSheet(const QString& name) override;
    core::Status Rewind() override;
    core::Result<bool> NextRow(SheetRow& row) override;

private:
    core::Result<QHash<QString, Relationship>> relationships(const QString& part);
    // Reads the XML part, handing each start element to `element`.
    core::Status eachElement(const QString& part, const std::function<void(QXmlStreamReader&)>& element);
    core::Status loadWorkbook(const QString& part);
    core::Status loadStrings(const QString& part);
    core::Status loadStyles(const QString& part);
    core::Result<bool> readRow(SheetRow& row);
    core::Result<QString> cellText(int column, qint64 row);
    QString formatOf(int style) const;

    QuaZip& zip_;
    BookName name_;
    struct Sheet {
        QString name;
        QString part;
        bool hidden = false;
    };
    QList<Sheet> sheets_;
    DateSystem dates_ = DateSystem::From1900;
    QStringList strings_;
    QHash<int, QString> customFormats_;
    QList<int> styleFormats_; // the number format of each cell style

    QString part_; // of the sheet read
    std::unique_ptr<QuaZipFile> file_;
    std::unique_ptr<QXmlStreamReader> xml_;
    qint64 lastRow_ = 0;
};

core::Result<QHash<QString, Relationship>> XlsxBook::relationships(const QString& part)
{
    const QString rels = RelationshipsOf(part);
    const auto bytes = ReadZipEntry(zip_, rels);
    if (bytes.failed())
        return Damaged(name_, rels, QStringLiteral("is missing"));
    QHash<QString, Relationship> found;
    QXmlStreamReader xml(*bytes);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != QLatin1String("Relationship"))
            continue;
        if (Attribute(xml, QLatin1String("TargetMode")) == QLatin1String("External"))
            continue;
        found.insert(Attribute(xml, QLatin1String("Id")).toString(),
                     {Attribute(xml, QLatin1String("Type")).toString().section(u'/', -1),
                      PartPath(part, Attribute(xml, QLatin1String("Target")).toString())});
    }
    if (xml.hasError())
        return Damaged(name_, rels, xml);
    return found;
}

core::Status XlsxBook::Load()
{
    // The package's relationships say where the workbook is.
    const auto package = relationships(QString());
    if (package.failed())
        return package.failure();
    QString workbook;
    for (const auto& r : *package)
        if (r.type == QLatin1String("officeDocument"))
            workbook = r.part;
    if (workbook.isEmpty())
        return SheetFailure(name_, 0, QStringLiteral("it holds no workbook, so it is not a spreadsheet."));
    const auto parts = relationships(workbook);
    if (parts.failed())
        return parts.failure();
    if (const auto loaded = loadWorkbook(workbook); loaded.failed())
        return loaded;
    for (Sheet& sheet : sheets_)
        sheet.part = parts->value(sheet.part).part;
    for (const auto& r : *parts) {
        const auto loaded = r.type == QLatin1String("sharedStrings") ? loadStrings(r.part)
                            : r.type == QLatin1String("styles")      ? loadStyles(r.part)
                                                                     : core::Ok();
        if (loaded.failed())
            return loaded;
    }
    return core::Ok();
}

core::Status XlsxBook::eachElement(const QString& part, const std::function<void(QXmlStreamReader&)>& element)
{
    const auto bytes = ReadZipEntry(zip_, part);
    if (bytes.failed())
        return Damaged(name_, part, QStringLiteral("is missing"));
    QXmlStreamReader xml(*bytes);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement)
            element(xml);
    }
    if (xml.hasError())
        return Damaged(name_, part, xml);
    return core::Ok();
}

core::Status XlsxBook::loadWorkbook(const QString& part)
{
    return eachElement(part, [this](QXmlStreamReader& xml) {
        if (xml.name() == QLatin1String("workbookPr")) {
            const auto system = Attribute(xml, QLatin1String("date1904"));
            if (system == QLatin1String("1") || system == QLatin1String("true"))
                dates_ = DateSystem::From1904;
        } else if (xml.name() == QLatin1String("sheet")) {
            const auto state = Attribute(xml, QLatin1String("state"));
            // The relationship's id for now; Load turns it into the part.
            sheets_.append({Attribute(xml, QLatin1String("name")).toString(), RelationshipId(xml).toString(),
                            state == QLatin1String("hidden") || state == QLatin1String("veryHidden")});
        }
    });
}

core::Status XlsxBook::loadStrings(const QString& part)
{
    return eachElement(part, [this](QXmlStreamReader& xml) {
        if (xml.name() == QLatin1String("si"))
            strings_.append(RichText(xml));
    });
}

core::Status XlsxBook::loadStyles(const QString& part)
{
    return eachElement(part, [this](QXmlStreamReader& xml) {
        if (xml.name() == QLatin1String("numFmts")) {
            while (xml.readNextStartElement()) {
                if (xml.name() == QLatin1String("numFmt"))
                    customFormats_.insert(Attribute(xml, QLatin1String("numFmtId")).toInt(),
                                          Attribute(xml, QLatin1String("formatCode")).toString());
                xml.skipCurrentElement();
            }
        } else if (xml.name() == QLatin1String("dxfs")) {
            xml.skipCurrentElement(); // the formats of conditional formatting
        } else if (xml.name() == QLatin1String("cellXfs")) {
            while (xml.readNextStartElement()) {
                if (xml.name() == QLatin1String("xf"))
                    styleFormats_.append(Attribute(xml, QLatin1String("numFmtId")).toInt());
                xml.skipCurrentElement();
            }
        }
    });
}

core::Result<QString> XlsxBook::OpenSheet(const QString& name)
{
    const Sheet* chosen = nullptr;
    for (const Sheet& sheet : sheets_) {
        if (name.isEmpty() ? !sheet.hidden : sheet.name == name) {
            chosen = &sheet;
            break;
        }
    }
    if (name.isEmpty() && !chosen && !sheets_.isEmpty())
        chosen = &sheets_.front(); // every sheet hidden
    if (!chosen) {
        QStringList names;
        for (const Sheet& sheet : sheets_)
            names.append(sheet.name);
        return NoSuchSheet(name_, name, names);
    }
    if (chosen->part.isEmpty())
        return Damaged(name_, QStringLiteral("the sheet \"%1\"").arg(chosen->name),
                       QStringLiteral("has no part that holds it"));
    part_ = chosen->part;
    if (const auto opened = Rewind(); opened.failed())
        return opened.failure();
    return chosen->name;
}

core::Status XlsxBook::Rewind()
{
    xml_.reset();
    file_.reset();
    if (!zip_.setCurrentFile(part_, QuaZip::csInsensitive))
        return Damaged(name_, part_, QStringLiteral("is missing"));
    file_ = std::make_unique<QuaZipFile>(&zip_);
    if (!file_->open(QIODevice::ReadOnly))
        return Damaged(name_, part_, QStringLiteral("can't be unpacked"));
    xml_ = std::make_unique<QXmlStreamReader>(file_.get());
    lastRow_ = 0;
    return core::Ok();
}

core::Result<bool> XlsxBook::NextRow(SheetRow& row)
{
    QXmlStreamReader& xml = *xml_;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto name = xml.name();
        if (name == QLatin1String("worksheet") || name == QLatin1String("sheetData"))
            continue; // into it
        if (name != QLatin1String("row")) {
            xml.skipCurrentElement();
            continue;
        }
        const auto got = readRow(row);
        if (got.failed() || *got)
            return got;
    }
    if (xml.hasError())
        return Damaged(name_, part_, xml);
    return false;
}

// One row element; false when it shows nothing.
core::Result<bool> XlsxBook::readRow(SheetRow& row)
{
    QXmlStreamReader& xml = *xml_;
    const auto number = Attribute(xml, QLatin1String("r"));
    row.number = number.isEmpty() ? lastRow_ + 1 : number.toLongLong();
    if (row.number <= lastRow_)
        return Damaged(name_, part_, QStringLiteral("has row %1 after row %2").arg(row.number).arg(lastRow_));
    lastRow_ = row.number;
    row.cells.clear();
    int column = -1;
    while (xml.readNextStartElement()) {
        if (xml.name() != QLatin1String("c")) {
            xml.skipCurrentElement();
            continue;
        }
        // A reference such as "C5" places the cell; without one it follows
        // the cell before.
        const auto reference = Attribute(xml, QLatin1String("r"));
        int at = -1;
        if (reference.isEmpty()) {
            at = column + 1;
        } else {
            at = 0;
            qsizetype i = 0;
            for (; i < reference.size() && reference[i].isLetter(); ++i)
                at = at * 26 + (reference[i].toUpper().unicode() - u'A' + 1);
            --at;
            if (i == 0 || at > 16383)
                return Damaged(name_, part_, QStringLiteral("has a cell with the reference \"%1\"").arg(reference));
        }
        if (at <= column)
            return Damaged(
                name_, part_,
                QStringLiteral("has cell %1%2 after the cell to its right").arg(ColumnName(at)).arg(row.number));
        column = at;
        const auto text = cellText(column, row.number);
        if (text.failed())
            return text.failure();
        if (!text->isEmpty())
            row.cells.append({column, *text});
    }
    return !row.cells.isEmpty();
}

QString XlsxBook::formatOf(int style) const
{
    const int id = styleFormats_.value(style, 0);
    QString code = customFormats_.value(id);
    if (code.isEmpty())
        code = BuiltinNumberFormat(id);
    return code;
}

// The text a cell shows; the reader is at its start and is left at its end.
core::Result<QString> XlsxBook::cellText(int column, qint64 row)
{
    QXmlStreamReader& xml = *xml_;
    const QString type = Attribute(xml, QLatin1String("t")).toString();
    const int style = Attribute(xml, QLatin1String("s")).toInt();
    QString value, inlineText;
    bool hasValue = false, formula = false;
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("v")) {
            value = xml.readElementText();
            hasValue = true;
        } else if (xml.name() == QLatin1String("is")) {
            inlineText = RichText(xml);
        } else {
            formula |= xml.name() == QLatin1String("f");
            xml.skipCurrentElement();
        }
    }
    if (xml.hasError())
        return Damaged(name_, part_, xml);
    const QString cell = ColumnName(column) + QString::number(row);
    const auto fail = [&](const QString& what) {
        return SheetFailure(name_, row, QStringLiteral("cell %1 %2").arg(cell, what));
    };
    const QString code = formatOf(style);

    if (type == QLatin1String("inlineStr"))
        return FormatText(inlineText, code);
    // A formula never worked out has no value, or an empty one.
    if (!hasValue || (value.isEmpty() && type != QLatin1String("str"))) {
        if (formula)
            return fail(QStringLiteral("holds a formula whose value was never worked out; open the file in a "
                                       "spreadsheet program and save it again."));
        return QString();
    }
    if (type == QLatin1String("s")) {
        bool ok = false;
        const int index = value.toInt(&ok);
        if (!ok || index < 0 || index >= strings_.size())
            return Damaged(
                name_, part_,
                QStringLiteral("has cell %1 pointing to shared string %2, which is not there").arg(cell, value));
        return FormatText(strings_[index], code);
    }
    if (type == QLatin1String("str"))
        return FormatText(Unescape(value), code);
    if (type == QLatin1String("b"))
        return value == QLatin1String("1") ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    if (type == QLatin1String("e"))
        return fail(QStringLiteral("shows the error %1, which can't go on a label.").arg(value));
    if (type == QLatin1String("d")) {
        // An ISO date and time as text: the date, and the time when there is one.
        const QString date = value.left(10), time = value.mid(11, 8);
        if (!QDate::fromString(date, Qt::ISODate).isValid())
            return Damaged(name_, part_, QStringLiteral("has cell %1 with the date \"%2\"").arg(cell, value));
        return time.isEmpty() || time == QLatin1String("00:00:00") ? date : date + u' ' + time;
    }
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok)
        return Damaged(name_, part_, QStringLiteral("has cell %1 with \"%2\" for a number").arg(cell, value));
    if (code.isEmpty() || code.compare(QLatin1String("General"), Qt::CaseInsensitive) == 0)
        return GeneralNumber(number);
    const auto shown = FormatNumber(number, code, dates_);
    if (shown.failed())
        return fail(QStringLiteral("holds %1, but %2").arg(GeneralNumber(number), shown.failure().text));
    return *shown;
}

} // namespace

core::Result<std::unique_ptr<SheetBook>> OpenXlsxBook(QuaZip& zip, const BookName& name)
{
    auto book = std::make_unique<XlsxBook>(zip, name);
    if (const auto loaded = book->Load(); loaded.failed())
        return loaded.failure();
    return std::unique_ptr<SheetBook>(std::move(book));
}

} // namespace files
