// The "Code 128 B" step of Generate: the layout engine's request record,
// kept for the whole run and refilled on every Generate.
#pragma once

#include "app/Generate.h"
#include "code128engine/Code128Params.h"

namespace app {

// Written by RunCode128Engine; after a successful drawing its
// TotalWidth and TotalHeight hold the size of the drawn area.
extern code128engine::Code128Params code128Request;

// The engine's font size: the number rounded to an integer (halves to
// even); 0, which the engine refuses, for a size that is not a number or
// lies beyond the 32-bit range.
std::int32_t EngineFontSize(std::optional<double> size);

// Clears Picture1 and has the layout engine draw the request's text on it,
// Picture1 widened when the symbol is wider. An engine error comes back
// with the engine's one message, and nothing is drawn.
platform::MaybeFailure RunCode128Engine(const SymbolRequest& request, platform::Surface& picture1);

} // namespace app
