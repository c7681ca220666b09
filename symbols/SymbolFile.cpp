#include "symbols/SymbolFile.h"

#include "symbols/ScanCheck.h"
#include "symbols/SymbologyTable.h"

namespace symbols {
namespace {

// A line's text as a message shows it: a very long one by its start.
QString Shown(const QString& text)
{
    constexpr qsizetype kShown = 60;
    return text.size() <= kShown ? text : text.left(kShown) + QStringLiteral("...");
}

} // namespace

core::Result<SymbolFile> DrawForFile(const SymbolRequest& request, bool verify, bool strict)
{
    Symbol symbol = GenerateSymbol(request);
    const QString caption = QLatin1String(RowOf(request.symbology, request.table).caption);
    if (symbol.status.failed()) {
        core::Failure f = symbol.status.failure();
        f.text = QStringLiteral("no %1 barcode of \"%2\": %3").arg(caption, Shown(request.text), f.text);
        return f;
    }
    if (symbol.drawing.IsEmpty())
        return core::Failure{core::kNotDrawable, QStringLiteral("no %1 barcode of an empty text").arg(caption)};
    graphics::Drawing drawing = std::move(symbol.drawing).Cropped();
    if (verify) {
        const ScanResult scan = ScanCheck(drawing, ExpectedScan(request.symbology, request.text, request.table));
        if (scan.Fails())
            return core::Failure{core::kDoesNotScan, QStringLiteral("the %1 barcode of \"%2\" %3")
                                                         .arg(caption, Shown(request.text), scan.Text())};
    }
    const QString note = HoldsOtherText(request.symbology, request.text, request.table);
    if (strict && !note.isEmpty())
        return core::Failure{core::kNotAsTyped, note};
    return SymbolFile{std::move(drawing), note};
}

core::Status ScansInPicture(const QImage& picture, const SymbolRequest& request, const QString& size)
{
    const ScanResult scan = ScanImage(picture, ExpectedScan(request.symbology, request.text, request.table));
    if (!scan.Fails())
        return core::Ok();
    const QString caption = QLatin1String(RowOf(request.symbology, request.table).caption);
    return core::Failure{core::kDoesNotScan, QStringLiteral("the %1 barcode of \"%2\" %3 in the picture written %4")
                                                 .arg(caption, Shown(request.text), scan.Text(), size)};
}

} // namespace symbols
