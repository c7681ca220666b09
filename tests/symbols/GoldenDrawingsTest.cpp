// Every symbology drawn at the settings that change its drawing, held
// against a table of the drawings as they were when the table was made:
// every shape and text with its coordinates. A change to how symbols are
// encoded or laid out that moves one pixel of what a user sees fails here.
//
// QUORVANE_REGENERATE_GOLDEN=1 writes the table anew from what is drawn now
// (for a new symbology's rows, or a change meant to alter drawings).
#include "symbols/SymbologyTable.h"
#include "tests/support/Golden.h"

#include <QFile>
#include <QStringList>
#include <span>
#include <gtest/gtest.h>

namespace {

// Beside the tests, in the source tree, so that a regenerated table is
// seen in the change that made it.
QString TablePath()
{
    QString here = QString::fromUtf8(__FILE__);
    here.truncate(here.lastIndexOf(QLatin1Char('/')));
    return here + QStringLiteral("/../golden/drawings.txt");
}

struct Settings {
    const char* text8; // height factor (EAN: font size)
    const char* text3; // font size (EAN: bar length)
    const char* text9; // width
    bool withText;
};

// The design's values, heights and font sizes both ways, every width a user
// meets (the natural 800, the stored default 500, narrower and wider, empty
// and not a number), the caption on and off.
constexpr Settings kSettings[] = {
    {"1.4", "8", "500", false}, {"1.4", "8", "500", true}, {"1.4", "8", "800", true},  {"1.4", "8", "300", true},
    {"1.4", "8", "1000", false}, {"1.4", "8", "1600", true}, {"1.4", "8", "", false},  {"3", "12", "640", true},
    {"0.5", "6", "wide", true},  {"20", "40", "500", true}, {"8", "40", "1200", false}, {"x", "y", "400", true},
};

// Short, long and edge texts, for every symbology alike: the ones it can't
// take are as much part of what it does as the ones it can.
const char* const kTexts[] = {
    "A",
    "12",
    "123",
    "QV-0001",
    "03600029145",
    "036000291452",
    "400638133393",
    "4006381333931",
    "96385074",
    "a1:b/c$d+e.f",
    "Stretch me, jumpy qg 1234567890 ~!@#%^&*()_",
    "\xc3\xa9t\xc3\xa9 \xe2\x82\xac 5",
};

// The symbologies libzint encodes are held at two settings: their
// encoding is the library's, the table guards how they are laid out.
constexpr Settings kLibrarySettings[] = {{"1.4", "8", "500", false}, {"3", "12", "1600", true}};

QStringList DrawAll()
{
    QStringList out;
    for (const symbols::SymbologyRow& row : symbols::Symbologies())
        for (const char* text : kTexts)
            for (const Settings& s : row.library.zint ? std::span<const Settings>(kLibrarySettings) : std::span<const Settings>(kSettings)) {
                const symbols::SymbolRequest r =
                    symbols::ReadSizeFields(row.symbology, QString::fromUtf8(text), QString::fromLatin1(s.text8),
                                        QString::fromLatin1(s.text3), QString::fromLatin1(s.text9), s.withText);
                const symbols::Symbol symbol = symbols::GenerateSymbol(r);
                out << QStringLiteral("== %1 |%2| text8=%3 text3=%4 text9=%5 caption=%6")
                           .arg(QLatin1String(row.name), testsupport::Escaped(r.text), QLatin1String(s.text8),
                                QLatin1String(s.text3), QLatin1String(s.text9), QString::number(s.withText));
                out << testsupport::SerializeSymbol(symbol.drawing, symbol.status, symbol.tag);
            }
    return out;
}

} // namespace

TEST(GoldenDrawings, EverySymbologyDrawsAsTheTableSays)
{
    const QStringList now = DrawAll();
    if (qEnvironmentVariableIntValue("QUORVANE_REGENERATE_GOLDEN") == 1) {
        QFile file(TablePath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write((now.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
        GTEST_SKIP() << "wrote " << TablePath().toStdString();
    }
    QFile file(TablePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << TablePath().toStdString();
    QStringList golden = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    if (!golden.isEmpty() && golden.last().isEmpty())
        golden.removeLast();
    // The first line that differs, with the case it belongs to.
    QString currentCase;
    for (qsizetype i = 0; i < std::min(now.size(), golden.size()); ++i) {
        if (golden[i].startsWith(QLatin1String("== ")))
            currentCase = golden[i];
        ASSERT_EQ(now[i].toStdString(), golden[i].toStdString()) << "in case " << currentCase.toStdString();
    }
    EXPECT_EQ(now.size(), golden.size());
}
