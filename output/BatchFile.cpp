#include "output/BatchFile.h"

#include "platform/Cp1252.h"

#include <QFileInfo>

namespace output {
namespace {
constexpr qint64 kBlockSize = 64 * 1024;
}

bool BatchFileReader::Open(const QString& path)
{
    error_.clear();
    block_.clear();
    pos_ = 0;
    file_.close();
    if (QFileInfo(path).isDir()) {
        error_ = QStringLiteral("it is a folder");
        return false;
    }
    file_.setFileName(path);
    if (!file_.open(QIODevice::ReadOnly)) {
        error_ = file_.errorString();
        return false;
    }
    return true;
}

bool BatchFileReader::fill()
{
    if (!file_.isOpen())
        return false;
    block_.resize(kBlockSize);
    const qint64 n = file_.read(block_.data(), kBlockSize);
    pos_ = 0;
    if (n < 0) {
        error_ = file_.errorString();
        block_.clear();
        return false;
    }
    block_.resize(n);
    return n > 0;
}

bool BatchFileReader::ReadLine(QString& line)
{
    QByteArray bytes;
    bool started = false; // a line exists once any byte of it was read
    for (;;) {
        if (pos_ >= block_.size() && !fill()) {
            if (!error_.isEmpty())
                return false;
            if (!started)
                return false;
            line = platform::FromCp1252(bytes);
            return true;
        }
        started = true;
        const char* begin = block_.constData() + pos_;
        const char* end = block_.constData() + block_.size();
        const char* p = begin;
        while (p != end && *p != '\r' && *p != '\n')
            ++p;
        bytes.append(begin, p - begin);
        pos_ += p - begin;
        if (p == end)
            continue;
        ++pos_;
        if (*p == '\r') {
            // A CR LF is one line end, even when the LF starts the next block.
            if (pos_ >= block_.size() && !fill() && !error_.isEmpty())
                return false;
            if (pos_ < block_.size() && block_.at(pos_) == '\n')
                ++pos_;
        }
        line = platform::FromCp1252(bytes);
        return true;
    }
}

} // namespace output
