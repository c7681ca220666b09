// The command line read into a value: each form, and every error naming
// what is wrong.
#include "cli/CommandLine.h"
#include "core/TextCodec.h"
#include "jobs/StoredOptions.h"
#include "tests/support/PrintTo.h"

#include <gtest/gtest.h>

using cli::Command;
using cli::ParseCommandLine;

namespace {

QStringList Args(std::initializer_list<const char*> args)
{
    QStringList out;
    for (const char* a : args)
        out << QString::fromUtf8(a);
    return out;
}

} // namespace

TEST(CommandLineParse, TheFormsThatRunSomething)
{
    struct Case {
        std::initializer_list<const char*> args;
        Command::Kind kind;
        const char* file; // Print
        const char* why;
    };
    const Case cases[] = {
        {{}, Command::Window, "", "no arguments: the window"},
        {{"  ", ""}, Command::Window, "", "only blanks: the window, as before"},
        {{"--help"}, Command::Help, "", ""},
        {{"--version"}, Command::Version, "", ""},
        {{"export", "--help"}, Command::Help, "", "help from inside a subcommand"},
        {{"orders.txt"}, Command::Print, "orders.txt", "the old form"},
        {{" my", "orders.txt "}, Command::Print, "my orders.txt", "joined by blanks and trimmed, as before"},
        {{"-platform"}, Command::Print, "-platform", "Qt's options are file names"},
        {{"-style", "fusion"}, Command::Print, "-style fusion", "Qt's options are file names"},
        {{"./--odd-name"}, Command::Print, "./--odd-name", "a name starting with dashes, written with ./"},
        {{"--", "--odd-name"}, Command::Print, "--odd-name", "or after --"},
        {{"print", "a b.txt"}, Command::Print, "a b.txt", ""},
        {{"print", "--", "--x.txt"}, Command::Print, "--x.txt", ""},
        {{"print something"}, Command::Print, "print something", "one argument with a blank is a path"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        const Command cmd = ParseCommandLine(Args(c.args));
        EXPECT_EQ(cmd.kind, c.kind) << cmd.error.toStdString();
        EXPECT_EQ(cmd.file, QString::fromUtf8(c.file));
        EXPECT_TRUE(cmd.printer.isEmpty());
    }
    const Command label = ParseCommandLine(Args({"print", "--label", "shelf.json", "--layout", "L7160", "--start", "2,3"}));
    EXPECT_EQ(label.kind, Command::Print) << label.error.toStdString();
    EXPECT_EQ(label.label, "shelf.json");
    EXPECT_EQ(label.layout, "L7160");
    EXPECT_EQ(label.startRow, 2);
    const Command merge = ParseCommandLine(Args({"labels", "--barcode", "${sku}", "--text", "${name}", "--text", "Lot ${lot}",
                                                 "--data", "-", "--delimiter", "tab", "--encoding", "windows-1252", "--no-header",
                                                 "--records", "5-20", "--copies-field", "qty", "--serial-start", "-3", "--skip-bad"}));
    EXPECT_EQ(merge.kind, Command::Labels) << merge.error.toStdString();
    EXPECT_EQ(merge.texts, QStringList({"${name}", "Lot ${lot}"})) << "--text may be given more than once, in order";
    EXPECT_EQ(merge.symbology, symbols::Symbology::Code128);
    EXPECT_EQ(merge.dataOptions.delimiter, QChar(u'\t'));
    EXPECT_EQ(merge.dataOptions.encoding, files::TextEncoding::Cp1252);
    EXPECT_FALSE(merge.dataOptions.header);
    EXPECT_EQ(std::pair(merge.merge.first, merge.merge.last), std::pair(qint64{5}, qint64{20}));
    EXPECT_EQ(merge.merge.copiesField, "qty");
    EXPECT_EQ(merge.merge.serialStart, -3);
    EXPECT_TRUE(merge.skipBad);
    EXPECT_EQ(ParseCommandLine(Args({"labels"})).kind, Command::Print) << "\"labels\" alone is still a file to print";
    const Command check = ParseCommandLine(Args({"label", "--check", "shelf.json"}));
    EXPECT_EQ(check.kind, Command::LabelCheck) << check.error.toStdString();
    EXPECT_EQ(check.label, "shelf.json");
    const Command named = ParseCommandLine(Args({"print", "a.txt", "--printer", "Label Printer"}));
    EXPECT_EQ(named.printer, "Label Printer");
    const QString notUtf8 = core::FromLocalBytes("caf\xE9.txt");
    EXPECT_EQ(ParseCommandLine({QStringLiteral("print"), notUtf8}).file, notUtf8) << "kept by its bytes";
}

TEST(CommandLineParse, Print_WaitDryRunAndPdfDpi)
{
    struct Case {
        std::initializer_list<const char*> args;
        const char* file;
        bool wait;
        int waitSeconds;
        bool dryRun;
        int pdfDpi;
    };
    const Case cases[] = {
        {{"print", "a"}, "a", true, 120, false, 0},
        {{"print", "a", "--wait=0"}, "a", true, 0, false, 0},
        {{"print", "a", "--no-wait", "--pdf-dpi", "203"}, "a", false, 120, false, 203},
        {{"print", "--dry-run", "--printer", "ipps://h:631/printers/L"}, "", true, 120, true, 0},
        {{"print", "a", "--dry-run"}, "a", true, 120, true, 0},
    };
    for (const Case& c : cases) {
        const Command cmd = ParseCommandLine(Args(c.args));
        SCOPED_TRACE(cmd.error.toStdString());
        ASSERT_EQ(cmd.kind, Command::Print);
        EXPECT_EQ(cmd.file, QString::fromUtf8(c.file));
        EXPECT_EQ(cmd.wait, c.wait);
        EXPECT_EQ(cmd.waitSeconds, c.waitSeconds);
        EXPECT_EQ(cmd.dryRun, c.dryRun);
        EXPECT_EQ(cmd.pdfDpi, c.pdfDpi);
    }
}

TEST(CommandLineParse, Export_ValuesAndDefaults)
{
    const Command one = ParseCommandLine(Args({"export", "--type", "CODE39", "--text", "--5", "--output=a.PNG"}));
    ASSERT_EQ(one.kind, Command::Export) << one.error.toStdString();
    EXPECT_EQ(one.symbology, symbols::Symbology::Code39);
    EXPECT_EQ(one.text, "--5") << "a text may start with dashes";
    EXPECT_EQ(one.output, "a.PNG");
    EXPECT_EQ(one.dpi, 300);
    EXPECT_EQ(one.moduleDots, 0);
    EXPECT_FALSE(one.textBelow || one.verify);

    const Command batch = ParseCommandLine(Args({"export", "--verify", "--type=ean", "--batch", "l.txt", "--output",
                                                 "out/~~~~~.png", "--dpi", "600", "--module-dots", "3", "--text-below"}));
    ASSERT_EQ(batch.kind, Command::Export) << batch.error.toStdString();
    EXPECT_EQ(batch.symbology, symbols::Symbology::Ean);
    EXPECT_EQ(batch.batch, "l.txt");
    EXPECT_EQ(batch.dpi, 600);
    EXPECT_EQ(batch.moduleDots, 3);
    EXPECT_TRUE(batch.textBelow && batch.verify);

    for (const QString& type : cli::ExportTypeNames())
        EXPECT_EQ(ParseCommandLine({"export", "--type", type, "--text", "1", "--output", "x.svg"}).kind, Command::Export);
}

TEST(CommandLineParse, LabelPrinterOptions_ForAPrintAndALabelFile)
{
    const Command print = ParseCommandLine(Args({"print", "a.txt", "--printer", "socket://10.0.0.7", "--language", "EPL2",
                                                 "--darkness", "12", "--speed=3", "--media", "2x1in", "--dpi", "300"}));
    ASSERT_EQ(print.kind, Command::Print) << print.error.toStdString();
    EXPECT_EQ(print.labelSetup.language, files::LabelLanguage::Epl2);
    EXPECT_EQ(print.labelSetup.darkness, 12);
    EXPECT_EQ(print.labelSetup.speed, 3);
    EXPECT_EQ(print.labelSetup.mediaMm, QSizeF(50.8, 25.4));
    EXPECT_EQ(print.labelSetup.dpi, 300);
    EXPECT_TRUE(ParseCommandLine(Args({"print", "a.txt"})).labelSetup.IsEmpty()) << "nothing set: the stored setup stands";

    const Command range = ParseCommandLine(Args({"export", "--type", "code128b", "--from", "9", "--to", "12", "--prefix",
                                                 "R-", "--output", "r.TSPL"}));
    ASSERT_EQ(range.kind, Command::Export) << range.error.toStdString();
    EXPECT_EQ(range.labelSetup.language, files::LabelLanguage::Tspl) << "the file's extension names the language";
    EXPECT_EQ(range.dpi, 203) << "a label printer's resolution, not a PNG's";
    EXPECT_EQ(range.from, "9");
    EXPECT_EQ(range.prefix, "R-");
}

TEST(CommandLineParse, Errors_NameWhatIsWrong)
{
    struct Case {
        std::initializer_list<const char*> args;
        const char* error; // a part of the message
    };
    const Case cases[] = {
        {{"--odd-name"}, "unknown option --odd-name (a file of that name is ./--odd-name)"},
        {{"--help", "me"}, "--help takes nothing after it"},
        {{"export", "--type", "code39", "--text", "A", "--output", "a.png", "--colour", "red"}, "unknown option --colour for export"},
        {{"export", "--type", "code39", "--text", "A", "--output", "a.png", "-x"}, "unknown option -x for export"},
        {{"export", "--type", "code39", "--text", "A", "--output"}, "--output needs a value"},
        {{"export", "--type", "code39", "--text=", "--output", "a.png"}, "--text needs a value"},
        {{"export", "--type", "code39", "--type", "ean"}, "--type is given twice"},
        {{"export", "--verify=yes"}, "--verify takes no value"},
        {{"export", "--text", "A", "--output", "a.png"}, "export needs --type: one of code128b, code39, code128-1, code25, codabar, upca, ean"},
        {{"export", "--type", "maxicode", "--text", "A", "--output", "a.png"}, "unknown type \"maxicode\""},
        {{"export", "--type", "code39", "--output", "a.png"}, "export needs --text TEXT or --batch LINES"},
        {{"export", "--type", "code39", "--text", "A", "--batch", "l.txt", "--output", "~.png"}, "not both"},
        {{"export", "--type", "code39", "--text", "A"}, "export needs --output"},
        {{"export", "--type", "code39", "--text", "A", "--output", "a.jpg"}, "--output \"a.jpg\" does not end in .png, .svg or .pdf"},
        {{"export", "--type", "code39", "--batch", "l.txt", "--output", "a.png"}, "needs ~ in the file name"},
        {{"export", "--type", "code39", "--text", "A", "--output", "a.png", "--dpi", "3OO"}, "--dpi needs a whole number from 10 to 4800, not \"3OO\""},
        {{"export", "--type", "code39", "--text", "A", "--output", "a.png", "--dpi", "9"}, "--dpi needs a whole number"},
        {{"export", "--type", "code39", "--text", "A", "--output", "a.png", "--module-dots", "-1"}, "--module-dots needs a whole number from 1 to 100"},
        {{"export", "--type", "code39", "--text", "A", "--output", "a.svg", "--dpi", "300"}, "--dpi applies to PNG files only"},
        {{"export", "--type", "code39", "--text", "A", "--output", "a.png", "extra"}, "unexpected argument \"extra\" for export"},
        {{"export", "--type", "qr", "--ecc", "X", "--text", "A", "--output", "a.png"}, "--ecc needs L, M, Q or H, not \"X\""},
        {{"export", "--type", "pdf417", "--columns", "0", "--text", "A", "--output", "a.png"}, "--columns needs a whole number from 1 to 30"},
        {{"export", "--type", "pdf417", "--columns", "31", "--text", "A", "--output", "a.png"}, "--columns needs a whole number from 1 to 30"},
        {{"export", "--type", "aztec", "--ecc", "H", "--text", "A", "--output", "a.png"}, "--ecc applies to qr only, not aztec"},
        {{"export", "--type", "qr", "--rectangular", "--text", "A", "--output", "a.png"}, "--rectangular applies to datamatrix and gs1-datamatrix only"},
        {{"export", "--type", "qr", "--text-below", "--text", "A", "--output", "a.png"}, "--text-below applies to codes of bars; QR Code has no text under it"},
        {{"print-range", "--from", "1"}, "print-range needs --from N and --to N"},
        {{"print-range", "--from", "one", "--to", "5"}, "--from is \"one\": a range counts in whole numbers"},
        {{"print-range", "--from", "1", "--to", "5x"}, "--to is \"5x\": a range counts in whole numbers"},
        {{"print-range", "--from", "1e3", "--to", "5000"}, "--from is \"1e3\": a range counts in whole numbers written in digits only"},
        {{"print-range", "--from", " 7", "--to", "9"}, "--from is \" 7\": a range counts in whole numbers"},
        {{"print-range", "--from", "1.5", "--to", "9"}, "--from is \"1.5\": a range counts in whole numbers"},
        {{"print-range", "--from", "1", "--to", "9223372036854775808"},
         "--to is 9223372036854775808: too large a number to count; the largest is 9223372036854775807."},
        {{"print-range", "--from", "-9223372036854775809", "--to", "1"}, "--from is -9223372036854775809: too large a number to count"},
        {{"export", "--type", "code39", "--from", "0x10", "--to", "20", "--output", "a.zpl"}, "--from is \"0x10\""},
        {{"print-range", "--from", "1", "--to", "5", "--start", "0"}, "--start needs the number of a label"},
        {{"print-range", "--from", "1", "--to", "5", "--start", "2,x"}, "or ROW,COLUMN, not \"2,x\""},
        {{"export", "--type", "code39", "--batch", "l.txt", "--layout", "L7160", "--output", "a.pdf", "--module-dots", "3"},
         "--module-dots applies to PNG files only"},
        {{"export", "--type", "code39", "--batch", "l.txt", "--layout", "L7160", "--output", "a.pdf", "--dpi", "600"},
         "--dpi applies to PNG files only"},
        {{"export", "--type", "code39", "--batch", "l.txt", "--layout", "L7160", "--output", "a.svg"},
         "--layout makes a PDF of sheets: it needs --batch LINES and --output FILE.pdf"},
        {{"export", "--type", "code39", "--batch", "l.txt", "--layout", "L7160", "--left", "-1", "--output", "a.pdf"},
         "--left needs a distance in cm from 0 to 100"},
        {{"export", "--type", "code39", "--text", "A", "--start", "3", "--output", "a.png"}, "--start applies to sheets of labels only"},
        {{"layouts", "all"}, "layouts takes nothing after it"},
        {{"print"}, "print needs the FILE"},
        {{"print", "a", "b"}, "print takes one FILE"},
        {{"print", "a", "--printer"}, "--printer needs a value"},
        {{"print", "a", "--wait", "2", "--no-wait"}, "print takes --wait or --no-wait, not both"},
        {{"print", "a", "--wait", "-1"}, "--wait needs a whole number of seconds from 0 to 86400, not \"-1\""},
        {{"print", "a", "--wait", "86401"}, "--wait needs a whole number of seconds"},
        {{"print", "a", "--pdf-dpi", "71"}, "--pdf-dpi needs a whole number from 72 to 2400"},
        {{"print", "--printer", "Label"}, "print needs the FILE"},
        {{"--"}, "-- needs the FILE"},
        {{"label", "a.json"}, "label needs --check LABEL.json"},
        {{"label", "--check"}, "label --check takes one LABEL.json file"},
        {{"print", "a.txt", "--label", "l.json"}, "print --label prints the label file's label; it takes no FILE (\"a.txt\")"},
        {{"print", "--label", "l.json", "--dry-run"}, "--dry-run applies to a FILE's listing"},
        {{"print", "a.txt", "--layout", "L7160"}, "--layout applies to print --label"},
        {{"print-range", "--label", "l.json", "--from", "1", "--to", "5", "--prefix", "SN-"}, "takes no --prefix"},
        {{"print-range", "--from", "1", "--to", "5", "--verify"}, "--verify applies to print-range --label"},
        {{"export", "--label", "l.json", "--type", "qr", "--output", "a.png"}, "export --label takes no --type"},
        {{"export", "--label", "l.json", "--output", "a.pdf", "--dpi", "600"}, "--dpi applies to PNG files only"},
        {{"export", "--type", "code39", "--output", "a.zpl"}, "export needs --text TEXT, --batch LINES or --from N --to N"},
        {{"export", "--type", "code39", "--text", "A", "--from", "1", "--to", "3", "--output", "a.zpl"}, "export takes one of"},
        {{"export", "--type", "code39", "--text", "A", "--output", "a.zpl", "--layout", "L7160"},
         "--layout applies to sheets of labels only, not to a label printer's file"},
        {{"export", "--type", "code39", "--text", "A", "--output", "a.tspl", "--language", "zpl"}, "unknown option --language for export"},
        {{"export", "--type", "code39", "--text", "A", "--output", "a.png", "--media", "2x1in"},
         "--media applies to a label printer's file only"},
        {{"print", "a", "--language", "pcl"}, "\"pcl\" is not a label printer language: the languages are zpl, epl, tspl"},
        {{"print", "a", "--darkness", "31"}, "The darkness \"31\" can't be used"},
        {{"print-range", "--from", "1", "--to", "5", "--speed", "0"}, "The speed \"0\" can't be used"},
        {{"print", "a", "--media", "2x1"}, "\"2x1\" is not a label size"},
        {{"print", "a", "--dpi", "50"}, "The resolution \"50\" can't be used"},
        {{"labels", "--data", "i.csv"}, "labels needs --label LABEL.json, or --barcode TEXT"},
        {{"labels", "--label", "l.json", "--barcode", "${sku}", "--data", "i.csv"}, "labels takes --label or --barcode, not both"},
        {{"labels", "--label", "l.json", "--text", "${name}", "--data", "i.csv"}, "labels --label takes no --text"},
        {{"labels", "--barcode", "${sku}"}, "labels needs --data FILE"},
        {{"labels", "--barcode", "${sku}", "--type", "maxicode", "--data", "i.csv"}, "unknown type \"maxicode\""},
        {{"labels", "--barcode", "${sku}", "--data", "i.csv", "--copies", "2", "--copies-field", "qty"}, "--copies or --copies-field, not both"},
        {{"labels", "--barcode", "${sku}", "--data", "i.csv", "--copies", "0"}, "--copies needs a whole number from 1 to 100000"},
        {{"labels", "--barcode", "${sku}", "--data", "i.csv", "--records", "20-5"}, "--records needs FIRST-LAST (5-20), FIRST- or -LAST, from 1, not \"20-5\""},
        {{"labels", "--barcode", "${sku}", "--data", "i.csv", "--serial-step", "1.5"}, "--serial-step needs a whole number"},
        {{"labels", "--barcode", "${sku}", "--data", "i.csv", "--delimiter", ";;"}, "--delimiter needs one character"},
        {{"labels", "--barcode", "${sku}", "--data", "i.csv", "--encoding", "latin9"}, "--encoding needs utf-8, utf-16"},
        {{"labels", "--barcode", "${sku}", "--data", "i.csv", "--printer", "P", "--output", "a.pdf"}, "--printer or --output, not both"},
        {{"labels", "--barcode", "${sku}", "--data", "i.csv", "--output", "a.svg"}, "--output \"a.svg\" does not end in .pdf or .png"},
        {{"labels", "--barcode", "${sku}", "--data", "i.csv", "--output", "a.png"}, "needs ~ in the file name where the label's number goes"},
        {{"labels", "--barcode", "${sku}", "--data", "i.csv", "--output", "a.pdf", "--start", "3"}, "--start applies to sheets of labels only"},
        {{"labels", "--barcode", "${sku}", "--data", "i.csv", "--output", "a.pdf", "--media", "2x1in"}, "--media applies to printing, not to --output"},
        {{"labels", "--barcode", "${sku}", "--data", "i.csv", "--output", "a.pdf", "--dpi", "300"}, "--dpi applies to PNG files and label printers"},
        {{"labels", "--barcode", "${sku}", "--data", "i.csv", "--data", "j.csv"}, "--data is given twice"},
        // Whole numbers of the commands the rows above do not reach.
        {{"export", "--label", "l.json", "--output", "a.png", "--dpi", "5"}, "--dpi needs a whole number from 10 to 4800, not \"5\""},
        {{"export", "--type", "code39", "--text", "A", "--output", "a.zpl", "--module-dots", "0"},
         "--module-dots needs a whole number from 1 to 100, not \"0\""},
        {{"labels", "--barcode", "${sku}", "--data", "i.csv", "--output", "~.png", "--dpi", "3OO"},
         "--dpi needs a whole number from 10 to 4800, not \"3OO\""},
    };
    for (const Case& c : cases) {
        const Command cmd = ParseCommandLine(Args(c.args));
        SCOPED_TRACE(c.error);
        EXPECT_EQ(cmd.kind, Command::Error);
        EXPECT_TRUE(cmd.error.contains(QString::fromUtf8(c.error))) << cmd.error.toStdString();
    }
}

TEST(CommandLineParse, ModuleOrWidth_ForExportPrintAndPrintRange)
{
    using graphics::PrintSize;
    struct Case {
        std::initializer_list<const char*> args;
        std::optional<PrintSize> size; // none: refused
        const char* error;             // a part of the message when refused
    };
    const Case cases[] = {
        {{"export", "--type", "code128", "--text", "A", "--output", "a.pdf", "--module", "0.33"}, PrintSize::Module(0.33), ""},
        {{"export", "--type", "code128", "--text", "A", "--output", "a.png", "--module", "13mil"}, PrintSize::Module(0.3302), ""},
        {{"export", "--type", "qr", "--text", "A", "--output", "a.svg", "--width", "20"}, PrintSize::Width(20), ""},
        {{"export", "--type", "code128", "--batch", "l", "--layout", "Avery 5160", "--output", "s.pdf", "--width", "50"}, PrintSize::Width(50), ""},
        {{"print", "a.txt", "--module", "0.25 mm"}, PrintSize::Module(0.25), ""},
        {{"print-range", "--from", "1", "--to", "3", "--width", "40"}, PrintSize::Width(40), ""},
        {{"export", "--type", "code128", "--text", "A", "--output", "a.png"}, std::nullopt, nullptr},
        {{"export", "--type", "code128", "--text", "A", "--output", "a.pdf", "--module", "0.3", "--width", "40"}, std::nullopt,
         "--module and --width can't both be given"},
        {{"export", "--type", "code128", "--text", "A", "--output", "a.png", "--module", "0.3", "--module-dots", "3"}, std::nullopt,
         "--module-dots and --module can't both be given"},
        {{"export", "--type", "code128", "--text", "A", "--output", "a.png", "--module", "0"}, std::nullopt, "--module needs a length from 0.05 to 25 mm"},
        {{"export", "--type", "code128", "--text", "A", "--output", "a.png", "--module", "0.01"}, std::nullopt, "--module needs a length"},
        {{"print", "a.txt", "--width", "wide"}, std::nullopt, "--width needs a length from 1 to 2000 mm (or in mils, such as \"13 mil\"), not \"wide\""},
        {{"print-range", "--from", "1", "--to", "3", "--module", "0.3 in"}, std::nullopt, "--module needs a length"},
        {{"print", "--label", "l.json", "--module", "0.3"}, std::nullopt, "the label file sizes its barcodes"},
        {{"export", "--label", "l.json", "--output", "a.png", "--width", "30"}, std::nullopt, "export --label takes no --width"},
    };
    for (const Case& c : cases) {
        const Command cmd = ParseCommandLine(Args(c.args));
        SCOPED_TRACE(cmd.error.toStdString());
        if (c.error && *c.error) {
            EXPECT_EQ(cmd.kind, Command::Error);
            EXPECT_TRUE(cmd.error.contains(QString::fromUtf8(c.error)));
            continue;
        }
        ASSERT_NE(cmd.kind, Command::Error);
        ASSERT_EQ(cmd.printSize.has_value(), c.size.has_value());
        if (c.size) {
            EXPECT_EQ(cmd.printSize->kind, c.size->kind);
            EXPECT_NEAR(cmd.printSize->mm, c.size->mm, 1e-9);
        }
    }
    // The window keeps its size as typed, and reads it back so.
    for (const char* stored : {"module 0.33 mm", "module 13 mil", "width 50 mm", ""})
        EXPECT_EQ(jobs::PrintSizeToSetting(jobs::PrintSizeFromSetting(QLatin1String(stored))), QLatin1String(stored));
    EXPECT_NEAR(jobs::SizeOf(jobs::PrintSizeFromSetting(QStringLiteral("module 10 mil"))).mm, 0.254, 1e-9);
    EXPECT_TRUE(jobs::SizeOf(jobs::PrintSizeFromSetting(QStringLiteral("module x mm"))).IsNatural()) << "a hand-edited store";
}
