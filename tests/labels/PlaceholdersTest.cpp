// Placeholders: every form filled from one context, the escapes, and the
// failures that name what is wrong and where.
#include "labels/Placeholders.h"

#include <QStringList>
#include <gtest/gtest.h>

using labels::FillContext;
using labels::Template;

namespace {

const QStringList kNames{"sku", "qty", "empty", "gtin", "neg"};
const QStringList kValues{"A-1", "42", "", "950110153000", "-42"};

FillContext Context()
{
    FillContext c;
    c.run = 42;
    c.record = 7;
    c.fieldNames = kNames;
    c.fieldValues = kValues;
    c.today = QDate(2026, 1, 15);
    c.serialStart = 1000;
    c.serialStep = 5;
    return c;
}

} // namespace

TEST(Placeholders, EveryForm_FillsAsDocumented)
{
    struct Row {
        const char* text;
        const char* filled;
        const char* why;
    };
    const Row rows[] = {
        {"Lot $5 {x} $$ $", "Lot $5 {x} $$ $", "without \"${\" a text prints as typed"},
        {"N${n}/${#}", "N42/7", "the run's and the record's numbers"},
        {"${date}", "2026-01-15", "ISO when no format is given"},
        {"${date:dd.MM.yyyy}", "15.01.2026", "a Qt date format"},
        {"${date+30:yyyy-MM-dd}", "2026-02-14", "30 days on, across a month"},
        {"${date-15:d MMM yyyy}", "31 Dec 2025", "back across a year; month names are English whatever the locale"},
        {"${sku}", "A-1", "a field"},
        {"${empty:=none}|${sku:=none}", "none|A-1", "the fallback only for an empty field"},
        {"${qty:%05d}|${qty:%5d}|${qty:%d}", "00042|   42|42", "zero and space padding"},
        {"${neg:%05d}", "-0042", "the sign counts in the width, as printf's"},
        {"${serial}|${serial:%06d}", "1030|001030", "start 1000 + step 5 x (record 7 - 1)"},
        {"${gtin:check}", "9501101530003", "GS1's worked example of a GTIN-13"},
        {"${n:check}", "420", "4x1 + 2x3 = 10: check digit 0"},
        {"${$}{n} and $${$}", "${n} and $$", "${$} is a literal $"},
    };
    const FillContext c = Context();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        const core::Result<QString> filled = labels::FillText(QString::fromUtf8(row.text), c);
        ASSERT_TRUE(filled.ok()) << filled.failure().text.toStdString();
        EXPECT_EQ(*filled, QString::fromUtf8(row.filled));
    }
}

TEST(Placeholders, BadTextsAndValues_SayWhatAndWhere)
{
    struct Row {
        const char* text;
        std::vector<const char*> said;
        const char* why;
    };
    const Row rows[] = {
        {"AB${n", {"character 3", "no closing \"}\""}, "not closed"},
        {"x ${}", {"character 3", "names nothing"}, "no name"},
        {"${a${b}}", {"character 1", "another \"${\"", "${$}"}, "nested, with the escape to use"},
        {"${qty:%5x}", {"character 1", "\"%5x\"", "%05d"}, "a format that is none"},
        {"${n:=0}", {"${n} is never empty"}, "a fallback for a number"},
        {"${date+x}", {"day offset \"+x\""}, "an offset that is no number"},
        {"${price}", {"no field \"price\"", "\"sku\", \"qty\", \"empty\", \"gtin\" and \"neg\""}, "the fields there are"},
        {"${sku:%d}", {"\"A-1\"", "\"sku\"", "not a whole number"}, "%d of a text"},
        {"${sku:check}", {"\"A-1\"", "not digits"}, "check of a text"},
    };
    const FillContext c = Context();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        const core::Result<QString> filled = labels::FillText(QString::fromUtf8(row.text), c);
        ASSERT_TRUE(filled.failed());
        for (const char* part : row.said)
            EXPECT_TRUE(filled.failure().text.contains(QString::fromUtf8(part))) << filled.failure().text.toStdString();
    }
    EXPECT_TRUE(labels::FillText(QStringLiteral("${x}"), FillContext{}).failure().text.contains(u"the record has no fields"));
}

TEST(Placeholders, ParsedOnce_FillsEachRecord)
{
    const core::Result<Template> t = Template::Parse(QStringLiteral("${sku}-${#:%03d}"));
    ASSERT_TRUE(t.ok());
    EXPECT_FALSE(t->IsPlain());
    EXPECT_EQ(t->Fields(), std::vector<QString>{QStringLiteral("sku")});
    FillContext c = Context();
    const QStringList values[] = {{"X"}, {"Y"}};
    const QStringList names{"sku"};
    c.fieldNames = names;
    for (int i = 0; i < 2; ++i) {
        c.record = i + 1;
        c.fieldValues = values[i];
        EXPECT_EQ(*t->Fill(c), QStringLiteral("%1-00%2").arg(values[i][0]).arg(i + 1));
    }
}
