#include "Convert.h"

#include <cstdint>
#include <limits>

#include "Errors.h"

std::optional<int> TryStrToInt(const QString& text)
{
    const qsizetype length = text.size();
    qsizetype i = 0;
    while (i < length && text[i] == QLatin1Char(' '))
        ++i;

    bool negative = false;
    if (i < length && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }

    int base = 10;
    if (i < length && text[i] == QLatin1Char('$')) {
        base = 16;
        ++i;
    } else if (i + 1 < length && text[i] == QLatin1Char('0')
        && (text[i + 1] == QLatin1Char('x') || text[i + 1] == QLatin1Char('X'))) {
        base = 16;
        i += 2;
    }

    // The magnitude may reach 2^31 for the most negative value; anything
    // larger is out of range however many digits follow.
    constexpr std::int64_t Limit = std::int64_t{std::numeric_limits<int>::max()} + 1;
    std::int64_t magnitude = 0;
    const qsizetype firstDigit = i;
    for (; i < length; ++i) {
        const char16_t c = text[i].unicode();
        int digit;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (base == 16 && c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (base == 16 && c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        else
            return std::nullopt; // a trailing blank, a letter, a second sign...
        magnitude = magnitude * base + digit;
        if (magnitude > Limit)
            return std::nullopt;
    }
    if (i == firstDigit)
        return std::nullopt; // no digits at all
    if (!negative && magnitude == Limit)
        return std::nullopt;
    return static_cast<int>(negative ? -magnitude : magnitude);
}

int StrToInt(const QString& text)
{
    if (const auto value = TryStrToInt(text))
        return *value;
    throw EConvertError(QStringLiteral("'%1' は整数ではありません").arg(text));
}
