// The window frame the twips layouts were drawn for. A window's outer size
// in the design includes its borders, title bar and (main window) menu bar,
// whose real sizes depend on the window manager: they are known only once
// the window is on screen, and there is no frame at all without a window
// manager. Sizes computed from the real frame therefore came out different
// before and after mapping and with and without a window manager. The
// windows turn outer sizes into client sizes, and back, with these fixed
// allowances instead, so their client layout is the same everywhere.
#pragma once

namespace ui {

// Left and right borders together. With it the main window's width rules
// give the widths drawn in its design at its design size (within 3 px).
inline constexpr double kDesignBordersWidthTwips = 60;

// Title bar and top and bottom borders. The chooser's folder list is drawn
// 1440 high in a client area 2760 high, and its rule makes it H - 1750
// high: H = 3190 = 2760 + 430.
inline constexpr double kDesignTitleAndBordersTwips = 430;

// The main window's menu bar. Its "hidden settings" height of 3400 then
// leaves a client area that ends where the settings begin (2640).
inline constexpr double kDesignMenuBarTwips = 330;

} // namespace ui
