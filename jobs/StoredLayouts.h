// The label layouts and printer calibrations the program keeps: the
// built-in layouts with the ones a user saved, the layout printing uses
// with its start position, and each printer's calibration by its name.
#pragma once
#include "core/Result.h"
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

inline constexpr double kMinScalePercent = 90, kMaxScalePercent = 110, kMaxShiftMm = 50;

} // namespace jobs
