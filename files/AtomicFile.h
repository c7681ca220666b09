// A file that appears under its final name only when it is whole. It is
// written to a hidden temporary file in the target folder, created
// exclusively (never through a symlink) and locked while it is written;
// then it is flushed and gets its final name in one step, either replacing
// what has that name (a file, or a symlink itself, never what a link points
// to) or only when the name is free. A run that ends in the middle (a
// stop, a crash, a kill) leaves only the temporary file, which
// RemoveAbandoned removes the next time a job writes in that folder.
#pragma once

#include "core/Result.h"

#include <QFile>
#include <QString>

namespace files {

// A folder held open while many files are written in it: each file is
// created and named relative to it, so the folder's path is not looked up
// again for every file. Where it can't be held (no such folder, a system
// without descriptors for folders) the files go by its path.
class FileFolder {
public:
    explicit FileFolder(const QString& path);
    ~FileFolder();
    FileFolder(const FileFolder&) = delete;
    FileFolder& operator=(const FileFolder&) = delete;

    const QString& Path() const { return path_; }

private:
    friend class AtomicFile;
    QString path_;
    int fd_ = -1;
};

class AtomicFile {
public:
    AtomicFile() = default;
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Creates the temporary file in an existing folder; its name ends in
    // `suffix`. The system's reason when it can't.
    core::Status Create(const QString& folder, const QString& suffix);
    // The same, but where the file system can, the file has no name at all
    // until ReplaceAs gives it one: nothing to lock, nothing to leave behind
    // whatever ends the run, and two system calls fewer a file (what a batch
    // of thousands of small files spends its time on).
    core::Status CreateUnnamed(const QString& folder, const QString& suffix);
    core::Status CreateUnnamed(const FileFolder& folder, const QString& suffix);
    // The file as a device, for writers that stream (a PDF).
    QIODevice* Device();
    // Writes bytes made whole beforehand straight to the file: no buffer,
    // and none of the calls a device makes to learn the file's size and
    // place. False when they could not all be written (Written says why).
    bool Write(const QByteArray& bytes);
    bool IsCreated() const { return !tempPath_.isEmpty() || unnamed_; }
    // Whether what was written so far was written.
    core::Status Written() const;

    // Writes out what is buffered. A failure when writing failed or when
    // nothing was written (an empty file is never a whole one).
    core::Status Flush();
    // Makes the contents durable on disk.
    core::Status Sync();
    // The file whole, ready for its name: all of it written, flushed and,
    // when `durable`, on disk.
    core::Status Complete(bool durable = true);

    // Gives the flushed file the name `target`, replacing a file or a
    // symlink of that name; a file replaced keeps its permissions. The
    // reason, and the temporary file removed, when it can't.
    core::Status ReplaceAs(const QString& target);
    // The same for the file `name` in a held folder.
    core::Status ReplaceAs(const FileFolder& folder, const QString& name);
    // Gives the flushed file the name `target` only when nothing has that
    // name (a symlink, even a dangling one, counts); the file stays for
    // another name when it is taken.
    enum class Naming { Named, Taken };
    core::Result<Naming> ClaimAs(const QString& target);
    // Removes the temporary file.
    void Discard();

    // Removes the temporary files ending in `suffix` in the folder that no
    // running job owns.
    static void RemoveAbandoned(const QString& folder, const QString& suffix);
    // Makes every file written in the folder's file system durable: one
    // call at the end of many files instead of one per file.
    static core::Status SyncFileSystem(const QString& folder);

private:
    void forget();    // the file has its final name: nothing to discard
    void closeFile(); // the descriptor or the device, whichever holds the file
    int handle() const;

    // An unnamed file (Linux's O_TMPFILE) gets a temporary name only when
    // its final name is taken and must be replaced.
    // `dir` and `target` as linkat and renameat take them: a folder's
    // descriptor and a name in it, or AT_FDCWD and a path.
    // True: named; false: it now has a temporary name to replace it by.
    core::Result<bool> nameUnnamed(int dir, const QByteArray& target);
    core::Status replace(int dir, const QByteArray& target);

    QString tempPath_;
    bool unnamed_ = false;
    QString folder_;
    QString suffix_;
    QFile file_;
    // On Unix the file is a descriptor until a device is asked for; then
    // the device owns it.
    int fd_ = -1;
    bool fdInFile_ = false;
    qint64 written_ = 0;
    int writeErrno_ = 0;
};

// A path as the system shows it.
QString ShownPath(const QString& path);

} // namespace files
