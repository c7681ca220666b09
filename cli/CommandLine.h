// The program's command line as a value: what to do, and with what. This
// only reads the arguments; main carries the command out.
//
//   quorvane                         the window
//   quorvane FILE                    batch-print FILE with the stored options
//   quorvane print FILE [--printer NAME|URI] [--wait SECONDS | --no-wait]
//                  [--pdf-dpi N] [--strict] [LABEL PRINTER OPTIONS]
//   quorvane print [FILE] --dry-run [--printer NAME|URI] [--pdf-dpi N]
//   quorvane export --type TYPE (--text TEXT | --batch LINES) --output FILE
//                   [--dpi N] [--module-dots N] [--text-below] [--verify]
//                   [--ecc L|M|Q|H] [--columns N] [--rectangular]
//   quorvane export --type TYPE --batch LINES --layout NAME [--start N]
//                   [--left CM] [--top CM] --output SHEETS.pdf
//   quorvane export --type TYPE (--text TEXT | --batch LINES | --from N --to N
//                   [--prefix TEXT]) --output LABELS.zpl|.epl|.tspl
//                   [--dpi N] [--module-dots N] [--media WxH{mm|in}]
//                   [--darkness N] [--speed N]
//   quorvane print-range --from N --to N [--prefix TEXT] [--layout NAME]
//                  [--start N] [--printer NAME|URI] [--wait SECONDS | --no-wait]
//   quorvane print --label LABEL.json [--layout NAME] [--start N]
//                  [--printer NAME|URI] [--wait SECONDS | --no-wait] [--pdf-dpi N] [--verify]
//   quorvane print-range --label LABEL.json --from N --to N [--layout NAME] ...
//   quorvane export --label LABEL.json --output FILE [--dpi N] [--verify]
//   quorvane label --check LABEL.json
//                  [LABEL PRINTER OPTIONS]
//   quorvane labels (--label LABEL.json | --barcode TEXT [--type TYPE] [--text TEXT]...)
//                  --data FILE|- [DATA OPTIONS] [--layout NAME --start N]
//                  [--printer NAME|URI | --output FILE.pdf | --output 'DIR/~~~~.png']
//                  [--copies N | --copies-field NAME] [--records FIRST-LAST]
//                  [--serial-start N] [--serial-step N] [--skip-bad] [--dry-run]
//                  [--verify] [--dpi N] [--wait SECONDS | --no-wait] [LABEL PRINTER OPTIONS]
// DATA OPTIONS: --delimiter C, --encoding NAME, --sheet NAME, --no-header.
//   quorvane layouts
//
// LABEL PRINTER OPTIONS, for this run over what is set for the printer:
// --language zpl|epl|tspl, --darkness N, --speed N, --media WxH{mm|in},
// --dpi N. A printer given a language is written to in it.
//   quorvane --help | --version
//
// (`quorvane label` alone is still the file "label".) Any other command
// line keeps its old meaning: all of it, joined by
// blanks and trimmed, is the path of a file to batch-print, so scripts
// that pass a path with blanks unquoted keep working. Only a first
// argument that starts with "--" is an option; Qt's own options such as
// -platform are file names like any other. A file whose name starts with
// "--" is written ./--name, or after "--".
#pragma once

#include "jobs/DataMerge.h"
#include "jobs/StoredLayouts.h"
#include "symbols/LibraryCodes.h"
#include "symbols/Symbology.h"
#include "symbols/SymbologyRow.h"

#include <QString>
#include <QStringList>

namespace cli {

struct Command {
    enum Kind { Window, Help, Version, Export, Print, PrintRange, Layouts, LabelCheck, Labels, Error };
    Kind kind = Window;

    // Export: one barcode of `text`, or one per line of the file `batch`,
    // written to `output` (in a batch, its ~ become the line number).
    symbols::Symbology symbology = symbols::Symbology::Code128B;
    QString text;
    QString batch;
    QString output;
    int dpi = 300;       // PNG only
    int moduleDots = 0;  // PNG only; 0: the nearest whole number at dpi
    bool textBelow = false;
    symbols::LibraryOptions library; // --ecc, --columns, --rectangular
    bool verify = false; // read every barcode back (of a label, every barcode part); one that doesn't scan as its text fails
    bool strict = false; // export and print: a barcode that would hold another text than was typed fails

    // Print: the file to batch-print, and the printer (empty: the stored
    // one), a name or a queue's URI.
    QString file;
    QString printer;
    bool wait = true;       // follow a CUPS job until it printed, up to waitSeconds
    int waitSeconds = 120;
    bool dryRun = false;    // say what would be printed where, and print nothing
    int pdfDpi = 0;         // the built-in PDF printer's grid for this run; 0: the stored one

    // PrintRange: labels PREFIX+N for N from `from` up to, not including,
    // `to`, as the window's Run It prints them.
    QString from;
    QString to;
    QString prefix;
    // PrintRange and Export: the label layout by name (empty: the stored
    // one for PrintRange, none for Export), and the first free label of the
    // first sheet (0: the stored one, else 1).
    QString layout;
    int start = 0;
    int startRow = 0; // --start ROW,COLUMN: the label by its place
    int startColumn = 0;
    // Export with a layout: the barcode's offsets from its cell's corner.
    double leftCm = 1;
    double topCm = 1;
    // Print, PrintRange and Export: the label file printed instead of the
    // one barcode (${n} is 1 for Print and Export, N for PrintRange);
    // LabelCheck: the file checked.
    QString label;
    // Print and print-range: the label printer's setup for this run, over
    // the stored one. Export to a label language: the labels' setup (the
    // language is the file's; the size, when not given, the barcode's own
    // with its quiet zones).
    printing::LabelSetup labelSetup;

    // Labels: a label for every record of the file `data` ("-": standard
    // input), of the label file `label` or of the quick form: a barcode of
    // `barcode` in `symbology` and a line of each of `texts`. Printed on
    // `printer`, or written to `output` (a PDF, or a PNG a label). `dpi`
    // is the PNGs' resolution.
    QString data;
    files::DataOptions dataOptions;
    QString barcode;
    QStringList texts;
    jobs::MergeOptions merge;
    bool skipBad = false; // print the good records, list the rest, exit 2
    // Error: what is wrong, in one line naming the argument.
    QString error;
};

// The arguments after the program's name, decoded (core::FromLocalBytes).
// --type names a row of the table.
Command ParseCommandLine(const QStringList& arguments, symbols::SymbologyTable table = symbols::Symbologies());

// The names --type takes, in the order help lists them.
QStringList ExportTypeNames(symbols::SymbologyTable table = symbols::Symbologies());

// One line to show after an error: the forms, and where to learn more.
QString CommandLineUsage();
// The text of --help.
QString CommandLineHelp(symbols::SymbologyTable table = symbols::Symbologies());
// The text of --version.
QString VersionText();

} // namespace cli
