#include "core/TextCodec.h"
#include "tests/support/PrintTo.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

using core::StrayByte;

TEST(TextCodec, Utf8IsCheckedAsTheStandardSays)
{
    struct Row { QByteArray bytes; bool valid; bool validIfCut; const char* why; };
    const Row rows[] = {
        {"plain", true, true, "ASCII"},
        {"caf\xc3\xa9 5\xe2\x82\xac", true, true, "two- and three-byte sequences"},
        {"\xf0\x9f\x98\x80", true, true, "four bytes, past U+FFFF"},
        {"caf\xe9 x", false, false, "Windows-1252: a lead byte without its continuation"},
        {"caf\xe9", false, true, "the same at a cut end could be the start of a sequence"},
        {"\xc0\xaf", false, false, "overlong form of '/'"},
        {"\xe0\x80\xaf", false, false, "overlong in three bytes"},
        {"\xed\xa0\x80", false, false, "an encoded surrogate"},
        {"\xf4\x90\x80\x80", false, false, "past U+10FFFF"},
        {"\x80", false, false, "a continuation byte alone"},
        {"ab\xe2\x82", false, true, "a sequence cut at the end"},
        {"ab\xed\xa0", false, false, "cut, but a surrogate already"},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(core::IsUtf8(r.bytes), r.valid) << r.why;
        EXPECT_EQ(core::IsUtf8(r.bytes, true), r.validIfCut) << r.why;
    }
}

TEST(TextCodec, StrayBytes_Cp1252ForTextAndEscapedForFileNames)
{
    const QByteArray bytes("caf\xe9 \xc3\xa9 \x80");
    EXPECT_EQ(core::DecodeUtf8(bytes, StrayByte::Cp1252), QStringLiteral("caf\u00e9 \u00e9 \u20ac"));
    const QString escaped = QStringLiteral("caf") + QChar(0xDCE9) + QStringLiteral(" \u00e9 ") + QChar(0xDC80);
    EXPECT_EQ(core::DecodeUtf8(bytes, StrayByte::Escaped), escaped);
    EXPECT_EQ(core::CompleteUtf8Length("ab\xe2\x82"), 2);
    EXPECT_EQ(core::CompleteUtf8Length("ab\xe2\x82\xac"), 5);
    EXPECT_EQ(core::CompleteUtf8Length("ab"), 2);
}

// Whatever bytes a file name holds, text made of them turns back into the
// same bytes, and only names that are not UTF-8 are marked.
TEST(TextCodec, LocalBytes_EveryByteStringRoundTrips)
{
    QRandomGenerator gen(11);
    for (int n = 0; n < 2000; ++n) {
        QByteArray bytes(gen.bounded(1, 12), '\0');
        for (char& c : bytes)
            c = static_cast<char>(gen.bounded(n % 2 ? 256 : 0x30) + (n % 2 ? 0 : 0xB0)); // half of them mostly non-ASCII
        const QString text = core::FromLocalBytes(bytes);
        ASSERT_EQ(core::ToLocalBytes(text), bytes) << bytes.toHex().toStdString();
        EXPECT_EQ(core::HasEscapedBytes(text), !core::IsUtf8(bytes)) << bytes.toHex().toStdString();
    }
    EXPECT_EQ(core::ToLocalBytes(QStringLiteral("caf\u00e9 \U0001F600")), QByteArray("caf\xc3\xa9 \xf0\x9f\x98\x80"));
}
