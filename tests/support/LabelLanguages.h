// Reading label printer streams back: every label of a ZPL, EPL2 or TSPL
// stream as the picture it prints (ZPL's ^GF in hex with its run-length
// letters, :B64: and :Z64: with their CRC checked; EPL2's GW; TSPL's
// BITMAP) and the numbers its commands set, so a test can compare what a
// printer would print with what was drawn.
#pragma once

#include "core/Result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>
#include <QPoint>
#include <QStringList>
#include <optional>
#include <vector>

namespace testsupport {

struct ReadLabel {
    // The label's graphic: one pixel per dot, 0 where a dot prints and 255
    // where none does, as wide as its rows' bytes (a multiple of 8). Null
    // when the label has no graphic.
    QImage picture;
    QPoint at; // where it is placed: ^FO, or GW's and BITMAP's x,y
    // ZPL ^PW and ^LL; EPL2 q and Q (length, gap), in dots.
    std::optional<int> width, length, gap;
    // TSPL SIZE and GAP, in millimetres.
    std::optional<double> widthMm, lengthMm, gapMm;
    // ~SD, D or DENSITY; ^PR, S or SPEED; ^PQ, P or PRINT's copies.
    std::optional<int> darkness, speed, copies;
    // Every command of the label by name, in order: "^XA", "^PW", "~SD" …;
    // "N", "q", "GW" …; "SIZE", "CLS", "BITMAP" …
    QStringList commands;
};

// Every label of the stream, in order; a failure naming the label and the
// command when one can't be read (a wrong CRC, data cut short, a number
// that is none, commands left after the last label).
core::Result<std::vector<ReadLabel>> ReadZplLabels(const QByteArray& zpl);
core::Result<std::vector<ReadLabel>> ReadEpl2Labels(const QByteArray& epl);
core::Result<std::vector<ReadLabel>> ReadTsplLabels(const QByteArray& tspl);

// ZPL's hex graphic data from `at`: `rows` rows of `rowBytes` bytes, a 1
// bit a dot. Repeat counts stand before a digit (G..Y: 1..19, g..z: 20..400
// in steps of 20, added up), "," ends a row with 0s, "!" with 1s, ":"
// repeats the row before; other characters (line ends) are skipped, and a
// "^" or "~" (the next command) ends the data. `at` is left after the
// last character read. A failure when the data is cut short or overfills
// a row.
core::Result<QByteArray> ZplHexBitmap(const QByteArray& data, qsizetype& at, int rows, int rowBytes);

// CRC-16/XMODEM, computed bit by bit (apart from the program's table).
quint16 Crc16Xmodem(QByteArrayView bytes);

// A bitmap of `rowBytes` a row as a picture of the kind ReadLabel holds:
// 0 where a dot prints. `oneIsDot`: ZPL's sense; EPL2 and TSPL print 0s.
QImage BitmapPicture(QByteArrayView bits, int rowBytes, int rows, bool oneIsDot);

} // namespace testsupport
