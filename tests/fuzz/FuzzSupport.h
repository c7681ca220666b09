// Shared set-up for the fuzz targets: a headless Qt application (fonts and
// images need one), a settings folder of their own, and ways to turn fuzz
// bytes into the texts and numbers the program takes.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

namespace fuzzsupport {

// Creates the application once; call from LLVMFuzzerInitialize.
void Init();

// Reads typed values off the front of the input; returns zeros when empty.
class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::int32_t Int32();
    std::uint8_t Byte();
    // A text of up to maxChars characters: a length byte, then UTF-16 units.
    QString Text(int maxChars = 64);
    // What is left, as Windows-1252.
    QString Rest();
    // What is left, as bytes.
    QByteArray RestBytes();

private:
    const std::uint8_t* data_;
    std::size_t size_;
};

} // namespace fuzzsupport
