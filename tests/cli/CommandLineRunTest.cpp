// The command line as scripts use it, against the real program: each form
// does what it says, and every error names what is wrong and exits
// non-zero without leaving a file behind.
#include "tests/support/Decode.h"
#include "tests/support/Pages.h"
#include "tests/support/TempConfig.h"
#include "tests/support/UnattendedRun.h"

#include <QDir>
#include <QImage>

namespace {

struct CommandLineRun : ::testing::Test, testsupport::UnattendedRun {
    QString out(const QString& name) const { return work.filePath(name); }
};

} // namespace

TEST_F(CommandLineRun, EveryForm_ExitStatusOutputAndFiles)
{
    Store("line", QStringLiteral("*"));
    const QString lines = writeFile(QStringLiteral("lines.txt"), "QV-1\r\n\r\nQV-3\r\n");
    const QString odd = writeFile(QStringLiteral("--odd-name"), "*ODD\r\n");
    const QString oddRelative = QStringLiteral("./--odd-name");
    struct Case {
        QStringList args;
        int exit;
        const char* stdoutHas;
        const char* stderrHas;
        QStringList files; // written by the run (in the work folder)
        const char* why;
    };
    const Case cases[] = {
        {{"--help"}, 0, "quorvane export", "", {}, "help names every form"},
        {{"--version"}, 0, "Quorvane 4.1", "", {}, "the version"},
        {{"export", "--type", "code39", "--text", "QV-2026", "--output", out("a.png"), "--verify"}, 0, "", "", {"a.png"}, "one PNG, read back"},
        {{"export", "--type", "ean", "--text", "400638133393", "--output", out("e.svg")}, 0, "", "", {"e.svg"}, "an SVG"},
        {{"export", "--type", "codabar", "--batch", lines, "--output", out("~~~.pdf")}, 0, "", "", {"001.pdf", "003.pdf"},
         "one file per line, numbered by the line"},
        {{"export", "--type", "upca", "--text", "123", "--output", out("u.png")}, 1, "", "11 Digits", {},
         "a text the symbology can't encode: nothing written"},
        {{"export", "--type", "code25", "--text", "1234", "--output", out("v.png"), "--verify"}, 0, "", "", {"v.png"},
         "too short for zxing-cpp, confirmed by its bar widths: never \"does not scan\""},
        {{"export", "--type", "code39", "--text", "A#B", "--output", out("x.png"), "--verify"}, 0, "",
         "holds AB (Code 39 can't encode \"#\" (character 2))", {"x.png"},
         "a character Code 39 leaves out: written, and stderr says what it scans as"},
        {{"export", "--type", "code39", "--text", "A#B", "--output", out("y.png"), "--strict"}, 1, "",
         "Code 39 can't encode \"#\" (character 2)", {}, "--strict refuses it: nothing written"},
        {{"export", "--type", "code39", "--text", "Καλημέρα", "--output", out("g.svg")}, 1, "",
         "Code 39 can't encode \"Κ\" (character 1), nor any other", {}, "nothing left but start and stop: refused"},
        {{"export", "--type", "codabar", "--text", "AB$%", "--output", out("c.svg")}, 1, "",
         "Codabar can't encode \"A\" (character 1): it is drawn as a start or stop character", {}, "a start character inside"},
        {{"export", "--type", "code128b", "--text", "Größe", "--output", out("b.svg")}, 1, "",
         "Code 128 B can't encode \"ö\" (character 3)", {}, "the engine's message names the reason"},
        {{"export", "--type", "code25", "--text", "1234", "--output", out("w.png")}, 0, "", "", {"w.png"},
         "the same symbol without the check is written"},
        {{"export", "--type", "code39", "--text", "A", "--output", "/no/such/folder/x.png"}, 1, "", "/no/such/folder", {},
         "an output that can't be written is named"},
        {{"export", "--type", "maxicode", "--text", "A", "--output", out("q.png")}, 2, "", "unknown type", {}, "unknown type"},
        {{"export", "--type", "code39", "--text"}, 2, "", "--text", {}, "a missing value"},
        {{"export", "--type", "code39", "--text", "A", "--output", out("d.png"), "--dpi", "lots"}, 2, "", "--dpi", {}, "not a number"},
        {{"--frobnicate"}, 2, "", "Usage:", {}, "an unknown option gets the usage line"},
        {{"print", lines, "--printer", "No such printer"}, 1, "",
         "The printer \"No such printer\" can't be used: the print server at ", {},
         "a printer not listed while no print server answers (the runs have none): the server is named, not the printer"},
        {{"print-range", "--from", "1", "--to", "3", "--printer", "Nope"}, 1, "", "\"Nope\" can't be used: the print server at", {},
         "the same for print-range"},
        {{"print-range", "--from", "1", "--to", "3", "--layout", "Nope"}, 2, "", "print-range --from N --to N", {}, "an unknown layout, with the usage that names print-range"},
        {{"print", lines, "--printer", "Print to PDF file"}, 0, ".pdf", "", {}, "print on the printer named"},
        {{"-platform"}, 1, "", "-platform", {}, "Qt's options are file names like any other"},
        {{oddRelative}, 0, ".pdf", "", {}, "a file whose name starts with dashes, written ./--name"},
        {{"layouts"}, 0, "Avery L7160\tA4\t3 × 7\tlabel 63.5 × 38.1 mm", "", {}, "the layouts, one a line"},
        {{"export", "--type", "code128b", "--batch", lines, "--layout", "L7160", "--start", "20", "--output", out("s.pdf")},
         0, "", "", {"s.pdf"}, "a PDF of sheets"},
        {{"export", "--type", "code128b", "--batch", lines, "--layout", "No such", "--output", out("t.pdf")},
         2, "", "There is no layout named \"No such\"", {}, "an unknown layout: nothing written"},
        {{"export", "--type", "code128b", "--batch", lines, "--layout", "L7160", "--start", "22", "--output", out("t.pdf")},
         1, "", "labels 1 to 21", {}, "a start past the sheet: nothing written"},
        {{"print-range", "--from", "7", "--to", "9", "--layout", "L7160", "--start", "7,3"}, 0, ".pdf", "", {},
         "a run of labels on sheets, from the last label of the first sheet"},
        {{"print-range", "--from", "0007", "--to", "30", "--prefix", "SN-", "--layout", "L7160", "--start", "20", "--dry-run"}, 0,
         "Labels: 23, SN-0007 to SN-0029\nLayout: Avery L7160, from label 20: 2 sheets\nNothing was printed (--dry-run).", "", {},
         "a dry run says the labels and the sheets, and prints nothing"},
        {{"print-range", "--from", "5", "--to", "1"}, 1, "", "There are no labels from 5 up to 1: --from must be below --to. Nothing was printed.", {},
         "a backwards range says so and fails"},
        {{"print-range", "--from", "9223372036854775805", "--to", "9223372036854775807", "--prefix", "SN-", "--dry-run"}, 0,
         "Labels: 2, SN-9223372036854775805 to SN-9223372036854775806", "", {}, "counts in 64 bits up to the largest"},
        {{"print-range", "--from", "-9223372036854775808", "--to", "9223372036854775807", "--dry-run"}, 0,
         "Labels: 18446744073709551615, -9223372036854775808 to 9223372036854775806", "", {}, "the whole 64-bit range"},
        {{"print-range", "--from", "9223372036854775806", "--to", "9223372036854775807", "--prefix", "SN-"}, 0, ".pdf", "", {},
         "the last label before the limit prints"},
        {{"print-range", "--from", "5", "--to", "5"}, 1, "", "There are no labels from 5 up to 5", {}, "an empty range says so and fails"},
        {{"print-range", "--from", "1e300", "--to", "1e301"}, 2, "", "--from is \"1e300\"", {},
         "not a whole number in digits: refused by its name, not a run that never ends"},
        {{"print-range", "--from", "7", "--to", "9", "--layout", "L7160", "--start", "2,4"}, 1, "",
         "Row 2, column 4 is not on the sheet: the layout \"Avery L7160\" has 3 columns and 7 rows.", {},
         "a place not on the sheet: nothing printed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        const QStringList before = QDir(work.path()).entryList(QDir::Files);
        testsupport::ProgramRun r = quorvane(c.args, 60000, {}, work.path());
        ASSERT_TRUE(r.finished);
        EXPECT_EQ(r.exitCode, c.exit) << r.err.toStdString();
        EXPECT_TRUE(r.out.contains(QString::fromUtf8(c.stdoutHas))) << r.out.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.stderrHas))) << r.err.toStdString();
        QStringList made = QDir(work.path()).entryList(QDir::Files | QDir::Hidden);
        for (const QString& f : before)
            made.removeAll(f);
        made.sort();
        EXPECT_EQ(made, c.files);
        for (const QString& f : made.filter(QStringLiteral(".pdf")))
            testsupport::ExpectValidPdf(out(f));
    }
    const QImage png(out(QStringLiteral("a.png")));
    EXPECT_EQ(testsupport::DecodeOne(png, ZXing::BarcodeFormat::Code39).text, "QV-2026") << "the PNG as written";
    // Lines 1 and 3 in cells 20 and 21 of the first sheet; nothing on a second.
    const std::vector<QImage> sheets = testsupport::RenderPdf(out(QStringLiteral("s.pdf")), 150);
    ASSERT_EQ(sheets.size(), 1u);
    EXPECT_EQ(testsupport::DecodeAll(sheets[0]).size(), 2u);
    Q_UNUSED(odd);
}

TEST_F(CommandLineRun, PrintFile_WithASheetLayoutStored_PutsEveryCodeOnALabel)
{
    const testsupport::TempConfig config; // the layout stays with this test
    Store("line", QStringLiteral("*"));
    Store("layout", QStringLiteral("Avery L7160"));
    Store("layoutstart", QStringLiteral("20"));
    const QString lines = writeFile(QStringLiteral("codes.txt"), "*QV-1\r\nnot a code\r\n*QV-3\r\n*QV-4\r\n");
    const testsupport::ProgramRun dry = quorvane({"print", lines, "--dry-run"});
    EXPECT_TRUE(dry.out.contains(QStringLiteral("Layout: Avery L7160, from label 20: 2 sheets"))) << dry.out.toStdString();
    const testsupport::ProgramRun r = quorvane({"print", lines});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const std::vector<QImage> sheets = testsupport::RenderPdf(r.out.trimmed(), 150);
    ASSERT_EQ(sheets.size(), 2u) << "labels 20 and 21 of the first sheet, then the first of the next";
    EXPECT_EQ(testsupport::DecodeAll(sheets[0]).size(), 2u);
    EXPECT_EQ(testsupport::DecodeOne(sheets[1]).text, "QV-4");
}

// A saved layout edited by hand to a page no PDF holds is listed with its
// size and why it can't be printed, and printing with it writes nothing.
TEST_F(CommandLineRun, ALayoutEditedToAHugePage_IsListedWithTheReason_AndPrintsNothing)
{
    const testsupport::TempConfig config;
    const auto layouts = [](const char* key, const QString& value) {
        EXPECT_TRUE(services::SaveSetting(QStringLiteral("Quorvane"), QStringLiteral("layouts"), QString::fromLatin1(key), value).ok());
    };
    layouts("count", QStringLiteral("1"));
    layouts("name1", QStringLiteral("Huge"));
    layouts("value1", QStringLiteral("page=1e308x1e308;label=10x10;grid=1x1;pitch=10x10;margins=0,0;unit=mm"));
    const testsupport::ProgramRun listed = quorvane({"layouts"});
    EXPECT_EQ(listed.exitCode, 0);
    EXPECT_TRUE(listed.out.contains(QStringLiteral("Huge\t1e+308 × 1e+308 mm"))) << listed.out.toStdString();
    EXPECT_TRUE(listed.out.contains(QStringLiteral("can't be printed: its page of 1e+308 × 1e+308 mm is not one a PDF can hold")));
    EXPECT_FALSE(listed.out.contains(QStringLiteral("inf")));
    const testsupport::ProgramRun printed = quorvane({"print-range", "--from", "1", "--to", "2", "--layout", "Huge"});
    EXPECT_EQ(printed.exitCode, 1);
    EXPECT_TRUE(printed.err.contains(QStringLiteral("from 1.1 mm to 5080 mm (200 in)"))) << printed.err.toStdString();
    EXPECT_TRUE(QDir(pdfDir).entryList(QDir::Files).isEmpty());
}

// --verify reads the PNG as it is written: every 2D code at the smallest
// module offered reads from the file, one pixel a module is refused for
// them by name, and Code 128's Latin-1 letters are compared as bytes.
TEST_F(CommandLineRun, Verify_ReadsTheWrittenFile_AtTheSmallestModuleOffered)
{
    struct Case {
        const char* type;
        const char* text;
        ZXing::BarcodeFormat format;
    };
    const Case cases[] = {
        {"qr", "QV-2026-0042 Grüße", ZXing::BarcodeFormat::QRCode},
        {"datamatrix", "QV-2026-0042", ZXing::BarcodeFormat::DataMatrix},
        {"pdf417", "QV-2026-0042100", ZXing::BarcodeFormat::PDF417},
        {"aztec", "Ticket 0815", ZXing::BarcodeFormat::Aztec},
        {"code128", "ÄÖÜ-3", ZXing::BarcodeFormat::Code128},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        const QString png = out(QStringLiteral("%1.png").arg(QLatin1String(c.type)));
        const testsupport::ProgramRun r = quorvane({"export", "--type", c.type, "--text", QString::fromUtf8(c.text), "--output", png,
                                                    "--module-dots", "2", "--verify"});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        const auto read = testsupport::DecodeOne(QImage(png), c.format);
        EXPECT_EQ(QString::fromStdString(read.text), QString::fromUtf8(c.text)) << "from the file as written";
    }
    const testsupport::ProgramRun tiny =
        quorvane({"export", "--type", "datamatrix", "--text", "QV", "--output", out(QStringLiteral("dm.png")), "--module-dots", "1"});
    EXPECT_EQ(tiny.exitCode, 2);
    EXPECT_TRUE(tiny.err.contains(QStringLiteral("--module-dots 1 is too small for Data Matrix"))) << tiny.err.toStdString();
    EXPECT_FALSE(QFile::exists(out(QStringLiteral("dm.png"))));
}
