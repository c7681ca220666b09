// Texts of the main window's help and about boxes, and the width rules
// that follow the window's width, as plain functions.
#pragma once

#include <QString>

namespace app {

inline const QString kWebAddress = QStringLiteral("https://quorvane.example.org");
inline const QString kHelpAboutTitle = QStringLiteral("Quorvane 4.1");

// The help text: six lines, each ended by CR LF; the last one names the
// program's own file name in its example command line.
QString HelpText(const QString& programFileName);
QString HelpText(); // with the running program's file name

QString AboutText();

// Widths (twips) the main window's resize rules give, from the window's
// outer width W and the lefts of the controls they depend on.
struct ResizeWidths {
    double Frame9, FrameOptions, FramePrinter, FrameLinePattern;
};
ResizeWidths WidthsForWindow(double outerWidth, double frameOptionsLeft, double framePrinterLeft,
                             double frameLinePatternLeft);

} // namespace app
