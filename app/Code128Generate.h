// The "Code 128 B" step of Generate: the layout engine's request record,
// kept for the whole run and refilled on every Generate.
#pragma once

#include "code128engine/Code128Params.h"

namespace app {

// Written by Form1::RunCode128Engine; after a successful drawing its
// TotalWidth and TotalHeight hold the size of the drawn area.
extern code128engine::Code128Params code128Request;

// The engine's font size from the text of Text3: the number rounded to an
// integer (halves to even); 0, which the engine refuses, for a text that
// is not a number or lies beyond the 32-bit range.
std::int32_t FontSizeFromText(const QString& text);

} // namespace app
