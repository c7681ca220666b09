#include "labels/LabelFile.h"

#include "core/Units.h"
#include "files/AtomicFile.h"
#include "labels/Placeholders.h"
#include "symbols/SymbologyTable.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRectF>
#include <QStringList>
#include <cmath>
#include <utility>

namespace labels {
namespace {

// ------------------------------------------------------------------ writing

// A JSON object with its keys in the order they are added: Qt's objects
// sort their keys, which would put "version" among the sizes and "type"
// at the end of a part.
using Fields = std::vector<std::pair<const char*, QJsonValue>>;

// A value as Qt writes it: its escapes and its shortest form of a number
// that reads back as the same double.
QByteArray Scalar(const QJsonValue& value)
{
    const QByteArray array = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

void WriteObject(QByteArray& out, const Fields& fields, const QByteArray& indent,
                 const std::vector<Fields>* parts = nullptr)
{
    const QByteArray inner = indent + "    ";
    out += "{\n";
    for (size_t i = 0; i < fields.size(); ++i) {
        out += inner + '"' + fields[i].first + "\": " + Scalar(fields[i].second);
        out += i + 1 < fields.size() || parts ? ",\n" : "\n";
    }
    if (parts) {
        out += inner + "\"parts\": [";
        for (size_t i = 0; i < parts->size(); ++i) {
            out += i == 0 ? "\n" : ",\n";
            out += inner + "    ";
            WriteObject(out, (*parts)[i], inner + "    ");
        }
        out += parts->empty() ? "]\n" : "\n" + inner + "]\n";
    }
    out += indent + "}";
}

QString AlignName(Align a)
{
    return a == Align::Centre ? QStringLiteral("centre") : a == Align::Right ? QStringLiteral("right") : QStringLiteral("left");
}

Fields PartFields(const Part& part)
{
    Fields f{{"type", KindName(part)}, {"xMm", part.atMm.x()}, {"yMm", part.atMm.y()}};
    if (const auto* b = std::get_if<BarcodePart>(&part.what)) {
        const symbols::SymbologyRow& row = symbols::RowOf(b->symbology);
        f.insert(f.end(), {{"symbology", QLatin1String(row.name)}, {"text", b->text}});
        if (b->moduleMm)
            f.emplace_back("moduleMm", *b->moduleMm);
        if (b->widthMm)
            f.emplace_back("widthMm", *b->widthMm);
        if (b->heightMm)
            f.emplace_back("heightMm", *b->heightMm);
        f.insert(f.end(), {{"caption", b->caption}, {"captionPt", b->captionPoints}});
        // The option of the symbology's own, and only that.
        switch (row.ownOption) {
        case symbols::OwnOption::QrEcc: f.emplace_back("ecc", QString(QLatin1Char(b->library.qrEcc))); break;
        case symbols::OwnOption::Pdf417Columns: f.emplace_back("columns", b->library.pdf417Columns); break;
        case symbols::OwnOption::Rectangular: f.emplace_back("rectangular", b->library.rectangular); break;
        case symbols::OwnOption::None: break;
        }
    } else if (const auto* t = std::get_if<TextPart>(&part.what)) {
        f.insert(f.end(), {{"text", t->text}, {"font", t->font}, {"sizePt", t->points}, {"bold", t->bold},
                           {"align", AlignName(t->align)}});
        if (t->boxWidthMm)
            f.insert(f.end(), {{"boxWidthMm", *t->boxWidthMm}, {"minSizePt", t->minPoints}});
    } else if (const auto* l = std::get_if<LinePart>(&part.what)) {
        f.insert(f.end(), {{"endXMm", l->endMm.x()}, {"endYMm", l->endMm.y()}, {"strokeMm", l->strokeMm}});
    } else if (const auto* b = std::get_if<BoxPart>(&part.what)) {
        f.insert(f.end(), {{"widthMm", b->sizeMm.width()}, {"heightMm", b->sizeMm.height()}, {"strokeMm", b->strokeMm}});
    }
    return f;
}

// ------------------------------------------------------------------ reading

QString Quoted(const QString& s) { return QLatin1Char('"') + s + QLatin1Char('"'); }

// A value as a message shows it: a long text by its start.
QString Shown(const QJsonValue& v)
{
    QString s = QString::fromUtf8(Scalar(v));
    if (s.size() > 40)
        s = s.left(37) + QStringLiteral("...");
    return s;
}

QString Mm(double v) { return QString::number(v, 'g', 6) + QStringLiteral(" mm"); }

// Reads one object of the file, the label's own fields or one part's, and
// fails with a message that names the file, the part and the field.
class Reader {
public:
    Reader(const QString& file, const QJsonObject& object, int part, QString kind)
        : file_(file), object_(object), part_(part), kind_(std::move(kind))
    {
    }

    // The first failure met; later reads return defaults.
    const std::optional<core::Failure>& Failed() const { return failure_; }

    void Fail(const QString& field, const QString& what)
    {
        if (failure_)
            return;
        QString where = files::ShownPath(file_);
        if (part_ > 0)
            where += QStringLiteral(", part %1 (%2)").arg(part_).arg(kind_);
        if (!field.isEmpty())
            where += QStringLiteral(", field %1").arg(Quoted(field));
        failure_ = core::Failure{core::kBadLabelFile, QStringLiteral("%1: %2.").arg(where, what), false,
                                 core::Place{file_, 0, {}, 0, FieldName(field)}};
    }

    // Every key must be one the object has: a misspelt key would otherwise
    // be dropped without a word, and lost at the next save.
    void OnlyKeys(std::initializer_list<const char*> keys)
    {
        for (auto it = object_.begin(); it != object_.end(); ++it) {
            if (std::none_of(keys.begin(), keys.end(), [&](const char* k) { return it.key() == QLatin1String(k); })) {
                QStringList known;
                for (const char* k : keys)
                    known << QLatin1String(k);
                Fail(it.key(), QStringLiteral("there is no such field in a %1; its fields are %2")
                                   .arg(part_ > 0 ? kind_ + QStringLiteral(" part") : QStringLiteral("label"),
                                        known.join(QStringLiteral(", "))));
                return;
            }
        }
    }

    bool Has(const char* key) const { return object_.contains(QLatin1String(key)); }

    // A number from `least` (above it when `above`) to `most`.
    double Number(const char* key, double fallback, double least, bool above, double most, const QString& unit)
    {
        const QJsonValue v = object_.value(QLatin1String(key));
        if (v.isUndefined())
            return fallback;
        const double d = v.toDouble(std::nan(""));
        const bool fits = v.isDouble() && std::isfinite(d) && (above ? d > least : d >= least) && d <= most;
        if (!fits) {
            Fail(QLatin1String(key), QStringLiteral("%1 is not a number %2 %3 %4 %5%6")
                                         .arg(Shown(v), above ? QStringLiteral("above") : QStringLiteral("from"))
                                         .arg(least)
                                         .arg(above ? QStringLiteral("and at most") : QStringLiteral("to"))
                                         .arg(most)
                                         .arg(unit));
            return fallback;
        }
        return d;
    }
    double Required(const char* key, double least, bool above, double most, const QString& unit)
    {
        if (!Has(key))
            Missing(key);
        return Number(key, 0, least, above, most, unit);
    }
    // A place on the label: any finite number (a part off the label is
    // refused by its extent, with a message that says which edge).
    double Place(const char* key)
    {
        if (!Has(key))
            Missing(key);
        const QJsonValue v = object_.value(QLatin1String(key));
        if (!v.isDouble() || !std::isfinite(v.toDouble()) || std::abs(v.toDouble()) > kMaxLabelMm) {
            Fail(QLatin1String(key), QStringLiteral("%1 is not a place on a label (a number of mm up to %2)")
                                         .arg(Shown(v))
                                         .arg(kMaxLabelMm));
            return 0;
        }
        return v.toDouble();
    }
    std::optional<double> Optional(const char* key, double least, bool above, double most, const QString& unit)
    {
        if (!Has(key))
            return std::nullopt;
        return Number(key, 0, least, above, most, unit);
    }

    QString Text(const char* key, const QString& fallback, bool required, qsizetype longest = kMaxTextCharacters)
    {
        const QJsonValue v = object_.value(QLatin1String(key));
        if (v.isUndefined()) {
            if (required)
                Missing(key);
            return fallback;
        }
        if (!v.isString()) {
            Fail(QLatin1String(key), QStringLiteral("%1 is not a text (in quotes)").arg(Shown(v)));
            return fallback;
        }
        const QString s = v.toString();
        if (s.size() > longest)
            Fail(QLatin1String(key), QStringLiteral("the text is %1 characters long; a label's text is at most %2")
                                         .arg(s.size())
                                         .arg(longest));
        return s;
    }

    bool Flag(const char* key, bool fallback)
    {
        const QJsonValue v = object_.value(QLatin1String(key));
        if (v.isUndefined())
            return fallback;
        if (!v.isBool())
            Fail(QLatin1String(key), QStringLiteral("%1 is neither true nor false").arg(Shown(v)));
        return v.toBool(fallback);
    }

    void Missing(const char* key)
    {
        Fail(QLatin1String(key), QStringLiteral("the field is missing"));
    }

    QString FieldName(const QString& field) const
    {
        if (part_ == 0)
            return field;
        // Parts counted from 1, as the message counts them.
        return QStringLiteral("parts[%1]").arg(part_) + (field.isEmpty() ? QString() : QLatin1Char('.') + field);
    }

private:
    QString file_;
    QJsonObject object_;
    int part_; // from 1; 0: the label itself
    QString kind_;
    std::optional<core::Failure> failure_;
};

const QString kMm = QStringLiteral(" mm");
const QString kPt = QStringLiteral(" pt");

BarcodePart ReadBarcode(Reader& r)
{
    BarcodePart b;
    const QString name = r.Text("symbology", {}, true, 100);
    const std::optional<symbols::Symbology> symbology = symbols::SymbologyNamed(name);
    if (!symbology && !r.Failed()) {
        QStringList names;
        for (const symbols::SymbologyRow& row : symbols::Symbologies())
            names << QLatin1String(row.name);
        r.Fail(QStringLiteral("symbology"),
               QStringLiteral("%1 is no symbology; the symbologies are %2").arg(Quoted(name), names.join(QStringLiteral(", "))));
        return b;
    }
    if (!symbology)
        return b;
    b.symbology = *symbology;
    const symbols::SymbologyRow& row = symbols::RowOf(b.symbology);
    using symbols::OwnOption;
    const std::pair<const char*, OwnOption> own[] = {
        {"ecc", OwnOption::QrEcc}, {"columns", OwnOption::Pdf417Columns}, {"rectangular", OwnOption::Rectangular}};
    for (const auto& [key, option] : own) {
        if (r.Has(key) && row.ownOption != option) {
            r.Fail(QLatin1String(key), QStringLiteral("a %1 barcode takes no such option").arg(QLatin1String(row.caption)));
            return b;
        }
    }
    r.OnlyKeys({"type", "xMm", "yMm", "symbology", "text", "moduleMm", "widthMm", "heightMm", "caption", "captionPt",
                "ecc", "columns", "rectangular"});
    b.text = r.Text("text", {}, true);
    b.moduleMm = r.Optional("moduleMm", 0, true, kMaxLabelMm, kMm);
    b.widthMm = r.Optional("widthMm", 0, true, kMaxLabelMm, kMm);
    if (b.moduleMm.has_value() == b.widthMm.has_value())
        r.Fail(QStringLiteral("moduleMm"), QStringLiteral("a barcode takes either \"moduleMm\" (the narrow bar) or "
                                                          "\"widthMm\" (the width it is stretched to), one of the two"));
    b.heightMm = r.Optional("heightMm", 0, true, kMaxLabelMm, kMm);
    b.caption = r.Flag("caption", false);
    b.captionPoints = r.Number("captionPt", b.captionPoints, 0, true, kMaxPoints, kPt);
    if (r.Has("ecc")) {
        const QString ecc = r.Text("ecc", QStringLiteral("M"), false, 10);
        if (ecc.size() != 1 || !QStringLiteral("LMQH").contains(ecc))
            r.Fail(QStringLiteral("ecc"), QStringLiteral("%1 is no error correction level; they are L, M, Q and H").arg(Quoted(ecc)));
        else
            b.library.qrEcc = static_cast<char>(ecc.front().unicode());
    }
    if (r.Has("columns")) {
        const double columns = r.Number("columns", 0, 0, false, 30, QString());
        if (columns != std::floor(columns))
            r.Fail(QStringLiteral("columns"), QStringLiteral("%1 is not a whole number of columns").arg(columns));
        b.library.pdf417Columns = static_cast<int>(columns);
    }
    b.library.rectangular = r.Flag("rectangular", false);
    return b;
}

TextPart ReadText(Reader& r)
{
    r.OnlyKeys({"type", "xMm", "yMm", "text", "font", "sizePt", "bold", "align", "boxWidthMm", "minSizePt"});
    TextPart t;
    t.text = r.Text("text", {}, true);
    t.font = r.Text("font", t.font, false, 200);
    if (t.font.trimmed().isEmpty())
        r.Fail(QStringLiteral("font"), QStringLiteral("the font has no name"));
    t.points = r.Number("sizePt", t.points, 0, true, kMaxPoints, kPt);
    t.bold = r.Flag("bold", false);
    const QString align = r.Text("align", QStringLiteral("left"), false, 20);
    if (align == QLatin1String("centre") || align == QLatin1String("center"))
        t.align = Align::Centre;
    else if (align == QLatin1String("right"))
        t.align = Align::Right;
    else if (align != QLatin1String("left"))
        r.Fail(QStringLiteral("align"), QStringLiteral("%1 is no alignment; they are left, centre and right").arg(Quoted(align)));
    t.boxWidthMm = r.Optional("boxWidthMm", 0, true, kMaxLabelMm, kMm);
    if (r.Has("minSizePt") && !t.boxWidthMm)
        r.Fail(QStringLiteral("minSizePt"), QStringLiteral("a minimum size is for a text in a box, and the part has no "
                                                           "\"boxWidthMm\""));
    t.minPoints = r.Number("minSizePt", t.minPoints, 0, true, t.points, kPt);
    if (t.boxWidthMm && !r.Has("minSizePt"))
        t.minPoints = std::min(t.minPoints, t.points);
    return t;
}

LinePart ReadLine(Reader& r)
{
    r.OnlyKeys({"type", "xMm", "yMm", "endXMm", "endYMm", "strokeMm"});
    LinePart l;
    l.endMm = QPointF(r.Place("endXMm"), r.Place("endYMm"));
    l.strokeMm = r.Number("strokeMm", l.strokeMm, 0, true, kMaxLabelMm, kMm);
    return l;
}

BoxPart ReadBox(Reader& r)
{
    r.OnlyKeys({"type", "xMm", "yMm", "widthMm", "heightMm", "strokeMm"});
    BoxPart b;
    b.sizeMm = QSizeF(r.Required("widthMm", 0, true, kMaxLabelMm, kMm), r.Required("heightMm", 0, true, kMaxLabelMm, kMm));
    b.strokeMm = r.Number("strokeMm", b.strokeMm, 0, true, kMaxLabelMm, kMm);
    return b;
}

// Which edge of the label the extent runs past, or empty when none does.
QString OutsideBy(const QRectF& r, const QSizeF& label)
{
    // Lengths are read as decimals: an edge a rounding step past the label's is on it.
    constexpr double kSlack = 1e-9;
    if (r.left() < -kSlack)
        return QStringLiteral("its left edge is at %1, left of the label").arg(Mm(r.left()));
    if (r.top() < -kSlack)
        return QStringLiteral("its top edge is at %1, above the label").arg(Mm(r.top()));
    if (r.right() > label.width() + kSlack)
        return QStringLiteral("its right edge is at %1, past the label's width of %2").arg(Mm(r.right()), Mm(label.width()));
    if (r.bottom() > label.height() + kSlack)
        return QStringLiteral("its bottom edge is at %1, below the label's height of %2").arg(Mm(r.bottom()), Mm(label.height()));
    return {};
}

std::optional<Part> ReadPart(const QString& file, const QJsonValue& value, int number, const QSizeF& labelSize,
                             std::optional<core::Failure>& failure)
{
    const QJsonObject o = value.toObject();
    const QString type = o.value(QLatin1String("type")).toString();
    Reader r(file, o, number, type.isEmpty() ? QStringLiteral("of no type") : type);
    if (!value.isObject()) {
        r.Fail({}, QStringLiteral("%1 is not a part (an object in braces)").arg(Shown(value)));
        failure = r.Failed();
        return std::nullopt;
    }
    const QStringList types{QStringLiteral("barcode"), QStringLiteral("text"), QStringLiteral("line"), QStringLiteral("box")};
    if (!types.contains(type)) {
        r.Fail(QStringLiteral("type"), o.contains(QLatin1String("type"))
                                           ? QStringLiteral("%1 is no type of part; they are barcode, text, line and box")
                                                 .arg(Shown(o.value(QLatin1String("type"))))
                                           : QStringLiteral("the field is missing (barcode, text, line or box)"));
        failure = r.Failed();
        return std::nullopt;
    }
    Part part;
    part.atMm = QPointF(r.Place("xMm"), r.Place("yMm"));
    if (type == types[0])
        part.what = ReadBarcode(r);
    else if (type == types[1])
        part.what = ReadText(r);
    else if (type == types[2])
        part.what = ReadLine(r);
    else
        part.what = ReadBox(r);
    if (const QString* text = PartText(part); text && !r.Failed()) {
        const core::Result<Template> parsed = Template::Parse(*text);
        if (parsed.failed())
            r.Fail(QStringLiteral("text"), parsed.failure().text);
    }
    if (!r.Failed()) {
        if (const QString off = OutsideBy(KnownExtentMm(part), labelSize); !off.isEmpty())
            r.Fail({}, QStringLiteral("the part lies outside the label: %1").arg(off));
    }
    if (r.Failed()) {
        failure = r.Failed();
        return std::nullopt;
    }
    return part;
}

// Line and column of a byte offset, for a message about the JSON.
std::pair<int, int> LineAndColumn(const QByteArray& bytes, qsizetype offset)
{
    offset = std::clamp<qsizetype>(offset, 0, bytes.size());
    const QByteArrayView before(bytes.constData(), offset);
    const int line = static_cast<int>(before.count('\n')) + 1;
    const qsizetype lineStart = before.lastIndexOf('\n') + 1;
    return {line, static_cast<int>(offset - lineStart) + 1};
}

core::Failure FileFailure(const QString& file, const QString& text, qint64 line = 0)
{
    return core::Failure{core::kBadLabelFile, text, false, core::Place{file, line, {}, 0, {}}};
}

} // namespace

QByteArray LabelToJson(const Label& label)
{
    const Fields fields{{"version", kLabelFileVersion},
                        {"unit", label.unit == LengthUnit::Inch ? QStringLiteral("in") : QStringLiteral("mm")},
                        {"widthMm", label.sizeMm.width()},
                        {"heightMm", label.sizeMm.height()}};
    std::vector<Fields> parts;
    parts.reserve(label.parts.size());
    for (const Part& p : label.parts)
        parts.push_back(PartFields(p));
    QByteArray out;
    WriteObject(out, fields, {}, &parts);
    out += '\n';
    return out;
}

core::Result<Label> LabelFromJson(const QByteArray& json, const QString& fileName)
{
    const QString shown = files::ShownPath(fileName);
    if (json.size() > kMaxLabelFileBytes)
        return FileFailure(fileName, QStringLiteral("%1 is not a label file: it is %2 bytes long, and a label file is at most "
                                                    "%3 bytes (1 MiB).")
                                         .arg(shown)
                                         .arg(json.size())
                                         .arg(kMaxLabelFileBytes));
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError) {
        const auto [line, column] = LineAndColumn(json, error.offset);
        return FileFailure(fileName, QStringLiteral("%1 is not a label file: its JSON goes wrong at line %2, column %3 "
                                                    "(byte %4): %5.")
                                         .arg(shown)
                                         .arg(line)
                                         .arg(column)
                                         .arg(error.offset)
                                         .arg(error.errorString()),
                           line);
    }
    if (!doc.isObject())
        return FileFailure(fileName, QStringLiteral("%1 is not a label file: it holds a JSON %2, not an object in braces.")
                                         .arg(shown, doc.isArray() ? QStringLiteral("array") : QStringLiteral("value")));
    const QJsonObject top = doc.object();
    const QJsonValue version = top.value(QLatin1String("version"));
    if (version.isUndefined())
        return FileFailure(fileName, QStringLiteral("%1 is not a label file: it has no \"version\".").arg(shown));
    if (!version.isDouble() || version.toDouble() != std::floor(version.toDouble()) || version.toDouble() < 1)
        return FileFailure(fileName, QStringLiteral("%1 is not a label file: its \"version\" is %2, not a version number.")
                                         .arg(shown, Shown(version)));
    if (version.toDouble() > kLabelFileVersion)
        return FileFailure(fileName, QStringLiteral("%1 is a label file of version %2, written by a later program; this "
                                                    "one reads label files up to version %3.")
                                         .arg(shown, Shown(version))
                                         .arg(kLabelFileVersion));
    Reader r(fileName, top, 0, {});
    r.OnlyKeys({"version", "unit", "widthMm", "heightMm", "parts"});
    Label label;
    const QString unit = r.Text("unit", QStringLiteral("mm"), false, 10);
    if (unit == QLatin1String("in"))
        label.unit = LengthUnit::Inch;
    else if (unit != QLatin1String("mm"))
        r.Fail(QStringLiteral("unit"), QStringLiteral("%1 is no unit; a label is shown in \"mm\" or \"in\"").arg(Quoted(unit)));
    // A label is a page of a PDF.
    label.sizeMm = QSizeF(r.Required("widthMm", core::kMinPageMm, false, kMaxLabelMm, kMm),
                          r.Required("heightMm", core::kMinPageMm, false, kMaxLabelMm, kMm));
    const QJsonValue parts = top.value(QLatin1String("parts"));
    if (!parts.isUndefined() && !parts.isArray())
        r.Fail(QStringLiteral("parts"), QStringLiteral("%1 is not a list of parts in brackets").arg(Shown(parts)));
    const QJsonArray list = parts.toArray();
    if (list.size() > kMaxParts)
        r.Fail(QStringLiteral("parts"), QStringLiteral("the label has %1 parts; a label has at most %2").arg(list.size()).arg(kMaxParts));
    if (r.Failed())
        return *r.Failed();
    label.parts.reserve(static_cast<size_t>(list.size()));
    for (qsizetype i = 0; i < list.size(); ++i) {
        std::optional<core::Failure> failure;
        std::optional<Part> part = ReadPart(fileName, list[i], static_cast<int>(i + 1), label.sizeMm, failure);
        if (!part)
            return *failure;
        label.parts.push_back(std::move(*part));
    }
    return label;
}

core::Result<Label> LoadLabel(const QString& path)
{
    const QString shown = files::ShownPath(path);
    const QFileInfo info(path);
    if (!info.exists())
        return FileFailure(path, QStringLiteral("The label file %1 does not exist.").arg(shown));
    // A folder, a FIFO or a device is no label file, and reading a FIFO
    // or /dev/zero would wait or never end.
    if (!info.isFile())
        return FileFailure(path, QStringLiteral("%1 is not a label file: it is not a regular file.").arg(shown));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return FileFailure(path, QStringLiteral("The label file %1 can't be read: %2.").arg(shown, file.errorString()));
    // One byte past the limit says the file is larger, whatever its size said.
    const QByteArray bytes = file.read(kMaxLabelFileBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return FileFailure(path, QStringLiteral("The label file %1 can't be read: %2.").arg(shown, file.errorString()));
    if (bytes.size() > kMaxLabelFileBytes)
        return FileFailure(path, QStringLiteral("%1 is not a label file: it is larger than %2 bytes (1 MiB), the most a "
                                                "label file holds.")
                                     .arg(shown)
                                     .arg(kMaxLabelFileBytes));
    return LabelFromJson(bytes, path);
}

core::Status SaveLabel(const Label& label, const QString& path)
{
    const QByteArray bytes = LabelToJson(label);
    // What can't be read back is not written: a file that does not load
    // would lose the label at the next start.
    if (const core::Result<Label> check = LabelFromJson(bytes, path); check.failed()) {
        core::Failure f = check.failure();
        f.text = QStringLiteral("The label was not saved. ") + f.text;
        return f;
    }
    const QString shown = files::ShownPath(path);
    const QString folder = QFileInfo(path).absolutePath();
    const QString suffix = QStringLiteral(".label.part");
    auto cannot = [&](const QString& reason) {
        return core::Failure{core::kCannotWrite, QStringLiteral("The label could not be saved to %1: %2.").arg(shown, reason),
                             false, core::Place{path, 0, {}, 0, {}}};
    };
    files::AtomicFile::RemoveAbandoned(folder, suffix);
    files::AtomicFile file;
    if (const core::Status created = file.CreateUnnamed(folder, suffix); created.failed())
        return cannot(created.failure().text);
    file.Write(bytes);
    if (const core::Status whole = file.Complete(); whole.failed())
        return cannot(whole.failure().text);
    if (const core::Status replaced = file.ReplaceAs(path); replaced.failed())
        return cannot(replaced.failure().text);
    return core::Ok();
}

} // namespace labels
