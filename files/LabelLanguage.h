// Labels in a label printer's own language: one picture whose pixels are
// the printer's dots, written as one label of ZPL II, EPL2 or TSPL that
// prints it dot for dot, with no driver in between to scale or dither it.
//
// What each language gets, and why:
// - ZPL: `^XA ^PW ^LL ^LH0,0 [~SD] [^PR] ^FO0,0^GFA…^FS ^PQ ^XZ`. The
//   picture is one graphic field in the `:Z64:` form (deflated, then
//   Base64, with its CRC): a barcode's rows repeat, so even zlib's fastest
//   level packs a 4 × 6 in label to about a kilobyte, where plain hex
//   would take twice the bitmap's 124 kB; and unlike binary `^GFB` it is
//   plain text that survives any spooler. `^LH0,0` is
//   sent because the home position outlives the format that set it. The
//   graphic is placed directly (`^FO…^GF`) rather than stored with `~DG`
//   and recalled, so nothing is left in the printer's memory.
// - EPL2: a line feed, `N q Q [S] [D] GW P`. The line feed ends whatever
//   half line the printer holds, so `N` starts a command line; `q` and
//   `Q` set the label from the settings rather than from what the printer
//   last learnt. The `GW` data is raw bytes, counted by the printer.
// - TSPL: `SIZE GAP [DENSITY] [SPEED] DIRECTION 0,0 CLS BITMAP PRINT`, each
//   line ending in CR LF as in TSC's guide. TSPL measures the label in
//   millimetres: the dots become the next hundredth of a millimetre above
//   their exact length, so a printer that truncates on the way back and
//   one that rounds both get the exact number of dots.
// Darkness and speed are written only when the user set them, so the
// printer's own setting (often tuned to its media) stands otherwise.
//
// A pixel prints a dot when it is dark: qGray below 128. The rows are
// packed eight dots a byte, the leftmost dot in the high bit; the bits that
// fill a row's last byte print nothing.
#pragma once

#include "core/Result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>
#include <QString>
#include <QStringList>
#include <optional>

namespace files {

enum class LabelLanguage { Zpl, Epl2, Tspl };

// The language's name on the command line: "zpl", "epl", "tspl".
QString LabelLanguageName(LabelLanguage language);
// The language as messages and the dry run name it: "ZPL", "EPL2", "TSPL".
QString LabelLanguageTitle(LabelLanguage language);
// Every name LabelLanguageName gives, in the enum's order.
QStringList LabelLanguageNames();
// The language of a name (any case; "epl2" is taken for "epl"), or a
// failure that lists the names there are.
core::Result<LabelLanguage> ParseLabelLanguage(const QString& name);

// The language a file's extension names: .zpl, .epl (or .epl2), .tspl,
// in any case; none for any other.
std::optional<LabelLanguage> LabelLanguageOfPath(const QString& path);

// The widest and longest label written, in dots (ZPL's limit for ^PW and ^LL).
inline constexpr int kMaxLabelDots = 32000;

// One label: its size on the printer, and how the printer is to print it.
struct LabelSettings {
    int width = 0;  // dots across; the picture is placed at 0,0 and may be smaller
    int height = 0; // dots down the label
    int dpi = 203;  // the printer's dots per inch (100 to 600): TSPL sizes the label in millimetres
    int gap = 24;   // dots of backing between labels (EPL2, TSPL): 3 mm at 203 dpi
    int copies = 1;
    // In the language's own numbers, written only when set: darkness is
    // ~SD 0–30 in ZPL, D 0–15 in EPL2, DENSITY 0–15 in TSPL; speed is ^PR
    // 1–14 inches per second in ZPL, EPL2's S 1–6 (a model's speed table),
    // TSPL's SPEED 1–14 inches per second.
    std::optional<int> darkness;
    std::optional<int> speed;
};

// Appends the label of the picture to `stream`. A failure (nothing
// appended) when the picture is empty or larger than the label, or a
// setting is out of the language's range; the failure says which.
core::Status AppendLabel(QByteArray& stream, LabelLanguage language, const QImage& picture,
                         const LabelSettings& settings);

// The label of the picture on its own.
core::Result<QByteArray> LabelBytes(LabelLanguage language, const QImage& picture, const LabelSettings& settings);

// The check ZPL puts after the data of a :B64: or :Z64: graphic:
// CRC-16/XMODEM (polynomial 0x1021, initial value 0) of the Base64 text.
quint16 ZplCrc16(QByteArrayView text);

} // namespace files
