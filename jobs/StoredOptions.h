// The options the window stores, read without a window: what the window
// restores at start and what an unattended run prints with. One place
// knows the keys and the values a store without them gives.
#pragma once

#include "files/DataSource.h"
#include "symbols/Generate.h"

#include <QString>
#include <optional>
#include <utility>
#include <vector>

namespace jobs {

inline const QString kOptionsApp = QStringLiteral("Quorvane");
inline const QString kOptionsSection = QStringLiteral("options");

// Stores a value; why not, when the store could not be written.
core::Status StoreOption(const QString& key, const QString& value);

// "True"/"False" or any number (0 = false); nothing else converts.
std::optional<bool> StoredBool(const QString& value);
// A 16-bit integer, rounded as the conversion rounds; nothing else converts.
std::optional<int> StoredInt16(const QString& value);

// QR Code's error correction level from its letter (L, M, Q, H, either
// case); none for anything else.
std::optional<char> EccLevel(const QString& text);
// PDF417's data columns: 1 to 30, or 0 for "as many as fit"; none for
// anything else.
std::optional<int> Pdf417Columns(const QString& text);

// A length as typed: mm ("0.33", "0.33 mm") or mils, thousandths of an
// inch, as label printers are spoken of ("13 mil"); in mm. None for
// anything else, or for a length not above zero.
std::optional<double> ReadLengthMm(const QString& text);
inline constexpr double kMinModuleMm = 0.05, kMaxModuleMm = 25;
inline constexpr double kMinPrintWidthMm = 1, kMaxPrintWidthMm = 2000;
// The print size asked by a module width and by a width the symbol is
// fitted to, each as typed (empty: not asked), under the names the user
// knows them by (--module, --width): natural when neither is asked, else
// why not (both asked, a value that is no length or out of range).
core::Result<graphics::PrintSize> ReadPrintSize(const QString& module, const QString& width, const QString& moduleName,
                                                const QString& widthName);
// The stored "printsize": "module 0.33 mm", "module 13 mil" or
// "width 50 mm", as the window's fields hold it; empty: as drawn.
struct PrintSizeSetting {
    graphics::PrintSize::Kind kind = graphics::PrintSize::Kind::Natural;
    QString value; // as typed
    bool mils = false;
};
QString PrintSizeToSetting(const PrintSizeSetting& size);
PrintSizeSetting PrintSizeFromSetting(const QString& stored);
// The size the setting asks; natural for one that is not a size.
graphics::PrintSize SizeOf(const PrintSizeSetting& size);

inline constexpr int kMaxCopies = 999;

// The data file whose records become labels, one each, and how it is read.
struct MergeChoice {
    QString path; // empty: no merge
    files::DataOptions options;
};

// The merge choice as it is stored: each key with its value ("mergefile",
// "mergedelimiter", "mergeencoding", "mergesheet", "mergeheader").
std::vector<std::pair<QString, QString>> MergeChoiceValues(const MergeChoice& choice);

// An encoding by the name TextEncodingNamed takes; empty for Detect.
QString EncodingName(files::TextEncoding encoding);

struct StoredOptions {
    // The option selected: the stored option states applied in the table's
    // order, each selected one deselecting the others. None when none is
    // left selected (Generate then draws Code 39).
    std::optional<symbols::Symbology> selected;
    QString text8 = QStringLiteral("1.4"); // "Height" factor (EAN: font size)
    QString font = QStringLiteral("8");    // "Font Size" (EAN: bar length)
    QString text9 = QStringLiteral("500"); // "Width"
    bool textWithBars = false;             // "Include Text in Bar Code"
    QString linePattern;                   // "Line Pattern"
    bool keepPattern = false;              // "Include Text in Barcode" of the line pattern
    QString file;                          // "File Path"
    QString printer;                       // the printer chosen by name; empty: the current one
    QString left = QStringLiteral("1");    // "Barcode OffSet", cm
    QString top = QStringLiteral("1");
    bool showSettings = true;
    // The options of the symbologies of the "More:" box (the stored letter
    // or number when it is one, else the default).
    symbols::LibraryOptions library;
    // The resolution of the printer the built-in printer's PDFs are meant
    // for ("pdfdpi"); 100 is a grid of 1/100 inch.
    int pdfDpi = 100;
    // The label layout printing uses ("layout"): a name, or empty for one
    // label per job; the first free label of the first sheet
    // ("layoutstart"); and whether Print fills the rest of the sheet
    // ("layoutrepeat").
    QString layout;
    int layoutStart = 1;
    bool layoutRepeat = false;
    // Run It's "From" and "To" ("rangefrom", "rangeto"): a run stopped
    // part-way goes on from where it stopped at the next start.
    QString rangeFrom = QStringLiteral("100");
    QString rangeTo = QStringLiteral("500");
    // The label file the window prints instead of its one barcode
    // ("labelfile"); empty: none.
    QString labelFile;
    // The data file Print, Print Preview and the sheet layouts print a label
    // of for every record, and how it is read (MergeChoiceValues' keys); a
    // stored value that is not one reads as its default.
    MergeChoice merge;

    // The size printing and the files give a barcode ("printsize").
    PrintSizeSetting printSize;
    // How many times each label is printed ("copies").
    int copies = 1;

    // What Generate draws for `text` with these options.
    symbols::SymbolRequest Request(const QString& text) const;
};

StoredOptions ReadStoredOptions();

} // namespace jobs
