#include "symbols/Gs1CheckDigit.h"

namespace symbols {

int Gs1DigitValue(QChar c)
{
    const char16_t u = c.unicode();
    return u >= u'0' && u <= u'9' ? u - u'0' : 0;
}

int Gs1CheckDigit(std::span<const int> digits)
{
    int sum = 0;
    int weight = 3;
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        sum += weight * *it;
        weight = 4 - weight;
    }
    return (10 - sum % 10) % 10;
}

} // namespace symbols
