// No symbol holds less than was typed without saying so: every symbology
// given texts with characters outside its set either reads back as the
// whole text, or fails naming the first such character and its place, or
// (the drawers that leave characters out) holds the rest with a note that
// matches what a reader reads.
#include "symbols/Codabar.h"
#include "symbols/Code128B.h"
#include "symbols/Code39.h"
#include "symbols/LeftOut.h"
#include "symbols/SymbolFile.h"
#include "symbols/SymbologyTable.h"
#include "tests/support/PrintTo.h"

#include <gtest/gtest.h>

namespace {

using symbols::Symbology;

struct Outside {
    const char* script;
    QString text;
    QString named; // how a refusal names the first character outside a symbology's set
    qsizetype place;
};

// Digits around one character of each kind: what is left of them is a
// text every drawer that leaves characters out encodes ("1234").
const Outside kOutside[] = {
    {"Latin-1", QStringLiteral("12\u00e934"), QStringLiteral("\"\u00e9\""), 3},
    {"Greek", QStringLiteral("12\u03bb34"), QStringLiteral("\"\u03bb\""), 3},
    {"CJK", QStringLiteral("12\u6f2234"), QStringLiteral("\"\u6f22\""), 3},
    {"emoji", QStringLiteral("12\U0001F600""34"), QStringLiteral("\"\U0001F600\""), 3},
    {"a tab", QStringLiteral("12\t34"), QStringLiteral("U+0009"), 3},
    {"a control character", QStringLiteral("12\u001b34"), QStringLiteral("U+001B"), 3},
    {"only Greek", QStringLiteral("\u039a\u03b1\u03bb\u03b7"), QStringLiteral("\"\u039a\""), 1},
    {"only CJK", QStringLiteral("\u6f22\u5b57"), QStringLiteral("\"\u6f22\""), 1},
    {"emoji first", QStringLiteral("\U0001F600""1"), QStringLiteral("\"\U0001F600\""), 1},
};

// The drawers whose refusals must name the character: those that leave
// characters out, and the Code 128 engine, which refuses the text.
bool NamesTheCharacter(const symbols::SymbologyRow& row)
{
    return row.leavesOut.fate || row.symbology == Symbology::Code128B;
}

} // namespace

TEST(LeftOut, EverySymbology_ReadsWhole_OrFailsNamingTheCharacter_OrSaysWhatItScansAs)
{
    for (const symbols::SymbologyRow& row : symbols::Symbologies()) {
        for (const Outside& c : kOutside) {
            SCOPED_TRACE(std::string(row.name) + ", " + c.script);
            symbols::SymbolRequest request;
            request.symbology = row.symbology;
            request.text = c.text;
            const QString named = QStringLiteral("%1 (character %2)").arg(c.named).arg(c.place);
            const core::Result<symbols::SymbolFile> file = symbols::DrawForFile(request, false);
            if (file.failed()) {
                EXPECT_FALSE(file.failure().text.isEmpty());
                if (NamesTheCharacter(row)) {
                    EXPECT_TRUE(file.failure().text.contains(QStringLiteral("can't encode ") + named)) << file.failure().text.toStdString();
                }
                continue;
            }
            const symbols::ScanExpectation expected = symbols::ExpectedScan(row.symbology, c.text);
            const symbols::ScanResult scan = symbols::ScanCheck(file->drawing, expected);
            if (file->note.isEmpty()) {
                ASSERT_TRUE(scan.Scans()) << scan.Text().toStdString();
                if (!scan.byWidths) {
                    EXPECT_EQ(scan.read, c.text) << "a symbol without a note holds the whole text";
                }
                continue;
            }
            // Less than typed: the note says what a reader reads, and
            // --strict refuses it, naming the character.
            EXPECT_TRUE(scan.Scans()) << scan.Text().toStdString();
            EXPECT_TRUE(file->note.contains(QStringLiteral("holds %1 (").arg(scan.read))) << file->note.toStdString();
            if (NamesTheCharacter(row)) {
                EXPECT_TRUE(file->note.contains(named)) << file->note.toStdString();
            }
            const core::Result<symbols::SymbolFile> strict = symbols::DrawForFile(request, false, true);
            ASSERT_TRUE(strict.failed());
            EXPECT_EQ(strict.failure().code, core::kNotAsTyped);
            EXPECT_EQ(strict.failure().text, file->note);
        }
    }
}

TEST(LeftOut, WhatIsLeft_TheFirstCharacterAndItsPlace)
{
    struct Case {
        symbols::CharacterRule rule;
        QString typed;
        QString held;
        QString first;
        qsizetype place;
        bool breaks;
        const char* why;
    };
    const Case cases[] = {
        {symbols::kCode39Characters, QStringLiteral("Gr\u00f6\u00dfe"), QStringLiteral("GRSSE"), QStringLiteral("\u00f6"), 3, false,
         "upper-cased first: sharp s is SS, o umlaut is left out"},
        {symbols::kCode39Characters, QStringLiteral("A\U0001F600B#"), QStringLiteral("AB"), QStringLiteral("\U0001F600"), 2, false,
         "an emoji is one character, though two UTF-16 units"},
        {symbols::kCode39Characters, QStringLiteral("A*B"), QStringLiteral("AB"), QStringLiteral("*"), 2, true,
         "* is drawn as the start and stop character"},
        {symbols::kCode128BCharacters, QStringLiteral("\u6f22\u5b57"), QString(), QStringLiteral("\u6f22"), 1, false,
         "nothing of it is in code set B"},
        {symbols::kCodabarCharacters, QStringLiteral("ab$%"), QStringLiteral("$"), QStringLiteral("a"), 1, true,
         "A to D are start and stop characters"},
        {symbols::kCodabarCharacters, QStringLiteral("1%2"), QStringLiteral("12"), QStringLiteral("%"), 2, false, "no % in Codabar"},
        {symbols::kCodabarCharacters, QStringLiteral("%1b"), QStringLiteral("1"), QStringLiteral("b"), 3, true,
         "a start or stop character is named before one left out"},
        {symbols::kCodabarCharacters, QStringLiteral("12-34$"), QStringLiteral("12-34$"), QString(), 0, false, "all data characters"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        const symbols::HeldText held = symbols::HeldBy(c.typed, c.rule);
        EXPECT_EQ(held.text, c.held);
        EXPECT_EQ(held.first, c.first);
        EXPECT_EQ(held.position, c.place);
        EXPECT_EQ(held.breaks, c.breaks);
    }
}
