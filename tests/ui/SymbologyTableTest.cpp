// A symbology is one row of the table: a row added to a table here, and
// nothing else, reaches the command line, its help, the scan check,
// Generate and the window's options with their stored key, for whatever
// is given that table. The built-in table stays as it is.
#include "cli/CommandLine.h"
#include "services/Messages.h"
#include "services/Settings.h"
#include "symbols/PatternGenerate.h"
#include "symbols/SymbologyTable.h"
#include "tests/support/TempConfig.h"
#include "tests/support/Window.h"
#include "ui/Form1.h"

#include <QLineEdit>
#include <QRadioButton>
#include <gtest/gtest.h>
#include <vector>

namespace {

constexpr auto kFake = static_cast<symbols::Symbology>(100);

// A made-up symbology that draws Code 128 bars and reads as what was typed.
symbols::Generated DrawFake(const symbols::SymbologyRow&, const symbols::SymbolRequest& r, graphics::Surface& surface)
{
    QString text = r.text;
    return {&surface, symbols::DrawPatternSymbol(symbols::Code128BPatternOf, text, {r.heightFactor, r.width, r.withText}, surface), {}};
}

symbols::ScanExpectation ReadFake(const symbols::SymbologyRow&, const QString& text) { return {QStringLiteral("Code128"), text}; }

// The built-in rows, and the fake one after them.
std::vector<symbols::SymbologyRow> WithFakeRow()
{
    std::vector<symbols::SymbologyRow> rows(symbols::Symbologies().begin(), symbols::Symbologies().end());
    rows.push_back({.symbology = kFake, .name = "fake-bars", .caption = "Fake Bars",
                    .option = {"OptionFake", "typefake", "0", 120, 720, 300, 195},
                    .surface = symbols::SurfaceId::Pattern, .maxHeightFactor = 100, .draw = DrawFake, .expectedScan = ReadFake});
    return rows;
}

} // namespace

TEST(FakeSymbology, OneRowReachesTheCommandLineTheScanCheckAndTheWindow)
{
    const std::vector<symbols::SymbologyRow> rows = WithFakeRow();
    const symbols::SymbologyTable table = rows;
    EXPECT_TRUE(cli::ExportTypeNames(table).contains(QStringLiteral("fake-bars")));
    EXPECT_FALSE(cli::ExportTypeNames().contains(QStringLiteral("fake-bars"))); // the built-in table is not changed
    EXPECT_TRUE(cli::CommandLineHelp(table).contains(QStringLiteral("fake-bars (Fake Bars)")));
    const cli::Command c = cli::ParseCommandLine(
        {QStringLiteral("export"), QStringLiteral("--type"), QStringLiteral("fake-bars"), QStringLiteral("--text"),
         QStringLiteral("F-1"), QStringLiteral("--output"), QStringLiteral("f.svg")},
        table);
    ASSERT_EQ(c.kind, cli::Command::Export) << c.error.toStdString();
    EXPECT_EQ(c.symbology, kFake);

    symbols::SymbolRequest request;
    request.symbology = kFake;
    request.text = QStringLiteral("F-1");
    request.table = table;
    const symbols::Symbol symbol = symbols::GenerateSymbol(request);
    ASSERT_FALSE(symbol.drawing.IsEmpty());
    EXPECT_TRUE(symbols::ScanCheck(symbol.drawing.Cropped(), symbols::ExpectedScan(kFake, request.text, table)).Scans());

    testsupport::TempConfig config;
    services::RecordingSink messages;
    ui::WindowContext context = testsupport::Quietly(&messages);
    context.symbologies = table;
    ui::Form1 form{std::move(context)};
    form.Form_Load();
    auto* option = form.findChild<QRadioButton*>(QStringLiteral("OptionFake"));
    ASSERT_NE(option, nullptr);
    EXPECT_EQ(option->text(), QStringLiteral("Fake Bars"));
    option->setChecked(true);
    EXPECT_EQ(form.ReadRequest().symbology, kFake);
    EXPECT_FALSE(testsupport::Radio(form, "Option1")->isChecked());
    EXPECT_EQ(services::GetSetting(QStringLiteral("Quorvane"), QStringLiteral("options"), QStringLiteral("typefake"), QString()),
              QStringLiteral("True"));
    testsupport::Line(form, "Text1")->setText(QStringLiteral("F-1"));
    EXPECT_FALSE(form.Box("Picture5").CurrentDrawing().IsEmpty()) << "Generate draws it on the row's surface";
}
