// Spreadsheets as data sources: the first sheet of an .xlsx or .ods file,
// or a sheet by its name, read one row at a time. A value is what the sheet
// shows: a number under its number format (42 under "00000" is 00042), a
// date as an ISO date (2024-03-05), text as it is, an empty cell empty.
// Cells are placed by their references, so a row with gaps keeps its
// columns; rows that show nothing are no records.
//
// The file is read whole into memory once (a zip file needs its end
// before its start) and the sheet is unpacked as its rows are read. A cell
// that shows an error (#N/A) or a formula never worked out is refused with
// its row, as is a value in a column the header does not name.
#pragma once

#include "files/DataSource.h"
#include "files/SourceFile.h"

namespace files {

class SpreadsheetReader final : public DataSource {
public:
    static core::Result<std::unique_ptr<SpreadsheetReader>> Open(const QString& path, const DataOptions& options = {});
    // A file already opened (and perhaps peeked at).
    static core::Result<std::unique_ptr<SpreadsheetReader>> Open(std::unique_ptr<SourceFile> file,
                                                                 const DataOptions& options);
    ~SpreadsheetReader() override;

    core::Result<const DataRecord*> Next() override;

    // The name of the sheet read.
    const QString& SheetName() const { return sheet_; }

private:
    SpreadsheetReader();
    core::Status start(std::unique_ptr<SourceFile> file, const DataOptions& options);

    struct Zip;
    std::unique_ptr<Zip> zip_;
    QString sheet_;
    int width_ = 0; // columns: the header's, or the widest row's
    DataRecord record_;
};

} // namespace files
