#pragma once
// Number text of the calculator, always in the C locale: reading the engine's number tokens
// and writing a value as plain text (15 significant digits) or grouped text (commas).
#include <QString>
#include <QStringView>

namespace NumberText {

// Without the blanks (U+0020 only) at both ends, as the calculator trims names and texts.
QStringView trimBlanks(QStringView text);

enum class ParseStatus { NotNumber, Ok, TooLarge };

// A number token: blanks (U+0020) at both ends ignored, then an optional sign, digits with
// at most one ".", an optional exponent; or "&H" hexadecimal / "&O" octal digits. The value
// is the double nearest to the text; one beyond the double range is TooLarge, one below its
// smallest magnitude reads as zero.
ParseStatus parse(QStringView text, double *value);
inline bool isNumber(QStringView text) { return parse(text, nullptr) != ParseStatus::NotNumber; }

// Rounded to 15 significant digits, trailing zeros dropped; exponent form ("1E+15",
// "3.33333333333333E-05") from 1E+15 up and for small values whose fixed form would need more
// than 15 decimals; "0" for either zero. Only for finite values.
QString plain(double value);
// Fixed notation of the same 15-digit value with commas every three integer digits, at most
// 38 decimals, no trailing "." and no trailing zeros.
QString grouped(double value);

} // namespace NumberText
