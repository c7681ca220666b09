// Reads a batch file line by line as it streams in: lines ended by CR LF,
// CR or LF alone, the last line with or without an end. Only one block of
// the file and one line of at most kMaxLineBytes are held at a time, so
// memory stays flat however long the file or its lines are; a longer line
// is cut there and the rest of it is skipped.
//
// The encoding: a file that starts with a byte-order mark is UTF-8 or
// UTF-16 (little or big endian) as the mark says, and the mark is not part
// of the first line. Without a mark, the first line that holds a byte
// outside ASCII decides: UTF-8 when that line is valid UTF-8, else
// Windows-1252, for that line and every line after it. A later byte that is
// not UTF-8 in a UTF-8 file reads as its Windows-1252 character.
//
// Waits for a slow writer (a FIFO) end when the program is asked to stop.
#pragma once

#include "core/Result.h"
#include "services/InputFile.h"

#include <QByteArray>
#include <QString>

namespace files {

class BatchFileReader {
public:
    // `whileWaiting` runs while a slow writer is awaited (see InputFile).
    explicit BatchFileReader(services::EventPump whileWaiting = {}) : file_(std::move(whileWaiting)) {}

    // Far longer than any barcode or printed line; a line past it is cut.
    static constexpr qsizetype kMaxLineBytes = 1024 * 1024;

    enum class Encoding { Undecided, Cp1252, Utf8, Utf16LE, Utf16BE };

    // Why the file can't be opened, when it can't (the system's words).
    core::Status Open(const QString& path);
    // The next line without its line end. False at the end of the file,
    // when reading failed or when a stop was requested: Outcome says which.
    bool ReadLine(QString& line);
    // Whether the lines read so far came whole: a failure to read
    // (kCannotRead, in the system's words) or a stop (kStopped).
    core::Status Outcome() const;
    // The number of the last line read, from 1.
    qint64 LineNumber() const { return lineNumber_; }
    // The last line read was longer than kMaxLineBytes: only its start was kept.
    bool LineWasCut() const { return cut_; }
    Encoding TextEncoding() const { return encoding_; }
    void Close() { file_.Close(); }

private:
    bool fill(qsizetype need); // at least `need` unread bytes; false at the end, on an error or a stop
    qsizetype unread() const { return block_.size() - pos_; }
    void readMark();
    bool isLineEnd(qsizetype at, char which) const;
    qsizetype lineEndFrom(qsizetype from, qsizetype end) const;
    void keep(qsizetype from, qsizetype to);
    QString decode();

    services::InputFile file_;
    QByteArray block_;
    qsizetype pos_ = 0;
    bool atEnd_ = false;
    bool stopped_ = false;
    bool markRead_ = false;
    Encoding encoding_ = Encoding::Undecided;
    int unit_ = 1; // bytes per character unit: 2 for UTF-16
    QByteArray lineBytes_;
    bool cut_ = false;
    qint64 lineNumber_ = 0;
    QString error_;
};

} // namespace files
