#include "jobs/StoredOptions.h"

#include "printing/Printers.h"

#include <algorithm>

#include "core/Numeric.h"
#include "services/Settings.h"
#include "symbols/SymbologyTable.h"

namespace jobs {

QString StoredOption(const QString& key, const QString& def)
{
    return services::GetSetting(kOptionsApp, kOptionsSection, key, def);
}

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
    return r;
}

StoredOptions ReadStoredOptions()
{
    StoredOptions o;
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
        if (StoredBool(StoredOption(QString::fromLatin1(b.key), def)).value_or(*StoredBool(def)))
            o.selected = row.symbology;
        else if (o.selected == row.symbology)
            o.selected.reset();
    }
    // A symbology of the "More:" box, when one is picked, is selected
    // instead: the option buttons' keys then all say False.
    const QString more = StoredOption(QStringLiteral("moretype"), QString());
    if (const std::optional<symbols::Symbology> picked = symbols::SymbologyNamed(more); picked && symbols::RowOf(*picked).inMoreBox)
        o.selected = picked;
    o.library.qrEcc = EccLevel(StoredOption(QStringLiteral("qrecc"), QStringLiteral("M"))).value_or('M');
    o.library.pdf417Columns = Pdf417Columns(StoredOption(QStringLiteral("pdf417columns"), QStringLiteral("0"))).value_or(0);
    o.library.rectangular = StoredInt16(StoredOption(QStringLiteral("dmrectangular"), QStringLiteral("0"))).value_or(0) == 1;
    o.showSettings = StoredOption(QStringLiteral("show"), QString()) != QLatin1String("0");
    o.linePattern = StoredOption(QStringLiteral("line"), QString());
    o.file = StoredOption(QStringLiteral("file"), QString());
    o.text8 = StoredOption(QStringLiteral("text8"), o.text8);
    o.font = StoredOption(QStringLiteral("font"), o.font);
    o.keepPattern = StoredInt16(StoredOption(QStringLiteral("check1"), QStringLiteral("0"))).value_or(0) == 1;
    o.textWithBars = StoredInt16(StoredOption(QStringLiteral("check2"), QStringLiteral("0"))).value_or(0) == 1;
    o.left = StoredOption(QStringLiteral("barcodeoffset14"), o.left);
    o.top = StoredOption(QStringLiteral("barcodeoffset15"), o.top);
    o.printer = StoredOption(QStringLiteral("c1opt"), QString());
    o.text9 = StoredOption(QStringLiteral("text9"), o.text9);
    // A value out of range (a hand-edited store) leaves the default grid.
    const int dpi = StoredInt16(StoredOption(QStringLiteral("pdfdpi"), QString())).value_or(o.pdfDpi);
    if (dpi >= printing::kMinPdfDpi && dpi <= printing::kMaxPdfDpi)
        o.pdfDpi = dpi;
    o.layout = StoredOption(QStringLiteral("layout"), QString());
    o.layoutStart = std::max(1, StoredInt16(StoredOption(QStringLiteral("layoutstart"), QString())).value_or(1));
    o.layoutRepeat = StoredBool(StoredOption(QStringLiteral("layoutrepeat"), QString())).value_or(false);
    o.rangeFrom = StoredOption(QStringLiteral("rangefrom"), o.rangeFrom);
    o.rangeTo = StoredOption(QStringLiteral("rangeto"), o.rangeTo);
    o.labelFile = StoredOption(QStringLiteral("labelfile"), QString());
    o.merge.path = StoredOption(QStringLiteral("mergefile"), QString());
    const QString delimiter = StoredOption(QStringLiteral("mergedelimiter"), QString());
    if (delimiter.size() == 1)
        o.merge.options.delimiter = delimiter.front();
    const QString encoding = StoredOption(QStringLiteral("mergeencoding"), QString());
    if (!encoding.isEmpty())
        o.merge.options.encoding = files::TextEncodingNamed(encoding).value_or(files::TextEncoding::Detect);
    o.merge.options.sheet = StoredOption(QStringLiteral("mergesheet"), QString());
    o.merge.options.header = StoredBool(StoredOption(QStringLiteral("mergeheader"), QString())).value_or(true);
    return o;
}

} // namespace jobs
