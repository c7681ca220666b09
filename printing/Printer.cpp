#include "printing/Printer.h"

#include "core/Units.h"

#include <algorithm>

namespace printing {
namespace {

constexpr double kMmPerInch = 25.4;

double MmPerUnit(PrinterScale scale)
{
    switch (scale) {
    case PrinterScale::Twips: return kMmPerInch / core::kTwipsPerInch;
    case PrinterScale::Points: return kMmPerInch / 72.0;
    case PrinterScale::Inches: return kMmPerInch;
    case PrinterScale::Millimeters: return 1.0;
    case PrinterScale::Centimeters: return 10.0;
    }
    return 1.0;
}

// The printer font: a fixed-pitch face keeps the columns of a text listing.
QFont PrinterFont()
{
    QFont f(QStringLiteral("DejaVu Sans Mono"));
    f.setStyleHint(QFont::Monospace);
    f.setPointSizeF(10);
    return f;
}

} // namespace

Printer::Printer(PrintTarget& target) : target_(target), font_(PrinterFont()) {}

Printer::~Printer() { KillDoc(); }

double Printer::unitsPerMm() const { return 1.0 / MmPerUnit(scale_); }

core::Status Printer::Begin()
{
    if (page_ || state_.failed())
        return state_;
    core::Result<JobPage> page = target_.Begin(paper_);
    if (page.failed())
        return state_ = page.failure();
    page_ = *page;
    text_ = target_.MeasureText(font_);
    xMm_ = yMm_ = 0;
    return state_;
}

double Printer::ScaleWidth() { return Begin().ok() ? page_->printableMm.width() * unitsPerMm() : 0; }
double Printer::ScaleHeight() { return Begin().ok() ? page_->printableMm.height() * unitsPerMm() : 0; }
double Printer::PaperLeft() { return Begin().ok() ? page_->marginsMm.left() * unitsPerMm() : 0; }
double Printer::PaperTop() { return Begin().ok() ? page_->marginsMm.top() * unitsPerMm() : 0; }
QSizeF Printer::SheetMm() { return Begin().ok() ? page_->sheetMm : QSizeF(); }
double Printer::TextHeight() { return Begin().ok() ? text_.lineMm * unitsPerMm() : 0; }

void Printer::SetFontPoints(double points)
{
    font_.setPointSizeF(points);
    if (page_)
        text_ = target_.MeasureText(font_);
}

TextMeasures Printer::FontMeasures() { return Begin().ok() ? text_ : TextMeasures{}; }

double Printer::CurrentX() const { return xMm_ * unitsPerMm(); }
double Printer::CurrentY() const { return yMm_ * unitsPerMm(); }

void Printer::MoveDownTo(double y)
{
    yMm_ = std::max(yMm_, y / unitsPerMm());
}

core::Status Printer::PaintDrawing(const graphics::Drawing& drawing, double x, double y)
{
    if (const core::Status begun = Begin(); begun.failed())
        return begun;
    target_.PlaceDrawing(drawing, QPointF(x, y) / unitsPerMm());
    return state_;
}

core::Status Printer::PaintLabel(const labels::LaidOutLabel& label, double x, double y)
{
    if (const core::Status begun = Begin(); begun.failed())
        return begun;
    target_.PlaceLabel(label, QPointF(x, y) / unitsPerMm());
    return state_;
}

double Printer::GridDpi() { return Begin().ok() ? page_->gridDpi : 0; }

double Printer::DrawingWidth(const graphics::Drawing& drawing)
{
    return Begin().ok() ? target_.DrawingSizeMm(drawing).width() * unitsPerMm() : 0;
}

double Printer::DrawingHeight(const graphics::Drawing& drawing)
{
    return Begin().ok() ? target_.DrawingSizeMm(drawing).height() * unitsPerMm() : 0;
}

void Printer::PaintLineMm(const QLineF& sheetMm, double widthMm)
{
    if (Begin().failed())
        return;
    const QPointF corner(page_->marginsMm.left(), page_->marginsMm.top());
    target_.PlaceLine(sheetMm.translated(-corner), widthMm);
}

void Printer::PaintTextMm(const QPointF& at, const QString& text)
{
    if (Begin().failed())
        return;
    const QPointF corner(page_->marginsMm.left(), page_->marginsMm.top());
    target_.PlaceText(at - corner, text, font_);
}

core::Status Printer::Print(const QString& text)
{
    if (const core::Status begun = Begin(); begun.failed())
        return begun;
    // Text past the right edge of the page is never seen; drawing it would
    // only cost time on very long lines.
    const qsizetype maxChars = static_cast<qsizetype>(2 * page_->printableMm.width() / text_.charMm) + 16;
    for (const QString& line : text.split(QStringLiteral("\r\n"))) {
        if (yMm_ > 0 && yMm_ + text_.lineMm > page_->printableMm.height() + 1e-9)
            if (const core::Status paged = NewPage(); paged.failed())
                return paged;
        if (!line.trimmed().isEmpty()) // blanks leave no mark
            target_.PlaceText(QPointF(xMm_, yMm_ + text_.ascentMm), line.left(maxChars), font_);
        xMm_ = 0;
        yMm_ += text_.lineMm;
    }
    return state_;
}

core::Status Printer::NewPage()
{
    if (const core::Status begun = Begin(); begun.failed())
        return begun;
    xMm_ = yMm_ = 0;
    return state_ = target_.NewPage();
}

core::Result<JobDone> Printer::EndDoc()
{
    const core::Status state = std::exchange(state_, core::Ok());
    const bool begun = page_.has_value();
    page_.reset();
    xMm_ = yMm_ = 0;
    if (state.failed()) {
        target_.Abort();
        return state.failure();
    }
    return begun ? target_.End() : core::Result<JobDone>(JobDone{});
}

void Printer::KillDoc()
{
    target_.Abort();
    page_.reset();
    state_ = core::Ok();
    xMm_ = yMm_ = 0;
}

} // namespace printing
