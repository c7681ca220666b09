// A laid-out label saved as a file: a PNG of the label's dots, an SVG in
// those dots with its size in mm, or a PDF page the label's size with its
// shapes on those dots and its text as text. Nothing is added around the
// label: its parts keep their own margins. The file appears whole under
// its name or not at all, as every export does.
#pragma once

#include "core/Result.h"
#include "graphics/Drawing.h"
#include "labels/LabelLayout.h"

#include <QString>
#include <functional>

namespace labels {

// The whole label as one drawing in its dots: every part's shapes moved
// to the part's place, the module one dot, no quiet zone (the label's own
// white is around its codes).
graphics::Drawing LabelDrawing(const LaidOutLabel& label);

// Writes the label to `path` in the format its extension names (.png,
// .svg, .pdf). `named` is called the moment the file has its name.
core::Status ExportLabel(const LaidOutLabel& label, const QString& path, const std::function<void()>& named = {});

} // namespace labels
