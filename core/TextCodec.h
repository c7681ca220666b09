// Turning bytes into text where the bytes come from outside: UTF-8 checked
// and decoded by hand, so that bytes that are not UTF-8 are never lost.
//
// The system's own strings (command-line arguments, file names, stderr) are
// UTF-8 by convention on Unix but may hold any bytes. Those bytes become the
// characters U+DC80..U+DCFF and turn back into the same bytes, so a file
// name read from the command line or the settings always opens again.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace core {

// What a byte that starts no valid UTF-8 sequence becomes.
enum class StrayByte {
    Escaped, // U+DC00 + the byte: reversible, for file names
    Cp1252,  // its Windows-1252 character: readable, for text files
};

// True when the bytes are well-formed UTF-8 (no overlong forms, no
// surrogates, nothing past U+10FFFF). With `cutAtEnd` an incomplete
// sequence at the very end is allowed: the bytes were cut off there.
bool IsUtf8(QByteArrayView bytes, bool cutAtEnd = false);

// The length of the bytes without an incomplete UTF-8 sequence at their end.
qsizetype CompleteUtf8Length(QByteArrayView bytes);

QString DecodeUtf8(QByteArrayView bytes, StrayByte stray);

// The system's 8-bit strings as text and back (see above).
QString FromLocalBytes(QByteArrayView bytes);
QByteArray ToLocalBytes(QStringView text);

// True when the text holds a byte of the system's strings that is not UTF-8.
bool HasEscapedBytes(QStringView text);

} // namespace core
