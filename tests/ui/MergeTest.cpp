// Merge data in the window: "Merge Data…" shows a file's fields and first
// records as its options read it, the label editor offers the fields and
// its preview steps through the records, marking those whose label can't
// be made, and the choice outlives the window.
#include "jobs/StoredLayouts.h"
#include "jobs/StoredOptions.h"
#include "labels/LabelFile.h"
#include "tests/support/Decode.h"
#include "tests/support/LabelPage.h"
#include "tests/support/PrintingWindow.h"
#include "tests/support/Window.h"
#include "ui/Form1.h"
#include "ui/LabelEditor.h"
#include "ui/MergeDialog.h"

#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QUndoStack>
#include <gtest/gtest.h>

namespace {

QString Write(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
    return path;
}

QStringList Headers(const QTableWidget& table)
{
    QStringList headers;
    for (int c = 0; c < table.columnCount(); ++c)
        headers << table.horizontalHeaderItem(c)->text();
    return headers;
}

QStringList Row(const QTableWidget& table, int row)
{
    QStringList cells;
    for (int c = 0; c < table.columnCount(); ++c)
        cells << (table.item(row, c) ? table.item(row, c)->text() : QString());
    return cells;
}

// A barcode of ${sku} over a text of ${name}, on a 60 x 30 mm label.
labels::Label SkuLabel()
{
    labels::BarcodePart barcode;
    barcode.symbology = symbols::Symbology::Code128B;
    barcode.text = QStringLiteral("${sku}");
    barcode.moduleMm = 0.33;
    barcode.heightMm = 12;
    labels::TextPart name;
    name.text = QStringLiteral("${name}");
    labels::Label label = labels::OneBarcodeLabel(barcode, QSizeF(60, 30), QPointF(3, 3));
    label.parts.push_back(labels::Part{QPointF(3, 20), name});
    return label;
}

} // namespace

TEST(MergeDialog, ShowsTheFieldsAndFirstRecordsAsTheOptionsReadTheFile)
{
    struct Case {
        const char* why;
        QByteArray bytes;
        QString delimiter; // as chosen; empty: found from the file
        bool header;
        QStringList fields;
        QStringList firstRow;
        QString firstLine; // the first row's heading: its line in the file
        int rows;
    };
    const Case cases[] = {
        {"commas, found", "sku,name\nA-1,Bolt\nA-2,\"Nut, M6\"\n", {}, true, {"sku", "name"}, {"A-1", "Bolt"}, "2", 2},
        {"semicolons, found", "sku;name;qty\nB-7;Washer;3\n", {}, true, {"sku", "name", "qty"}, {"B-7", "Washer", "3"}, "2", 1},
        {"tab given", "sku\tname\nC-1\tPin, split\n", "\t", true, {"sku", "name"}, {"C-1", "Pin, split"}, "2", 1},
        {"no header: fields by column", "A-1,Bolt\nA-2,Nut\n", ",", false, {"1", "2"}, {"A-1", "Bolt"}, "1", 2},
        {"a field with a line break keeps its record's line", "sku,name\n\"A\nB\",x\nC,y\n", {}, true, {"sku", "name"},
         {"A\nB", "x"}, "2", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        QTemporaryDir dir;
        jobs::MergeChoice choice{Write(dir, QStringLiteral("items.csv"), c.bytes), {}};
        choice.options.header = c.header;
        if (!c.delimiter.isEmpty())
            choice.options.delimiter = c.delimiter.front();
        ui::MergeDialog dialog(nullptr, choice);
        EXPECT_EQ(Headers(*dialog.Records), c.fields) << dialog.Summary->text().toStdString();
        ASSERT_EQ(dialog.Records->rowCount(), c.rows);
        EXPECT_EQ(Row(*dialog.Records, 0), c.firstRow);
        EXPECT_EQ(dialog.Records->verticalHeaderItem(0)->text(), c.firstLine);
        EXPECT_EQ(dialog.Chosen().options.header, c.header) << "the choice is given back as shown";
    }

    // A file that can't be read says where and is not taken.
    QTemporaryDir dir;
    const QString bad = Write(dir, QStringLiteral("bad.csv"), "sku,name\nA-1,Bolt\nA-2,\"Nut\n");
    ui::MergeDialog dialog(nullptr, jobs::MergeChoice{bad, {}});
    EXPECT_TRUE(dialog.Summary->text().contains(QStringLiteral("bad.csv:3"))) << dialog.Summary->text().toStdString();
    EXPECT_EQ(dialog.Records->rowCount(), 1) << "the records before the bad line stay shown";
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
}

TEST(MergeEditor, FieldsInsertAtTheCursor_PreviewStepsThroughTheRecords_ABadRecordIsMarked)
{
    QTemporaryDir dir;
    // Record 3's sku has a character Code 128 B can't encode.
    const QString csv = Write(dir, QStringLiteral("items.csv"),
                              "sku,name\nA-1,Bolt\nA-2,Nut\nA\xc3\xa9-3,Washer\nA-4,Pin\n");
    services::RecordingSink messages;
    labels::Label label = SkuLabel();
    ui::LabelEditor editor(label, {}, messages);
    auto data = jobs::MergeData::Open(csv, {});
    ASSERT_TRUE(data.ok()) << data.failure().text.toStdString();
    editor.SetRecords(*data);
    ASSERT_FALSE(editor.RecordBar->isHidden());

    struct Step {
        const char* why;
        std::function<void()> act;
        qint64 record;
        QString sku;  // the barcode as laid out; empty: it can't be
        QString name; // the text as laid out
        bool fails;
    };
    const Step steps[] = {
        {"the first record at start", [] {}, 1, "A-1", "Bolt", false},
        {"next", [&] { editor.NextRecord->click(); }, 2, "A-2", "Nut", false},
        {"last", [&] { editor.LastRecord->click(); }, 4, "A-4", "Pin", false},
        {"previous: the bad one", [&] { editor.PreviousRecord->click(); }, 3, {}, "Washer", true},
        {"first", [&] { editor.FirstRecord->click(); }, 1, "A-1", "Bolt", false},
        {"go to a row typed", [&] { editor.RecordNumber->setValue(4); }, 4, "A-4", "Pin", false},
        {"a row past the end: the last", [&] { editor.ShowRecord(99); }, 4, "A-4", "Pin", false},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.why);
        s.act();
        EXPECT_EQ(editor.RecordShown(), s.record);
        EXPECT_EQ(editor.RecordNumber->value(), s.record);
        const auto& laid = editor.LaidOut();
        ASSERT_EQ(laid.size(), 2u);
        EXPECT_EQ(laid[0].ok() ? laid[0]->text : QString(), s.sku);
        ASSERT_TRUE(laid[1].ok());
        EXPECT_EQ(laid[1]->text, s.name);
        EXPECT_EQ(editor.RecordState->property("fails").toBool(), s.fails) << editor.RecordState->text().toStdString();
        EXPECT_TRUE(editor.RecordState->text().contains(QStringLiteral("items.csv:%1").arg(s.record + 1)));
    }

    // The check lists exactly the bad record, by line and field; double-clicking it shows it.
    editor.FirstRecord->click();
    editor.CheckAll->click();
    ASSERT_EQ(editor.Findings->count(), 2) << "what was found, and the one record";
    EXPECT_TRUE(editor.Findings->item(0)->text().startsWith(QStringLiteral("The labels of 1 of the 4 records")));
    QListWidgetItem* finding = editor.Findings->item(1);
    EXPECT_TRUE(finding->text().startsWith(csv + QStringLiteral(":4: sku: "))) << finding->text().toStdString();
    emit editor.Findings->itemDoubleClicked(finding);
    EXPECT_EQ(editor.RecordShown(), 3);
    EXPECT_TRUE(editor.RecordState->property("fails").toBool());

    // The fields are offered beside the part's text and go in at the cursor.
    editor.SelectPart(1);
    ASSERT_EQ(editor.FieldMenu->actions().size(), 5) << "sku, name, a separator, the record's number and the date";
    EXPECT_TRUE(editor.TextField->isEnabled());
    editor.Text->setCursorPosition(0);
    editor.FieldMenu->actions().at(0)->trigger(); // ${sku}
    EXPECT_EQ(std::get<labels::TextPart>(editor.EditedLabel().parts[1].what).text, QStringLiteral("${sku}${name}"));
    EXPECT_EQ(editor.LaidOut()[1]->text, QStringLiteral("A\u00e9-3Washer"));
    EXPECT_TRUE(editor.Findings->item(0)->text().contains(QStringLiteral("check again"))) << "the findings were of the old label";
    editor.Undo().undo();
    EXPECT_EQ(std::get<labels::TextPart>(editor.EditedLabel().parts[1].what).text, QStringLiteral("${name}"));

    // Columns a placeholder can't name are shown, not offered.
    editor.SetFields({QStringLiteral("price:eur"), QStringLiteral("a}b"), QStringLiteral("date"), QStringLiteral("lot")});
    const QList<QAction*> offered = editor.FieldMenu->actions();
    EXPECT_EQ((QList<bool>{offered[0]->isEnabled(), offered[1]->isEnabled(), offered[2]->isEnabled(), offered[3]->isEnabled()}),
              (QList<bool>{false, false, false, true}));
}

namespace {

// The window printing a merge of SkuLabel on the test's printers.
struct MergePrint : testsupport::PrintingTest {
    testsupport::SteppingClock clock{0.25};
    ui::Form1 form{testsupport::PrintingWindow(*this, &clock)};
    QTemporaryDir dir;

    void SetUp() override
    {
        form.Form_Load();
        form.SetPdfResolution(300);
        const QString label = dir.filePath(QStringLiteral("sku.json"));
        ASSERT_TRUE(labels::SaveLabel(SkuLabel(), label).ok());
        ASSERT_TRUE(form.UseLabelFile(label)) << messages.texts.join('|').toStdString();
    }

    // Records S-1 ... S-n named "Item k"; `bad` records get a sku Code 128 B can't encode.
    void ChooseLayout(const char* layout, int start = 1)
    {
        testsupport::Combo(form, "ComboLayout")->setCurrentIndex(0);
        if (*layout)
            testsupport::Combo(form, "ComboLayout")->setCurrentText(QLatin1String(layout));
        testsupport::Spin(form, "SpinStart")->setValue(start);
    }

    // Each new text of the progress line from now on.
    QStringList progress;
    void FollowProgress()
    {
        progress.clear();
        pump = [this] {
            const QString now = testsupport::Label(form, "Progress")->text();
            if (progress.isEmpty() || progress.back() != now)
                progress << now;
        };
    }

    void UseRecords(int n, const std::vector<int>& bad = {})
    {
        QByteArray csv = "sku,name\n";
        for (int k = 1; k <= n; ++k)
            csv += (std::find(bad.begin(), bad.end(), k) != bad.end() ? "S\xc3\xa9-" : "S-") + QByteArray::number(k) +
                   ",Item " + QByteArray::number(k) + "\n";
        ASSERT_TRUE(form.UseMergeData({Write(dir, QStringLiteral("items.csv"), csv), {}})) << messages.texts.join('|').toStdString();
    }
};

std::vector<std::string> Codes(const QImage& image)
{
    std::vector<std::string> read;
    for (const testsupport::Decoded& d : testsupport::DecodeAll(image, ZXing::BarcodeFormat::Code128))
        read.push_back(d.text);
    return read;
}

} // namespace

TEST_F(MergePrint, EveryRecordPrintsInOrder_OneLabelPerJobAndOnSheetsFromTheStart)
{
    struct Case {
        const char* layout; // empty: one label per job
        int start;
        // Jobs of a label each are all checked before the first goes out;
        // a job sent whole is checked as its labels are made, each laid out once.
        bool checkedFirst;
    };
    for (const Case c : {Case{"", 1, true}, Case{"Avery L7159", 3, false}}) {
        SCOPED_TRACE(c.layout);
        ChooseLayout(c.layout, c.start);
        UseRecords(5);
        const qsizetype before = sandbox.written.size();
        FollowProgress();
        form.Command2_Click();
        EXPECT_EQ(progress.contains(QStringLiteral("Checking label 1 of 5\u2026")), c.checkedFirst) << progress.join('|').toStdString();
        EXPECT_TRUE(progress.contains(QStringLiteral("Printing label 5 of 5"))) << progress.join('|').toStdString();
        ASSERT_TRUE(messages.texts.isEmpty()) << messages.texts.join('|').toStdString();
        const QStringList written = sandbox.written.mid(before);
        std::vector<std::string> read;
        QString text;
        if (!*c.layout) {
            ASSERT_EQ(written.size(), 5) << "a job for each record";
            for (const QString& pdf : written) {
                for (const std::string& code : Codes(testsupport::RenderPdf(pdf, 300).at(0)))
                    read.push_back(code);
                text += testsupport::PdfText(pdf);
            }
        } else {
            ASSERT_EQ(written.size(), 1) << "the records on one sheet";
            const printing::SheetLayout layout = *jobs::ChosenLayout(QLatin1String(c.layout));
            const QImage page = testsupport::RenderPdf(written.at(0), 300).at(0);
            const double px = 300 / labels::kMmPerInch;
            for (int cell = 0; cell < c.start + 6; ++cell) { // the cells before, the five, and two after
                const QRectF mm(layout.CellCornerMm(cell), layout.labelMm);
                const std::vector<std::string> codes = Codes(testsupport::WithQuietZone(page.copy(QRectF(mm.topLeft() * px, mm.size() * px).toRect())));
                EXPECT_EQ(codes.empty(), cell < c.start - 1 || cell >= c.start - 1 + 5) << "cell " << cell + 1 << ": from the start position on";
                read.insert(read.end(), codes.begin(), codes.end());
            }
            text = testsupport::PdfText(written.at(0));
        }
        EXPECT_EQ(read, (std::vector<std::string>{"S-1", "S-2", "S-3", "S-4", "S-5"}));
        for (int k = 1; k <= 5; ++k)
            EXPECT_TRUE(text.contains(QStringLiteral("Item %1").arg(k))) << k;
        EXPECT_EQ(testsupport::Label(form, "Progress")->text(), QStringLiteral("Printed 5 of 5 labels"));
    }
}

TEST_F(MergePrint, BadRecordsPrintNothing_EachIsListedWithItsLineAndField)
{
    std::vector<int> most; // records 4 to 58 of 60
    for (int k = 4; k <= 58; ++k)
        most.push_back(k);
    struct Case {
        const char* layout; // empty: one label per job
        int records;
        std::vector<int> bad;
        const char* more; // the line for the records not listed; empty: all are
        // A job sent whole goes on placing labels until a record fails,
        // then drops them all.
        bool placedBefore;
    };
    const Case cases[] = {
        {"", 8, {2, 5, 7}, "", false},
        {"Avery L7159", 8, {2, 5, 7}, "", true},
        {"Avery L7159", 60, most, "... and 5 more records that can't be printed.", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.layout << ", " << c.bad.size() << " of " << c.records);
        ChooseLayout(c.layout);
        UseRecords(c.records, c.bad);
        messages.texts.clear();
        FollowProgress();
        form.Command2_Click();
        EXPECT_TRUE(sandbox.written.isEmpty());
        EXPECT_EQ(progress.contains(QStringLiteral("Printing label 2 of %1").arg(c.records)), c.placedBefore)
            << progress.join('|').toStdString();
        EXPECT_EQ(testsupport::Label(form, "JobStatus")->toolTip(), QStringLiteral("Nothing was printed: see the message."));
        ASSERT_EQ(messages.texts.size(), 1) << messages.texts.join('|').toStdString();
        const QString said = messages.texts.front();
        EXPECT_TRUE(said.startsWith(QStringLiteral("The labels of %1 of the %2 records of ")
                                        .arg(c.bad.size())
                                        .arg(c.records)))
            << said.toStdString();
        const size_t listed = std::min<size_t>(c.bad.size(), jobs::kListedFindings);
        for (size_t i = 0; i < listed; ++i)
            EXPECT_TRUE(said.contains(QStringLiteral("/items.csv:%1: sku: ").arg(c.bad[i] + 1))) << c.bad[i] << ": " << said.toStdString();
        EXPECT_EQ(static_cast<size_t>(said.count(QStringLiteral("items.csv:"))), listed) << said.toStdString();
        EXPECT_TRUE(said.contains(QLatin1String(c.more))) << said.toStdString();
        const core::Result<ui::Form1::Pages> preview = form.PreviewPages(ui::Form1::PrintKind::Print, 150);
        ASSERT_TRUE(preview.failed()) << "the preview shows why, not a part of the run";
        EXPECT_EQ(preview.failure().text, said);
    }

    form.NoLabelFile_Click();
    form.Command2_Click();
    EXPECT_TRUE(sandbox.written.isEmpty());
    EXPECT_TRUE(messages.texts.back().contains(QStringLiteral("Open Label File"))) << "a merge needs a label with fields";
}

TEST_F(MergePrint, StopEndsAfterTheLabelInProgress_ProgressCountsTheLabels)
{
    struct Case {
        const char* layout; // empty: one label per job
        std::vector<int> bad;
        const char* stopAt; // Stop is clicked when the progress says so
        qsizetype written;
        const char* after;
    };
    const Case cases[] = {
        {"", {}, "Printing label 3 of 1,204", 3, "Stopped after label 3 of 1,204"},
        {"Avery L7159", {}, "Printing label 3 of 1,204", 0, "Stopped: nothing was printed."}, // a job sent whole is dropped
        // After a bad record the rest are only checked, and Stop still stops.
        {"Avery L7159", {2}, "Checking label 201 of 1,204\u2026", 0, "Stopped: nothing was printed."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stopAt);
        ChooseLayout(c.layout);
        UseRecords(1204, c.bad);
        const qsizetype before = sandbox.written.size();
        FollowProgress();
        const auto follow = pump;
        pump = [&] {
            follow();
            if (progress.back() == QString::fromUtf8(c.stopAt))
                testsupport::Button(form, "StopButton")->click();
        };
        form.Command2_Click();
        EXPECT_EQ(sandbox.written.size() - before, c.written);
        EXPECT_TRUE(progress.contains(QStringLiteral("Printing label 1 of 1,204"))) << progress.join('|').toStdString();
        EXPECT_FALSE(progress.contains(QStringLiteral("Printing label 5 of 1,204"))) << progress.join('|').toStdString();
        EXPECT_EQ(testsupport::Label(form, "Progress")->text(), QLatin1String(c.after));
        EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('|').toStdString();
    }
}

TEST_F(MergePrint, TheChoiceIsStoredAndRestored_AFileThatCantBeReadChangesNothing)
{
    const QString tsv = Write(dir, QStringLiteral("items.tsv"), "sku\tname\nA-1\tBolt\n");
    jobs::MergeChoice choice{tsv, {}};
    choice.options.delimiter = QLatin1Char('\t');
    choice.options.encoding = files::TextEncoding::Cp1252;
    ASSERT_TRUE(form.UseMergeData(choice)) << messages.texts.join('|').toStdString();
    EXPECT_EQ(testsupport::Label(form, "MergeInUse")->text(), QStringLiteral("Data: items.tsv"));
    for (const QString& unusable : {dir.filePath(QStringLiteral("gone.csv")), QStringLiteral("-")})
        EXPECT_FALSE(form.UseMergeData({unusable, {}})) << unusable.toStdString();
    EXPECT_EQ(form.Merge().path, tsv) << "a file that can't be read changes nothing";

    const jobs::MergeChoice stored = jobs::ReadStoredOptions().merge;
    EXPECT_EQ(stored.path, tsv);
    EXPECT_EQ(stored.options.delimiter, QLatin1Char('\t'));
    EXPECT_EQ(stored.options.encoding, files::TextEncoding::Cp1252);
    ui::Form1 again{testsupport::PrintingWindow(*this, &clock)};
    again.Form_Load();
    EXPECT_EQ(again.Merge().path, tsv) << "the choice outlives the window";
    EXPECT_TRUE(testsupport::Action(again, "NoMergeData")->isEnabled());
    again.NoMergeData_Click();
    EXPECT_TRUE(jobs::ReadStoredOptions().merge.path.isEmpty());
}
