// The command line as scripts use it, against the real program: each form
// does what it says, and every error names what is wrong and exits
// non-zero without leaving a file behind.
#include "tests/output/UnattendedRun.h"
#include "tests/support/Decode.h"

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
        {{"export", "--type", "code39", "--text", "A#B", "--output", out("x.png"), "--verify"}, 1, "", "does not scan", {},
         "a symbol that reads another text fails the check: nothing written"},
        {{"export", "--type", "code25", "--text", "1234", "--output", out("w.png")}, 0, "", "", {"w.png"},
         "the same symbol without the check is written"},
        {{"export", "--type", "code39", "--text", "A", "--output", "/no/such/folder/x.png"}, 1, "", "/no/such/folder", {},
         "an output that can't be written is named"},
        {{"export", "--type", "maxicode", "--text", "A", "--output", out("q.png")}, 2, "", "unknown type", {}, "unknown type"},
        {{"export", "--type", "code39", "--text"}, 2, "", "--text", {}, "a missing value"},
        {{"export", "--type", "code39", "--text", "A", "--output", out("d.png"), "--dpi", "lots"}, 2, "", "--dpi", {}, "not a number"},
        {{"--frobnicate"}, 2, "", "Usage:", {}, "an unknown option gets the usage line"},
        {{"print", lines, "--printer", "No such printer"}, 1, "", "No such printer", {}, "a printer that is not installed"},
        {{"print", lines, "--printer", "Print to PDF file"}, 0, ".pdf", "", {}, "print on the printer named"},
        {{"-platform"}, 1, "", "-platform", {}, "Qt's options are file names like any other"},
        {{oddRelative}, 0, ".pdf", "", {}, "a file whose name starts with dashes, written ./--name"},
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
    }
    const QImage png(out(QStringLiteral("a.png")));
    EXPECT_EQ(testsupport::DecodeOne(png, ZXing::BarcodeFormat::Code39).text, "QV-2026") << "the PNG as written";
    Q_UNUSED(odd);
}
