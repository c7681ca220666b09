// The user's guide Help > Manual shows: the README's sections for users
// (printing, saving, the command line, the symbologies, the screen), built
// into the program from the README when the build is configured.
#pragma once

namespace ui {

extern const char* const kManualMarkdown; // Markdown, UTF-8

} // namespace ui
