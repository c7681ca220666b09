// Printing the current barcode: the checks that come before the page, and
// the page itself, one picture at offsets in centimetres as one job.
#pragma once

#include "core/Failure.h"
#include "printing/Printers.h"

#include <QString>

namespace printing {

inline const QString kOffsetNotNumeric = QStringLiteral("The Barcode Offset must be a numeric value");
inline const QString kNothingToPrint = QStringLiteral("Please Generate Barocode to print");

// The codes of the checks that come before the page.
struct PrintCheckCode {
    enum : int { LeftNotNumeric = 3001, TopNotNumeric, NoPicture };
};

// The first check that stops a print, in the order they are made (the left
// offset, then the top offset, then whether there is a barcode at all), as
// a failure with its message; none when the print may go ahead.
core::MaybeFailure CheckPrint(const QString& leftText, const QString& topText, bool hasPicture);

// An offset as printing uses it: the locale's number in single precision.
double OffsetCm(const QString& text);

inline const QString kOutsideThePage =
    QStringLiteral("The barcode would be printed outside the page: check the Left and Top offsets (in cm).");

// Prints the drawing at its natural size with its top-left corner at
// (leftCm, topCm) of the printable area, as one job on the printer.
// Returns why nothing was printed (the printer failed, or no part of the
// drawing would land on the page), or nothing when the job went out.
core::MaybeFailure PrintDrawingAt(Printer& printer, const graphics::Drawing& drawing, double leftCm,
                                      double topCm);

} // namespace printing
