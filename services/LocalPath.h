// Files and folders by the bytes of their names. A name from the
// environment or the command line may hold bytes that are not UTF-8 (see
// TextCodec.h); Qt's file classes would turn those into U+FFFD and reach a
// different file, so the checks and the folders made here go by the bytes.
#pragma once

#include "core/Result.h"

#include <QByteArray>
#include <QString>

namespace services {

// An environment variable's value as its bytes say (FromLocalBytes).
QString EnvironmentPath(const char* name);

// The path as the system's bytes.
QByteArray NativePath(const QString& path);

// True when the path names a folder (a link to one counts).
bool IsFolder(const QString& path);

// Makes the folder and the folders above it that are missing. The
// system's reason ("Permission denied") when it can't, for the caller to
// word into its own sentence.
core::Status MakeFolders(const QString& path);

} // namespace services
