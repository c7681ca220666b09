// The label images in a ZPL print stream: every ~DG graphic decoded back
// into a picture (1 bits black), so a test can measure and scan what a
// label printer would print. (Whole labels of ^GF graphics, EPL2 and TSPL
// are read by LabelLanguages.h, whose hex decoder this shares.)
#pragma once

#include <QByteArray>
#include <QImage>
#include <vector>

namespace testsupport {

// The ~DG graphics of the stream, in order, each as wide as the ^PW
// (print width) that follows it. A graphic whose data is cut short or
// malformed comes back as a null image.
std::vector<QImage> ZplGraphics(const QByteArray& zpl);

} // namespace testsupport
