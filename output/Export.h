// Saving one barcode drawing as a file: PNG at a chosen resolution with
// every module on whole pixels, SVG and PDF as vector shapes with the text
// as text. Every format adds the quiet zones a reader needs, ten modules
// of white left and right.
//
// A file appears under its name only when it is whole (written to a hidden
// temporary file beside it, then renamed): an existing file of that name is
// replaced, a symlink of that name is replaced itself and never written
// through, and a failure leaves nothing behind. Failures come back as a
// value; nothing is shown.
#pragma once

#include "platform/Drawing.h"
#include "platform/Failure.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <functional>
#include <optional>

class QIODevice;

namespace platform {
class FileFolder;
}

namespace output {

enum class ExportFormat { Png, Svg, Pdf };

// What went wrong is the program's one failure shape: a code for the
// caller (one of ExportCode), a text for the user that names the file and
// the reason.
using ExportFailure = platform::Failure;
struct ExportCode {
    enum : int {
        BadName = 2001, // the output name says no format, or no place for a number
        NothingToDraw,  // the drawing is empty
        TooLarge,       // the picture would be too many pixels
        CannotWrite,    // the folder or the file can't be written
        CannotRead,     // the lines file can't be read
        LineFailed,     // one or more lines drew no barcode
        TooManyLines,   // more lines than the number in the name can count
        Stopped,        // a stop was asked for
    };
};
using ExportResult = std::optional<ExportFailure>;

struct ExportOptions {
    // PNG: pixels per inch, recorded in the file. A module gets the whole
    // number of pixels nearest to its size at this resolution (at least 1).
    int dpi = 300;
    // PNG: pixels per module instead; 0 leaves it to `dpi`.
    int moduleDots = 0;
};

// The widest and tallest PNG written.
inline constexpr int kMaxExportPixels = 32767;

// The format the extension of the path names: .png, .svg or .pdf, in any case.
std::optional<ExportFormat> ExportFormatOf(const QString& path);

// The PNG's picture: the drawing replayed with its quiet zones, every box
// edge on a whole pixel; grey when the drawing is black and white. Null
// when it would be larger than kMaxExportPixels on a side, or when its
// memory can't be had.
QImage ExportImage(const platform::Drawing& drawing, const ExportOptions& options);
// The SVG document. Its unit is the drawing's pixel, 1/96 inch, the unit
// of CSS and SVG: every box is a rectangle with whole-number edges, so
// equal modules stay equal.
QByteArray ExportSvg(const platform::Drawing& drawing);
// Writes the PDF, one page the size of the symbol and its quiet zones,
// the modules on the 1/100-inch grid of the built-in PDF printer. False
// when the device could not be written.
bool WriteExportPdf(const platform::Drawing& drawing, QIODevice& device);

// Writes the drawing to `path` in the format its extension names. `named`
// is called the moment the file has its name, before a stop (see
// platform::StopWatch) can end the program.
ExportResult ExportDrawing(const platform::Drawing& drawing, const QString& path, const ExportOptions& options = {},
                           const std::function<void()>& named = {});

// For writing many files in one folder, held open for the run: the same
// steps, the file getting the name of `path` in `folder` (the path's
// folder; the path itself is for messages), with the choice of making
// each file durable on disk before it gets its name (`durable`), or
// leaving that to one AtomicFile::SyncFileSystem at the end.
ExportResult WriteExport(const platform::Drawing& drawing, ExportFormat format, const platform::FileFolder& folder,
                         const QString& path, const ExportOptions& options, bool durable,
                         const std::function<void()>& named = {});

} // namespace output
