#include "labels/LabelExport.h"

#include "files/AtomicFile.h"
#include "files/Export.h"
#include "files/MonoPng.h"
#include "files/PdfDocument.h"
#include "services/Termination.h"

#include <QFileInfo>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <cmath>

namespace labels {
namespace {

QImage Picture(const LaidOutLabel& label)
{
    QImage image(label.sizeDots, QImage::Format_Grayscale8);
    if (image.isNull())
        return image;
    const int perMeter = static_cast<int>(std::lround(label.dpi / 0.0254));
    image.setDotsPerMeterX(perMeter);
    image.setDotsPerMeterY(perMeter);
    image.fill(Qt::white);
    QPainter painter(&image);
    PaintLabel(label, painter, {}, graphics::DeviceGrid(label.dpi, label.dpi));
    painter.end();
    return image;
}

bool WritePdf(const LaidOutLabel& label, QIODevice& device)
{
    files::PdfDocument pdf(&device,
                           QPageLayout(QPageSize(label.sizeMm, QPageSize::Millimeter, QString(), QPageSize::ExactMatch),
                                       QPageLayout::Portrait, QMarginsF(), QPageLayout::Millimeter, QMarginsF()),
                           files::kPdfResolution);
    pdf.SetTitle(QStringLiteral("Quorvane"));
    pdf.SetCreator(QStringLiteral("Quorvane"));
    QPainter painter;
    if (!painter.begin(&pdf))
        return false;
    PaintLabel(label, painter, {}, graphics::DeviceGrid(files::kPdfResolution, label.dpi));
    return painter.end();
}

} // namespace

graphics::Drawing LabelDrawing(const LaidOutLabel& label)
{
    using graphics::DrawOp;
    graphics::Drawing out;
    out.size = label.sizeDots;
    out.module = 1;
    out.moduleOrigin = 0;
    out.quietModules = 0;
    out.quietAbove = false;
    for (const LaidOutPart& part : label.parts) {
        const QPoint at = part.box.topLeft();
        for (const DrawOp& op : part.drawing.Ops()) {
            switch (op.kind) {
            case DrawOp::Kind::Fill: out.AddFill(op.box.translated(at), op.color); break;
            case DrawOp::Kind::Line: out.AddLine(op.line.translated(at), op.width, op.color); break;
            case DrawOp::Kind::Image: out.AddImage(op.image->scaled(op.box.size()), op.box.topLeft() + at); break;
            case DrawOp::Kind::Text: {
                DrawOp moved = op;
                moved.baseline += at;
                out.AddText(moved);
                break;
            }
            }
        }
    }
    return out;
}

core::Status ExportLabel(const LaidOutLabel& label, const QString& path, const std::function<void()>& named)
{
    const QString shown = files::ShownPath(path);
    const std::optional<files::ExportFormat> format = files::ExportFormatOf(path);
    if (!format)
        return core::Failure{core::kBadName, QStringLiteral("The file name %1 does not end in .png, .svg or .pdf.").arg(shown)};
    const auto cannot = [&](const QString& reason) {
        return core::Failure{core::kCannotWrite, QStringLiteral("Cannot write %1: %2.").arg(shown, reason)};
    };
    const QString suffix = QStringLiteral(".%1.part").arg(QFileInfo(path).suffix().toLower());
    const QString folder = QFileInfo(path).absolutePath();
    files::AtomicFile::RemoveAbandoned(folder, suffix);
    files::AtomicFile file;
    if (const core::Status created = file.Create(folder, suffix); created.failed())
        return cannot(created.failure().text);
    bool written = false;
    switch (*format) {
    case files::ExportFormat::Png: {
        const QImage image = Picture(label);
        if (image.isNull()) {
            file.Discard();
            return core::Failure{core::kTooLarge, QStringLiteral("There is not enough memory for the picture for %1 (%2 by %3 "
                                                                 "dots).")
                                                      .arg(shown)
                                                      .arg(label.sizeDots.width())
                                                      .arg(label.sizeDots.height())};
        }
        const QByteArray png = files::MonoPng(image, image.dotsPerMeterX());
        written = !png.isEmpty() && file.Write(png);
        break;
    }
    case files::ExportFormat::Svg: written = file.Write(files::ExportSvg(LabelDrawing(label), label.dpi)); break;
    case files::ExportFormat::Pdf: written = WritePdf(label, *file.Device()); break;
    }
    const core::Status whole = file.Complete();
    if (!written || whole.failed()) {
        file.Discard();
        return cannot(whole.failed() ? whole.failure().text : QStringLiteral("the file could not be written"));
    }
    const auto hold = services::HoldOffStop();
    if (const core::Status replaced = file.ReplaceAs(path); replaced.failed())
        return cannot(replaced.failure().text);
    if (named)
        named();
    return core::Ok();
}

} // namespace labels
