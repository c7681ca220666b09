// The characters a drawer can't encode, found in a text: what the bars
// hold once a drawer has left them out, and the first of them by its place
// as a user counts it (characters, not UTF-16 units, from 1), for the note
// under the symbol and for every refusal.
#pragma once

#include <QString>

namespace symbols {

// What a drawer does with one character of a text, after any case change.
enum class CharacterFate {
    Kept,    // encoded
    Dropped, // left out of the bars
    Breaks,  // drawn as a start or stop character: what follows it does not read
};

// How a drawer treats the characters of a text.
struct CharacterRule {
    CharacterFate (*fate)(QChar c) = nullptr; // none: it encodes every character or refuses the text itself
    bool upperCases = false;                  // it upper-cases the text first
};

struct HeldText {
    QString text;           // what the bars hold: the kept characters
    // The first character it can't encode, as typed (the first that breaks
    // the symbol, when one does); empty when there is none.
    QString first;
    qsizetype position = 0; // its place in the typed text, from 1, counting characters
    bool breaks = false;    // that character is drawn as a start or stop character
};

HeldText HeldBy(const QString& typed, CharacterRule rule);

// The first character of `typed` for which `encodes` is false, with its
// place, as HeldBy counts it; an empty `first` when every one is encoded.
HeldText FirstNotEncoded(const QString& typed, bool (*encodes)(QChar c));

// "Code 39 can't encode "é" (character 3)"; a control character by its
// code: "U+0009".
QString CantEncode(const QString& caption, const HeldText& held);

// A text as a message quotes it: its control characters by their codes
// ("AB<U+0000>CD"), as they would not show themselves, and a NUL would end
// the line that holds it.
QString ControlsShown(const QString& text);

} // namespace symbols
