#pragma once

#include <QString>

namespace platform {

// The runtime's text conversions.
class Text
{
public:
    // A blank before a non-negative number, a minus sign before a negative one: Str(1) = " 1".
    static QString Str(long value);
    static QString Trim(const QString &text);   // removes leading and trailing blanks only
    static QString UCase(const QString &text);
};

} // namespace platform
