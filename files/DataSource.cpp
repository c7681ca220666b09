#include "files/DataSource.h"

#include "files/CsvReader.h"
#include "files/SpreadsheetReader.h"

namespace files {

core::Result<std::unique_ptr<DataSource>> OpenDataSource(const QString& path, const DataOptions& options)
{
    auto file = std::make_unique<SourceFile>();
    if (const auto opened = file->Open(path); opened.failed())
        return opened.failure();
    // What the file is, by its first bytes, so standard input may be any.
    const auto start = file->Peek(8);
    if (start.failed())
        return start.failure();
    if (start->startsWith("PK\x03\x04") || start->startsWith("PK\x05\x06")) {
        auto reader = SpreadsheetReader::Open(std::move(file), options);
        if (reader.failed())
            return reader.failure();
        return std::unique_ptr<DataSource>(std::move(*reader));
    }
    const QString suffix = path.section(u'.', -1).toLower();
    if (suffix == QLatin1String("xlsx") || suffix == QLatin1String("xlsm") || suffix == QLatin1String("ods"))
        return core::Failure{core::kCannotRead,
                             QStringLiteral("%1 is not a spreadsheet: an .%2 file is a zip file, and this one is not.")
                                 .arg(file->Name(), suffix),
                             false, PlaceIn(path)};
    if (start->startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"))
        return core::Failure{core::kCannotRead,
                             QStringLiteral("%1 is an Excel 97-2003 workbook (.xls), which can't be read; save it as "
                                            ".xlsx, .ods or CSV.")
                                 .arg(file->Name()),
                             false, PlaceIn(path)};
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
