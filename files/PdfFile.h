// A PDF file that appears under its final name only when it is complete.
// It is written to a hidden temporary file in the target folder, created
// exclusively (never through a symlink) and locked while it is written;
// Commit flushes it to disk and links it to the first free final name,
// never replacing a file that is there. A run that ends in the middle (a
// stop, a crash, a kill) leaves only the temporary file, which the next
// job in that folder removes.
#pragma once

#include "files/AtomicFile.h"

#include <QString>

namespace files {

class PdfFile {
public:
    PdfFile() = default;
    ~PdfFile();
    PdfFile(const PdfFile&) = delete;
    PdfFile& operator=(const PdfFile&) = delete;

    // Creates the temporary file in the folder (made when missing).
    core::Status Create(const QString& folder);
    QIODevice* Device() { return file_.Device(); }
    // Whether what was written so far was written, and where not.
    core::Status Written() const;

    // Makes the file whole on disk and gives it the name stem.pdf (or
    // stem-2.pdf, ... when that is taken): the final path. On a failure no
    // file is left behind.
    core::Result<QString> Commit(const QString& stem);
    // Removes the temporary file.
    void Discard();

    // Removes the temporary files in the folder that no running job owns.
    static void RemoveAbandoned(const QString& folder);

private:
    QString folder_;
    AtomicFile file_;
};

} // namespace files
