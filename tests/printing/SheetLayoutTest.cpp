// A layout's page is one a PDF can hold: 200 inches a side at most, 3
// points at least; a hand-edited size past that is refused with its value.
#include "printing/SheetLayout.h"

#include <gtest/gtest.h>

TEST(SheetLayout, PageSizes_AtAndPastWhatAPdfHolds)
{
    const struct Row {
        const char* note;
        QSizeF page, label; // mm
        const char* says;   // empty: printable
    } rows[] = {
        {"200 inches square", {5080, 5080}, {100, 100}, ""},
        {"a hair past 200 inches", {5080.1, 297}, {100, 100}, "its page of 5080.1 × 297 mm is not one a PDF can hold"},
        {"a hand-edited 1e308", {1e308, 1e308}, {100, 100}, "1e+308 × 1e+308 mm"},
        {"3 points and a little", {1.1, 1.1}, {1, 1}, ""},
        {"under 3 points", {1.05, 297}, {1, 1}, "from 1.1 mm to 5080 mm (200 in)"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.note);
        printing::SheetLayout l{QStringLiteral("Edited"), r.page, r.label};
        const core::Status checked = printing::CheckLayout(l);
        EXPECT_EQ(checked.ok(), !*r.says);
        if (checked.failed()) {
            EXPECT_TRUE(checked.failure().text.contains(QString::fromUtf8(r.says))) << checked.failure().text.toStdString();
            EXPECT_TRUE(checked.failure().text.startsWith(QStringLiteral("The layout \"Edited\"")));
        }
        EXPECT_FALSE(printing::DescribeLayout(l).contains(QStringLiteral("inf"))) << printing::DescribeLayout(l).toStdString();
    }
}
