// Building a pattern (a text of element widths "1" to "4", bars at odd
// positions) from pieces held as ASCII digits in the encoders' tables.
#pragma once

#include <QString>
#include <string_view>

namespace symbols {

inline void AppendPattern(QString& pattern, std::string_view piece)
{
    for (char c : piece)
        pattern += QLatin1Char(c);
}

} // namespace symbols
