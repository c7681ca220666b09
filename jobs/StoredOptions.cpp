#include "jobs/StoredOptions.h"

#include "printing/Printers.h"

#include <algorithm>
#include <cmath>

#include "core/Numeric.h"
#include "services/Settings.h"
#include "symbols/SymbologyTable.h"

namespace jobs {

core::Status StoreOption(const QString& key, const QString& value)
{
    return services::SaveSetting(kOptionsApp, kOptionsSection, key, value);
}

std::optional<bool> StoredBool(const QString& value)
{
    const QString t = value.trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    if (auto n = core::ParseNumber(t))
        return *n != 0;
    return std::nullopt;
}

std::optional<int> StoredInt16(const QString& value)
{
    const auto n = core::ParseNumber(value);
    if (!n)
        return std::nullopt;
    const double r = core::RoundHalfEven(*n);
    if (r < -32768 || r > 32767)
        return std::nullopt;
    return static_cast<int>(r);
}

std::optional<char> EccLevel(const QString& text)
{
    const QString t = text.trimmed().toUpper();
    if (t.size() == 1 && QStringLiteral("LMQH").contains(t[0]))
        return static_cast<char>(t[0].unicode());
    return std::nullopt;
}

std::optional<int> Pdf417Columns(const QString& text)
{
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    if (!ok || n < 0 || n > 30)
        return std::nullopt;
    return n;
}

std::optional<double> ReadLengthMm(const QString& text)
{
    QString t = text.trimmed().toLower();
    double perUnit = 1;
    for (const auto& [unit, mm] : {std::pair{"mils", 0.0254}, std::pair{"mil", 0.0254}, std::pair{"mm", 1.0}})
        if (t.endsWith(QLatin1String(unit))) {
            t.chop(qsizetype(qstrlen(unit)));
            perUnit = mm;
            break;
        }
    const std::optional<double> n = core::ParseNumber(t.trimmed());
    if (!n || !(*n > 0) || !std::isfinite(*n))
        return std::nullopt;
    return *n * perUnit;
}

core::Result<graphics::PrintSize> ReadPrintSize(const QString& module, const QString& width, const QString& moduleName,
                                                const QString& widthName)
{
    const bool byModule = !module.trimmed().isEmpty(), byWidth = !width.trimmed().isEmpty();
    if (byModule && byWidth)
        return core::Failure{core::kBadPrintSize, QStringLiteral("%1 and %2 can't both be given: a module width sets the "
                                                               "barcode's width, and a width sets its module")
                                                    .arg(moduleName, widthName)};
    if (!byModule && !byWidth)
        return graphics::PrintSize{};
    const QString& given = byModule ? module : width;
    const double low = byModule ? kMinModuleMm : kMinPrintWidthMm, high = byModule ? kMaxModuleMm : kMaxPrintWidthMm;
    const std::optional<double> mm = ReadLengthMm(given);
    if (!mm || *mm < low || *mm > high)
        return core::Failure{core::kBadPrintSize, QStringLiteral("%1 needs a length from %2 to %3 mm (or in mils, such as "
                                                               "\"13 mil\"), not \"%4\"")
                                                    .arg(byModule ? moduleName : widthName)
                                                    .arg(low)
                                                    .arg(high)
                                                    .arg(given)};
    return byModule ? graphics::PrintSize::Module(*mm) : graphics::PrintSize::Width(*mm);
}

QString PrintSizeToSetting(const PrintSizeSetting& size)
{
    if (size.kind == graphics::PrintSize::Kind::Natural)
        return QString();
    const bool module = size.kind == graphics::PrintSize::Kind::Module;
    return QStringLiteral("%1 %2 %3").arg(module ? QStringLiteral("module") : QStringLiteral("width"), size.value.trimmed(),
                                          module && size.mils ? QStringLiteral("mil") : QStringLiteral("mm"));
}

PrintSizeSetting PrintSizeFromSetting(const QString& stored)
{
    const QStringList words = stored.simplified().split(QLatin1Char(' '));
    PrintSizeSetting s;
    if (words.size() != 3 || (words[2] != QLatin1String("mm") && words[2] != QLatin1String("mil")))
        return s;
    if (words[0] == QLatin1String("module"))
        s.kind = graphics::PrintSize::Kind::Module;
    else if (words[0] == QLatin1String("width"))
        s.kind = graphics::PrintSize::Kind::Width;
    else
        return s;
    s.value = words[1];
    s.mils = s.kind == graphics::PrintSize::Kind::Module && words[2] == QLatin1String("mil");
    return s;
}

graphics::PrintSize SizeOf(const PrintSizeSetting& size)
{
    const QString typed = size.value + (size.mils ? QStringLiteral(" mil") : QString());
    const bool module = size.kind == graphics::PrintSize::Kind::Module;
    if (size.kind == graphics::PrintSize::Kind::Natural)
        return {};
    const core::Result<graphics::PrintSize> read =
        ReadPrintSize(module ? typed : QString(), module ? QString() : typed, QStringLiteral("Module"), QStringLiteral("Width"));
    return read.failed() ? graphics::PrintSize{} : *read;
}

QString EncodingName(files::TextEncoding encoding)
{
    switch (encoding) {
    case files::TextEncoding::Detect: return {};
    case files::TextEncoding::Utf8: return QStringLiteral("utf-8");
    case files::TextEncoding::Utf16: return QStringLiteral("utf-16");
    case files::TextEncoding::Utf16LE: return QStringLiteral("utf-16le");
    case files::TextEncoding::Utf16BE: return QStringLiteral("utf-16be");
    case files::TextEncoding::Cp1252: return QStringLiteral("windows-1252");
    }
    return {};
}

std::vector<std::pair<QString, QString>> MergeChoiceValues(const MergeChoice& choice)
{
    const files::DataOptions& o = choice.options;
    return {{QStringLiteral("mergefile"), choice.path},
            {QStringLiteral("mergedelimiter"), o.delimiter.isNull() ? QString() : QString(o.delimiter)},
            {QStringLiteral("mergeencoding"), EncodingName(o.encoding)},
            {QStringLiteral("mergesheet"), o.sheet},
            {QStringLiteral("mergeheader"), o.header ? QStringLiteral("True") : QStringLiteral("False")}};
}

symbols::SymbolRequest StoredOptions::Request(const QString& text) const
{
    symbols::SymbolRequest r = symbols::ReadSizeFields(selected.value_or(symbols::Symbology::Code39), text, text8, font, text9, textWithBars);
    r.library = library;
    r.printSize = SizeOf(printSize);
    return r;
}

StoredOptions ReadStoredOptions()
{
    StoredOptions o;
    const services::SettingsSection stored = services::ReadSettingsSection(kOptionsApp, kOptionsSection);
    const auto option = [&stored](const QString& key, const QString& def) { return stored.Get(key, def); };
    // From the window's own state before anything is restored...
    for (const symbols::SymbologyRow& row : symbols::Symbologies())
        if (row.option.control && *StoredBool(QString::fromLatin1(row.option.defaultValue)))
            o.selected = row.symbology;
    // ...through every stored option state in turn.
    for (const symbols::SymbologyRow& row : symbols::Symbologies()) {
        const symbols::OptionButton& b = row.option;
        if (!b.control)
            continue;
        const QString def = QString::fromLatin1(b.defaultValue);
        if (StoredBool(option(QString::fromLatin1(b.key), def)).value_or(*StoredBool(def)))
            o.selected = row.symbology;
        else if (o.selected == row.symbology)
            o.selected.reset();
    }
    // A symbology of the "More:" box, when one is picked, is selected
    // instead: the option buttons' keys then all say False.
    const QString more = option(QStringLiteral("moretype"), QString());
    if (const std::optional<symbols::Symbology> picked = symbols::SymbologyNamed(more); picked && symbols::RowOf(*picked).inMoreBox)
        o.selected = picked;
    o.library.qrEcc = EccLevel(option(QStringLiteral("qrecc"), QStringLiteral("M"))).value_or('M');
    o.library.pdf417Columns = Pdf417Columns(option(QStringLiteral("pdf417columns"), QStringLiteral("0"))).value_or(0);
    o.library.rectangular = StoredInt16(option(QStringLiteral("dmrectangular"), QStringLiteral("0"))).value_or(0) == 1;
    o.showSettings = option(QStringLiteral("show"), QString()) != QLatin1String("0");
    o.linePattern = option(QStringLiteral("line"), QString());
    o.file = option(QStringLiteral("file"), QString());
    o.text8 = option(QStringLiteral("text8"), o.text8);
    o.font = option(QStringLiteral("font"), o.font);
    o.keepPattern = StoredInt16(option(QStringLiteral("check1"), QStringLiteral("0"))).value_or(0) == 1;
    o.textWithBars = StoredInt16(option(QStringLiteral("check2"), QStringLiteral("0"))).value_or(0) == 1;
    o.left = option(QStringLiteral("barcodeoffset14"), o.left);
    o.top = option(QStringLiteral("barcodeoffset15"), o.top);
    o.printer = option(QStringLiteral("c1opt"), QString());
    o.text9 = option(QStringLiteral("text9"), o.text9);
    // A value out of range (a hand-edited store) leaves the default grid.
    const int dpi = StoredInt16(option(QStringLiteral("pdfdpi"), QString())).value_or(o.pdfDpi);
    if (dpi >= printing::kMinPdfDpi && dpi <= printing::kMaxPdfDpi)
        o.pdfDpi = dpi;
    o.layout = option(QStringLiteral("layout"), QString());
    o.layoutStart = std::max(1, StoredInt16(option(QStringLiteral("layoutstart"), QString())).value_or(1));
    o.layoutRepeat = StoredBool(option(QStringLiteral("layoutrepeat"), QString())).value_or(false);
    o.rangeFrom = option(QStringLiteral("rangefrom"), o.rangeFrom);
    o.rangeTo = option(QStringLiteral("rangeto"), o.rangeTo);
    o.labelFile = option(QStringLiteral("labelfile"), QString());
    o.printSize = PrintSizeFromSetting(option(QStringLiteral("printsize"), QString()));
    o.copies = std::clamp(StoredInt16(option(QStringLiteral("copies"), QString())).value_or(1), 1, kMaxCopies);
    o.merge.path = option(QStringLiteral("mergefile"), QString());
    const QString delimiter = option(QStringLiteral("mergedelimiter"), QString());
    if (delimiter.size() == 1)
        o.merge.options.delimiter = delimiter.front();
    const QString encoding = option(QStringLiteral("mergeencoding"), QString());
    if (!encoding.isEmpty())
        o.merge.options.encoding = files::TextEncodingNamed(encoding).value_or(files::TextEncoding::Detect);
    o.merge.options.sheet = option(QStringLiteral("mergesheet"), QString());
    o.merge.options.header = StoredBool(option(QStringLiteral("mergeheader"), QString())).value_or(true);
    return o;
}

} // namespace jobs
