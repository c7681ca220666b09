#include "files/BatchFile.h"

#include "core/Cp1252.h"
#include "core/TextCodec.h"

#include <algorithm>

namespace files {
namespace {

constexpr qsizetype kBlockSize = 64 * 1024;

bool IsAscii(QByteArrayView bytes)
{
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

QString FromUtf16(QByteArrayView bytes, bool bigEndian)
{
    QString out(bytes.size() / 2, Qt::Uninitialized);
    QChar* dst = out.data();
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
        *dst++ = QChar(static_cast<char16_t>(bigEndian ? (p[i] << 8) | p[i + 1] : p[i] | (p[i + 1] << 8)));
    return out;
}

} // namespace

core::Status BatchFileReader::Outcome() const
{
    if (stopped_)
        return core::Failure{core::kStopped, QStringLiteral("a stop was asked for")};
    if (!error_.isEmpty())
        return core::Failure{core::kCannotRead, error_};
    return core::Ok();
}

core::Status BatchFileReader::Open(const QString& path)
{
    block_.clear();
    pos_ = 0;
    atEnd_ = stopped_ = markRead_ = cut_ = false;
    encoding_ = Encoding::Undecided;
    unit_ = 1;
    lineNumber_ = 0;
    error_.clear();
    if (!file_.Open(path)) {
        error_ = file_.Error();
        return core::Failure{core::kCannotOpen, error_};
    }
    return core::Ok();
}

bool BatchFileReader::fill(qsizetype need)
{
    if (!error_.isEmpty() || stopped_)
        return false;
    if (unread() >= need)
        return true;
    block_.remove(0, pos_); // at most a unit or a mark's worth of bytes is left
    pos_ = 0;
    while (block_.size() < need && !atEnd_) {
        const qsizetype had = block_.size();
        block_.resize(std::max(kBlockSize, need));
        qint64 got = 0;
        const auto result = file_.Read(block_.data() + had, block_.size() - had, got);
        block_.resize(had + (result == services::InputFile::Result::Data ? got : 0));
        switch (result) {
        case services::InputFile::Result::Data:
            break;
        case services::InputFile::Result::End:
            atEnd_ = true;
            break;
        case services::InputFile::Result::Failed:
            error_ = file_.Error();
            return false;
        case services::InputFile::Result::Stopped:
            stopped_ = true;
            return false;
        }
    }
    return block_.size() >= need;
}

void BatchFileReader::readMark()
{
    markRead_ = true;
    fill(3);
    const QByteArrayView start(block_.constData() + pos_, std::min<qsizetype>(unread(), 3));
    if (start.startsWith("\xEF\xBB\xBF")) {
        encoding_ = Encoding::Utf8;
        pos_ += 3;
    } else if (start.startsWith("\xFF\xFE")) {
        encoding_ = Encoding::Utf16LE;
        pos_ += 2;
    } else if (start.startsWith("\xFE\xFF")) {
        encoding_ = Encoding::Utf16BE;
        pos_ += 2;
    }
    unit_ = encoding_ == Encoding::Utf16LE || encoding_ == Encoding::Utf16BE ? 2 : 1;
}

bool BatchFileReader::isLineEnd(qsizetype at, char which) const
{
    if (unit_ == 1)
        return block_.at(at) == which;
    const char lo = encoding_ == Encoding::Utf16LE ? block_.at(at) : block_.at(at + 1);
    const char hi = encoding_ == Encoding::Utf16LE ? block_.at(at + 1) : block_.at(at);
    return hi == 0 && lo == which;
}

// The position of the first CR or LF from `from`, or `end`.
qsizetype BatchFileReader::lineEndFrom(qsizetype from, qsizetype end) const
{
    if (unit_ == 1) {
        const char* data = block_.constData();
        return std::find_if(data + from, data + end, [](char c) { return c == '\r' || c == '\n'; }) - data;
    }
    qsizetype p = from;
    while (p < end && !isLineEnd(p, '\r') && !isLineEnd(p, '\n'))
        p += unit_;
    return p;
}

// Adds bytes to the line up to the limit; the rest of a longer line is
// dropped as it streams past.
void BatchFileReader::keep(qsizetype from, qsizetype to)
{
    const qsizetype room = kMaxLineBytes - lineBytes_.size();
    if (to - from > room) {
        cut_ = true;
        to = from + room;
    }
    lineBytes_.append(block_.constData() + from, to - from);
}

bool BatchFileReader::ReadLine(QString& line)
{
    if (!markRead_)
        readMark();
    lineBytes_.clear();
    cut_ = false;
    bool started = false; // a line exists once any byte of it was read
    for (;;) {
        if (!fill(unit_)) {
            if (!error_.isEmpty() || stopped_ || !started)
                return false;
            break; // the last line has no line end
        }
        started = true;
        const qsizetype end = block_.size() - (unit_ - 1);
        const qsizetype p = lineEndFrom(pos_, end);
        keep(pos_, p);
        pos_ = p;
        if (p >= end)
            continue;
        const bool cr = isLineEnd(p, '\r');
        pos_ += unit_;
        // A CR LF is one line end, even when the LF comes in the next block.
        if (cr && fill(unit_) && isLineEnd(pos_, '\n'))
            pos_ += unit_;
        if (!error_.isEmpty() || stopped_)
            return false;
        break;
    }
    ++lineNumber_;
    line = decode();
    return true;
}

QString BatchFileReader::decode()
{
    switch (encoding_) {
    case Encoding::Utf16LE:
    case Encoding::Utf16BE: {
        QString text = FromUtf16(lineBytes_, encoding_ == Encoding::Utf16BE);
        if (cut_ && !text.isEmpty() && text.back().isHighSurrogate())
            text.chop(1); // the cut split a pair
        return text;
    }
    case Encoding::Undecided:
        if (IsAscii(lineBytes_))
            return QString::fromLatin1(lineBytes_); // the same in every encoding: no decision yet
        encoding_ = core::IsUtf8(lineBytes_, cut_) ? Encoding::Utf8 : Encoding::Cp1252;
        return decode();
    case Encoding::Utf8: {
        const QByteArrayView bytes(lineBytes_.constData(),
                                   cut_ ? core::CompleteUtf8Length(lineBytes_) : lineBytes_.size());
        return core::DecodeUtf8(bytes, core::StrayByte::Cp1252);
    }
    case Encoding::Cp1252:
        break;
    }
    return core::FromCp1252(lineBytes_);
}

} // namespace files
