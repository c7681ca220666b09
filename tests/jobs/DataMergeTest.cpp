// Labels from data without the window: every record checked and every
// problem listed with its line and field, the records read once, and the
// print run giving the good records in order with their copies.
#include "jobs/DataMerge.h"
#include "printing/LabelPrint.h"
#include "tests/support/PrintTo.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using symbols::Symbology;

struct Merge {
    QTemporaryDir dir;

    std::shared_ptr<const jobs::MergeData> Data(const QByteArray& csv)
    {
        const QString path = dir.filePath(QStringLiteral("items.csv"));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(csv);
        f.close();
        auto data = jobs::MergeData::Open(path, {});
        EXPECT_TRUE(data.ok()) << data.failure().text.toStdString();
        return data.ok() ? *data : nullptr;
    }
};

jobs::MergePlan Plan(std::shared_ptr<const jobs::MergeData> data, const QString& barcode, Symbology type,
                     const QStringList& texts, jobs::MergeOptions options = {})
{
    auto prepared = labels::PrepareLabel(jobs::QuickLabel(barcode, type, texts, QSizeF(63.5, 38.1)));
    EXPECT_TRUE(prepared.ok()) << prepared.failure().text.toStdString();
    options.today = QDate(2024, 3, 5);
    return jobs::MergePlan{std::make_shared<const labels::PreparedLabel>(std::move(*prepared)), std::move(data), options};
}

// Messages name the file as given; the tables call it items.csv.
QString Short(QString text, const jobs::MergeData& data)
{
    return text.replace(data.Name(), QStringLiteral("items.csv"));
}

// The text of every label the run gives, in order: its place and its
// barcode's text.
QStringList Printed(const jobs::MergePlan& plan, const jobs::MergeCheck& check)
{
    QStringList printed;
    const printing::NextLabel next = jobs::MergeLabels(plan, check);
    for (auto label = next(); label; label = next()) {
        EXPECT_TRUE(label->stop.ok());
        auto laid = labels::LayOutLabel(*label->parts->label, label->parts->fill, 203);
        EXPECT_TRUE(laid.ok());
        printed << Short(label->text, *plan.data) + QLatin1Char(' ') + (laid.ok() ? laid->parts[0].text : QString());
    }
    return printed;
}

} // namespace

TEST(DataMerge, Check_ListsEveryBadRecordWithItsLineAndField_AndPrintsTheGoodOnesWithTheirCopies)
{
    struct Row {
        const char* why;
        QByteArray csv;
        QString barcode;
        Symbology type;
        QStringList texts;
        QString copiesField;
        QStringList findings; // each finding's text starts so
        QStringList printed;
        qint64 asked; // before the check: the copies of every record whose copies can be read
    };
    const Row rows[] = {
        {"an EAN-13 of a text that has a letter, on line 3",
         "sku,name\n4006381333931,Pen\n12A,Bad\n", "${sku}", Symbology::RetailEan13, {"${name}"}, {},
         {"items.csv:3: sku: \"12A\" can't be drawn as EAN-13: "}, {"items.csv:2 4006381333931"}, 2},
        {"a record of several lines: its line is where it starts",
         "sku,name\n\"4\n5\",x\n4006381333931,y\n", "${sku}", Symbology::RetailEan13, {}, {},
         {"items.csv:2: sku: \"4\n5\" can't be drawn as EAN-13"}, {"items.csv:4 4006381333931"}, 2},
        {"copies from a field: 0 skips the record, a word and a negative count are the record's faults",
         "sku,qty\nA,2\nB,0\nC,x\nD,-1\nE,1\n", "${sku}", Symbology::Code128, {}, QStringLiteral("qty"),
         {"items.csv:4: qty: \"x\" is no number of copies", "items.csv:5: qty: \"-1\" is no number of copies"},
         {"items.csv:2 A", "items.csv:2 A", "items.csv:6 E"}, 3},
        {"a name too long for the label even at its smallest size",
         "sku,name\nA,short\nB," + QByteArray(200, 'W') + "\n", "${sku}", Symbology::Code128, {"${name}"}, {},
         {"items.csv:3: name: the text \"WWW"}, {"items.csv:2 A"}, 2},
        {"a check digit of a field, and a serial",
         "gtin\n400638133393\n", "${gtin:check}", Symbology::RetailEan13, {"No. ${serial:%04d}"}, {},
         {}, {"items.csv:2 4006381333931"}, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        Merge m;
        jobs::MergeOptions options;
        options.copiesField = row.copiesField;
        const jobs::MergePlan plan = Plan(m.Data(row.csv), row.barcode, row.type, row.texts, options);
        EXPECT_EQ(jobs::LabelsAsked(plan), row.asked);
        const core::Result<jobs::MergeCheck> check = jobs::CheckMerge(plan, 203);
        ASSERT_TRUE(check.ok()) << check.failure().text.toStdString();
        QStringList lines = check->Lines();
        for (QString& line : lines)
            line = Short(line, *plan.data);
        ASSERT_EQ(lines.size(), row.findings.size()) << lines.join(QLatin1Char('\n')).toStdString();
        for (qsizetype i = 0; i < lines.size(); ++i) {
            EXPECT_TRUE(lines[i].startsWith(row.findings[i])) << lines[i].toStdString();
            const core::Place& where = check->findings[static_cast<size_t>(i)].failure.where;
            EXPECT_EQ(where.file, m.dir.filePath(QStringLiteral("items.csv")));
            EXPECT_EQ(where.line, lines[i].section(QLatin1Char(':'), 1, 1).toLongLong());
        }
        EXPECT_EQ(check->bad, row.findings.size());
        EXPECT_EQ(check->labels, row.printed.size());
        EXPECT_EQ(Printed(plan, *check), row.printed);
    }
}

TEST(DataMerge, ManyBadRecords_FiftyListedAndTheRestCounted)
{
    Merge m;
    QByteArray csv = "sku\n";
    for (int i = 0; i < 120; ++i)
        csv += i % 2 ? "1234567890128\n" : "bad\n";
    const jobs::MergePlan plan = Plan(m.Data(csv), QStringLiteral("${sku}"), Symbology::RetailEan13, {});
    const core::Result<jobs::MergeCheck> check = jobs::CheckMerge(plan, 300);
    ASSERT_TRUE(check.ok());
    EXPECT_EQ(check->bad, 60);
    EXPECT_EQ(check->findings.size(), size_t(jobs::kListedFindings));
    EXPECT_EQ(check->Lines().back(), QStringLiteral("... and 10 more records that can't be printed."));
    EXPECT_TRUE(check->IsBad(0));
    EXPECT_FALSE(check->IsBad(1));
    EXPECT_EQ(check->labels, 60);
}

TEST(DataMerge, FieldsTheDataDoesNotHave_AreNamedWithTheFieldsThereAre)
{
    Merge m;
    const auto data = m.Data("sku,name,price\n1,a,2\n");
    const struct {
        const char* why;
        QString barcode;
        QString copiesField;
        const char* says;
    } rows[] = {
        {"a placeholder", QStringLiteral("${skus}"), {}, "Part 1 (barcode) of the label names the field \"skus\", which items.csv does not have: the fields are \"sku\", \"name\" and \"price\"."},
        {"the copies field", QStringLiteral("${sku}"), QStringLiteral("qty"), "The copies are to come from the field \"qty\", which items.csv does not have"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        jobs::MergeOptions options;
        options.copiesField = row.copiesField;
        const core::Result<jobs::MergeCheck> check = jobs::CheckMerge(Plan(data, row.barcode, Symbology::Code128, {}, options), 203);
        ASSERT_TRUE(check.failed());
        EXPECT_TRUE(Short(check.failure().text, *data).contains(QString::fromUtf8(row.says))) << check.failure().text.toStdString();
    }
}

TEST(DataMerge, RecordsChosen_AndTheDataReadOnce)
{
    struct Row {
        const char* text;
        std::optional<std::pair<qint64, qint64>> range;
        QStringList printed;
    };
    const qint64 end = std::numeric_limits<qint64>::max();
    const Row rows[] = {
        {"2-3", std::pair<qint64, qint64>{2, 3}, {"items.csv:3 B", "items.csv:4 C"}},
        {"4-", std::pair<qint64, qint64>{4, end}, {"items.csv:5 D"}},
        {"-1", std::pair<qint64, qint64>{1, 1}, {"items.csv:2 A"}},
        {"3", std::pair<qint64, qint64>{3, 3}, {"items.csv:4 C"}},
        {"9-20", std::pair<qint64, qint64>{9, 20}, {}},
        {"0-3", std::nullopt, {}},
        {"5-2", std::nullopt, {}},
        {"a-b", std::nullopt, {}},
        {"-", std::nullopt, {}},
    };
    Merge m;
    const auto data = m.Data("sku\nA\nB\nC\nD\n");
    // The file changes after it was read: what prints is what was read.
    QFile f(data->Path());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("sku\nX\nY\n");
    f.close();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        const auto range = jobs::ParseRecordRange(QString::fromLatin1(row.text));
        ASSERT_EQ(range.ok(), row.range.has_value());
        if (!range.ok())
            continue;
        EXPECT_EQ(*range, *row.range);
        jobs::MergeOptions options;
        std::tie(options.first, options.last) = *range;
        const jobs::MergePlan plan = Plan(data, QStringLiteral("${sku}"), Symbology::Code128, {}, options);
        const auto check = jobs::CheckMerge(plan, 203);
        ASSERT_TRUE(check.ok());
        EXPECT_EQ(check->records, row.printed.size());
        EXPECT_EQ(Printed(plan, *check), row.printed);
    }
}

TEST(DataMerge, CheckedAsPrinted_ABadRecordStopsTheRun_OrIsSkipped)
{
    struct Row {
        bool skipBad;
        bool keepGoing; // what the run hears when it asks before the first record
        QStringList given; // the labels' places, then "stop: ..." for a stop
    };
    const Row rows[] = {
        {false, true, {"items.csv:2", "items.csv:2", "stop: 2 of 5 records can't be printed."}},
        {true, true, {"items.csv:2", "items.csv:2", "items.csv:4", "items.csv:4", "items.csv:6", "items.csv:6"}},
        {true, false, {"stop: Stopped while checking the labels of items.csv."}},
    };
    Merge m;
    const auto data = m.Data("sku\n4006381333931\n12A\n5901234123457\nbad\n4006381333931\n");
    jobs::MergeOptions options;
    options.copies = 2;
    const jobs::MergePlan plan = Plan(data, QStringLiteral("${sku}"), Symbology::RetailEan13, {}, options);
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << (row.skipBad ? "--skip-bad" : "without --skip-bad") << ", keep going "
                                        << row.keepGoing);
        auto check = std::make_shared<jobs::MergeCheck>();
        const core::Result<printing::NextLabel> next =
            jobs::CheckingMergeLabels(plan, 300, check, row.skipBad, [&](qint64) { return row.keepGoing; });
        ASSERT_TRUE(next.ok());
        QStringList given;
        for (auto label = (*next)(); label; label = (*next)()) {
            if (label->stop.failed()) {
                given << QStringLiteral("stop: ") + Short(label->stop.failure().text, *data);
                continue;
            }
            given << Short(label->text, *data);
            // The printer takes the label as the check laid it out, at its grid only.
            ASSERT_TRUE(label->parts && label->parts->laidOut);
            EXPECT_EQ(printing::LayOutParts(*label->parts, 300)->parts[0].text, label->parts->laidOut->parts[0].text);
            EXPECT_EQ(printing::LayOutParts(*label->parts, 203)->dpi, 203);
        }
        EXPECT_EQ(given, row.given);
        if (!row.keepGoing) {
            EXPECT_EQ(check->good + check->bad, 0) << "stopped before the first record";
            continue;
        }
        EXPECT_EQ(check->bad, 2) << "every record is checked, after the first bad one too";
        EXPECT_EQ(check->findings.size(), 2u);
        EXPECT_EQ(check->labels, 6);
    }
}
