// A drawing as lines of text, every shape and text with its coordinates,
// for tables that hold what was drawn against what is drawn now.
#pragma once

#include "core/Result.h"
#include "graphics/Drawing.h"

#include <QStringList>

namespace testsupport {

// A text on one line of a table: line ends and backslashes escaped.
QString Escaped(QString text);

QStringList SerializeDrawing(const graphics::Drawing& drawing);
// The drawing, then the failure and the tag that came with it.
QStringList SerializeSymbol(const graphics::Drawing& drawing, const core::Status& status, const QString& tag);

} // namespace testsupport
