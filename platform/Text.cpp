#include "Text.h"

namespace platform {

QString Text::Str(long value)
{
    const QString digits = QString::number(value);
    return value < 0 ? digits : QLatin1Char(' ') + digits;
}

QString Text::Trim(const QString &text)
{
    // Only blanks: tabs and line breaks are kept, unlike QString::trimmed().
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == QLatin1Char(' '))
        ++begin;
    while (end > begin && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.mid(begin, end - begin);
}

QString Text::UCase(const QString &text)
{
    return text.toUpper();
}

} // namespace platform
