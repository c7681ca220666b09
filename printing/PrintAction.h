// Printing the current barcode: the checks that come before the page, and
// the page itself, one picture at offsets in centimetres as one job.
#pragma once

#include "core/Result.h"
#include "graphics/Drawing.h"
#include "printing/PrintTarget.h"

#include <QString>

namespace printing {

inline const QString kOffsetNotNumeric = QStringLiteral("The Barcode Offset must be a numeric value");
inline const QString kNothingToPrint = QStringLiteral("Please Generate Barocode to print");

// The first check that stops a print, in the order they are made (the left
// offset, then the top offset, then whether there is a barcode at all), as
// a failure with its message (kLeftNotNumeric, kTopNotNumeric, kNoPicture).
core::Status CheckPrint(const QString& leftText, const QString& topText, bool hasPicture);

// An offset as printing uses it: the locale's number in single precision.
double OffsetCm(const QString& text);

inline const QString kOutsideThePage =
    QStringLiteral("The barcode would be printed outside the page: check the Left and Top offsets (in cm).");

// Prints the drawing at its natural size with its top-left corner at
// (leftCm, topCm) of the printable area, as one job on the printer, on
// `copies` pages of that job: what became of the job, or why nothing was
// printed (the printer failed, or no part of the drawing would land on the
// page).
core::Result<JobDone> PrintDrawingAt(PrintTarget& printer, const graphics::Drawing& drawing, double leftCm,
                                     double topCm, int copies = 1);

} // namespace printing
