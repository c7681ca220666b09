// The label layouts and printer calibrations the program keeps: the
// built-in layouts with the ones a user saved, the layout printing uses
// with its start position, and each printer's calibration by its name.
#pragma once
#include "core/Result.h"
#include "printing/LabelPrinter.h"
#include "printing/PrintTarget.h"
#include "printing/SheetLayout.h"
#include <optional>
#include <vector>

namespace jobs {

// The built-in layouts, then the saved ones.
std::vector<printing::SheetLayout> AllLayouts();

// The layout chosen by name: none for "One label per job" (or no name),
// a sheet layout, or a failure naming the layouts there are. Letter case
// does not count, and a built-in layout may be named without its maker
// ("L7160").
core::Result<std::optional<printing::SheetLayout>> FindLayout(const QString& name);
// The layout a run prints on: the one `named`, else the stored one. A
// name that names no layout (a saved layout removed since) stops every
// form of printing, with this one failure.
core::Result<std::optional<printing::SheetLayout>> LayoutToPrintOn(const QString& named = {});
// The same, with a name that names no layout taken as "One label per job".
std::optional<printing::SheetLayout> ChosenLayout(const QString& name);

// Saves a layout entered by hand under its name (a saved one of that name
// is replaced). A failure when the layout can't be printed, the name is
// empty or a built-in layout's, or the settings can't be written.
core::Status SaveLayout(const printing::SheetLayout& layout);

// The printer's stored calibration; none when nothing usable is stored.
printing::Calibration StoredCalibration(const QString& printer);
// Why a calibration can't be used (a scale outside 90–110 %, a shift of
// more than 50 mm), or nothing.
core::Status CheckCalibration(const printing::Calibration& calibration);
// Checks and stores the printer's calibration.
core::Status SaveCalibration(const QString& printer, const printing::Calibration& calibration);

// A label printer's setup as the command line and the Printer Setup
// dialog give it, as text: empty is unset.
struct LabelSetupText {
    QString language; // zpl, epl, tspl
    QString darkness; // 0 to 30
    QString speed;    // 1 to 14
    QString media;    // WxH and mm or in: 2x1in
    QString dpi;      // 100 to 600
};
// The setup the texts give, or a failure naming the first that is wrong
// and what it takes. Darkness and speed are checked against the language's
// own range when a job is made.
core::Result<printing::LabelSetup> ReadLabelSetup(const LabelSetupText& text);
// A setup as its texts (what the dialog shows).
LabelSetupText LabelSetupTexts(const printing::LabelSetup& setup);
// `over` on top of `under`: what `over` sets wins.
printing::LabelSetup MergeLabelSetup(printing::LabelSetup under, const printing::LabelSetup& over);

// The printer's stored label setup; a hand-edited value that can't be read
// leaves that value unset.
printing::LabelSetup StoredLabelSetup(const QString& printer);
// Stores the printer's label setup (an empty one removes what was stored).
core::Status SaveLabelSetup(const QString& printer, const printing::LabelSetup& setup);

inline constexpr double kMinScalePercent = 90, kMaxScalePercent = 110, kMaxShiftMm = 50;

} // namespace jobs
