// Generate for "Code 128-1" and "Code 2/5": the bar-pattern renderer draws
// on Picture5, then the drawing is stretched to the width asked in Text9.
#include "app/Form1.h"

#include "platform/Numeric.h"
#include "platform/StretchCopy.h"
#include "platform/Units.h"
#include "symbologies/BarPattern.h"

#include <QLineEdit>
#include <algorithm>
#include <cmath>
#include <optional>

namespace app {
namespace {

using platform::PictureBox;

constexpr short kModule = 2;
constexpr float kLeft = 1;
constexpr float kTop = 20;
constexpr double kBarHeightPerFactor = 10;   // Text8 1.4 gives bars 14 pixels high
constexpr double kDefaultHeightFactor = 1.4; // as the resize step falls back to
// Far beyond any surface; a larger height would only overflow the geometry.
constexpr double kMaxBarHeight = 1e6;

// The drawing as Text9 "800" shows it; other widths scale it by Text9 / 800.
constexpr int kUnscaledWidth = 800;
// The surfaces of the stretch are made at least this wide.
constexpr double kStretchSurfaceTwips = 20000;

float BarHeightFrom(const QString& text8)
{
    double h = platform::NumberOr(text8, kDefaultHeightFactor) * kBarHeightPerFactor;
    if (std::isnan(h))
        h = kDefaultHeightFactor * kBarHeightPerFactor;
    return static_cast<float>(std::clamp(h, -kMaxBarHeight, kMaxBarHeight));
}

// The width in pixels that Text9 asks the 800 drawn pixels to take, or
// nothing when the drawing stays as drawn: an empty text, a text that is
// not a number, 800 itself, or a width under one pixel (zero or negative).
std::optional<int> StretchWidthFrom(const QString& text9)
{
    if (text9.isEmpty())
        return std::nullopt;
    const auto v = platform::ParseNumber(text9);
    if (!v || std::isnan(*v) || *v == kUnscaledWidth)
        return std::nullopt;
    // Wider than the widest surface can't be shown anyway.
    const double n = platform::RoundHalfEven(std::min(*v, double(PictureBox::kMaxPixels)));
    if (!(n >= 1))
        return std::nullopt;
    return static_cast<int>(n);
}

// The right edge, in pixels, of what the renderer drew: the last bar or
// the end of the text, whichever reaches further.
double DrawnExtent(const PictureBox& box, const QString& text, bool withText)
{
    double right = kLeft + symbologies::PatternWidth(symbologies::BarPattern, kModule);
    if (withText)
        right = std::max(right, kLeft + box.TextWidth(text));
    return std::max(0.0, std::ceil(box.ToPixelX(right)));
}

} // namespace

bool Form1::GenerateBarPattern(const QString& type)
{
    Picture5.SetScaleMode(platform::ScaleMode::Pixels); // the renderer draws in pixels here
    QString text = Text1->text();
    const float barHeight = BarHeightFrom(Text8->text());
    const bool withText = Check2Ticked();
    symbologies::DrawBarPattern(type, text, Picture5, kModule, barHeight, kLeft, kTop, withText);

    // A symbol wider than the surface would be cut at its edge: widen the
    // surface and draw the same symbol again. A type that runs no encoder
    // redraws the last pattern, and `text` already is the text encoded.
    const double drawn = DrawnExtent(Picture5, text, withText);
    if (drawn > PictureBox::kMaxPixels)
        return false;
    const int extent = static_cast<int>(drawn);
    if (extent > platform::TwipsToPixels(Picture5.Width())) {
        Picture5.SetWidth(platform::PixelsToTwips(extent));
        Picture5.Cls();
        symbologies::DrawBarPattern(QString(), text, Picture5, kModule, barHeight, kLeft, kTop, withText);
    }

    const auto asked = StretchWidthFrom(Text9->text());
    if (!asked)
        return true;

    // The whole drawing is scaled by Text9 / 800 (a drawing that fits in
    // 800 pixels comes out as the first 800 pixels scaled to Text9); rows
    // stay 1:1. The factor is held down so the result fits the widest surface.
    const int source = std::max(kUnscaledWidth, extent);
    const int units = std::min(*asked, static_cast<int>(qint64(PictureBox::kMaxPixels) * kUnscaledWidth / source));
    const int scaled = static_cast<int>((qint64(source) * units + kUnscaledWidth - 1) / kUnscaledWidth);
    const double surfaceTwips = std::max(kStretchSurfaceTwips, platform::PixelsToTwips(scaled));

    Picture5.SetWidth(std::max(surfaceTwips, Picture5.Width()));
    Picture8.SetWidth(surfaceTwips);
    Picture4.SetWidth(surfaceTwips);
    platform::StretchColumns(Picture5.Image(), source, Picture4.Raster(), units, kUnscaledWidth);
    Picture4.RasterChanged();
    // The printer gets the same stretch as shapes, not as the pixels.
    platform::Drawing stretched = Picture5.CurrentDrawing().ScaledX(double(units) / kUnscaledWidth);
    stretched.size = Picture4.Image().size();
    Picture5.Cls();
    Picture5.SetPicture(Picture4.Image(), std::move(stretched));
    Picture5.SetWidth(Picture8.Width());
    return true;
}

} // namespace app
