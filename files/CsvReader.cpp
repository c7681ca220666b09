#include "files/CsvReader.h"

#include "core/Cp1252.h"
#include "core/TextCodec.h"

#include <QHash>
#include <algorithm>

namespace files {
namespace {

constexpr qsizetype kBlockSize = 64 * 1024;
// The delimiter is found from this many lines, or this much text when the
// lines are long.
constexpr int kSampleLines = 20;
constexpr qsizetype kSampleChars = 64 * 1024;
// A field that grew longer than this gives its memory back when the next
// record starts, so one long field does not stay held.
constexpr qsizetype kKeepCapacity = 64 * 1024;

constexpr QChar kCandidates[] = {u',', u';', u'\t', u'|'};

QString Hex(uint value, int digits)
{
    return QStringLiteral("0x") + QString::number(value, 16).toUpper().rightJustified(digits, u'0');
}

QString Fields(qsizetype n) { return n == 1 ? QStringLiteral("1 field") : QStringLiteral("%1 fields").arg(n); }

QString EncodingName(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Detect:
    case TextEncoding::Utf8:
        return QStringLiteral("UTF-8");
    case TextEncoding::Utf16:
        return QStringLiteral("UTF-16");
    case TextEncoding::Utf16LE:
        return QStringLiteral("UTF-16 (little endian)");
    case TextEncoding::Utf16BE:
        return QStringLiteral("UTF-16 (big endian)");
    case TextEncoding::Cp1252:
        break;
    }
    return QStringLiteral("Windows-1252");
}

// The offset of the first byte that starts no well-formed UTF-8 sequence,
// or -1. Only called on bytes already found not to be UTF-8, or cut short.
qsizetype FirstBadUtf8(QByteArrayView bytes)
{
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    qsizetype p = 0;
    while (p < bytes.size()) {
        const unsigned char lead = data[p];
        const int length = lead < 0x80                    ? 1
                           : lead >= 0xC2 && lead <= 0xDF ? 2
                           : lead >= 0xE0 && lead <= 0xEF ? 3
                           : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                          : 0;
        if (length == 0 || p + length > bytes.size() || !core::IsUtf8(bytes.sliced(p, length)))
            return p;
        p += length;
    }
    return -1;
}

// The number of fields of each of the first records of the sample when
// split at `delimiter`, quotes respected; blank lines are skipped, and the
// last record when the sample does not hold all of it.
QList<qsizetype> Widths(QStringView sample, QChar delimiter, bool whole)
{
    QList<qsizetype> widths;
    qsizetype width = 1;
    bool quoted = false, fieldStart = true, blank = true;
    for (qsizetype i = 0; i < sample.size() && widths.size() < kSampleLines; ++i) {
        const QChar c = sample[i];
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < sample.size() && sample[i + 1] == u'"')
                    ++i;
                else
                    quoted = false;
            }
        } else if (c == u'"' && fieldStart) {
            quoted = true;
            fieldStart = blank = false;
        } else if (c == delimiter) {
            ++width;
            fieldStart = true;
            blank = false;
        } else if (c == u'\n' || c == u'\r') {
            if (!blank)
                widths.append(width);
            if (c == u'\r' && i + 1 < sample.size() && sample[i + 1] == u'\n')
                ++i;
            width = 1;
            fieldStart = blank = true;
        } else {
            fieldStart = blank = false;
        }
    }
    if (whole && !blank && !quoted && widths.size() < kSampleLines)
        widths.append(width);
    return widths;
}

// The delimiter that splits every sampled record into the same number of
// fields, the most of them; failing that, the one that splits the first
// record most; failing that (one column), a comma.
QChar ChooseDelimiter(QStringView sample, bool whole)
{
    QChar best;
    qsizetype bestWidth = 1;
    for (QChar candidate : kCandidates) {
        const auto widths = Widths(sample, candidate, whole);
        const bool even =
            !widths.isEmpty() && std::all_of(widths.begin(), widths.end(), [&](qsizetype w) { return w == widths[0]; });
        if (even && widths[0] > bestWidth)
            best = candidate, bestWidth = widths[0];
    }
    if (!best.isNull())
        return best;
    for (QChar candidate : kCandidates) {
        const auto widths = Widths(sample, candidate, whole);
        if (!widths.isEmpty() && widths[0] > bestWidth)
            best = candidate, bestWidth = widths[0];
    }
    return best.isNull() ? u',' : best;
}

} // namespace

CsvReader::CsvReader(std::unique_ptr<SourceFile> file, const DataOptions& options)
    : file_(std::move(file)), options_(options)
{
    path_ = file_->Path();
    name_ = file_->Name();
}

core::Result<std::unique_ptr<CsvReader>> CsvReader::Open(const QString& path, const DataOptions& options)
{
    auto file = std::make_unique<SourceFile>();
    if (const auto opened = file->Open(path); opened.failed())
        return opened.failure();
    return Open(std::move(file), options);
}

core::Result<std::unique_ptr<CsvReader>> CsvReader::Open(std::unique_ptr<SourceFile> file, const DataOptions& options)
{
    std::unique_ptr<CsvReader> reader(new CsvReader(std::move(file), options));
    if (const auto started = reader->start(); started.failed())
        return started.failure();
    return reader;
}

core::Failure CsvReader::failureAt(qint64 line, const QString& what) const
{
    return core::Failure{core::kCannotRead, QStringLiteral("%1:%2: %3").arg(name_).arg(line).arg(what), false,
                         PlaceIn(path_, line)};
}

core::Status CsvReader::start()
{
    const QChar given = options_.delimiter;
    if (given == u'"' || given == u'\n' || given == u'\r')
        return core::Failure{core::kCannotRead,
                             QStringLiteral("A quote or a line break can't separate the fields of %1.").arg(name_),
                             false, PlaceIn(path_)};
    const QString suffix = path_.section(QLatin1Char('.'), -1).toLower();
    if (!given.isNull())
        delimiter_ = given;
    else if (suffix == QLatin1String("tsv") || suffix == QLatin1String("tab"))
        delimiter_ = u'\t';
    else
        delimiter_ = detectDelimiter();
    if (failure_)
        return *failure_;

    const auto first = readRecord();
    if (first.failed())
        return first.failure();
    if (!*first) {
        if (options_.header)
            return core::Failure{core::kCannotRead,
                                 QStringLiteral("%1 is empty; its first line should name the fields.").arg(name_),
                                 false, PlaceIn(path_)};
        return core::Ok();
    }
    record_.values.resize(fields_);
    if (!options_.header) {
        for (qsizetype i = 1; i <= fields_; ++i)
            names_.append(QString::number(i));
        record_.number = 1;
        record_.line = recordLine_;
        firstPending_ = true;
        return core::Ok();
    }
    // A field is found by its name: two fields of one name, and one could
    // not be named. An empty name is the column's number.
    QHash<QString, qsizetype> columns;
    for (qsizetype i = 0; i < fields_; ++i) {
        const QString name = record_.values[i].isEmpty() ? QString::number(i + 1) : record_.values[i];
        if (const auto seen = columns.constFind(name); seen != columns.constEnd())
            return failureAt(recordLine_, QStringLiteral("the header names the field \"%1\" twice, in columns %2 and "
                                                         "%3; each field needs a name of its own.")
                                              .arg(name)
                                              .arg(*seen + 1)
                                              .arg(i + 1));
        columns.insert(name, i);
        names_.append(name);
    }
    return core::Ok();
}

core::Result<const DataRecord*> CsvReader::Next()
{
    if (firstPending_) {
        firstPending_ = false;
        return &record_;
    }
    const auto got = readRecord();
    if (got.failed())
        return got.failure();
    if (!*got)
        return nullptr;
    const qint64 number = record_.number + 1;
    if (fields_ != names_.size()) {
        auto failure = failureAt(recordLine_, QStringLiteral("the record has %1, but %2 %3.")
                                                  .arg(Fields(fields_),
                                                       options_.header ? QStringLiteral("the header names")
                                                                       : QStringLiteral("the first record has"),
                                                       Fields(names_.size())));
        failure.where.record = number;
        return failure;
    }
    record_.values.resize(fields_);
    record_.number = number;
    record_.line = recordLine_;
    return &record_;
}

qsizetype CsvReader::HeldBytes() const
{
    qsizetype held = bytes_.capacity() + text_.capacity() * qsizetype(sizeof(QChar));
    for (const QString& value : record_.values)
        held += value.capacity() * qsizetype(sizeof(QChar));
    return held;
}

// --- Decoding ---

// Decodes more of the file onto the end of text_: false at the end of the
// file, before bytes that are not text (undecodable_ says why) or when
// reading failed (failure_).
bool CsvReader::fill()
{
    for (;;) {
        if (failure_ || !undecodable_.isEmpty() || (bytesEnd_ && bytes_.isEmpty()))
            return false;
        if (!bytesEnd_) {
            const auto more = file_->Read(bytes_, kBlockSize);
            if (more.failed()) {
                failure_ = more.failure();
                return false;
            }
            bytesEnd_ = !*more;
        }
        if (!markRead_) {
            if (bytes_.size() < 3 && !bytesEnd_)
                continue;
            if (const auto mark = readMark(); mark.failed()) {
                failure_ = mark.failure();
                return false;
            }
        }
        const qsizetype had = text_.size();
        decode();
        if (text_.size() > had)
            return true;
    }
}

// True when text_[pos_] is there to be read. The text read is dropped
// first; at bytes that are not text, the failure names the line they are on.
bool CsvReader::ensure()
{
    if (pos_ < text_.size())
        return true;
    text_.resize(0);
    pos_ = 0;
    if (fill())
        return true;
    if (!failure_ && !undecodable_.isEmpty())
        failure_ = failureAt(line_, undecodable_);
    return false;
}

core::Status CsvReader::readMark()
{
    markRead_ = true;
    TextEncoding mark = TextEncoding::Detect;
    qsizetype length = 0;
    if (bytes_.startsWith("\xEF\xBB\xBF"))
        mark = TextEncoding::Utf8, length = 3;
    else if (bytes_.startsWith("\xFF\xFE"))
        mark = TextEncoding::Utf16LE, length = 2;
    else if (bytes_.startsWith("\xFE\xFF"))
        mark = TextEncoding::Utf16BE, length = 2;

    const TextEncoding asked = options_.encoding;
    const auto refuse = [&](const QString& why) {
        return core::Failure{core::kCannotRead, why, false, PlaceIn(path_, 1)};
    };
    if (asked == TextEncoding::Detect) {
        encoding_ = mark == TextEncoding::Detect ? TextEncoding::Utf8 : mark;
    } else if (asked == TextEncoding::Utf16) {
        if (mark != TextEncoding::Utf16LE && mark != TextEncoding::Utf16BE)
            return refuse(QStringLiteral("%1 does not start with a UTF-16 byte-order mark, which says the order of "
                                         "its bytes; read it as UTF-16LE or UTF-16BE.")
                              .arg(name_));
        encoding_ = mark;
    } else {
        if (mark != TextEncoding::Detect && mark != asked)
            return refuse(QStringLiteral("%1 starts with the byte-order mark of %2, but it was to be read as %3.")
                              .arg(name_, EncodingName(mark), EncodingName(asked)));
        encoding_ = asked;
    }
    bytes_.remove(0, length);
    return core::Ok();
}

void CsvReader::decode()
{
    switch (encoding_) {
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE:
        return decodeUtf16();
    case TextEncoding::Cp1252:
        return decodeCp1252();
    default:
        return decodeUtf8();
    }
}

namespace {
const QString kNulText = QStringLiteral("there is a NUL byte, which no text has.");
const QString kNulHint = QStringLiteral(" (A UTF-16 file must start with its byte-order mark.)");
QString HalfCharacter(char16_t unit)
{
    return QStringLiteral("the UTF-16 unit %1 is half of a character, without its other half.").arg(Hex(unit, 4));
}
} // namespace

void CsvReader::decodeUtf8()
{
    // A sequence cut by the end of the block waits for the next one.
    const qsizetype length = bytesEnd_ ? bytes_.size() : core::CompleteUtf8Length(bytes_);
    const QByteArrayView bytes(bytes_.constData(), length);
    qsizetype stop = length;
    if (!core::IsUtf8(bytes)) {
        stop = FirstBadUtf8(bytes);
        const auto byte = static_cast<unsigned char>(bytes[stop]);
        const bool cut = stop + 4 > length && core::IsUtf8(bytes.sliced(stop), true);
        undecodable_ =
            cut ? QStringLiteral("the file ends in the middle of a UTF-8 character.")
                : QStringLiteral("the byte %1 is not UTF-8. If the file is in Windows-1252, read it as that.")
                      .arg(Hex(byte, 2));
    }
    if (const qsizetype nul = bytes.first(stop).indexOf('\0'); nul >= 0) {
        stop = nul;
        undecodable_ = kNulText + kNulHint;
    }
    text_.append(QString::fromUtf8(bytes.first(stop)));
    bytes_.remove(0, stop);
}

void CsvReader::decodeCp1252()
{
    const auto* data = reinterpret_cast<const unsigned char*>(bytes_.constData());
    qsizetype stop = 0;
    for (; stop < bytes_.size(); ++stop) {
        const unsigned char b = data[stop];
        if (b == 0) {
            undecodable_ = kNulText + kNulHint;
            break;
        }
        // The five bytes Windows-1252 leaves undefined.
        if (b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D) {
            undecodable_ = QStringLiteral("the byte %1 is not a Windows-1252 character.").arg(Hex(b, 2));
            break;
        }
    }
    text_.append(core::FromCp1252(QByteArrayView(bytes_.constData(), stop)));
    bytes_.remove(0, stop);
}

void CsvReader::decodeUtf16()
{
    const bool big = encoding_ == TextEncoding::Utf16BE;
    const auto* data = reinterpret_cast<const unsigned char*>(bytes_.constData());
    const qsizetype units = bytes_.size() / 2;
    const auto unit = [&](qsizetype i) -> char16_t {
        return big ? char16_t(data[2 * i] << 8 | data[2 * i + 1]) : char16_t(data[2 * i] | data[2 * i + 1] << 8);
    };
    const qsizetype had = text_.size();
    text_.resize(had + units);
    QChar* out = text_.data() + had;
    qsizetype i = 0;
    while (i < units) {
        const char16_t u = unit(i);
        if (u == 0) {
            undecodable_ = kNulText;
            break;
        }
        if (QChar::isHighSurrogate(u)) {
            if (i + 1 == units) {
                if (bytesEnd_)
                    undecodable_ = QStringLiteral("the file ends in the middle of a UTF-16 character.");
                break; // else the other half comes with the next block
            }
            if (!QChar::isLowSurrogate(unit(i + 1))) {
                undecodable_ = HalfCharacter(u);
                break;
            }
            *out++ = QChar(u);
            *out++ = QChar(unit(i + 1));
            i += 2;
            continue;
        }
        if (QChar::isLowSurrogate(u)) {
            undecodable_ = HalfCharacter(u);
            break;
        }
        *out++ = QChar(u);
        ++i;
    }
    text_.resize(out - text_.constData());
    bytes_.remove(0, 2 * i);
    if (undecodable_.isEmpty() && bytesEnd_ && bytes_.size() == 1)
        undecodable_ = QStringLiteral("the file ends in the middle of a UTF-16 character.");
}

QChar CsvReader::detectDelimiter()
{
    qsizetype scanned = 0;
    int lines = 0;
    for (;;) {
        for (; scanned < text_.size(); ++scanned)
            lines += text_.at(scanned) == u'\n';
        if (lines > kSampleLines || text_.size() >= kSampleChars || !fill())
            break;
    }
    const bool whole = !failure_ && undecodable_.isEmpty() && bytesEnd_ && bytes_.isEmpty();
    return ChooseDelimiter(text_, whole);
}

// --- Parsing ---

QString& CsvReader::newField()
{
    if (fields_ == record_.values.size())
        record_.values.append(QString());
    QString& field = record_.values[fields_++];
    if (field.capacity() > kKeepCapacity)
        field = QString();
    else
        field.resize(0);
    return field;
}

bool CsvReader::append(QString& field, const QChar* from, qsizetype count)
{
    recordChars_ += count;
    if (recordChars_ > kMaxRecordChars)
        return false;
    field.append(from, count);
    return true;
}

// Past a line end: CR LF, LF or CR.
void CsvReader::skipLineEnd()
{
    const bool cr = text_.at(pos_) == u'\r';
    ++pos_;
    ++line_;
    if (cr && ensure() && text_.at(pos_) == u'\n')
        ++pos_;
}

// Reads a record's fields into record_.values; false at the end of the file.
core::Result<bool> CsvReader::readRecord()
{
    const auto ended = [&]() -> core::Result<bool> {
        if (failure_)
            return *failure_;
        return true;
    };
    const auto tooLong = [&] {
        return failureAt(recordLine_, QStringLiteral("the record that starts on this line is longer than %1 "
                                                     "characters; is a quote not closed?")
                                          .arg(kMaxRecordChars));
    };
    fields_ = 0;
    recordChars_ = 0;
    for (;;) { // blank lines are no records
        if (!ensure()) {
            if (failure_)
                return *failure_;
            return false;
        }
        const QChar c = text_.at(pos_);
        if (c != u'\n' && c != u'\r')
            break;
        skipLineEnd();
    }
    recordLine_ = line_;
    const QChar delimiter = delimiter_;
    for (;;) {
        QString& field = newField();
        if (!ensure())
            return ended(); // a last field that is empty
        if (text_.at(pos_) == u'"') {
            ++pos_;
            const qint64 quoteLine = line_;
            for (;;) {
                if (!ensure()) {
                    if (failure_)
                        return *failure_;
                    const QString opened =
                        quoteLine == recordLine_ ? QString() : QStringLiteral(" on line %1").arg(quoteLine);
                    return failureAt(
                        recordLine_,
                        QStringLiteral("field %1 opens a quote%2 that is never closed.").arg(fields_).arg(opened));
                }
                const QChar* begin = text_.constData() + pos_;
                const QChar* end = text_.constData() + text_.size();
                const QChar* at = begin;
                while (at != end && *at != u'"' && *at != u'\n' && *at != u'\r')
                    ++at;
                if (!append(field, begin, at - begin))
                    return tooLong();
                pos_ += at - begin;
                if (at == end)
                    continue;
                const QChar c = *at;
                ++pos_;
                if (c == u'"') {
                    if (ensure() && text_.at(pos_) == u'"') {
                        ++pos_;
                        if (!append(field, &c, 1))
                            return tooLong();
                        continue;
                    }
                    break; // the closing quote
                }
                // A line break inside the quotes is part of the field, as it is.
                ++line_;
                if (!append(field, &c, 1))
                    return tooLong();
                if (c == u'\r' && ensure() && text_.at(pos_) == u'\n') {
                    ++pos_;
                    static constexpr QChar lf = u'\n';
                    if (!append(field, &lf, 1))
                        return tooLong();
                }
            }
            if (!ensure())
                return ended();
            const QChar next = text_.at(pos_);
            if (next != delimiter && next != u'\n' && next != u'\r')
                return failureAt(recordLine_,
                                 QStringLiteral("field %1 has text after its closing quote%2; a quote "
                                                "inside a quoted field is written twice (\"\").")
                                     .arg(fields_)
                                     .arg(line_ == recordLine_ ? QString() : QStringLiteral(" on line %1").arg(line_)));
        } else {
            for (;;) {
                const QChar* begin = text_.constData() + pos_;
                const QChar* end = text_.constData() + text_.size();
                const QChar* at = begin;
                while (at != end && *at != delimiter && *at != u'\n' && *at != u'\r')
                    ++at;
                if (!append(field, begin, at - begin))
                    return tooLong();
                pos_ += at - begin;
                if (at != end)
                    break;
                if (!ensure())
                    return ended();
            }
        }
        if (text_.at(pos_) == delimiter) {
            ++pos_;
            continue;
        }
        // The record is whole: what comes after the line end is the next
        // record's, failures included.
        skipLineEnd();
        return true;
    }
}

} // namespace files
