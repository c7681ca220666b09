// Placeholders in a label's texts, filled for each label of a run: a text
// is parsed once into pieces and filled many times (a run of 100,000
// records parses each text once).
//
//   ${n}                  the run's number (Run It's N)
//   ${#}                  the record's number, from 1
//   ${date}               today, as yyyy-MM-dd
//   ${date:dd.MM.yyyy}    today in a Qt date format (no "}" in it)
//   ${date+30:yyyy-MM-dd} 30 days from today (date-7: a week ago)
//   ${serial}             start + step x (record - 1)
//   ${qty}                the record's field "qty"
//   ${qty:=none}          the field, or "none" when it is empty
//   ${qty:%05d}           the field as a whole number, zero-padded to 5
//                         digits (%5d pads with spaces, %d none); also on
//                         n, # and serial
//   ${gtin:check}         the field's digits with their GS1 check digit
//                         appended; also on n, # and serial
//   ${$}                  a literal "$": "${$}{n}" prints "${n}"
//
// Only "${" starts a placeholder: a text without it prints exactly as
// typed ("$5", "$$" and "{x}" included). The names n, #, date and serial
// come before fields of the same name.
#pragma once

#include "core/Result.h"

#include <QDate>
#include <QString>
#include <span>
#include <vector>

namespace labels {

// What the placeholders of one label are filled with.
struct FillContext {
    qint64 run = 0;    // ${n}
    qint64 record = 1; // ${#}, from 1
    // The record's fields by name; a value missing at the end is empty.
    std::span<const QString> fieldNames;
    std::span<const QString> fieldValues;
    QDate today; // passed in, so a run (and a test) has one day
    qint64 serialStart = 1;
    qint64 serialStep = 1;
};

// A text parsed into its pieces.
class Template {
public:
    // The pieces of the text, or why it can't be filled: a placeholder
    // not closed, one without a name, a format that is not one, naming its
    // position (characters counted from 1). The failure's text is a
    // clause without a subject ("the placeholder at character 7 ...") for
    // the caller to say whose text it is.
    static core::Result<Template> Parse(const QString& text);

    // The text with its placeholders filled, or why not: a field the record
    // does not have (naming it and the fields there are), a value that is
    // not a whole number for %d or not digits for check. A clause, as Parse's.
    core::Result<QString> Fill(const FillContext& context) const;

    // No placeholders: Fill gives the text as typed.
    bool IsPlain() const { return plain_; }
    // The record fields the text names, in order of first use.
    std::vector<QString> Fields() const;

private:
    struct Piece {
        enum class Kind { Literal, Run, Record, Date, Serial, Field };
        enum class Format { AsIs, Number, Check };
        Kind kind = Kind::Literal;
        QString text;      // Literal: the text; Field: the name; Date: the Qt format
        int position = 0;  // of the placeholder's "$", from 1, for messages
        qint64 days = 0;   // Date: days from today
        bool hasFallback = false;
        QString fallback;  // Field: the text for an empty value
        Format format = Format::AsIs;
        int width = 0;     // Number: the least number of characters
        bool zeros = false; // Number: padded with zeros, not spaces
    };
    std::vector<Piece> pieces_;
    bool plain_ = true;
};

// "the fields are \"sku\", \"name\" and \"price\"": how a message about a
// field the record does not have lists the ones it has.
QString FieldList(std::span<const QString> names);

// Parses and fills in one step (a text filled once).
core::Result<QString> FillText(const QString& text, const FillContext& context);

} // namespace labels
