#include "core/TextCodec.h"

#include "core/Cp1252.h"

namespace core {
namespace {

constexpr char16_t kEscapeBase = 0xDC00;
constexpr char32_t kReplacement = 0xFFFD;

// The length of the well-formed sequence at `p`, 0 when there is none;
// `complete` tells whether the end of the bytes cut a sequence that was
// well-formed so far.
int SequenceAt(const unsigned char* p, const unsigned char* end, char32_t& code, bool& cutShort)
{
    cutShort = false;
    const unsigned char b = *p;
    if (b < 0x80) {
        code = b;
        return 1;
    }
    int length;
    char32_t min;
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2, code = b & 0x1F, min = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3, code = b & 0x0F, min = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4, code = b & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    for (int i = 1; i < length; ++i) {
        if (p + i == end) {
            cutShort = true;
            return 0;
        }
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (p[i] & 0x3F);
        // Reject as early as the second byte allows, so a cut sequence is
        // only called well-formed when it could still become so.
        if (i == 1) {
            const char32_t top = code << (6 * (length - 2));
            if ((length == 3 && (top < 0x800 || (top >= 0xD800 && top <= 0xDFFF))) ||
                (length == 4 && (top < 0x10000 || top > 0x10FFFF)))
                return 0;
        }
    }
    if (code < min)
        return 0;
    return length;
}

void Append(QString& out, char32_t code)
{
    if (code < 0x10000) {
        out.append(QChar(static_cast<char16_t>(code)));
    } else {
        const char32_t c = code - 0x10000;
        out.append(QChar(static_cast<char16_t>(0xD800 + (c >> 10))));
        out.append(QChar(static_cast<char16_t>(0xDC00 + (c & 0x3FF))));
    }
}

void AppendUtf8(QByteArray& out, char32_t code)
{
    if (code < 0x80) {
        out.append(static_cast<char>(code));
    } else if (code < 0x800) {
        out.append(static_cast<char>(0xC0 | (code >> 6)));
        out.append(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.append(static_cast<char>(0xE0 | (code >> 12)));
        out.append(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.append(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.append(static_cast<char>(0xF0 | (code >> 18)));
        out.append(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.append(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.append(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

bool IsEscapedByte(char16_t u) { return u >= kEscapeBase + 0x80 && u <= kEscapeBase + 0xFF; }

} // namespace

bool IsUtf8(QByteArrayView bytes, bool cutAtEnd)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p != end) {
        char32_t code;
        bool cutShort;
        const int n = SequenceAt(p, end, code, cutShort);
        if (n == 0)
            return cutShort && cutAtEnd;
        p += n;
    }
    return true;
}

qsizetype CompleteUtf8Length(QByteArrayView bytes)
{
    // A sequence is at most 4 bytes: look back at most 3 for its lead byte.
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype size = bytes.size();
    for (qsizetype back = 1; back <= 3 && back <= size; ++back) {
        const unsigned char b = data[size - back];
        if ((b & 0xC0) == 0x80)
            continue; // a continuation byte: the lead is further back
        const int length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
        return length > back ? size - back : size;
    }
    return size;
}

QString DecodeUtf8(QByteArrayView bytes, StrayByte stray)
{
    QString out;
    out.reserve(bytes.size());
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p != end) {
        char32_t code;
        bool cutShort;
        const int n = SequenceAt(p, end, code, cutShort);
        if (n > 0) {
            Append(out, code);
            p += n;
            continue;
        }
        if (stray == StrayByte::Escaped)
            out.append(QChar(static_cast<char16_t>(kEscapeBase + *p)));
        else
            out.append(FromCp1252(QByteArrayView(reinterpret_cast<const char*>(p), 1)));
        ++p;
    }
    return out;
}

QString FromLocalBytes(QByteArrayView bytes)
{
#ifdef Q_OS_WIN
    return QString::fromLocal8Bit(bytes);
#else
    return DecodeUtf8(bytes, StrayByte::Escaped);
#endif
}

QByteArray ToLocalBytes(QStringView text)
{
#ifdef Q_OS_WIN
    return text.toLocal8Bit();
#else
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (IsEscapedByte(u)) {
            out.append(static_cast<char>(u - kEscapeBase));
        } else if (QChar::isHighSurrogate(u) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode())) {
            AppendUtf8(out, QChar::surrogateToUcs4(u, text[i + 1].unicode()));
            ++i;
        } else {
            AppendUtf8(out, QChar::isSurrogate(u) ? kReplacement : u);
        }
    }
    return out;
#endif
}

bool HasEscapedBytes(QStringView text)
{
    for (QChar c : text)
        if (IsEscapedByte(c.unicode()))
            return true;
    return false;
}

} // namespace core
