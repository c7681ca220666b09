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

#include "core/Result.h"
#include "graphics/Drawing.h"
#include "graphics/Raster.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <functional>
#include <optional>

class QIODevice;

namespace files {

class FileFolder;

enum class ExportFormat { Png, Svg, Pdf };

// PNG: the resolution, or the pixels per module (see graphics::RasterOptions).
using ExportOptions = graphics::RasterOptions;

// Checks the picture a PNG is about to hold (that it scans, at the size
// written); a failure writes nothing.
using PictureCheck = std::function<core::Status(const QImage&)>;

// The size a PNG's picture is drawn at, as a message says it: "at 2
// pixels a module", "at 300 dpi".
QString PictureSize(const ExportOptions& options);

// The format the extension of the path names: .png, .svg or .pdf, in any case.
std::optional<ExportFormat> ExportFormatOf(const QString& path);

// The SVG document. Its unit is the drawing's pixel, 1/96 inch, the unit
// of CSS and SVG: every box is a rectangle with whole-number edges, so
// equal modules stay equal. A drawing in the dots of another resolution
// (a label laid out for a printer) keeps its dots as the unit, and the
// document states its size in mm.
QByteArray ExportSvg(const graphics::Drawing& drawing, double unitsPerInch = 96);
// Writes the PDF, one page the size of the symbol and its quiet zones,
// the modules on the 1/100-inch grid of the built-in PDF printer. False
// when the device could not be written.
bool WriteExportPdf(const graphics::Drawing& drawing, QIODevice& device);

// Writes the drawing to `path` in the format its extension names. `named`
// is called the moment the file has its name, before a stop (see
// services::StopWatch) can end the program.
core::Status ExportDrawing(const graphics::Drawing& drawing, const QString& path, const ExportOptions& options = {},
                           const std::function<void()>& named = {}, const PictureCheck& check = {});

// For writing many files in one folder, held open for the run: the same
// steps, the file getting the name of `path` in `folder` (the path's
// folder; the path itself is for messages), with the choice of making
// each file durable on disk before it gets its name (`durable`), or
// leaving that to one AtomicFile::SyncFileSystem at the end.
core::Status WriteExport(const graphics::Drawing& drawing, ExportFormat format, const FileFolder& folder,
                         const QString& path, const ExportOptions& options, bool durable,
                         const std::function<void()>& named = {}, const PictureCheck& check = {});

// A file name for a barcode's text, for Save As to suggest: the text with
// the characters no file name takes (and control characters) made "_",
// at most 60 characters, "barcode" for a text that leaves nothing.
QString SuggestedFileName(const QString& text);
// The path with the extension of the type picked in the dialog's filter
// ("... (*.svg)") added, unless it already ends in one an export writes.
QString WithExtensionOf(const QString& path, const QString& filter);

} // namespace files
