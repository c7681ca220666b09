// Unit conversions at the platform boundary: window geometry is in twips
// (1/1440 inch), drawing surfaces are raster images at 96 pixels per inch.
#pragma once

namespace core {

inline constexpr double kTwipsPerInch = 1440.0;
inline constexpr double kSurfaceDpi = 96.0;                           // resolution every surface is drawn at
inline constexpr double kTwipsPerPixel = kTwipsPerInch / kSurfaceDpi; // 15
inline constexpr double kCmPerInch = 2.54;
inline constexpr double kMmPerInch = 25.4;

// The sides a PDF page can have, and so every page and label the program
// makes: at most 200 inches (14,400 points; readers refuse larger pages),
// at least 3 points, rounded up to a tenth of a millimetre.
inline constexpr double kMaxPageInches = 200;
inline constexpr double kMaxPageMm = kMaxPageInches * kMmPerInch;
inline constexpr double kMinPageMm = 1.1;

constexpr double TwipsToPixels(double twips) { return twips / kTwipsPerPixel; }
constexpr double PixelsToTwips(double pixels) { return pixels * kTwipsPerPixel; }
constexpr double PointsToPixels(double points) { return points * kSurfaceDpi / 72.0; }

} // namespace core
