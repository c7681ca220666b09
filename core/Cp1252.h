// Windows-1252, the 8-bit code page of batch files and of the layout
// engine's character codes. Qt has no codec for it, so the 32 characters
// that differ from Latin-1 are mapped here.
#pragma once

#include <QByteArrayView>
#include <QString>
#include <optional>

namespace core {

// Decodes bytes as Windows-1252; the five undefined bytes map to the C1
// control characters of the same value, so nothing is lost.
QString FromCp1252(QByteArrayView bytes);

// The Windows-1252 code of one character, or nothing when the code page
// cannot represent it.
std::optional<unsigned char> Cp1252Code(QChar c);

} // namespace core
