#include "script/Conversions.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace swf::script {

namespace {

const double NaN = std::numeric_limits<double>::quiet_NaN();

int digitValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'z')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'Z')
        return u - 'A' + 10;
    return 99;
}

// Digits of `radix` from `i`: their value, `i` moved past them.
double digits(const QString &s, int &i, int radix, bool *any)
{
    double value = 0;
    *any = false;
    while (i < s.size()) {
        const int d = digitValue(s.at(i));
        if (d >= radix)
            break;
        value = value * radix + d;
        *any = true;
        ++i;
    }
    return value;
}

// A decimal number with fraction and exponent at `i`; NaN when none.
double decimal(const QString &s, int &i)
{
    const int start = i;
    if (i < s.size() && (s.at(i) == u'+' || s.at(i) == u'-'))
        ++i;
    int mantissa = 0;
    while (i < s.size() && s.at(i).isDigit() && s.at(i).unicode() < 128) {
        ++i;
        ++mantissa;
    }
    if (i < s.size() && s.at(i) == u'.') {
        ++i;
        while (i < s.size() && s.at(i).unicode() >= '0' && s.at(i).unicode() <= '9') {
            ++i;
            ++mantissa;
        }
    }
    if (mantissa == 0) {
        i = start;
        return NaN;
    }
    if (i < s.size() && (s.at(i) == u'e' || s.at(i) == u'E')) {
        int j = i + 1;
        if (j < s.size() && (s.at(j) == u'+' || s.at(j) == u'-'))
            ++j;
        const int expStart = j;
        while (j < s.size() && s.at(j).unicode() >= '0' && s.at(j).unicode() <= '9')
            ++j;
        if (j > expStart)
            i = j;
    }
    return s.mid(start, i - start).toDouble();
}

} // namespace

bool isSpace(QChar c)
{
    const char16_t u = c.unicode();
    return u == ' ' || u == '\t' || u == '\n' || u == '\r' || u == '\v' || u == '\f';
}

QString numberToString(double n)
{
    if (std::isnan(n))
        return QStringLiteral("NaN");
    if (std::isinf(n))
        return n > 0 ? QStringLiteral("Infinity") : QStringLiteral("-Infinity");
    if (n == 0)
        return QStringLiteral("0");
    if (std::fabs(n) < 1e15 && n == std::floor(n))
        return QString::number(qint64(n));
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.15g", n);
    // Rounding the largest numbers up would write a number that is not
    // there (it reads back as Infinity): their digits are cut instead.
    if (std::isinf(std::strtod(buffer, nullptr))) {
        char longer[40];
        std::snprintf(longer, sizeof longer, "%.16e", n);
        const char *e = std::strchr(longer, 'e');
        std::snprintf(buffer, sizeof buffer, "%.16s%s", longer, e ? e : "");
    }
    QString text = QString::fromLatin1(buffer);
    // "1e-05" is written "1e-5".
    const int e = text.indexOf(u'e');
    if (e >= 0) {
        int digitsAt = e + 2;
        while (digitsAt < text.size() - 1 && text.at(digitsAt) == u'0')
            text.remove(digitsAt, 1);
    }
    return text;
}

QString numberToString(double n, int radix)
{
    if (radix == 10 || radix < 2 || radix > 36)
        return numberToString(n);
    if (std::isnan(n))
        return QStringLiteral("NaN");
    if (std::isinf(n))
        return n > 0 ? QStringLiteral("Infinity") : QStringLiteral("-Infinity");
    // Other radixes write the integer part only, as a 32-bit integer.
    qint64 v = toInt32(n);
    const bool negative = v < 0;
    if (negative)
        v = -v;
    QString out;
    do {
        out.prepend(QChar("0123456789abcdefghijklmnopqrstuvwxyz"[v % radix]));
        v /= radix;
    } while (v > 0);
    if (negative)
        out.prepend(u'-');
    return out;
}

double stringToNumber(const QString &s, int version)
{
    if (version >= 6 && s.size() > 2 && s.at(0) == u'0' && (s.at(1) == u'x' || s.at(1) == u'X')) {
        int i = 2;
        bool negative = false;
        if (s.at(i) == u'-' || s.at(i) == u'+') {
            negative = s.at(i) == u'-';
            ++i;
        }
        bool any = false;
        const double v = digits(s, i, 16, &any);
        if (!any || i != s.size())
            return NaN;
        return negative ? -v : v;
    }
    if (version >= 6) {
        // Octal: a sign, a zero and octal digits only, with nothing before.
        int i = 0;
        if (i < s.size() && (s.at(i) == u'-' || s.at(i) == u'+'))
            ++i;
        if (i + 1 < s.size() && s.at(i) == u'0') {
            const bool negative = s.at(0) == u'-';
            int j = i;
            bool any = false;
            const double v = digits(s, j, 8, &any);
            if (j == s.size())
                return negative ? -v : v;
        }
    }
    int i = 0;
    while (i < s.size() && isSpace(s.at(i)))
        ++i;
    const double v = decimal(s, i);
    if (i != s.size())
        return NaN;
    return v;
}

double parseInteger(const QString &s, int radix)
{
    int i = 0;
    // A hexadecimal or octal prefix counts only at the very start.
    if (s.size() >= 2 && s.at(0) == u'0' && (s.at(1) == u'x' || s.at(1) == u'X')) {
        i = 2;
        bool negative = false;
        if (i < s.size() && (s.at(i) == u'-' || s.at(i) == u'+')) {
            negative = s.at(i) == u'-';
            ++i;
        }
        bool any = false;
        const double v = digits(s, i, 16, &any);
        if (!any)
            return NaN;
        return negative ? -v : v;
    }
    if (s.size() >= 3 && (s.at(0) == u'-' || s.at(0) == u'+') && s.at(1) == u'0'
        && (s.at(2) == u'x' || s.at(2) == u'X'))
        return NaN;
    if (radix == 0) {
        // Octal only when the whole text is a zero and octal digits.
        int j = (s.size() > 0 && (s.at(0) == u'-' || s.at(0) == u'+')) ? 1 : 0;
        radix = 10;
        if (j + 1 < s.size() && s.at(j) == u'0') {
            bool octal = true;
            for (int k = j + 1; k < s.size() && octal; ++k)
                octal = digitValue(s.at(k)) < 8;
            if (octal)
                radix = 8;
        }
    }
    if (radix < 2 || radix > 36)
        return NaN;
    while (i < s.size() && isSpace(s.at(i)))
        ++i;
    bool negative = false;
    if (i < s.size() && (s.at(i) == u'-' || s.at(i) == u'+')) {
        negative = s.at(i) == u'-';
        ++i;
    }
    bool any = false;
    const double v = digits(s, i, radix, &any);
    if (!any)
        return NaN;
    return negative ? -v : v;
}

double parseFloatPrefix(const QString &s)
{
    int i = 0;
    while (i < s.size() && isSpace(s.at(i)))
        ++i;
    return decimal(s, i);
}

qint32 toInt32(double n)
{
    if (!std::isfinite(n))
        return 0;
    const double t = std::trunc(n);
    const double m = std::fmod(t, 4294967296.0);
    quint32 u = quint32(qint64(m < 0 ? m + 4294967296.0 : m));
    return qint32(u);
}

quint32 toUint32(double n)
{
    return quint32(toInt32(n));
}

} // namespace swf::script
