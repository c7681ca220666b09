// Placing widgets by twips, the unit of the window's design.
#pragma once

#include "core/Units.h"

#include <QString>
#include <QWidget>
#include <cmath>

namespace ui {

// The main window's client area as designed.
inline constexpr double kClientWidthTwips = 7425;
// The type frame's row, taller than designed (975) so the More box has a
// line of its own, and the printed size's row under the size frame.
inline constexpr double kTypeRowHeight = 1335;
inline constexpr double kPrintSizeRowTwips = 720;
inline constexpr double kRowsAddedTwips = kTypeRowHeight - 975 + kPrintSizeRowTwips;
inline constexpr double kClientHeightTwips = 6465 + kRowsAddedTwips;
// The drawing frame's height as designed; it grows for a taller symbol.
inline constexpr double kFrame9HeightTwips = 1095;

inline int TwipsToPx(double twips) { return static_cast<int>(std::lround(core::TwipsToPixels(twips))); }
inline double PxToTwips(int px) { return core::PixelsToTwips(px); }

inline void Place(QWidget* w, double left, double top, double width, double height)
{
    w->setGeometry(TwipsToPx(left), TwipsToPx(top), TwipsToPx(width), TwipsToPx(height));
}

// A captioned control (label, box, button, frame) at twips geometry.
template <class Widget>
Widget* Make(QWidget* parent, const QString& text, double left, double top, double width, double height)
{
    auto* w = new Widget(text, parent);
    Place(w, left, top, width, height);
    return w;
}

} // namespace ui
