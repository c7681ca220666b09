// The user's home folder and configuration folder, or why there is none.
// Without HOME the system libraries fall back to the filesystem root, and
// settings or PDF files would land in /.config or /Documents: the program
// refuses to use a folder it can't trust instead. The names are taken by
// their bytes (see TextCodec.h), so a folder whose name is not UTF-8 is used
// as it is.
#pragma once

#include <QString>

namespace services {

struct Folder {
    QString path;    // empty when there is no usable folder
    QString problem; // why not, when path is empty
};

// HOME, when it names an existing folder by an absolute path.
Folder HomeFolder();

// $XDG_CONFIG_HOME when it is an absolute path, else ~/.config.
Folder ConfigFolder();

} // namespace services
