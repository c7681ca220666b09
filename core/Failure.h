// What went wrong, as library code returns it: a number the user can quote
// and the text to show. Library code never shows anything itself; the
// caller shows a failure once (a box in the window, a line on stderr in an
// unattended run) and counts it in the result of what it was doing.
#pragma once

#include <QString>
#include <optional>

namespace core {

struct Failure {
    int code = 0;  // a run-time error (6, 9, 13), an engine code (5454x), or one of ours below
    QString text;  // the message as shown, in full
    // The drawing says it already (UPC prints its message into its picture):
    // the window shows no box; an unattended run still reports it.
    bool inPicture = false;
};

using MaybeFailure = std::optional<Failure>;

// Codes of the failures that are ours (run-time errors and the engine's
// codes keep their own numbers).
inline constexpr int kTooLongToDraw = 1001;  // wider than the widest surface
inline constexpr int kNotDrawable = 1002;    // the symbology takes no symbol of this text
inline constexpr int kDoesNotScan = 1003;    // drawn, but a reader does not read it back
inline constexpr int kPrintFailed = 1004;    // the job did not go out (the printer, the page)
inline constexpr int kNotAsTyped = 1005;     // the symbol would hold another text than was typed (--strict)

} // namespace core
