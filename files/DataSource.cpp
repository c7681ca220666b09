#include "files/DataSource.h"

#include "files/CsvReader.h"

namespace files {

core::Result<std::unique_ptr<DataSource>> OpenDataSource(const QString& path, const DataOptions& options)
{
    auto file = std::make_unique<SourceFile>();
    if (const auto opened = file->Open(path); opened.failed())
        return opened.failure();
    auto reader = CsvReader::Open(std::move(file), options);
    if (reader.failed())
        return reader.failure();
    return std::unique_ptr<DataSource>(std::move(*reader));
}

core::Result<TextEncoding> TextEncodingNamed(const QString& name)
{
    const QString n = name.toLower().remove(u'-').remove(u'_');
    if (n == QLatin1String("utf8"))
        return TextEncoding::Utf8;
    if (n == QLatin1String("utf16"))
        return TextEncoding::Utf16;
    if (n == QLatin1String("utf16le"))
        return TextEncoding::Utf16LE;
    if (n == QLatin1String("utf16be"))
        return TextEncoding::Utf16BE;
    if (n == QLatin1String("windows1252") || n == QLatin1String("cp1252"))
        return TextEncoding::Cp1252;
    return core::Failure{core::kCannotRead,
                         QStringLiteral("There is no encoding named \"%1\"; the encodings are utf-8, utf-16, utf-16le, "
                                        "utf-16be and windows-1252.")
                             .arg(name)};
}

} // namespace files
