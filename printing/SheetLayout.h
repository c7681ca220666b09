// Sheets of labels: where each label of a sheet lies (page size, label
// size, columns and rows, pitch and margins), the built-in table of common
// A4 and Letter products, the checks that a layout can be printed, and the
// cell every label of a run of labels goes into.
#pragma once
#include "core/Result.h"
#include <QPointF>
#include <QSizeF>
#include <QString>
#include <optional>
#include <vector>

namespace printing {

// The layout choice that prints one barcode per job, as on a roll of
// single labels: no sheet at all.
inline const QString kOneLabelPerJob = QStringLiteral("One label per job");

struct SheetLayout {
    QString name;
    QSizeF pageMm;     // the sheet
    QSizeF labelMm;    // one label
    int columns = 1;
    int rows = 1;
    double pitchXMm = 0; // from one label's left edge to the next one's
    double pitchYMm = 0; // from one label's top edge to the one below
    double leftMm = 0;   // from the sheet's left edge to the first column
    double topMm = 0;    // from the sheet's top edge to the first row
    bool inches = false; // shown and entered in inches (Letter products)

    int LabelsPerSheet() const { return columns * rows; }
    // The top-left corner of a label (0 is the first, row by row) from the
    // sheet's top-left corner.
    QPointF CellCornerMm(int cell) const;
};

// The built-in layouts, dimensions as their makers publish them.
const std::vector<SheetLayout>& BuiltInLayouts();

// Why the layout can't be printed (a size that is not above zero, labels
// that overlap, cells that run off the page), when it can't.
core::Status CheckLayout(const SheetLayout& layout);

// Why a start position (1 is the sheet's first label) can't be used with
// the layout, when it can't.
core::Status CheckStart(const SheetLayout& layout, int start);

// The start position of a label given by its row and column (from 1),
// or why the sheet has no such label.
core::Result<int> StartAtRowColumn(const SheetLayout& layout, int row, int column);

// The page's name when it is A4 or Letter, else its size.
QString PageName(const SheetLayout& layout);

// One line for `quorvane layouts`: name, page, columns × rows, label size,
// pitch and margins, separated by tabs.
QString DescribeLayout(const SheetLayout& layout);

// A layout as settings keep it ("page=210x297;label=63.5x38.1;grid=3x7;
// pitch=66.04x38.1;margins=7.25,15.15;unit=mm", sizes in mm), and back;
// nothing for a value that is not one.
QString LayoutToSetting(const SheetLayout& layout);
std::optional<SheetLayout> LayoutFromSetting(const QString& name, const QString& value);

// Where one label of a run goes: its sheet (0 is the first) and its cell.
struct LabelCell {
    int sheet = 0;
    int cell = 0;
};
// The cell of the label `index` (0 is the run's first label) when the
// first sheet's labels before `start` are used already.
LabelCell CellOfLabel(const SheetLayout& layout, int start, qint64 index);

} // namespace printing
