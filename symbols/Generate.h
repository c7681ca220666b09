// Generate without a window: a value that says what to draw (symbology,
// text, sizes, width, caption) turned into a drawing. The window reads its
// controls into that value once and draws on its own picture boxes; the
// printer, the exports and the command line draw on surfaces that only
// record. One table row per symbology says how it is drawn.
#pragma once

#include "core/Result.h"
#include "graphics/Surface.h"
#include "symbols/LibraryCodes.h"
#include "symbols/Symbology.h"
#include "symbols/SymbologyRow.h"

#include <QString>
#include <optional>

namespace symbols {

inline const QString kTooLongToDraw =
    QStringLiteral("The bar code text is too long to draw as one barcode. Please shorten it.");

// A size as a number, read once from its field; none when the field's text
// is not a number (each symbology then does with it what it always did:
// most fall back to the design's value, EAN refuses it).
using SizeField = std::optional<double>;

// What one Generate draws: the symbology, the text, and the sizes by their
// meaning, read from the window's fields (or the command line) once, at
// the edge, by ReadSizeFields.
struct SymbolRequest {
    Symbology symbology = Symbology::Code128B;
    QString text;
    SizeField heightFactor = 1.4; // the bars' height: a factor of the design's (not EAN)
    SizeField fontSize = 8;       // the human-readable text, in points
    SizeField barLength = 8;      // EAN only: where its bars end, in its own scale
    SizeField width = 500;        // the pattern symbols: the width asked, 800 the natural one
    bool withText = false;        // the human-readable text with the bars
    LibraryOptions library; // QR's error correction, PDF417's columns, Data Matrix's shape
    // The table the symbology is a row of: the built-in one, or a test's
    // that adds a row (it must outlive the request).
    SymbologyTable table = Symbologies();
    graphics::PrintSize printSize; // on a printer or in a file: a module or a width in mm
};

// A request from the window's fields as their texts stand: Text8 is the
// height factor and Text3 the font size, except for EAN, whose Text8 is
// its font size and Text3 its bar length; Text9 is the width.
SymbolRequest ReadSizeFields(Symbology symbology, const QString& text, const QString& text8, const QString& text3,
                             const QString& text9, bool withText, SymbologyTable table = Symbologies());

// The surfaces Generate draws on, by what they draw (see SurfaceId).
struct GenerateSurfaces {
    graphics::Surface& code39;
    graphics::Surface& pattern;
    graphics::Surface& upcA;
    graphics::Surface& ean;
    graphics::Surface& library;

    graphics::Surface& Of(SurfaceId id) const;
};

// Where each surface sits in the window and how big it is, in twips.
struct SurfaceGeometry {
    double left, top, width, height;
};
inline constexpr SurfaceGeometry kCode39SurfaceGeometry{240, 120, 6615, 855};
inline constexpr SurfaceGeometry kPatternSurfaceGeometry{240, 120, 6615, 1095};
inline constexpr SurfaceGeometry kUpcASurfaceGeometry{240, 0, 5055, 1095};
inline constexpr SurfaceGeometry kEanSurfaceGeometry{720, 840, 3600, 1095};
inline constexpr SurfaceGeometry kLibrarySurfaceGeometry{240, 120, 6615, 1095};
SurfaceGeometry GeometryOf(SurfaceId id);

struct Generated {
    // What was drawn on; none when nothing was (an empty text, a text too
    // long, an engine error). A failure can come with a drawing: the part of
    // a symbol an encoder built, or UPC's message in its picture.
    graphics::Surface* surface = nullptr;
    core::Status status;
    QString tag; // UPC: the check digit; EAN: the full code with its check digit
};

// Draws the request on the surface its symbology uses, which the caller has
// cleared. Nothing is shown: a failure comes back.
Generated GenerateOn(const SymbolRequest& request, GenerateSurfaces& surfaces);

// The Code 39 surface for a height factor and a font size: an inner height
// of 40 x the factor (1.4 and 8 for sizes that are not numbers). Code 39
// and Code 128 B size it from the request every time, so the same value
// always draws the same symbol, whatever the fields held when the height
// last changed.
void SizeCode39Surface(graphics::Surface& surface, SizeField heightFactor, SizeField fontSize);

struct Symbol {
    // What the symbology's surface holds: the symbol, or no shapes at all
    // when nothing was drawn (the surface's size still says how much room
    // the symbol would have taken in a listing).
    graphics::Drawing drawing;
    core::Status status;
    QString tag;
    // The symbology drew on its surface; a failure may still leave it blank
    // (EAN under 7 characters) or holding a message (UPC).
    bool drawn = false;
};

// Generate with no window: a fresh surface of the window's design, the one
// the symbology draws on, and its drawing.
Symbol GenerateSymbol(const SymbolRequest& request);

} // namespace symbols
