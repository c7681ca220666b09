// Texts of the main window's help and about boxes, and the width rules
// that follow the window's width, as plain functions.
#pragma once

#include "core/About.h"

#include <QString>
#include <initializer_list>

class QComboBox;
class QWidget;

namespace ui {

// The help text: six lines, each ended by CR LF; the last one names the
// program's own file name in its example command line.
QString HelpText(const QString& programFileName);
QString HelpText(); // with the running program's file name

QString AboutText();

// The height in pixels of the main window's controls area (below the menu
// bar, above the status line) for an outer height in twips.
int CentralHeightForOuter(double outerTwips);

// Widths (twips) the main window's resize rules give, from the window's
// outer width W and the lefts of the controls they depend on.
struct ResizeWidths {
    double Frame9, FrameOptions, FramePrinter, FrameLinePattern;
};
ResizeWidths WidthsForWindow(double outerWidth, double frameOptionsLeft, double framePrinterLeft,
                             double frameLinePatternLeft);

// The width a control needs to show its caption whole, in pixels; 0 for
// controls without a caption.
int CaptionWidth(const QWidget* control);

// The geometry in twips was laid out for a narrower face than most
// platforms use, so some captions would be clipped. A control whose
// caption does not fit takes the free room to its right inside its
// container; when that is not enough, its face is condensed, and as a last
// resort made smaller, down to 7 points. `leave` names controls that are
// meant to be cut off by their frame.
void FitCaptions(QWidget* root, std::initializer_list<const QWidget*> leave);

// The same for an editable combo box and the names it lists and its
// placeholder: condensed, then smaller down to 7 points, until the longest
// fits its text field. Its drop-down list is made wide enough for all.
void FitComboText(QComboBox* combo);

// Tab moves through the controls below `root` as they are placed: frame
// by frame, top-down and left to right, and so within each frame (a row is
// the controls whose tops lie within a few pixels).
void OrderTabsByPlace(QWidget* root);

} // namespace ui
