#include "cli/CommandLine.h"

#include "core/Numeric.h"

#include "jobs/StoredOptions.h"
#include "symbols/SymbologyTable.h"

#include "core/About.h"
#include "files/BatchExport.h"
#include "files/Export.h"
#include "printing/Printers.h"
#include "printing/RangePrint.h"

#include <algorithm>
#include <cmath>
#include <array>
#include <map>
#include <optional>
#include <tuple>
#include <utility>

namespace cli {
namespace {

constexpr int kMinDpi = 10, kMaxDpi = 4800;
constexpr int kMinModuleDots = 1, kMaxModuleDots = 100;
constexpr int kMaxWaitSeconds = 86400;

const QString kDashes = QStringLiteral("--");

Command Failed(const QString& error)
{
    Command c;
    c.kind = Command::Error;
    c.error = error;
    return c;
}

// The options of a subcommand as they come: a name with its value (from
// "--name value" or "--name=value"), a flag, or a plain argument.
class Options {
public:
    explicit Options(QStringList args) : args_(std::move(args)) {}

    bool AtEnd() const { return i_ >= args_.size(); }
    // The next argument; an option when it starts with "-" and is more
    // than that, unless a "--" alone came before it. The value of
    // "--name=value" is `attached`.
    QString Next(bool& isOption, QString& attached, bool& hasAttached)
    {
        QString arg = args_[i_++];
        if (!plain_ && arg == kDashes) {
            plain_ = true;
            if (AtEnd()) {
                isOption = false;
                return QString();
            }
            arg = args_[i_++];
        }
        isOption = !plain_ && arg.size() > 1 && arg.startsWith(QLatin1Char('-'));
        hasAttached = false;
        if (isOption && arg.startsWith(kDashes)) {
            const qsizetype eq = arg.indexOf(QLatin1Char('='));
            if (eq > 0) {
                attached = arg.mid(eq + 1);
                hasAttached = true;
                arg.truncate(eq);
            }
        }
        return arg;
    }
    // The argument after an option that takes a value, whatever it starts
    // with (a text may start with dashes); none at the end.
    std::optional<QString> Value()
    {
        if (AtEnd())
            return std::nullopt;
        return args_[i_++];
    }

private:
    QStringList args_;
    qsizetype i_ = 0;
    bool plain_ = false;
};

// A whole number in [low, high] written as digits only.
std::optional<int> WholeNumber(const QString& text, int low, int high)
{
    if (text.isEmpty() || text.size() > 9)
        return std::nullopt;
    for (QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    const int n = text.toInt();
    if (n < low || n > high)
        return std::nullopt;
    return n;
}

QString Quoted(const QString& s) { return QLatin1Char('"') + s + QLatin1Char('"'); }

// Reads the value options and flags of one subcommand. The table lists
// the value options; every value is required and not empty, and no option
// may be given twice.
struct Parsed {
    QStringList positional;
    std::map<QString, QString> values;
    std::map<QString, QStringList> lists; // the options that may be given more than once
    QStringList flags;
    bool help = false;
    QString error;
};

Parsed ReadOptions(const QString& subcommand, const QStringList& args, const QStringList& valueOptions,
                   const QStringList& flagOptions, const QStringList& listOptions = {})
{
    Parsed p;
    Options options(args);
    while (!options.AtEnd() && p.error.isEmpty()) {
        bool isOption = false, hasAttached = false;
        QString attached;
        const QString arg = options.Next(isOption, attached, hasAttached);
        if (!isOption) {
            p.positional << arg;
            continue;
        }
        if (arg == QLatin1String("--help")) {
            p.help = true;
            continue;
        }
        const bool listed = listOptions.contains(arg);
        const bool takesValue = listed || valueOptions.contains(arg);
        if (!takesValue && !flagOptions.contains(arg)) {
            p.error = QStringLiteral("unknown option %1 for %2").arg(arg, subcommand);
            break;
        }
        if (!listed && (p.values.count(arg) || p.flags.contains(arg))) {
            p.error = QStringLiteral("%1 is given twice").arg(arg);
            break;
        }
        if (!takesValue) {
            if (hasAttached)
                p.error = QStringLiteral("%1 takes no value").arg(arg);
            p.flags << arg;
            continue;
        }
        const std::optional<QString> value = hasAttached ? std::optional<QString>(attached) : options.Value();
        if (!value || value->isEmpty())
            p.error = QStringLiteral("%1 needs a value").arg(arg);
        else if (listed)
            p.lists[arg] << *value;
        else
            p.values[arg] = *value;
    }
    return p;
}

QString Value(const Parsed& p, const char* name)
{
    const auto it = p.values.find(QString::fromLatin1(name));
    return it == p.values.end() ? QString() : it->second;
}

// The option `name`, when given, as a whole number from `low` to `high`
// into `target`; what is wrong with it, or empty.
template <typename Number>
QString ReadWholeNumber(const Parsed& p, const char* name, int low, int high, Number& target)
{
    const QString given = Value(p, name);
    if (given.isEmpty())
        return {};
    const std::optional<int> n = WholeNumber(given, low, high);
    if (!n)
        return QStringLiteral("%1 needs a whole number from %2 to %3, not %4")
            .arg(QLatin1String(name))
            .arg(low)
            .arg(high)
            .arg(Quoted(given));
    target = *n;
    return {};
}

// What a subcommand's options already decide: a wrong option, or --help;
// for a subcommand that takes no plain argument (`noArgumentsFor` names
// it), one given.
std::optional<Command> ErrorOrHelp(const Parsed& p, const QString& noArgumentsFor = {})
{
    if (!p.error.isEmpty())
        return Failed(p.error);
    if (!p.help && !noArgumentsFor.isEmpty() && !p.positional.isEmpty())
        return Failed(QStringLiteral("unexpected argument %1 for %2").arg(Quoted(p.positional.front()), noArgumentsFor));
    if (!p.help)
        return std::nullopt;
    Command c;
    c.kind = Command::Help;
    return c;
}

// The option of the symbology's own the command line gives, into
// `options`; what is wrong with it, or empty. An option of another
// symbology is refused rather than ignored.
QString ReadOwnOption(const Parsed& p, const symbols::SymbologyRow& row, symbols::SymbologyTable table,
                      symbols::LibraryOptions& options)
{
    const std::pair<const char*, symbols::OwnOption> own[] = {
        {"--ecc", symbols::OwnOption::QrEcc}, {"--columns", symbols::OwnOption::Pdf417Columns}, {"--rectangular", symbols::OwnOption::Rectangular}};
    QStringList takers;
    for (const auto& [name, option] : own) {
        const QString flag = QLatin1String(name);
        if (!p.values.contains(flag) && !p.flags.contains(flag))
            continue;
        if (row.ownOption != option) {
            for (const symbols::SymbologyRow& r : table)
                if (r.ownOption == option)
                    takers << QLatin1String(r.name);
            return QStringLiteral("%1 applies to %2 only, not %3").arg(flag, takers.join(QStringLiteral(" and ")), QLatin1String(row.name));
        }
        const QString given = Value(p, name);
        if (option == symbols::OwnOption::QrEcc) {
            const std::optional<char> level = jobs::EccLevel(given);
            if (!level)
                return QStringLiteral("--ecc needs L, M, Q or H, not %1").arg(Quoted(given));
            options.qrEcc = *level;
        } else if (option == symbols::OwnOption::Pdf417Columns) {
            const std::optional<int> n = jobs::Pdf417Columns(given);
            if (!n || *n == 0)
                return QStringLiteral("--columns needs a whole number from 1 to 30, not %1").arg(Quoted(given));
            options.pdf417Columns = *n;
        } else {
            options.rectangular = true;
        }
    }
    return {};
}

// --module MM or --width MM (mm, or mils as "13mil"); what is wrong with
// them, or empty.
QString ReadPrintSizeOptions(const Parsed& p, Command& c)
{
    const QString module = Value(p, "--module"), width = Value(p, "--width");
    if (module.isEmpty() && width.isEmpty())
        return {};
    const core::Result<graphics::PrintSize> size =
        jobs::ReadPrintSize(module, width, QStringLiteral("--module"), QStringLiteral("--width"));
    if (size.failed())
        return size.failure().text;
    c.printSize = *size;
    return {};
}

const QStringList kPrintSizeOptions{"--module", "--width"};

// --start, and --left and --top in cm, of labels on sheets.
QString ReadSheetOptions(const Parsed& p, Command& c)
{
    if (const QString start = Value(p, "--start"); !start.isEmpty()) {
        const QStringList place = start.split(QLatin1Char(','));
        const std::optional<int> n = WholeNumber(place.front().trimmed(), 1, 100000);
        const std::optional<int> column = place.size() == 2 ? WholeNumber(place.back().trimmed(), 1, 100000) : std::nullopt;
        if (!n || place.size() > 2 || (place.size() == 2 && !column))
            return QStringLiteral("--start needs the number of a label, 1 for the sheet's first, or ROW,COLUMN, not %1")
                .arg(Quoted(start));
        (column ? c.startRow : c.start) = *n;
        c.startColumn = column.value_or(0);
    }
    for (const auto& [name, target] : {std::pair{"--left", &c.leftCm}, std::pair{"--top", &c.topCm}}) {
        const QString given = Value(p, name);
        if (given.isEmpty())
            continue;
        bool ok = false;
        const double cm = given.toDouble(&ok);
        if (!ok || !(cm >= 0 && cm <= 100))
            return QStringLiteral("%1 needs a distance in cm from 0 to 100, not %2").arg(QLatin1String(name), Quoted(given));
        *target = cm;
    }
    return {};
}

// `export --label`: the label file says what the label holds, so only the
// output, a PNG's resolution and --verify go with it.
Command ParseLabelExport(const Parsed& p, Command c)
{
    for (const char* other : {"--type", "--text", "--batch", "--module-dots", "--ecc", "--columns", "--layout", "--start",
                              "--left", "--top", "--text-below", "--strict", "--rectangular", "--module", "--width"})
        if (!Value(p, other).isEmpty() || p.flags.contains(QLatin1String(other)))
            return Failed(QStringLiteral("export --label takes no %1: the label file says what its label holds")
                              .arg(QLatin1String(other)));
    if (c.output.isEmpty())
        return Failed(QStringLiteral("export needs --output FILE.png, FILE.svg or FILE.pdf"));
    const std::optional<files::ExportFormat> format = files::ExportFormatOf(c.output);
    if (!format)
        return Failed(QStringLiteral("--output %1 does not end in .png, .svg or .pdf").arg(Quoted(c.output)));
    if (!Value(p, "--dpi").isEmpty() && *format != files::ExportFormat::Png)
        return Failed(QStringLiteral("--dpi applies to PNG files only; SVG and PDF are drawn as shapes"));
    if (const QString wrong = ReadWholeNumber(p, "--dpi", kMinDpi, kMaxDpi, c.dpi); !wrong.isEmpty())
        return Failed(wrong);
    return c;
}

// The label printer options (--language, --darkness, --speed, --media,
// --dpi) into c.labelSetup; what is wrong with them, or empty.
QString ReadLabelOptions(const Parsed& p, Command& c)
{
    const jobs::LabelSetupText text{Value(p, "--language"), Value(p, "--darkness"), Value(p, "--speed"),
                                    Value(p, "--media"), Value(p, "--dpi")};
    const core::Result<printing::LabelSetup> setup = jobs::ReadLabelSetup(text);
    if (setup.failed())
        return setup.failure().text;
    c.labelSetup = *setup;
    return {};
}

const QStringList kLabelPrinterOptions{"--language", "--darkness", "--speed", "--media", "--dpi"};

// `export` to a file in a label printer's language: one label of --text,
// one a line of --batch, or one a number of --from and --to; all of them
// in the one file.
// The value of --from or --to that can't be counted is named, not both.
QString RangeProblem(const Command& c)
{
    return printing::RangeProblem(c.from, c.to, QStringLiteral("--from"), QStringLiteral("--to"));
}

Command ParseLanguageExport(const Parsed& p, Command c, files::LabelLanguage language)
{
    const bool range = !Value(p, "--from").isEmpty() || !Value(p, "--to").isEmpty();
    const int sources = !c.text.isEmpty() + !c.batch.isEmpty() + range;
    if (sources != 1)
        return Failed(sources == 0 ? QStringLiteral("export needs --text TEXT, --batch LINES or --from N --to N")
                                   : QStringLiteral("export takes one of --text, --batch and --from/--to"));
    if (range) {
        c.from = Value(p, "--from");
        c.to = Value(p, "--to");
        if (c.from.isEmpty() || c.to.isEmpty())
            return Failed(QStringLiteral("export needs --from N and --to N together"));
        if (const QString problem = RangeProblem(c); !problem.isEmpty())
            return Failed(problem);
        c.prefix = Value(p, "--prefix");
    } else if (!Value(p, "--prefix").isEmpty()) {
        return Failed(QStringLiteral("--prefix applies to --from and --to only"));
    }
    for (const char* sheetOnly : {"--layout", "--start", "--left", "--top"})
        if (!Value(p, sheetOnly).isEmpty())
            return Failed(QStringLiteral("%1 applies to sheets of labels only, not to a label printer's file")
                              .arg(QLatin1String(sheetOnly)));
    if (const QString wrong = ReadWholeNumber(p, "--module-dots", kMinModuleDots, kMaxModuleDots, c.moduleDots); !wrong.isEmpty())
        return Failed(wrong);
    if (QString wrong = ReadLabelOptions(p, c); !wrong.isEmpty())
        return Failed(wrong);
    c.labelSetup.language = language;
    c.dpi = c.labelSetup.dpi.value_or(printing::kLabelPrinterDpi);
    return c;
}

Command ParseExport(const QStringList& args, symbols::SymbologyTable table)
{
    const Parsed p = ReadOptions(QStringLiteral("export"), args,
                                 QStringList{"--type", "--text", "--batch", "--output", "--dpi", "--module-dots", "--ecc",
                                             "--columns", "--layout", "--start", "--left", "--top", "--label", "--from", "--to",
                                             "--prefix", "--darkness", "--speed", "--media"} +
                                     kPrintSizeOptions,
                                 {"--text-below", "--verify", "--strict", "--rectangular"});
    if (const std::optional<Command> done = ErrorOrHelp(p, QStringLiteral("export")))
        return *done;

    Command c;
    c.kind = Command::Export;
    c.text = Value(p, "--text");
    c.batch = Value(p, "--batch");
    c.output = Value(p, "--output");
    c.textBelow = p.flags.contains(QStringLiteral("--text-below"));
    c.verify = p.flags.contains(QStringLiteral("--verify"));
    c.strict = p.flags.contains(QStringLiteral("--strict"));
    c.label = Value(p, "--label");
    if (!c.label.isEmpty())
        return ParseLabelExport(p, c);

    const QString types = ExportTypeNames(table).join(QStringLiteral(", "));
    const QString typeName = Value(p, "--type").toLower();
    if (typeName.isEmpty())
        return Failed(QStringLiteral("export needs --type: one of %1").arg(types));
    const std::optional<symbols::Symbology> type = symbols::SymbologyNamed(typeName, table);
    if (!type)
        return Failed(QStringLiteral("unknown type %1: use one of %2").arg(Quoted(Value(p, "--type")), types));
    c.symbology = *type;
    if (const QString wrong = ReadOwnOption(p, symbols::RowOf(c.symbology, table), table, c.library); !wrong.isEmpty())
        return Failed(wrong);
    if (c.textBelow && symbols::RowOf(c.symbology, table).library.twoD)
        return Failed(QStringLiteral("--text-below applies to codes of bars; %1 has no text under it")
                          .arg(QLatin1String(symbols::RowOf(c.symbology, table).caption)));
    if (QString wrong = ReadPrintSizeOptions(p, c); !wrong.isEmpty())
        return Failed(wrong);
    if (c.printSize && !Value(p, "--module-dots").isEmpty())
        return Failed(QStringLiteral("--module-dots and %1 can't both be given: each sets the module")
                          .arg(Value(p, "--module").isEmpty() ? QStringLiteral("--width") : QStringLiteral("--module")));
    if (const std::optional<files::LabelLanguage> language = files::LabelLanguageOfPath(c.output))
        return ParseLanguageExport(p, c, *language);
    for (const char* labelOnly : {"--from", "--to", "--prefix", "--darkness", "--speed", "--media"})
        if (!Value(p, labelOnly).isEmpty())
            return Failed(QStringLiteral("%1 applies to a label printer's file only: --output FILE.zpl, FILE.epl or "
                                         "FILE.tspl")
                              .arg(QLatin1String(labelOnly)));
    if (c.text.isEmpty() == c.batch.isEmpty())
        return Failed(c.text.isEmpty() ? QStringLiteral("export needs --text TEXT or --batch LINES")
                                       : QStringLiteral("export takes --text or --batch, not both"));
    if (c.output.isEmpty())
        return Failed(QStringLiteral("export needs --output FILE.png, FILE.svg or FILE.pdf (or a label printer's "
                                     "FILE.zpl, FILE.epl or FILE.tspl)"));
    const std::optional<files::ExportFormat> format = files::ExportFormatOf(c.output);
    if (!format)
        return Failed(QStringLiteral("--output %1 does not end in .png, .svg or .pdf, nor in a label printer's .zpl, "
                                     ".epl or .tspl")
                          .arg(Quoted(c.output)));
    // A sheet of labels is a PDF too: --dpi and --module-dots are refused there by name.
    for (const auto& [name, low, high, target] :
         {std::tuple{"--dpi", kMinDpi, kMaxDpi, &c.dpi}, std::tuple{"--module-dots", kMinModuleDots, kMaxModuleDots, &c.moduleDots}}) {
        if (!Value(p, name).isEmpty() && *format != files::ExportFormat::Png)
            return Failed(QStringLiteral("%1 applies to PNG files only; SVG and PDF are drawn as shapes").arg(QLatin1String(name)));
        if (const QString wrong = ReadWholeNumber(p, name, low, high, *target); !wrong.isEmpty())
            return Failed(wrong);
    }
    // Readers find a 2D code's modules from two pixels up (zxing-cpp reads
    // no Data Matrix of one-pixel modules).
    if (c.moduleDots == 1 && symbols::RowOf(c.symbology, table).library.twoD)
        return Failed(QStringLiteral("--module-dots 1 is too small for %1: a 2D code takes 2 or more")
                          .arg(QLatin1String(symbols::RowOf(c.symbology, table).caption)));
    c.layout = Value(p, "--layout");
    if (!c.layout.isEmpty()) {
        if (c.batch.isEmpty() || *format != files::ExportFormat::Pdf)
            return Failed(QStringLiteral("--layout makes a PDF of sheets: it needs --batch LINES and --output FILE.pdf"));
        if (QString wrong = ReadSheetOptions(p, c); !wrong.isEmpty())
            return Failed(wrong);
        return c;
    }
    for (const char* sheetOnly : {"--start", "--left", "--top"})
        if (!Value(p, sheetOnly).isEmpty())
            return Failed(QStringLiteral("%1 applies to sheets of labels only: give --layout NAME").arg(QLatin1String(sheetOnly)));
    if (!c.batch.isEmpty() && files::CheckBatchPattern(c.output).failed())
        return Failed(QStringLiteral("with --batch, --output %1 needs ~ in the file name where the line number goes "
                                         "(~~~~~ for 00001, 00002, ...)")
                              .arg(Quoted(c.output)));

    return c;
}

// --wait SECONDS or --no-wait.
QString ReadWait(const Parsed& p, const QString& subcommand, Command& c)
{
    c.wait = !p.flags.contains(QStringLiteral("--no-wait"));
    const QString wait = Value(p, "--wait");
    if (!wait.isEmpty() && !c.wait)
        return QStringLiteral("%1 takes --wait or --no-wait, not both").arg(subcommand);
    if (!wait.isEmpty()) {
        const std::optional<int> n = WholeNumber(wait, 0, kMaxWaitSeconds);
        if (!n)
            return QStringLiteral("--wait needs a whole number of seconds from 0 to %1, not %2").arg(kMaxWaitSeconds).arg(Quoted(wait));
        c.waitSeconds = *n;
    }
    return {};
}

// --pdf-dpi and the label printer options of a run that prints.
QString ReadPrinterOptions(const Parsed& p, Command& c)
{
    if (const QString wrong = ReadWholeNumber(p, "--pdf-dpi", printing::kMinPdfDpi, printing::kMaxPdfDpi, c.pdfDpi);
        !wrong.isEmpty())
        return wrong;
    return ReadLabelOptions(p, c);
}

Command ParsePrintRange(const QStringList& args)
{
    const Parsed p = ReadOptions(QStringLiteral("print-range"), args,
                                 QStringList{"--from", "--to", "--prefix", "--layout", "--start", "--printer", "--wait", "--label"} +
                                     kLabelPrinterOptions + kPrintSizeOptions,
                                 {"--no-wait", "--verify", "--dry-run"});
    if (const std::optional<Command> done = ErrorOrHelp(p, QStringLiteral("print-range")))
        return *done;
    Command c;
    c.kind = Command::PrintRange;
    c.from = Value(p, "--from");
    c.to = Value(p, "--to");
    if (c.from.isEmpty() || c.to.isEmpty())
        return Failed(QStringLiteral("print-range needs --from N and --to N"));
    // The value that is no number is named, not both.
    if (const QString problem = RangeProblem(c); !problem.isEmpty())
        return Failed(problem);
    c.prefix = Value(p, "--prefix");
    c.label = Value(p, "--label");
    c.verify = p.flags.contains(QStringLiteral("--verify"));
    if (!c.label.isEmpty() && !c.prefix.isEmpty())
        return Failed(QStringLiteral("print-range --label takes no --prefix: the label's parts say where the number goes (${n})"));
    if (c.label.isEmpty() && c.verify)
        return Failed(QStringLiteral("--verify applies to print-range --label"));
    c.layout = Value(p, "--layout");
    c.printer = Value(p, "--printer");
    if (QString wrong = ReadSheetOptions(p, c); !wrong.isEmpty())
        return Failed(wrong);
    if (QString wrong = ReadWait(p, QStringLiteral("print-range"), c); !wrong.isEmpty())
        return Failed(wrong);
    c.dryRun = p.flags.contains(QStringLiteral("--dry-run"));
    if (QString wrong = ReadLabelOptions(p, c); !wrong.isEmpty())
        return Failed(wrong);
    if (QString wrong = ReadPrintSizeOptions(p, c); !wrong.isEmpty())
        return Failed(wrong);
    if (c.printSize && !c.label.isEmpty())
        return Failed(QStringLiteral("print-range --label takes no --module or --width: the label file sizes its barcodes"));
    return c;
}

Command ParsePrint(const QStringList& args)
{
    const Parsed p = ReadOptions(QStringLiteral("print"), args,
                                 QStringList{"--printer", "--wait", "--pdf-dpi", "--label", "--layout", "--start"} +
                                     kLabelPrinterOptions + kPrintSizeOptions,
                                 {"--strict", "--no-wait", "--dry-run", "--verify"});
    if (const std::optional<Command> done = ErrorOrHelp(p))
        return *done;
    const bool dryRun = p.flags.contains(QStringLiteral("--dry-run"));
    const QString label = Value(p, "--label");
    if (!label.isEmpty()) {
        if (!p.positional.isEmpty())
            return Failed(QStringLiteral("print --label prints the label file's label; it takes no FILE (%1)")
                              .arg(Quoted(p.positional.front())));
        for (const char* flag : {"--dry-run", "--strict"})
            if (p.flags.contains(QLatin1String(flag)))
                return Failed(QStringLiteral("%1 applies to a FILE's listing, not to print --label").arg(QLatin1String(flag)));
    } else {
        for (const char* labelOnly : {"--layout", "--start", "--verify"})
            if (!Value(p, labelOnly).isEmpty() || p.flags.contains(QLatin1String(labelOnly)))
                return Failed(QStringLiteral("%1 applies to print --label; a FILE prints on the window's layout")
                                  .arg(QLatin1String(labelOnly)));
    }
    if (label.isEmpty() &&
        ((p.positional.isEmpty() && !dryRun) || (!p.positional.isEmpty() && p.positional.front().isEmpty())))
        return Failed(QStringLiteral("print needs the FILE to print, or --label LABEL.json"));
    if (p.positional.size() > 1)
        return Failed(QStringLiteral("print takes one FILE, not %1 and %2; quote a path that holds blanks")
                          .arg(Quoted(p.positional[0]), Quoted(p.positional[1])));
    Command c;
    c.kind = Command::Print;
    c.file = p.positional.value(0);
    c.printer = Value(p, "--printer");
    c.strict = p.flags.contains(QStringLiteral("--strict"));
    c.dryRun = dryRun;
    c.label = label;
    c.verify = p.flags.contains(QStringLiteral("--verify"));
    c.layout = Value(p, "--layout");
    if (QString wrong = ReadSheetOptions(p, c); !wrong.isEmpty())
        return Failed(wrong);
    if (QString wrong = ReadWait(p, QStringLiteral("print"), c); !wrong.isEmpty())
        return Failed(wrong);
    if (QString wrong = ReadPrinterOptions(p, c); !wrong.isEmpty())
        return Failed(wrong);
    if (QString wrong = ReadPrintSizeOptions(p, c); !wrong.isEmpty())
        return Failed(wrong);
    if (c.printSize && !c.label.isEmpty())
        return Failed(QStringLiteral("print --label takes no --module or --width: the label file sizes its barcodes"));
    return c;
}

// --delimiter: one character, or "tab" (also written \t).
std::optional<QChar> ReadDelimiter(const QString& given)
{
    if (given == QLatin1String("tab") || given == QLatin1String("\\t"))
        return QChar(u'\t');
    if (given.size() != 1 || given == QLatin1String("\"") || given == QLatin1String("\n") || given == QLatin1String("\r"))
        return std::nullopt;
    return given.front();
}

// Where `labels` reads its records from and how: --data, --delimiter,
// --encoding, --sheet, --no-header.
QString ReadDataOptions(const Parsed& p, Command& c)
{
    c.data = Value(p, "--data");
    if (c.data.isEmpty())
        return QStringLiteral("labels needs --data FILE (a CSV file, an .xlsx or .ods spreadsheet, or - for the standard "
                              "input)");
    c.dataOptions.header = !p.flags.contains(QStringLiteral("--no-header"));
    c.dataOptions.sheet = Value(p, "--sheet");
    if (const QString given = Value(p, "--delimiter"); !given.isEmpty()) {
        const std::optional<QChar> delimiter = ReadDelimiter(given);
        if (!delimiter)
            return QStringLiteral("--delimiter needs one character (tab for a tab), not %1").arg(Quoted(given));
        c.dataOptions.delimiter = *delimiter;
    }
    if (const QString given = Value(p, "--encoding"); !given.isEmpty()) {
        const core::Result<files::TextEncoding> encoding = files::TextEncodingNamed(given);
        if (encoding.failed())
            return QStringLiteral("--encoding needs utf-8, utf-16, utf-16le, utf-16be or windows-1252, not %1").arg(Quoted(given));
        c.dataOptions.encoding = *encoding;
    }
    return {};
}

// What `labels` makes of each record: --copies, --copies-field, --records,
// --serial-start and --serial-step.
QString ReadMergeOptions(const Parsed& p, Command& c)
{
    jobs::MergeOptions& merge = c.merge;
    const QString copies = Value(p, "--copies");
    merge.copiesField = Value(p, "--copies-field");
    if (!copies.isEmpty() && !merge.copiesField.isEmpty())
        return QStringLiteral("labels takes --copies or --copies-field, not both");
    if (const QString wrong = ReadWholeNumber(p, "--copies", 1, static_cast<int>(jobs::kMaxRecordCopies), merge.copies);
        !wrong.isEmpty())
        return wrong;
    if (const QString records = Value(p, "--records"); !records.isEmpty()) {
        const core::Result<std::pair<qint64, qint64>> range = jobs::ParseRecordRange(records);
        if (range.failed())
            return QStringLiteral("--records needs FIRST-LAST (5-20), FIRST- or -LAST, from 1, not %1").arg(Quoted(records));
        std::tie(merge.first, merge.last) = *range;
    }
    for (const auto& [name, target] : {std::pair{"--serial-start", &merge.serialStart}, std::pair{"--serial-step", &merge.serialStep}}) {
        const QString given = Value(p, name);
        if (given.isEmpty())
            continue;
        bool ok = false;
        const qint64 n = given.toLongLong(&ok);
        if (!ok || std::abs(n) > 1'000'000'000'000'000LL)
            return QStringLiteral("%1 needs a whole number, not %2").arg(QLatin1String(name), Quoted(given));
        *target = n;
    }
    merge.verify = p.flags.contains(QStringLiteral("--verify"));
    return {};
}

// `labels`: a label for every record of a data file.
Command ParseLabels(const QStringList& args, symbols::SymbologyTable table)
{
    const Parsed p = ReadOptions(QStringLiteral("labels"), args,
                                 QStringList{"--label", "--data", "--barcode", "--type", "--layout", "--start", "--printer",
                                             "--output", "--copies", "--copies-field", "--records", "--serial-start",
                                             "--serial-step", "--delimiter", "--encoding", "--sheet", "--wait", "--pdf-dpi"} +
                                     kLabelPrinterOptions,
                                 {"--no-header", "--skip-bad", "--dry-run", "--verify", "--no-wait"}, {"--text"});
    if (const std::optional<Command> done = ErrorOrHelp(p, QStringLiteral("labels")))
        return *done;
    Command c;
    c.kind = Command::Labels;
    c.label = Value(p, "--label");
    c.barcode = Value(p, "--barcode");
    c.texts = p.lists.count(QStringLiteral("--text")) ? p.lists.at(QStringLiteral("--text")) : QStringList();
    if (c.label.isEmpty() == c.barcode.isEmpty())
        return Failed(c.label.isEmpty() ? QStringLiteral("labels needs --label LABEL.json, or --barcode TEXT for a label "
                                                         "of a barcode and lines of --text")
                                        : QStringLiteral("labels takes --label or --barcode, not both"));
    if (!c.label.isEmpty())
        for (const char* quick : {"--type", "--text"})
            if (!Value(p, quick).isEmpty() || p.lists.count(QLatin1String(quick)))
                return Failed(QStringLiteral("labels --label takes no %1: the label file says what its label holds")
                                  .arg(QLatin1String(quick)));
    if (!c.barcode.isEmpty()) {
        const QString typeName = Value(p, "--type").toLower();
        const std::optional<symbols::Symbology> type =
            typeName.isEmpty() ? std::optional(symbols::Symbology::Code128) : symbols::SymbologyNamed(typeName, table);
        if (!type)
            return Failed(QStringLiteral("unknown type %1: use one of %2")
                              .arg(Quoted(Value(p, "--type")), ExportTypeNames(table).join(QStringLiteral(", "))));
        c.symbology = *type;
    }
    if (QString wrong = ReadDataOptions(p, c); !wrong.isEmpty())
        return Failed(wrong);
    if (QString wrong = ReadMergeOptions(p, c); !wrong.isEmpty())
        return Failed(wrong);
    c.verify = c.merge.verify;
    c.skipBad = p.flags.contains(QStringLiteral("--skip-bad"));
    c.dryRun = p.flags.contains(QStringLiteral("--dry-run"));
    c.printer = Value(p, "--printer");
    c.output = Value(p, "--output");
    c.layout = Value(p, "--layout");
    if (!c.printer.isEmpty() && !c.output.isEmpty())
        return Failed(QStringLiteral("labels takes --printer or --output, not both"));
    if (QString wrong = ReadSheetOptions(p, c); !wrong.isEmpty())
        return Failed(wrong);
    if (c.output.isEmpty()) {
        if (QString wrong = ReadWait(p, QStringLiteral("labels"), c); !wrong.isEmpty())
            return Failed(wrong);
        if (QString wrong = ReadPrinterOptions(p, c); !wrong.isEmpty())
            return Failed(wrong);
        return c;
    }
    // Written to files: the printer's options mean nothing there.
    for (const char* printerOnly : {"--wait", "--pdf-dpi", "--language", "--darkness", "--speed", "--media"})
        if (!Value(p, printerOnly).isEmpty())
            return Failed(QStringLiteral("%1 applies to printing, not to --output").arg(QLatin1String(printerOnly)));
    if (p.flags.contains(QStringLiteral("--no-wait")))
        return Failed(QStringLiteral("--no-wait applies to printing, not to --output"));
    const std::optional<files::ExportFormat> format = files::ExportFormatOf(c.output);
    if (format != files::ExportFormat::Pdf && format != files::ExportFormat::Png)
        return Failed(QStringLiteral("--output %1 does not end in .pdf or .png").arg(Quoted(c.output)));
    if (c.layout.isEmpty() && (c.start > 0 || c.startRow > 0))
        return Failed(QStringLiteral("--start applies to sheets of labels only: give --layout NAME"));
    if (format == files::ExportFormat::Png) {
        if (!c.layout.isEmpty())
            return Failed(QStringLiteral("--layout makes sheets, which --output FILE.pdf writes; a PNG is one label"));
        if (files::CheckBatchPattern(c.output).failed())
            return Failed(QStringLiteral("--output %1 needs ~ in the file name where the label's number goes "
                                         "(~~~~ for 0001, 0002, ...)")
                              .arg(Quoted(c.output)));
    }
    if (!Value(p, "--dpi").isEmpty() && format != files::ExportFormat::Png)
        return Failed(QStringLiteral("--dpi applies to PNG files and label printers; a PDF is drawn as shapes"));
    if (const QString wrong = ReadWholeNumber(p, "--dpi", kMinDpi, kMaxDpi, c.dpi); !wrong.isEmpty())
        return Failed(wrong);
    return c;
}

// `label --check LABEL.json`.
Command ParseLabel(const QStringList& args)
{
    const Parsed p = ReadOptions(QStringLiteral("label"), args, {}, {"--check"});
    if (const std::optional<Command> done = ErrorOrHelp(p))
        return *done;
    if (!p.flags.contains(QStringLiteral("--check")))
        return Failed(QStringLiteral("label needs --check LABEL.json"));
    if (p.positional.size() != 1 || p.positional.front().isEmpty())
        return Failed(QStringLiteral("label --check takes one LABEL.json file; quote a path that holds blanks"));
    Command c;
    c.kind = Command::LabelCheck;
    c.label = p.positional.front();
    return c;
}

} // namespace

QStringList ExportTypeNames(symbols::SymbologyTable table)
{
    QStringList names;
    for (const symbols::SymbologyRow& row : table)
        names << QLatin1String(row.name);
    return names;
}

namespace {

// The --type names with the captions the window shows, a few to a line.
QString TypeList(symbols::SymbologyTable table)
{
    QStringList lines, line;
    for (const symbols::SymbologyRow& row : table) {
        line << QStringLiteral("%1 (%2)").arg(QLatin1String(row.name), QString::fromUtf8(row.caption));
        if (line.size() == 3) {
            lines << line.join(QStringLiteral(", "));
            line.clear();
        }
    }
    if (!line.isEmpty())
        lines << line.join(QStringLiteral(", "));
    return lines.join(QStringLiteral(",\n  "));
}

} // namespace

Command ParseCommandLine(const QStringList& arguments, symbols::SymbologyTable table)
{
    const QString whole = arguments.join(QLatin1Char(' ')).trimmed();
    if (whole.isEmpty())
        return Command{};
    const QString& first = arguments.front();
    if (first == QLatin1String("export"))
        return ParseExport(arguments.mid(1), table);
    if (first == QLatin1String("print"))
        return ParsePrint(arguments.mid(1));
    if (first == QLatin1String("print-range"))
        return ParsePrintRange(arguments.mid(1));
    // "label" alone is still a file of that name to batch-print.
    if (first == QLatin1String("label") && arguments.size() > 1)
        return ParseLabel(arguments.mid(1));
    // "labels" alone is still a file of that name to batch-print.
    if (first == QLatin1String("labels") && arguments.size() > 1)
        return ParseLabels(arguments.mid(1), table);
    if (first == QLatin1String("layouts")) {
        if (arguments.size() > 1)
            return Failed(QStringLiteral("layouts takes nothing after it"));
        Command c;
        c.kind = Command::Layouts;
        return c;
    }
    if (first == QLatin1String("--help") || first == QLatin1String("--version")) {
        if (arguments.size() > 1)
            return Failed(QStringLiteral("%1 takes nothing after it").arg(first));
        Command c;
        c.kind = first == QLatin1String("--help") ? Command::Help : Command::Version;
        return c;
    }
    Command c;
    c.kind = Command::Print;
    if (first == kDashes) {
        // What follows is the path, whatever it starts with.
        c.file = arguments.mid(1).join(QLatin1Char(' ')).trimmed();
        if (c.file.isEmpty())
            return Failed(QStringLiteral("-- needs the FILE to print after it"));
        return c;
    }
    if (first.startsWith(kDashes))
        return Failed(QStringLiteral("unknown option %1 (a file of that name is ./%1)").arg(first));
    c.file = whole;
    return c;
}

QString CommandLineUsage()
{
    return QStringLiteral("Usage: quorvane [FILE | print FILE | print-range --from N --to N | export --type TYPE --text TEXT "
                          "--output FILE | labels --label LABEL.json --data FILE | layouts | --help | --version]; quorvane --help tells more.");
}

QString CommandLineHelp(symbols::SymbologyTable table)
{
    return QStringLiteral(
               "Usage:\n"
               "  quorvane                 open the window\n"
               "  quorvane FILE            batch-print FILE with the stored options and exit\n"
               "  quorvane print FILE [--printer NAME] [--wait SECONDS | --no-wait]\n"
               "                 [--pdf-dpi N] [--strict] [label printer options]\n"
               "                           the same, on the printer NAME\n"
               "  quorvane print [FILE] --dry-run [--printer NAME]\n"
               "                           say on which page and printer FILE would print\n"
               "  quorvane export --type TYPE --text TEXT --output FILE [options]\n"
               "                           save one barcode as a PNG, SVG or PDF file\n"
               "  quorvane export --type TYPE --batch LINES --output 'DIR/~~~~~.svg' [options]\n"
               "                           save one barcode per line of the file LINES, numbered\n"
               "                           as the ~ show: 00001.svg, 00002.svg, ...\n"
               "  quorvane export --type TYPE --batch LINES --layout NAME --output SHEETS.pdf\n"
               "                 [--start N] [--left CM] [--top CM]\n"
               "                           a PDF of label sheets, one barcode a label\n"
               "  quorvane export --type TYPE (--text TEXT | --batch LINES | --from N --to N\n"
               "                 [--prefix TEXT]) --output LABELS.zpl|.epl|.tspl [--media WxH{mm|in}]\n"
               "                 [--dpi N] [--module-dots N] [--darkness N] [--speed N]\n"
               "                           labels in a label printer's language, one a barcode,\n"
               "                           all in one file\n"
               "  quorvane print-range --from N --to N [--prefix TEXT] [--layout NAME]\n"
               "                 [--start N] [--printer NAME] [--wait SECONDS | --no-wait] [--dry-run]\n"
               "                 [label printer options]\n"
               "                           print the labels PREFIX+N for N from --from up to,\n"
               "                           not including, --to (--dry-run: say what would print)\n"
               "  quorvane print --label LABEL.json [--layout NAME] [--start N] [--printer NAME]\n"
               "                 [--wait SECONDS | --no-wait] [--pdf-dpi N] [--verify]\n"
               "                           print the label of the label file, ${n} as 1\n"
               "  quorvane print-range --label LABEL.json --from N --to N [--layout NAME] ...\n"
               "                           print the label file's label for N from --from up to,\n"
               "                           not including, --to, N in its ${n}\n"
               "  quorvane export --label LABEL.json --output FILE [--dpi N] [--verify]\n"
               "                           save the label file's label as a PNG, SVG or PDF file\n"
               "  quorvane label --check LABEL.json\n"
               "                           check a label file and say what it holds\n"
               "  quorvane labels (--label LABEL.json | --barcode TEXT [--type TYPE] [--text TEXT]...)\n"
               "                 --data FILE|- [--layout NAME [--start N]]\n"
               "                 [--printer NAME | --output FILE.pdf | --output 'DIR/~~~~.png']\n"
               "                           a label for every record of a CSV file, a spreadsheet\n"
               "                           or the standard input, all checked before any prints\n"
               "  quorvane layouts         list the label layouts, one a line\n"
               "  quorvane --help | --version\n"
               "\n"
               "TYPE is one of:\n  %1\n"
               "\n"
               "Options of print:\n"
               "  --printer NAME    a printer the list shows, a queue of a print server by\n"
               "                    its URI: ipp://HOST:PORT/printers/QUEUE or ipps://..., or a\n"
               "                    network label printer: socket://HOST[:PORT] (9100)\n"
               "  --wait SECONDS    follow a job on a CUPS queue until it has printed, at most\n"
               "                    SECONDS (120 when not given); a job stopped, aborted,\n"
               "                    canceled or still waiting then fails the run\n"
               "  --no-wait         done once CUPS has taken the job\n"
               "  --dry-run         print nothing: say the printer, its page and resolution;\n"
               "                    for a label printer its language, label in dots, and the\n"
               "                    bytes of FILE's labels\n"
               "  --pdf-dpi N       the built-in \"Print to PDF file\" printer draws for a\n"
               "                    printer of N dpi, %6 to %7 (100: a grid of 1/100 inch)\n"
               "\n"
               "Label printer options of print and print-range, for this run over what\n"
               "Options > Printer Setup stored for the printer:\n"
               "  --language zpl|epl|tspl  write the printer's own language (a queue with no\n"
               "                    driver, an LPrint printer and socket:// get zpl unless set)\n"
               "  --media WxH{mm|in}  the label's size, e.g. 2x1in, 50x25mm\n"
               "  --darkness N      0 to 30 (EPL2, TSPL: 0 to 15); the printer's own when not given\n"
               "  --speed N         1 to 14 inches a second (EPL2: 1 to 6)\n"
               "  --dpi N           the printer's dots per inch, 100 to 600 (the queue's, else 203)\n"
               "\n"
               "Size of a barcode, for export, print and print-range (not with --label):\n"
               "  --module MM       the width of one module (bar or space), in mm or in mils\n"
               "                    (\"13mil\"); a printer makes the nearest whole number of its\n"
               "                    dots, one dot at least (0.125 mm at 203 dpi)\n"
               "  --width MM        the barcode fitted to this width: the largest module of\n"
               "                    whole dots that keeps it no wider\n"
               "                    (a PDF file's dots are 1/100 inch; when neither is given,\n"
               "                    printing uses the window's size)\n"
               "\n"
               "Options of print-range and of export with --layout:\n"
               "  --layout NAME     a layout \"quorvane layouts\" lists, or \"One label per job\"\n"
               "                    (print-range: the window's layout when not given)\n"
               "  --start N|ROW,COLUMN  the first free label of the first sheet: its number\n"
               "                    (1 for the first, counted row by row) or its place\n"
               "  --left CM, --top CM  (export) the barcode's place from its label's corner\n"
               "                    (1 cm when not given); print-range uses the window's\n"
               "\n"
               "Options of labels (and --layout, --start, --printer, --wait and the label\n"
               "printer options as for print-range; --dpi: a PNG's resolution):\n"
               "  --data FILE|-     the records: a CSV or TSV file, the first sheet of an\n"
               "                    .xlsx or .ods file, or - for the standard input; its first\n"
               "                    row names the fields, which the label's ${NAME} fill\n"
               "  --delimiter C     the CSV file's delimiter (tab for a tab); found when not given\n"
               "  --encoding NAME   utf-8, utf-16, utf-16le, utf-16be or windows-1252\n"
               "  --sheet NAME      the spreadsheet's sheet of that name\n"
               "  --no-header       the first row is a record; the fields are ${1}, ${2}, ...\n"
               "  --barcode TEXT    a label of a barcode of TEXT (--type, code128 when not\n"
               "                    given) with a line under it for each --text TEXT\n"
               "  --copies N        N labels of every record\n"
               "  --copies-field NAME  as many labels as the record's field NAME says (0: none)\n"
               "  --records FIRST-LAST  only the records numbered so, from 1 (5-20, 5-, -20)\n"
               "  --serial-start N, --serial-step N  ${serial}: N, then N plus the step, ...\n"
               "  --output FILE     a PDF of the labels (on sheets with --layout, else a page\n"
               "                    a label), or a PNG a label ('DIR/~~~~.png')\n"
               "  --skip-bad        print the records that can be printed, list the others\n"
               "                    and exit with 2; without it nothing prints when one fails\n"
               "  --dry-run         check every record and say what would print\n"
               "\n"
               "Options of export:\n"
               "  --dpi N           resolution of a PNG file, %2 to %3 (300 when not given);\n"
               "                    of a label printer's file, 100 to 600 (203)\n"
               "  --media, --darkness, --speed  (a label printer's file) as for print; the\n"
               "                    label is the barcode's own size when --media is not given\n"
               "  --module-dots N   pixels per module of a PNG file, %4 to %5 (2D codes from 2),\n"
               "                    instead of the whole number nearest to the module's size at --dpi\n"
               "  --text-below      print the text under the bars\n"
               "  --ecc L|M|Q|H     (qr) error correction: 7, 15, 25 or 30 % (M when not given)\n"
               "  --columns N       (pdf417) data columns, 1 to 30 (as many as fit when not given)\n"
               "  --rectangular     (datamatrix, gs1-datamatrix) a rectangular symbol\n"
               "  --strict          (export and print) a barcode that would hold another text\n"
               "                    than was typed (a 0 added, a check digit replaced) fails\n"
               "  --verify          read every barcode back; one that does not scan as its\n"
               "                    text fails the export and is not written (with --label,\n"
               "                    also print and print-range: every barcode part of every\n"
               "                    label, before it prints)\n"
               "\n"
               "A file whose name starts with -- is written ./--NAME, or after --.\n"
               "Errors go to the standard error; the exit status is 0 only when everything\n"
               "asked for was done.\n")
        .arg(TypeList(table))
        .arg(kMinDpi)
        .arg(kMaxDpi)
        .arg(kMinModuleDots)
        .arg(kMaxModuleDots)
        .arg(printing::kMinPdfDpi)
        .arg(printing::kMaxPdfDpi);
}

QString VersionText() { return core::kHelpAboutTitle; }

} // namespace cli
