// The label file: a label as human-readable JSON. Every length is in mm
// and every font size in points, as the keys say ("xMm", "sizePt"); the
// label's "unit" is only how it is shown. A file says its "version", so a
// later program reads the files of this one; keys are written in one fixed
// order and format, so saving what was loaded gives the same bytes.
//
// Reading checks everything and says what is wrong and where in one
// message (the file, the part, counted from 1, and the field); saving
// writes the file whole or leaves what was there.
#pragma once

#include "core/Result.h"
#include "labels/Label.h"

#include <QByteArray>
#include <QString>

namespace labels {

inline constexpr int kLabelFileVersion = 1;
// Limits that keep a damaged or hostile file from taking the memory: a
// label of a thousand parts is some 200 KB.
inline constexpr qint64 kMaxLabelFileBytes = 1024 * 1024;
inline constexpr int kMaxParts = 1000;
inline constexpr int kMaxTextCharacters = 10000; // a barcode's or a text's, as typed
inline constexpr double kMaxLabelMm = 1000;      // a side of the label, and any length
inline constexpr double kMaxPoints = 400;        // a font size, as the program's settings allow

// The file's bytes.
QByteArray LabelToJson(const Label& label);

// The label of a file's bytes, or why they are none; `fileName` is how
// messages name the file.
core::Result<Label> LabelFromJson(const QByteArray& json, const QString& fileName);

// Reads the label file (a regular file of at most kMaxLabelFileBytes).
core::Result<Label> LoadLabel(const QString& path);

// Writes the label to `path` whole, or not at all (the file there stays
// as it was). A label that would not read back (a size below zero, a part
// off the label) is refused, saying why.
core::Status SaveLabel(const Label& label, const QString& path);

} // namespace labels
