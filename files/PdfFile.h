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

    // Creates the temporary file in the folder (made when missing). False
    // with the reason when it can't.
    bool Create(const QString& folder, QString& error);
    QIODevice* Device() { return file_.Device(); }
    // An error writing so far, or empty.
    QString WriteError() const;

    // Makes the file whole on disk and gives it the name stem.pdf (or
    // stem-2.pdf, ... when that is taken). The final path on success; empty
    // with the reason otherwise, and then no file is left behind.
    QString Commit(const QString& stem, QString& error);
    // Removes the temporary file.
    void Discard();

    // Removes the temporary files in the folder that no running job owns.
    static void RemoveAbandoned(const QString& folder);

private:
    QString folder_;
    AtomicFile file_;
};

} // namespace files
