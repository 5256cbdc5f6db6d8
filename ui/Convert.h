// Text to integer as the settings fields read it: leading blanks and one
// sign, then decimal digits or a hexadecimal number after "$", "0x" or "0X".
// Nothing else may follow, and the value must fit a 32-bit signed integer.
#pragma once

#include <QString>
#include <optional>

// The value of the text, or nothing when it is not an integer.
std::optional<int> TryStrToInt(const QString& text);

// The value of the text; throws EConvertError "'<text>' は整数ではありません"
// when it is not an integer.
int StrToInt(const QString& text);
