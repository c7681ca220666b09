// The "Code 128 B" step of Generate: the layout engine's record filled from
// the request, encoded, and laid out on the Code 39 surface.
#pragma once

#include "symbols/Code128Engine.h"
#include "symbols/Generate.h"

namespace symbols {

// The engine's font size: the number rounded to an integer (halves to
// even); 0, which the engine refuses, for a size that is not a number or
// lies beyond the 32-bit range.
std::int32_t EngineFontSize(std::optional<double> size);

// The engine's record for a request: the text with check character, below
// it the text as caption when asked, 40 pixels of bars a module wide from
// (2, 1), black on white.
Code128Params Code128Record(const SymbolRequest& request);

// Clears the surface and has the layout engine draw the request's text on
// it, the surface widened when the symbol is wider: what the drawing filled
// (empty when nothing was drawn). An engine error comes back with the
// engine's one message, and nothing is drawn.
core::Result<Code128Area> RunCode128Engine(const SymbolRequest& request, graphics::Surface& surface);

} // namespace symbols
