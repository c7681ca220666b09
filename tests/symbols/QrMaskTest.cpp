// The mask Quorvane chooses for a QR Code is the one libzint's own scoring
// chooses: the same symbol, module for module, for texts of every length
// (versions 1 to 40), at every error correction level.
#include "symbols/SymbologyTable.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>
#include <zint.h>

namespace {

// The symbol libzint makes when it chooses the mask itself.
std::vector<uint8_t> LibraryChoice(const QByteArray& text, int level)
{
    zint_symbol* s = ZBarcode_Create();
    s->symbology = BARCODE_QRCODE;
    s->input_mode = UNICODE_MODE;
    s->option_1 = level;
    EXPECT_EQ(ZBarcode_Encode(s, reinterpret_cast<const unsigned char*>(text.constData()), static_cast<int>(text.size())), 0);
    std::vector<uint8_t> dark;
    for (int r = 0; r < s->rows; ++r)
        for (int x = 0; x < s->width; ++x)
            dark.push_back((s->encoded_data[r][x >> 3] >> (x & 7)) & 1);
    ZBarcode_Delete(s);
    return dark;
}

} // namespace

TEST(QrMask, TheChosenMask_IsTheOneLibzintChooses)
{
    QRandomGenerator rng(20261207);
    const QString alphabet = QStringLiteral("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:abcdefghijklmnopqrstuvwxyz");
    const int lengths[] = {1, 5, 17, 30, 60, 100, 180, 300, 500, 800, 1200, 1700, 2200};
    int compared = 0;
    for (const int length : lengths)
        for (const char level : {'L', 'M', 'Q', 'H'})
            for (int round = 0; round < 3; ++round) {
                QString text;
                for (int i = 0; i < length; ++i)
                    text += alphabet[rng.bounded(static_cast<int>(round == 0 ? 10 : alphabet.size()))];
                const core::Result<symbols::Modules> ours = symbols::EncodeLibraryCode(symbols::RowOf(symbols::Symbology::Qr), text, {level});
                if (ours.failed())
                    continue; // longer than the level holds
                const int zintLevel = QStringLiteral("LMQH").indexOf(QLatin1Char(level)) + 1;
                EXPECT_EQ(ours->dark, LibraryChoice(text.toUtf8(), zintLevel))
                    << length << " characters at " << level << ", version " << (ours->width - 17) / 4;
                ++compared;
            }
    EXPECT_GT(compared, 120);
}
