#include "symbols/LibraryCodes.h"

#include "symbols/Gs1CheckDigit.h"
#include "symbols/QrMask.h"
#include "symbols/SymbologyRow.h"

#include <QRegularExpression>
#include <algorithm>
#include <cstring>
#include <memory>
#include <zint.h>

namespace symbols {
namespace {

using core::Failure;

Failure Refused(const QString& why) { return Failure{core::kNotDrawable, why}; }

struct ZintDeleter {
    void operator()(zint_symbol* s) const { ZBarcode_Delete(s); }
};
using ZintSymbol = std::unique_ptr<zint_symbol, ZintDeleter>;

// QR Code has a mask of the program's own and says its error correction
// when its data is too long.
bool IsQr(const SymbologyRow& row) { return row.library.zint == BARCODE_QRCODE; }

// --- retail EAN/UPC: the digits without their check digit, or why not ---

int CheckDigitOf(const QString& digits)
{
    std::vector<int> values;
    for (const QChar c : digits)
        values.push_back(Gs1DigitValue(c));
    return Gs1CheckDigit(values);
}

// The data digits of a retail code: as many as the form takes, or those
// and a check digit that must be the right one. Never corrected silently.
std::optional<QString> RetailData(const SymbologyRow& row, const QString& text, QString& why)
{
    const int digits = row.library.retailDigits;
    const QString name = QString::fromUtf8(row.caption);
    const QString takes = QStringLiteral("%1 takes %2 digits, or %3 with the check digit").arg(name).arg(digits).arg(digits + 1);
    for (qsizetype i = 0; i < text.size(); ++i)
        if (!text[i].isDigit() || text[i].unicode() > '9') {
            why = QStringLiteral("%1: \"%2\" at position %3 is not a digit").arg(takes, text[i]).arg(i + 1);
            return std::nullopt;
        }
    if (text.size() != digits && text.size() != digits + 1) {
        why = QStringLiteral("%1, not %2").arg(takes).arg(text.size());
        return std::nullopt;
    }
    const QString data = text.left(digits);
    const int check = CheckDigitOf(data);
    if (text.size() == digits + 1 && text.back().digitValue() != check) {
        why = QStringLiteral("the check digit should be %1, not %2").arg(check).arg(text.back());
        return std::nullopt;
    }
    return data;
}

// --- libzint ---

int QrEccLevel(char ecc)
{
    switch (ecc) {
    case 'L': return 1;
    case 'Q': return 3;
    case 'H': return 4;
    default: return 2;
    }
}

bool AllAscii(const QByteArray& bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

void SetUp(zint_symbol& s, const SymbologyRow& row, const QByteArray& data, const LibraryOptions& options, int dmSize)
{
    const LibraryCode& code = row.library;
    s.symbology = code.zint;
    s.input_mode = code.gs1 ? (GS1_MODE | GS1PARENS_MODE) : UNICODE_MODE;
    // A warning (a GS1 check digit, a date that does not exist) is no symbol
    // to print; an ECI for UTF-8 is what the text needs.
    s.warn_level = WARN_FAIL_ALL;
    if (code.twoD && !code.gs1 && !AllAscii(data))
        s.eci = 26; // UTF-8, stated, so that readers need not guess
    // The symbology's own option is the one libzint takes for it.
    switch (row.ownOption) {
    case OwnOption::QrEcc: s.option_1 = QrEccLevel(options.qrEcc); break;
    case OwnOption::Pdf417Columns: s.option_2 = std::clamp(options.pdf417Columns, 0, 30); break;
    case OwnOption::Rectangular:
        if (dmSize)
            s.option_2 = dmSize;
        else
            s.option_3 = DM_SQUARE;
        break;
    case OwnOption::None: break;
    }
}

// The rows of a stacked code (PDF417) are this many modules high: the
// least its standard recommends, and what libzint draws by default.
constexpr int kStackedRowModules = 3;

// `stacked`: rows of a stacked code, each kStackedRowModules high; else a
// matrix's rows (one module) or a linear code's one row.
Modules ModulesOf(const zint_symbol& s, bool stacked)
{
    Modules m;
    m.width = s.width;
    m.rows = s.rows;
    m.dark.resize(static_cast<size_t>(m.width) * m.rows);
    for (int r = 0; r < m.rows; ++r) {
        for (int x = 0; x < m.width; ++x)
            m.dark[static_cast<size_t>(r) * m.width + x] = (s.encoded_data[r][x >> 3] >> (x & 7)) & 1;
        m.rowHeights.push_back(stacked ? kStackedRowModules : 1);
    }
    return m;
}

// The sizes of a rectangular Data Matrix, smallest first: 8x18 to 16x48.
constexpr int kFirstRectangularSize = 25, kLastRectangularSize = 30;

} // namespace

std::optional<QString> RetailDigits(const SymbologyRow& row, const QString& text)
{
    QString why;
    const std::optional<QString> data = RetailData(row, text, why);
    if (!data)
        return std::nullopt;
    return *data + QString::number(CheckDigitOf(*data));
}

QString LibraryMessage(const QString& zintText)
{
    static const QRegularExpression number(QStringLiteral("^(Error|Warning) \\d+: "));
    static const QRegularExpression checksum(QStringLiteral("^AI \\((\\d+)\\) position \\d+: Bad checksum '.', expected '(.)'$"));
    static const QRegularExpression positioned(QStringLiteral("^AI \\((\\d+)\\) position (\\d+): (.*)$"));
    static const QRegularExpression length(QStringLiteral("^Invalid data length for AI \\((\\d+)\\)$"));
    static const QRegularExpression unknownAi(QStringLiteral("^Invalid AI \\((\\d+)\\)$"));
    QString text = zintText;
    text.remove(number);
    if (const auto m = checksum.match(text); m.hasMatch())
        return QStringLiteral("AI (%1): check digit should be %2").arg(m.captured(1), m.captured(2));
    if (const auto m = positioned.match(text); m.hasMatch()) {
        static const QRegularExpression notDigit(QStringLiteral("^Non-numeric character '(.)'$"));
        static const QRegularExpression notAllowed(QStringLiteral("^Invalid CSET \\d+ character '(.)'$"));
        QString what = m.captured(3);
        what[0] = what[0].toLower();
        if (const auto c = notDigit.match(m.captured(3)); c.hasMatch())
            what = QStringLiteral("'%1' is not a digit").arg(c.captured(1));
        else if (const auto c = notAllowed.match(m.captured(3)); c.hasMatch())
            what = QStringLiteral("'%1' is not allowed in its data").arg(c.captured(1));
        return QStringLiteral("AI (%1): %2 at position %3").arg(m.captured(1), what, m.captured(2));
    }
    if (const auto m = length.match(text); m.hasMatch())
        return QStringLiteral("AI (%1): its data is too long or too short").arg(m.captured(1));
    if (const auto m = unknownAi.match(text); m.hasMatch())
        return QStringLiteral("AI (%1): no such application identifier").arg(m.captured(1));
    if (text.startsWith(QLatin1String("Invalid character in input data (ISO/IEC 8859-1 only)")))
        return QStringLiteral("it takes Latin-1 characters only (ISO/IEC 8859-1)");
    if (text.startsWith(QLatin1String("Data does not start with an AI")))
        return QStringLiteral("GS1 data starts with an AI in brackets, such as (01)");
    return text;
}

QString Gs1ElementString(const QString& bracketed)
{
    // AIs whose data has a fixed length, by their first two digits: no
    // separator follows them.
    static const QStringList fixed{QStringLiteral("00"), QStringLiteral("01"), QStringLiteral("02"), QStringLiteral("03"),
                                   QStringLiteral("04"), QStringLiteral("11"), QStringLiteral("12"), QStringLiteral("13"),
                                   QStringLiteral("14"), QStringLiteral("15"), QStringLiteral("16"), QStringLiteral("17"),
                                   QStringLiteral("18"), QStringLiteral("19"), QStringLiteral("20"), QStringLiteral("23"),
                                   QStringLiteral("31"), QStringLiteral("32"), QStringLiteral("33"), QStringLiteral("34"),
                                   QStringLiteral("35"), QStringLiteral("36"), QStringLiteral("41")};
    static const QRegularExpression field(QStringLiteral("\\((\\d{2,4})\\)([^(]*)"));
    QString out;
    bool separate = false;
    for (auto it = field.globalMatch(bracketed); it.hasNext();) {
        const auto m = it.next();
        if (separate)
            out += QChar(29);
        out += m.captured(1) + m.captured(2);
        separate = !fixed.contains(m.captured(1).left(2));
    }
    return out;
}

core::Result<Modules> EncodeLibraryCode(const SymbologyRow& row, const QString& text, const LibraryOptions& options)
{
    const LibraryCode& code = row.library;
    const QString caption = QString::fromUtf8(row.caption);
    QString data = text;
    if (code.retailDigits > 0) {
        QString why;
        const std::optional<QString> digits = RetailData(row, text, why);
        if (!digits)
            return Refused(why);
        data = *digits;
    }
    const QByteArray bytes = data.toUtf8();
    // A rectangular Data Matrix is the smallest rectangular size the data
    // fits; the library on its own would pick a square one when smaller.
    const bool rectangular = options.rectangular && row.ownOption == OwnOption::Rectangular;
    ZintSymbol symbol;
    int status = 0;
    auto encode = [&](int size) {
        symbol.reset(ZBarcode_Create());
        if (!symbol)
            return ZINT_ERROR_MEMORY;
        SetUp(*symbol, row, bytes, options, size);
        // A QR Code comes with mask 0, and the mask the penalty rules choose
        // is put on here: libzint's own choice is most of its time.
        if (IsQr(row))
            symbol->option_3 = 1 << 8;
        return ZBarcode_Encode(symbol.get(), reinterpret_cast<const unsigned char*>(bytes.constData()), static_cast<int>(bytes.size()));
    };
    for (int size = rectangular ? kFirstRectangularSize : 0; size <= (rectangular ? kLastRectangularSize : 0); ++size)
        if ((status = encode(size)) == 0)
            break;
    if (status != 0) {
        QString why = symbol ? LibraryMessage(QString::fromUtf8(symbol->errtxt)) : QString();
        if (!symbol)
            why = QStringLiteral("out of memory");
        else if (status == ZINT_ERROR_TOO_LONG && !why.contains(caption))
            why = QStringLiteral("too long for a %1 symbol: %2").arg(caption, why);
        if (rectangular && status == ZINT_ERROR_TOO_LONG)
            why = QStringLiteral("too long for the largest rectangular Data Matrix (16 x 48)");
        else if (IsQr(row) && status == ZINT_ERROR_TOO_LONG)
            why = QStringLiteral("too long for the largest QR Code (version 40) at error correction %1").arg(QChar(options.qrEcc));
        return Refused(why);
    }
    Modules out = ModulesOf(*symbol, code.stacked);
    if (IsQr(row))
        out.dark = BestQrMask(out.dark, out.width, QrEccLevel(options.qrEcc)).dark;
    if (code.gs1)
        out.humanText = text;
    else if (!code.twoD)
        out.humanText = QString::fromUtf8(reinterpret_cast<const char*>(symbol->text));
    return out;
}

} // namespace symbols
