#pragma once

#include <QString>

namespace swf::script {

// The text of a number as the player writes it: at most 15 significant
// digits, an exponent from 1e15 and below 1e-5, "NaN", "Infinity".
QString numberToString(double n);
// Number.prototype.toString with a radix of 2 to 36.
QString numberToString(double n, int radix);

// A string as a number, by the rules of the movie's version: leading
// blanks, a sign and a decimal number with an exponent, nothing after it.
// From version 6 on, "0x..." is hexadecimal and "0..." of octal digits
// alone is octal. Anything else is NaN.
double stringToNumber(const QString &text, int version);

// parseInt and parseFloat: the longest number at the start of the text.
// `radix` 0 means none given.
double parseInteger(const QString &text, int radix);
double parseFloatPrefix(const QString &text);

// ECMA ToInt32 and ToUint32, the integers of bit operations.
qint32 toInt32(double n);
quint32 toUint32(double n);

bool isSpace(QChar c);

} // namespace swf::script
