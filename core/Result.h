// What went wrong, and what returns it. Everything that can fail returns a
// Result: its value, or a Failure that says what went wrong (and where) in
// whole sentences. Library code never shows anything itself; the caller
// shows a failure once (a box in the window, a line on stderr in an
// unattended run) and counts it in the result of what it was doing.
#pragma once

#include <QString>
#include <QtGlobal>
#include <cassert>
#include <optional>
#include <utility>
#include <variant>

namespace core {

// The numbers of the program's own failures, in one list: a caller tells
// failures apart by them. A run-time error a drawer traps keeps its own
// number (6, 9, 13; see RunTimeError.h), and the Code 128 engine its codes
// (5454x; see symbols/Code128Params.h), as the user sees them.
enum FailureCode : int {
    // A barcode
    kTooLongToDraw = 1001, // wider than the widest surface
    kNotDrawable,          // the symbology takes no symbol of this text
    kDoesNotScan,          // drawn, but a reader does not read it back
    kPrintFailed,          // the job did not go out (the printer, the page)
    kNotAsTyped,           // the symbol would hold another text than was typed (--strict)
    // Files
    kBadName = 2001, // an output name says no format, or has no place for a number
    kNothingToDraw,  // the drawing is empty
    kTooLarge,       // the picture would be too many pixels
    kCannotWrite,    // the folder or the file can't be written
    kCannotRead,     // a file can't be read on the way
    kLineFailed,     // one or more lines drew no barcode
    kTooManyLines,   // more lines than the number in the name can count
    kStopped,        // a stop was asked for
    kCannotOpen,     // a file can't be opened
    kLinesCut,       // lines longer than the reader takes were cut
    // Printing checks
    kLeftNotNumeric = 3001, // the left offset is not a number
    kTopNotNumeric,         // the top offset is not a number
    kNoPicture,             // there is no barcode to print
    kNotAboveZero = 3101,   // a layout's size that is not above zero
    kOverlap,               // labels of a layout that overlap
    kOffThePage,            // cells that run off the page
    kStartPastSheet,        // a start position the sheet does not have
    kUnknownLayout,         // a layout name that names none
    kBadCalibration = 3201, // a calibration that can't be used
    kWrongSheets,           // a printer whose page is not the sheets a layout asks for
    kBadPrintSize = 3301,   // a module or a width that is no size, or both asked
    // Labels
    kBadLabelFile = 4001, // a label file that can't be read as one (its text names file, part and field)
    kBadPlaceholder,      // a placeholder that is not one, or a value it can't be filled with
    kTextDoesNotFit,      // a text wider than its box even at its minimum size
    kOutsideLabel,        // a part that runs past the label's edge
    kPartNotDrawn,        // a barcode part its symbology draws no symbol of
};

// Where a failure lies, when it lies in a file, a setting or a record: what
// a list of problems is sorted and grouped by. The text names it as well.
struct Place {
    QString file;    // as the user named it
    qint64 line = 0; // from 1; 0: the file as a whole
    QString setting; // a settings key
    qint64 record = 0; // a record of a data file, from 1; 0: none
    QString field;     // a field of that record
};

struct Failure {
    int code = 0;
    QString text; // the message as shown, in full sentences
    // The drawing says it already (UPC prints its message into its
    // picture): the window shows no box; an unattended run still reports it.
    bool inPicture = false;
    Place where = {};
};

// A value, or why there is none.
template <class T>
class [[nodiscard]] Result {
public:
    Result(T value) : v_(std::in_place_index<0>, std::move(value)) {}
    Result(Failure failure) : v_(std::in_place_index<1>, std::move(failure)) {}

    bool ok() const { return v_.index() == 0; }
    bool failed() const { return !ok(); }

    const T& value() const& { return assert(ok()), std::get<0>(v_); }
    T& value() & { return assert(ok()), std::get<0>(v_); }
    T&& value() && { return assert(ok()), std::get<0>(std::move(v_)); }
    const T& operator*() const& { return value(); }
    T& operator*() & { return value(); }
    const T* operator->() const { return &value(); }
    T* operator->() { return &value(); }
    T value_or(T fallback) const& { return ok() ? value() : std::move(fallback); }

    const Failure& failure() const { return assert(failed()), std::get<1>(v_); }

private:
    std::variant<T, Failure> v_;
};

// Done, or why not.
template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Failure failure) : failure_(std::move(failure)) {}

    bool ok() const { return !failure_; }
    bool failed() const { return failure_.has_value(); }
    const Failure& failure() const { return assert(failed()), *failure_; }

private:
    std::optional<Failure> failure_;
};

using Status = Result<void>;

// A success, for readers of `return Ok();`.
inline Status Ok() { return {}; }

} // namespace core
