// Reads a batch file line by line as it streams from disk: 8-bit text in
// Windows-1252, lines ended by CR LF, CR or LF alone, the last line with or
// without an end. Only one line and one block of the file are held at a
// time, so memory stays flat however long the file is.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace output {

class BatchFileReader {
public:
    // False when the file can't be opened; Error() says why.
    bool Open(const QString& path);
    // The next line without its line end. False at the end of the file or
    // when reading failed (then Error() is not empty).
    bool ReadLine(QString& line);
    QString Error() const { return error_; }
    void Close() { file_.close(); }

private:
    bool fill(); // the next block; false at the end or on an error

    QFile file_;
    QByteArray block_;
    qsizetype pos_ = 0;
    QString error_;
};

} // namespace output
