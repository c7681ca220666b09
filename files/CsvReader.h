// Comma-separated values as RFC 4180 writes them, read one record at a
// time: fields in double quotes may hold the delimiter, line breaks and
// quotes (written twice), lines end in CR LF, LF or CR, and the text may
// start with a byte-order mark. The delimiter is given or found from the
// first lines; tab-separated files are the same with a tab.
//
// Bad input is refused, never read around: bytes that are not text in the
// file's encoding, a NUL, a quote never closed, text after a closing quote,
// a record with more or fewer fields than the header. The failure names
// the file and the line (for a record, the line it starts on).
//
// Only the current record and one block of the file are held, so memory
// stays flat however many records the file has; a field may be as long as
// kMaxRecordChars. Blank lines are no records. A quote inside a field that
// does not start with one is kept as it is (5" screen).
#pragma once

#include "files/DataSource.h"
#include "files/SourceFile.h"

#include <QByteArray>
#include <optional>

namespace files {

class CsvReader final : public DataSource {
public:
    // Far longer than any label needs; longer is taken for a quote not closed.
    static constexpr qsizetype kMaxRecordChars = 32 * 1024 * 1024;

    static core::Result<std::unique_ptr<CsvReader>> Open(const QString& path, const DataOptions& options = {});
    // A file already opened (and perhaps peeked at).
    static core::Result<std::unique_ptr<CsvReader>> Open(std::unique_ptr<SourceFile> file, const DataOptions& options);

    core::Result<const DataRecord*> Next() override;

    QChar Delimiter() const { return delimiter_; }
    // The encoding the text is read in: never Detect or Utf16.
    TextEncoding Encoding() const { return encoding_; }
    // The bytes the reader holds now: its buffers and the current record.
    qsizetype HeldBytes() const;

private:
    explicit CsvReader(std::unique_ptr<SourceFile> file, const DataOptions& options);
    core::Status start();

    // Decoding
    bool fill();
    bool ensure();
    core::Status readMark();
    void decode();
    void decodeUtf8();
    void decodeCp1252();
    void decodeUtf16();

    // Parsing
    core::Result<bool> readRecord();
    core::Result<bool> endOfField(bool& recordEnds);
    void skipLineEnd();
    QString& newField();
    bool append(QString& field, const QChar* from, qsizetype count);
    core::Failure failureAt(qint64 line, const QString& what) const;
    core::Failure stopFailure();
    QChar detectDelimiter();

    std::unique_ptr<SourceFile> file_;
    DataOptions options_;
    TextEncoding encoding_ = TextEncoding::Utf8;
    bool markRead_ = false;

    QByteArray bytes_; // read, not yet decoded
    bool bytesEnd_ = false;
    QString text_; // decoded; text_[pos_] is the next character
    qsizetype pos_ = 0;
    QString undecodable_; // why the bytes after text_ are not text: reported when the parser gets there
    std::optional<core::Failure> failure_; // reading failed: every later call says so

    QChar delimiter_;
    qint64 line_ = 1; // the line of text_[pos_]
    qint64 recordLine_ = 0; // the line the record being read starts on
    qsizetype fields_ = 0; // of the record being read
    qsizetype recordChars_ = 0;
    DataRecord record_;
    bool firstPending_ = false; // without a header the first record is read with the names
};

} // namespace files
