// Every record of a data source, or the failure that ended the reading:
// what the data source tests compare.
#pragma once

#include "files/DataSource.h"

#include <QList>
#include <QStringList>
#include <optional>

namespace testsupport {

struct Records {
    QStringList names;
    QList<QStringList> values;
    QList<qint64> lines;
    std::optional<core::Failure> failure;
};

inline Records ReadRecords(const QString& path, const files::DataOptions& options = {})
{
    Records read;
    auto source = files::OpenDataSource(path, options);
    if (source.failed()) {
        read.failure = source.failure();
        return read;
    }
    read.names = (*source)->FieldNames();
    for (;;) {
        const auto record = (*source)->Next();
        if (record.failed()) {
            read.failure = record.failure();
            return read;
        }
        if (!*record)
            return read;
        read.values.append((*record)->values);
        read.lines.append((*record)->line);
    }
}

} // namespace testsupport
