// The bytes of a data source (a CSV file, a spreadsheet, standard input),
// read once from start to end through services::InputFile, so a FIFO or a
// pipe works and a stop request ends the wait for a slow writer.
//
// A run reads its data once and must not mix two versions of a file that
// changes meanwhile. A regular file is therefore opened once and read
// through that one descriptor to its end: a file replaced while it is read
// (how editors and spreadsheet programs save) leaves the reader on the old
// contents. A file written in place is noticed: its size and its change
// times are taken when it is opened and compared after every read, and the
// number of bytes read must come to the size it had; a difference refuses
// the read. (A write that keeps the size within the tick of the clock that
// stamped the file is not seen.) Pipes and FIFOs are read as they come and
// can't change.
#pragma once

#include "core/Result.h"
#include "services/InputFile.h"

#include <QByteArray>
#include <QString>

namespace files {

// A place in a data file: the path as given, and a line (0: the file as a whole).
inline core::Place PlaceIn(const QString& path, qint64 line = 0)
{
    core::Place place;
    place.file = path;
    place.line = line;
    return place;
}

class SourceFile {
public:
    SourceFile() = default;
    ~SourceFile();
    SourceFile(const SourceFile&) = delete;
    SourceFile& operator=(const SourceFile&) = delete;

    // `path` as the user named it; "-" is standard input.
    core::Status Open(const QString& path);

    // Appends at most `max` bytes to `to`; false at the end. A failure when
    // reading fails, the file changed, or a stop was requested.
    core::Result<bool> Read(QByteArray& to, qsizetype max);

    // The first `count` bytes (fewer in a shorter file), without consuming
    // them: the next reads return them again.
    core::Result<QByteArray> Peek(qsizetype count);

    // Every byte that is left.
    core::Status ReadAll(QByteArray& to);

    // The path as the user gave it ("-" for standard input), and the name
    // for messages ("standard input" for "-").
    const QString& Path() const { return path_; }
    const QString& Name() const { return name_; }

private:
    core::Failure failure(int code, const QString& why) const;
    core::Result<bool> readInput(QByteArray& to, qsizetype max);
    core::Status checkUnchanged(bool atEnd);

    services::InputFile input_;
    QString path_;
    QString name_;
    QByteArray peeked_;
    qint64 bytesRead_ = 0;
    // A regular file: the descriptor it was opened by, kept for fstat, and
    // what fstat said then.
    int held_ = -1;
    qint64 size_ = 0;
    qint64 modified_ = 0; // nanoseconds
    qint64 changed_ = 0;
};

} // namespace files
