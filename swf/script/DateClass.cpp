// Date: a point in time in milliseconds, read and set in local time or UTC.
#include "script/Builtins.h"
#include "script/Conversions.h"

#include <QDateTime>
#include <cmath>
#include <limits>

namespace swf::script::builtins {

namespace {

const double NaN = std::numeric_limits<double>::quiet_NaN();

class DateObject : public Object
{
public:
    DateObject(Object *prototype, double time) : Object(prototype), time(time) {}
    QString className() const override { return QStringLiteral("Date"); }
    double time;
};

enum Field { Year, Month, Day, Hours, Minutes, Seconds, Milliseconds, WeekDay, FullYear };

DateObject *date(NativeCall &call) { return self<DateObject>(call); }

// The calendar in milliseconds from 1970, in doubles as the players
// count it: dates far outside any clock's range still have fields.
constexpr double MsPerDay = 86400000.0;

double positiveModulo(double a, double b)
{
    const double r = std::fmod(a, b);
    return r < 0 ? r + b : r;
}

double dayFromYear(double y)
{
    return 365 * (y - 1970) + std::floor((y - 1969) / 4) - std::floor((y - 1901) / 100)
        + std::floor((y - 1601) / 400);
}

bool leapYear(double y)
{
    return std::fmod(y, 4) == 0 && (std::fmod(y, 100) != 0 || std::fmod(y, 400) == 0);
}

double yearFromTime(double t)
{
    double y = std::floor(t / (MsPerDay * 365.2425)) + 1970;
    while (dayFromYear(y) * MsPerDay > t)
        --y;
    while (dayFromYear(y + 1) * MsPerDay <= t)
        ++y;
    return y;
}

// Days before each month, in a common year.
const int MonthStart[13] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365};

int monthStart(int month, bool leap)
{
    return MonthStart[month] + (leap && month >= 2 ? 1 : 0);
}

struct Fields
{
    double year, month, day, hours, minutes, seconds, ms, weekDay;
};

Fields fieldsOf(double t)
{
    Fields f;
    f.year = yearFromTime(t);
    const double dayInYear = std::floor(t / MsPerDay) - dayFromYear(f.year);
    const bool leap = leapYear(f.year);
    int m = 0;
    while (m < 11 && dayInYear >= monthStart(m + 1, leap))
        ++m;
    f.month = m;
    f.day = dayInYear - monthStart(m, leap) + 1;
    const double inDay = positiveModulo(t, MsPerDay);
    f.hours = std::floor(inDay / 3600000);
    f.minutes = std::floor(positiveModulo(inDay, 3600000) / 60000);
    f.seconds = std::floor(positiveModulo(inDay, 60000) / 1000);
    f.ms = positiveModulo(inDay, 1000);
    f.weekDay = positiveModulo(std::floor(t / MsPerDay) + 4, 7);
    return f;
}

// The local time zone's distance from UTC at a time, in milliseconds.
double localOffset(double utc)
{
    const double clamped = std::clamp(std::isfinite(utc) ? utc : 0.0, -8.64e15, 8.64e15);
    return QDateTime::fromMSecsSinceEpoch(qint64(clamped), Qt::UTC).toLocalTime().offsetFromUtc() * 1000.0;
}

double toLocal(double t, bool utc) { return utc ? t : t + localOffset(t); }
double fromLocal(double t, bool utc) { return utc ? t : t - localOffset(t - localOffset(t)); }

// Milliseconds from the fields of a date, in local time or UTC; months
// and days past their ranges carry over as Date does.
double fromFields(double year, double month, double day, double h, double m, double s, double ms, bool utc)
{
    for (double v : {year, month, day, h, m, s, ms}) {
        if (!std::isfinite(v))
            return NaN;
    }
    year = std::trunc(year);
    if (year >= 0 && year <= 99)
        year += 1900;
    const double y = year + std::floor(std::trunc(month) / 12);
    const int mn = int(positiveModulo(std::trunc(month), 12));
    const double days = dayFromYear(y) + monthStart(mn, leapYear(y)) + std::trunc(day) - 1;
    const double t = days * MsPerDay + std::trunc(h) * 3600000 + std::trunc(m) * 60000
        + std::trunc(s) * 1000 + std::trunc(ms);
    return fromLocal(t, utc);
}

double argument(NativeCall &call, std::size_t i, double otherwise)
{
    return i < call.count() ? call.engine.toNumber(call.args[i]) : otherwise;
}

Value construct(NativeCall &call)
{
    double time;
    if (call.count() == 0)
        time = double(QDateTime::currentMSecsSinceEpoch());
    else if (call.count() == 1)
        time = call.engine.toNumber(call.arg(0));
    else
        time = fromFields(argument(call, 0, 0), argument(call, 1, 0), argument(call, 2, 1),
                          argument(call, 3, 0), argument(call, 4, 0), argument(call, 5, 0),
                          argument(call, 6, 0), false);
    return call.engine.heap().make<DateObject>(call.newPrototype, time);
}

QString text(double time)
{
    if (!std::isfinite(time))
        return QStringLiteral("Invalid Date");
    static const char *const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char *const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const int offset = int(localOffset(time) / 60000);
    const Fields f = fieldsOf(toLocal(time, false));
    return QStringLiteral("%1 %2 %3 %4:%5:%6 GMT%7%8%9 %10")
        .arg(str(days[int(f.weekDay)]), str(months[int(f.month)]))
        .arg(int(f.day))
        .arg(int(f.hours), 2, 10, QLatin1Char('0'))
        .arg(int(f.minutes), 2, 10, QLatin1Char('0'))
        .arg(int(f.seconds), 2, 10, QLatin1Char('0'))
        .arg(QString(QChar(offset < 0 ? u'-' : u'+')))
        .arg(std::abs(offset) / 60, 2, 10, QLatin1Char('0'))
        .arg(std::abs(offset) % 60, 2, 10, QLatin1Char('0'))
        .arg(f.year, 0, 'f', 0);
}

Value dateCall(NativeCall &)
{
    return text(double(QDateTime::currentMSecsSinceEpoch()));
}

Value toString(NativeCall &call)
{
    DateObject *d = date(call);
    return d ? Value(text(d->time)) : Value();
}

Value getTime(NativeCall &call)
{
    DateObject *d = date(call);
    return d ? Value(d->time) : Value();
}

Value setTime(NativeCall &call)
{
    DateObject *d = date(call);
    if (!d)
        return {};
    d->time = call.engine.toNumber(call.arg(0));
    return d->time;
}

// The getters: data says the field, and 16 more for UTC.
Value getField(NativeCall &call)
{
    DateObject *d = date(call);
    if (!d)
        return {};
    if (!std::isfinite(d->time))
        return NaN;
    const Fields f = fieldsOf(toLocal(d->time, call.data >= 16));
    switch (call.data % 16) {
    case Year: return f.year - 1900;
    case FullYear: return f.year;
    case Month: return f.month;
    case Day: return f.day;
    case WeekDay: return f.weekDay;
    case Hours: return f.hours;
    case Minutes: return f.minutes;
    case Seconds: return f.seconds;
    case Milliseconds: return f.ms;
    default: return {};
    }
}

// The setters: the field given replaced, the others kept.
Value setField(NativeCall &call)
{
    DateObject *d = date(call);
    if (!d)
        return {};
    const bool utc = call.data >= 16;
    const Fields now = fieldsOf(toLocal(std::isfinite(d->time) ? d->time : 0, utc));
    double f[7] = {now.year, now.month, now.day, now.hours, now.minutes, now.seconds, now.ms};
    const int field = call.data % 16;
    const int at = field == FullYear ? 0 : field;
    for (std::size_t i = 0; i < call.count() && at + int(i) < 7; ++i)
        f[at + int(i)] = call.engine.toNumber(call.args[i]);
    if (field == Year && f[0] >= 0 && f[0] <= 99)
        f[0] += 1900;
    d->time = fromFields(f[0], f[1], f[2], f[3], f[4], f[5], f[6], utc);
    return d->time;
}

Value getTimezoneOffset(NativeCall &call)
{
    DateObject *d = date(call);
    if (!d || !std::isfinite(d->time))
        return NaN;
    return -localOffset(d->time) / 60000;
}

Value utcFunction(NativeCall &call)
{
    return fromFields(argument(call, 0, NaN), argument(call, 1, 0), argument(call, 2, 1),
                      argument(call, 3, 0), argument(call, 4, 0), argument(call, 5, 0),
                      argument(call, 6, 0), true);
}

} // namespace

void installDate(Engine &engine, Engine::Prototypes &prototypes)
{
    Object *p = engine.newObject();
    NativeFunction *constructor = engine.newClass(dateCall, construct, p);
    engine.method(p, str("toString"), toString);
    engine.method(p, str("valueOf"), getTime);
    engine.method(p, str("getTime"), getTime);
    engine.method(p, str("setTime"), setTime);
    engine.method(p, str("getTimezoneOffset"), getTimezoneOffset);
    const std::pair<const char *, int> fields[] = {
        {"Year", Year}, {"FullYear", FullYear}, {"Month", Month}, {"Date", Day}, {"Day", WeekDay},
        {"Hours", Hours}, {"Minutes", Minutes}, {"Seconds", Seconds}, {"Milliseconds", Milliseconds}};
    for (const auto &[name, field] : fields) {
        const QString n = str(name);
        engine.method(p, QStringLiteral("get") + n, getField, field);
        if (field != Year)
            engine.method(p, QStringLiteral("getUTC") + n, getField, field + 16);
        if (field != WeekDay) {
            engine.method(p, QStringLiteral("set") + n, setField, field);
            if (field != Year)
                engine.method(p, QStringLiteral("setUTC") + n, setField, field + 16);
        }
    }
    engine.method(constructor, str("UTC"), utcFunction);
    engine.global()->define(engine, str("Date"), Value(constructor));
    Q_UNUSED(prototypes);
}

} // namespace swf::script::builtins
