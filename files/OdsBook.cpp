// .ods spreadsheets (OpenDocument): every sheet is a table of content.xml,
// read as it is unpacked. A cell holds its value (office:value, a date as
// office:date-value) and its style names a data style that says how the
// value shows; the data styles are turned into number format codes and
// shown as .xlsx formats are. Repeated cells and rows (how OpenDocument
// writes runs of equal or empty cells) are placed by their counts.
#include "files/NumberFormat.h"
#include "files/SheetBook.h"

#include <QDate>
#include <QHash>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <quazip/quazip.h>
#include <quazip/quazipfile.h>

#include <cmath>
#include <optional>

namespace files {
namespace {

constexpr QLatin1String kOffice("urn:oasis:names:tc:opendocument:xmlns:office:1.0");
constexpr QLatin1String kTable("urn:oasis:names:tc:opendocument:xmlns:table:1.0");
constexpr QLatin1String kText("urn:oasis:names:tc:opendocument:xmlns:text:1.0");
constexpr QLatin1String kStyle("urn:oasis:names:tc:opendocument:xmlns:style:1.0");
constexpr QLatin1String kNumber("urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0");

constexpr int kMaxColumns = 16384;
const QString kContent = QStringLiteral("content.xml");

bool Is(const QXmlStreamReader& xml, QLatin1String ns, QLatin1String name)
{
    return xml.name() == name && xml.namespaceUri() == ns;
}

QStringView Attribute(const QXmlStreamReader& xml, QLatin1String ns, QLatin1String name)
{
    for (const auto& a : xml.attributes())
        if (a.name() == name && a.namespaceUri() == ns)
            return a.value();
    return {};
}

bool HasAttribute(const QXmlStreamReader& xml, QLatin1String ns, QLatin1String name)
{
    return xml.attributes().hasAttribute(ns, name);
}

qint64 Count(const QXmlStreamReader& xml, QLatin1String name)
{
    const qint64 n = Attribute(xml, kTable, name).toLongLong();
    return n > 0 ? n : 1;
}

// How a data style shows a value: a number format code, or for dates and
// times which of their parts.
struct NumberStyle {
    bool percentage = false;
    QString code;
    bool supported = true; // false: parts a format code can't say (fractions)
    bool date = false, time = false, seconds = false;
    struct Map {
        QString op;
        double operand = 0;
        QString style;
    };
    QList<Map> maps; // other styles for values that meet a condition (negative numbers)
};

struct CellStyle {
    QString dataStyle;
    QString parent;
};

struct Styles {
    QHash<QString, NumberStyle> numbers;
    QHash<QString, CellStyle> cells;
};

// Literal text in a format code; in a percentage style its "%" multiplies.
QString Literal(const QString& text, bool percentage)
{
    QString code;
    for (QChar c : text) {
        if (!(percentage && c == u'%'))
            code += u'\\';
        code += c;
    }
    return code;
}

NumberStyle ReadNumberStyle(QXmlStreamReader& xml, bool percentage)
{
    NumberStyle style;
    style.percentage = percentage;
    const auto number = [&](QLatin1String name, int fallback) {
        return HasAttribute(xml, kNumber, name) ? Attribute(xml, kNumber, name).toInt() : fallback;
    };
    while (xml.readNextStartElement()) {
        const auto name = xml.name();
        if (xml.namespaceUri() == kStyle && name == QLatin1String("map")) {
            static const QRegularExpression condition(
                QStringLiteral(R"(^\s*value\(\)\s*(<=|>=|!=|<|>|=)\s*(-?[0-9.eE+-]+)\s*$)"));
            const auto m = condition.match(Attribute(xml, kStyle, QLatin1String("condition")));
            if (m.hasMatch())
                style.maps.append({m.captured(1), m.captured(2).toDouble(),
                                   Attribute(xml, kStyle, QLatin1String("apply-style-name")).toString()});
            else
                style.supported = false;
            xml.skipCurrentElement();
            continue;
        }
        if (xml.namespaceUri() != kNumber) {
            xml.skipCurrentElement();
            continue;
        }
        if (name == QLatin1String("number")) {
            // Without decimal places the number shows as many as it has.
            if (!HasAttribute(xml, kNumber, QLatin1String("decimal-places"))) {
                style.code += QStringLiteral("General");
            } else {
                const int decimals = number(QLatin1String("decimal-places"), 0);
                const int least = std::min(number(QLatin1String("min-decimal-places"), decimals), decimals);
                const int digits = number(QLatin1String("min-integer-digits"), 1);
                const bool grouping = Attribute(xml, kNumber, QLatin1String("grouping")) == QLatin1String("true");
                style.code += (grouping ? QStringLiteral("#,") : QString()) +
                              (digits > 0 ? QString(digits, u'0') : QStringLiteral("#"));
                if (decimals > 0)
                    style.code += u'.' + QString(least, u'0') + QString(decimals - least, u'#');
            }
            xml.skipCurrentElement();
        } else if (name == QLatin1String("scientific-number")) {
            const int decimals = number(QLatin1String("decimal-places"), 0);
            style.code += QString(std::max(1, number(QLatin1String("min-integer-digits"), 1)), u'0');
            if (decimals > 0)
                style.code += u'.' + QString(decimals, u'0');
            style.code +=
                QStringLiteral("E+") + QString(std::max(1, number(QLatin1String("min-exponent-digits"), 2)), u'0');
            xml.skipCurrentElement();
        } else if (name == QLatin1String("text") || name == QLatin1String("currency-symbol")) {
            style.code += Literal(xml.readElementText(), percentage);
        } else if (name == QLatin1String("year") || name == QLatin1String("month") || name == QLatin1String("day") ||
                   name == QLatin1String("day-of-week") || name == QLatin1String("era") ||
                   name == QLatin1String("quarter") || name == QLatin1String("week-of-year")) {
            style.date = true;
            xml.skipCurrentElement();
        } else if (name == QLatin1String("hours") || name == QLatin1String("minutes")) {
            style.time = true;
            xml.skipCurrentElement();
        } else if (name == QLatin1String("seconds")) {
            style.time = style.seconds = true;
            xml.skipCurrentElement();
        } else {
            style.supported &= name != QLatin1String("fraction");
            xml.skipCurrentElement();
        }
    }
    return style;
}

// The styles of office:styles or office:automatic-styles; the reader is
// at its start and is left at its end.
void ReadStyles(QXmlStreamReader& xml, Styles& styles)
{
    while (xml.readNextStartElement()) {
        const QString name = Attribute(xml, kStyle, QLatin1String("name")).toString();
        if (xml.namespaceUri() == kNumber && xml.name().endsWith(QLatin1String("-style"))) {
            styles.numbers.insert(name, ReadNumberStyle(xml, xml.name() == QLatin1String("percentage-style")));
        } else if (Is(xml, kStyle, QLatin1String("style")) &&
                   Attribute(xml, kStyle, QLatin1String("family")) == QLatin1String("table-cell")) {
            styles.cells.insert(name, {Attribute(xml, kStyle, QLatin1String("data-style-name")).toString(),
                                       Attribute(xml, kStyle, QLatin1String("parent-style-name")).toString()});
            xml.skipCurrentElement();
        } else {
            xml.skipCurrentElement();
        }
    }
}

bool Holds(const NumberStyle::Map& map, double value)
{
    const double x = map.operand;
    if (map.op == QLatin1String("<"))
        return value < x;
    if (map.op == QLatin1String("<="))
        return value <= x;
    if (map.op == QLatin1String(">"))
        return value > x;
    if (map.op == QLatin1String(">="))
        return value >= x;
    if (map.op == QLatin1String("!="))
        return value != x;
    return value == x;
}

// The text of a paragraph: runs of white space are one space, as
// OpenDocument writes them; spaces, tabs and line breaks that count are
// elements of their own.
QString Inline(QXmlStreamReader& xml)
{
    QString out;
    bool space = false;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::EndElement)
            break;
        if (token == QXmlStreamReader::Characters) {
            for (QChar c : xml.text()) {
                const bool white = c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
                if (!white || !space)
                    out += white ? QChar(u' ') : c;
                space = white;
            }
        } else if (token == QXmlStreamReader::StartElement) {
            space = false;
            if (Is(xml, kText, QLatin1String("s"))) {
                const qint64 n = Attribute(xml, kText, QLatin1String("c")).toLongLong();
                out += QString(std::clamp<qint64>(n, 1, 1024), u' ');
                xml.skipCurrentElement();
            } else if (Is(xml, kText, QLatin1String("tab"))) {
                out += u'\t';
                xml.skipCurrentElement();
            } else if (Is(xml, kText, QLatin1String("line-break"))) {
                out += u'\n';
                xml.skipCurrentElement();
            } else if (Is(xml, kOffice, QLatin1String("annotation")) || Is(xml, kText, QLatin1String("note"))) {
                xml.skipCurrentElement();
            } else {
                out += Inline(xml); // a span, a link
            }
        }
    }
    return out;
}

// The paragraphs of a cell, a line each; the reader is at the cell's start
// and is left at its end.
QString Paragraphs(QXmlStreamReader& xml)
{
    QStringList paragraphs;
    while (xml.readNextStartElement()) {
        if (Is(xml, kText, QLatin1String("p")) || Is(xml, kText, QLatin1String("h")))
            paragraphs.append(Inline(xml));
        else
            xml.skipCurrentElement(); // comments, drawings
    }
    return paragraphs.join(u'\n');
}

class OdsBook final : public SheetBook {
public:
    OdsBook(QuaZip& zip, const BookName& name) : zip_(zip), name_(name) { }

    core::Status Load();
    core::Result<QString> OpenSheet(const QString& name) override;
    core::Status Rewind() override;
    core::Result<bool> NextRow(SheetRow& row) override;

private:
    core::Result<QString> enter(const QString& name, int index);
    core::Result<bool> readRow(SheetRow& row);
    core::Result<QString> cellText(int column, qint64 row, const QString& rowStyle);
    const NumberStyle* numberStyle(const QString& name) const;
    const NumberStyle* dataStyleOf(QString cellStyle) const;
    std::optional<QString> render(const NumberStyle& style, double value, int depth) const;

    QuaZip& zip_;
    BookName name_;
    Styles common_; // styles.xml
    Styles automatic_; // content.xml
    int index_ = 0; // of the sheet read, among the tables

    std::unique_ptr<QuaZipFile> file_;
    std::unique_ptr<QXmlStreamReader> xml_;
    struct Columns {
        qint64 first, count;
        QString style;
    };
    QList<Columns> columns_; // the default cell style of runs of columns
    qint64 columnCount_ = 0;
    qint64 nextRow_ = 1;
    SheetRow repeated_; // a row that repeats
    qint64 repeatsLeft_ = 0;
    bool done_ = false;
};

core::Status OdsBook::Load()
{
    const auto type = ReadZipEntry(zip_, QStringLiteral("mimetype"));
    if (type.ok() && !type->startsWith("application/vnd.oasis.opendocument.spreadsheet"))
        return SheetFailure(name_, 0,
                            QStringLiteral("it is an OpenDocument file of the type %1, not a spreadsheet.")
                                .arg(QString::fromUtf8(*type).trimmed()));
    const auto styles = ReadZipEntry(zip_, QStringLiteral("styles.xml"));
    if (styles.failed())
        return core::Ok(); // no styles of its own: every cell shows as General
    QXmlStreamReader xml(*styles);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && Is(xml, kOffice, QLatin1String("styles")))
            ReadStyles(xml, common_);
    }
    if (xml.hasError())
        return Damaged(name_, QStringLiteral("styles.xml"), xml);
    return core::Ok();
}

core::Result<QString> OdsBook::OpenSheet(const QString& name) { return enter(name, name.isEmpty() ? 0 : -1); }

core::Status OdsBook::Rewind()
{
    const auto entered = enter({}, index_);
    if (entered.failed())
        return entered.failure();
    return core::Ok();
}

// Opens content.xml and reads to the start of the table named `name`, or
// of the table at `index` when that is not -1.
core::Result<QString> OdsBook::enter(const QString& name, int index)
{
    xml_.reset();
    file_.reset();
    automatic_ = {};
    columns_.clear();
    columnCount_ = 0;
    nextRow_ = 1;
    repeatsLeft_ = 0;
    done_ = false;
    if (!zip_.setCurrentFile(kContent, QuaZip::csInsensitive))
        return SheetFailure(name_, 0, QStringLiteral("it has no content.xml, so it is not a spreadsheet."));
    file_ = std::make_unique<QuaZipFile>(&zip_);
    if (!file_->open(QIODevice::ReadOnly))
        return Damaged(name_, kContent, QStringLiteral("can't be unpacked"));
    xml_ = std::make_unique<QXmlStreamReader>(file_.get());
    QXmlStreamReader& xml = *xml_;
    QStringList names;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (Is(xml, kOffice, QLatin1String("document-content")) || Is(xml, kOffice, QLatin1String("body")) ||
            Is(xml, kOffice, QLatin1String("spreadsheet")))
            continue; // into it
        if (Is(xml, kOffice, QLatin1String("automatic-styles"))) {
            ReadStyles(xml, automatic_);
            continue;
        }
        if (Is(xml, kTable, QLatin1String("table"))) {
            const QString table = Attribute(xml, kTable, QLatin1String("name")).toString();
            if (index >= 0 ? names.size() == index : table == name) {
                index_ = int(names.size());
                return table;
            }
            names.append(table);
        }
        xml.skipCurrentElement();
    }
    if (xml.hasError())
        return Damaged(name_, kContent, xml);
    return NoSuchSheet(name_, name, names);
}

core::Result<bool> OdsBook::NextRow(SheetRow& row)
{
    if (repeatsLeft_ > 0) {
        --repeatsLeft_;
        ++repeated_.number;
        row = repeated_;
        return true;
    }
    QXmlStreamReader& xml = *xml_;
    while (!done_ && !xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::EndElement && Is(xml, kTable, QLatin1String("table"))) {
            done_ = true;
            break;
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        if (Is(xml, kTable, QLatin1String("table-row"))) {
            const auto got = readRow(row);
            if (got.failed() || *got)
                return got;
        } else if (Is(xml, kTable, QLatin1String("table-column"))) {
            const qint64 count = Count(xml, QLatin1String("number-columns-repeated"));
            columns_.append(
                {columnCount_, count, Attribute(xml, kTable, QLatin1String("default-cell-style-name")).toString()});
            columnCount_ += count;
            xml.skipCurrentElement();
        } else if (xml.namespaceUri() == kTable &&
                   (xml.name() == QLatin1String("table-header-rows") || xml.name() == QLatin1String("table-rows") ||
                    xml.name() == QLatin1String("table-row-group") || xml.name() == QLatin1String("table-columns") ||
                    xml.name() == QLatin1String("table-header-columns") ||
                    xml.name() == QLatin1String("table-column-group"))) {
            continue; // into it
        } else {
            xml.skipCurrentElement();
        }
    }
    if (xml.hasError())
        return Damaged(name_, kContent, xml);
    return false;
}

// One row element, repeated or not; false when it shows nothing.
core::Result<bool> OdsBook::readRow(SheetRow& row)
{
    QXmlStreamReader& xml = *xml_;
    const qint64 repeats = Count(xml, QLatin1String("number-rows-repeated"));
    const QString rowStyle = Attribute(xml, kTable, QLatin1String("default-cell-style-name")).toString();
    row.number = nextRow_;
    row.cells.clear();
    qint64 column = 0;
    while (xml.readNextStartElement()) {
        const bool covered = Is(xml, kTable, QLatin1String("covered-table-cell"));
        if (!covered && !Is(xml, kTable, QLatin1String("table-cell"))) {
            xml.skipCurrentElement();
            continue;
        }
        const qint64 count = Count(xml, QLatin1String("number-columns-repeated"));
        const auto text = cellText(int(std::min<qint64>(column, kMaxColumns)), row.number, rowStyle);
        if (text.failed())
            return text.failure();
        if (!covered && !text->isEmpty()) {
            // A value hidden under a merged cell does not show.
            if (column + count > kMaxColumns)
                return Damaged(name_, kContent,
                               QStringLiteral("has values in row %1 past the last column").arg(row.number));
            for (qint64 k = 0; k < count; ++k)
                row.cells.append({int(column + k), *text});
        }
        column += count;
    }
    nextRow_ += repeats;
    if (row.cells.isEmpty())
        return false;
    if (repeats > 1) {
        repeated_ = row;
        repeatsLeft_ = repeats - 1;
    }
    return true;
}

const NumberStyle* OdsBook::numberStyle(const QString& name) const
{
    if (const auto it = automatic_.numbers.constFind(name); it != automatic_.numbers.constEnd())
        return &*it;
    if (const auto it = common_.numbers.constFind(name); it != common_.numbers.constEnd())
        return &*it;
    return nullptr;
}

// The data style of a cell style, or of the styles it inherits from.
const NumberStyle* OdsBook::dataStyleOf(QString cellStyle) const
{
    for (int depth = 0; depth < 16 && !cellStyle.isEmpty(); ++depth) {
        const CellStyle* found = nullptr;
        if (const auto it = automatic_.cells.constFind(cellStyle); it != automatic_.cells.constEnd())
            found = &*it;
        else if (const auto common = common_.cells.constFind(cellStyle); common != common_.cells.constEnd())
            found = &*common;
        if (!found)
            return nullptr;
        if (!found->dataStyle.isEmpty())
            return numberStyle(found->dataStyle);
        cellStyle = found->parent;
    }
    return nullptr;
}

// A number under a data style, or nothing when the style can't be said as
// a format code. A style for negative numbers writes its own sign.
std::optional<QString> OdsBook::render(const NumberStyle& style, double value, int depth) const
{
    for (const auto& map : style.maps) {
        if (!Holds(map, value))
            continue;
        const NumberStyle* other = numberStyle(map.style);
        if (!other || depth > 4)
            return std::nullopt;
        return render(*other, std::fabs(value), depth + 1);
    }
    if (!style.supported || style.code.isEmpty())
        return std::nullopt;
    const auto shown = FormatNumber(value, style.code);
    if (shown.failed())
        return std::nullopt;
    return *shown;
}

core::Result<QString> OdsBook::cellText(int column, qint64 row, const QString& rowStyle)
{
    QXmlStreamReader& xml = *xml_;
    const QString type = Attribute(xml, kOffice, QLatin1String("value-type")).toString();
    const QString value = Attribute(xml, kOffice, QLatin1String("value")).toString();
    const QString dateValue = Attribute(xml, kOffice, QLatin1String("date-value")).toString();
    const QString timeValue = Attribute(xml, kOffice, QLatin1String("time-value")).toString();
    const QString booleanValue = Attribute(xml, kOffice, QLatin1String("boolean-value")).toString();
    const bool hasString = HasAttribute(xml, kOffice, QLatin1String("string-value"));
    const QString stringValue = Attribute(xml, kOffice, QLatin1String("string-value")).toString();
    const bool formula = HasAttribute(xml, kTable, QLatin1String("formula"));
    QString styleName = Attribute(xml, kTable, QLatin1String("style-name")).toString();
    const QString text = Paragraphs(xml);
    if (xml.hasError())
        return Damaged(name_, kContent, xml);

    const QString cell = ColumnName(column) + QString::number(row);
    const auto fail = [&](const QString& what) {
        return SheetFailure(name_, row, QStringLiteral("cell %1 %2").arg(cell, what));
    };
    if (type.isEmpty()) {
        if (formula && text.isEmpty())
            return fail(QStringLiteral("holds a formula whose value was never worked out; open the file in a "
                                       "spreadsheet program and save it again."));
        return text;
    }
    if (type == QLatin1String("string"))
        return hasString ? stringValue : text;
    if (type == QLatin1String("boolean"))
        return booleanValue == QLatin1String("true") ? QStringLiteral("TRUE") : QStringLiteral("FALSE");

    // The cell's style, else its row's, else its column's, else the default.
    if (styleName.isEmpty())
        styleName = rowStyle;
    for (qsizetype i = 0; styleName.isEmpty() && i < columns_.size(); ++i)
        if (column >= columns_[i].first && column < columns_[i].first + columns_[i].count)
            styleName = columns_[i].style;
    const NumberStyle* style = dataStyleOf(styleName.isEmpty() ? QStringLiteral("Default") : styleName);

    if (type == QLatin1String("date")) {
        const QString date = dateValue.left(10);
        const QString time = dateValue.mid(11, 8);
        if (!QDate::fromString(date, Qt::ISODate).isValid())
            return Damaged(name_, kContent, QStringLiteral("has cell %1 with the date \"%2\"").arg(cell, dateValue));
        const bool showTime = style ? style->time : !time.isEmpty() && time != QLatin1String("00:00:00");
        const bool showSeconds = style ? style->seconds : true;
        const QString clock = time.isEmpty() ? QStringLiteral("00:00:00") : time;
        const QString shownTime = showSeconds ? clock : clock.left(5);
        if (style && !style->date && style->time)
            return shownTime;
        return showTime ? date + u' ' + shownTime : date;
    }
    if (type == QLatin1String("time")) {
        static const QRegularExpression duration(
            QStringLiteral(R"(^(-)?P(?:(\d+)D)?T?(?:(\d+)H)?(?:(\d+)M)?(?:([\d.]+)S)?$)"));
        const auto m = duration.match(timeValue);
        if (!m.hasMatch())
            return Damaged(name_, kContent, QStringLiteral("has cell %1 with the time \"%2\"").arg(cell, timeValue));
        const qint64 total = m.captured(2).toLongLong() * 86400 + m.captured(3).toLongLong() * 3600 +
                             m.captured(4).toLongLong() * 60 + std::llround(m.captured(5).toDouble());
        QString shown = QStringLiteral("%1%2:%3")
                            .arg(m.captured(1))
                            .arg(total / 3600, 2, 10, QLatin1Char('0'))
                            .arg(total / 60 % 60, 2, 10, QLatin1Char('0'));
        if (!style || style->seconds)
            shown += QStringLiteral(":%1").arg(total % 60, 2, 10, QLatin1Char('0'));
        return shown;
    }
    if (type == QLatin1String("float") || type == QLatin1String("percentage") || type == QLatin1String("currency")) {
        bool ok = false;
        const double number = value.toDouble(&ok);
        if (!ok)
            return Damaged(name_, kContent, QStringLiteral("has cell %1 with \"%2\" for a number").arg(cell, value));
        if (style) {
            if (const auto shown = render(*style, number, 0))
                return *shown;
            // A style a format code can't say: the text the program that
            // saved the file showed.
            if (!text.isEmpty())
                return text;
            return fail(QStringLiteral("holds %1, but its number style can't be shown.").arg(GeneralNumber(number)));
        }
        if (type == QLatin1String("percentage"))
            return GeneralNumber(number * 100) + u'%';
        if (type == QLatin1String("currency") && !text.isEmpty())
            return text;
        return GeneralNumber(number);
    }
    return text;
}

} // namespace

core::Result<std::unique_ptr<SheetBook>> OpenOdsBook(QuaZip& zip, const BookName& name)
{
    auto book = std::make_unique<OdsBook>(zip, name);
    if (const auto loaded = book->Load(); loaded.failed())
        return loaded.failure();
    return std::unique_ptr<SheetBook>(std::move(book));
}

} // namespace files
