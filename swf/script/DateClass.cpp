// Date: a point in time in milliseconds, read and set in local time or UTC.
#include "script/Builtins.h"
#include "script/Conversions.h"

#include <QDateTime>
#include <QTimeZone>
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

QDateTime toDateTime(double ms, bool utc)
{
    const QDateTime t = QDateTime::fromMSecsSinceEpoch(qint64(std::floor(ms)), Qt::UTC);
    return utc ? t : t.toLocalTime();
}

// Milliseconds from the fields of a date, in local time or UTC; months
// and days past their ranges carry over as Date does.
double fromFields(double year, double month, double day, double h, double m, double s, double ms, bool utc)
{
    for (double v : {year, month, day, h, m, s, ms}) {
        if (!std::isfinite(v))
            return NaN;
    }
    if (year >= 0 && year <= 99)
        year += 1900;
    const double whole = std::floor(month / 12);
    const int y = int(std::clamp(year + whole, -270000.0, 270000.0));
    const int mo = int(month - whole * 12);
    const QDate first(y, mo + 1, 1);
    if (!first.isValid())
        return NaN;
    const QDateTime base(first, QTime(0, 0), utc ? Qt::UTC : Qt::LocalTime);
    return double(base.toMSecsSinceEpoch()) + (day - 1) * 86400000.0 + h * 3600000.0 + m * 60000.0
        + s * 1000.0 + ms;
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
    const QDateTime t = toDateTime(time, false);
    const int offset = t.offsetFromUtc() / 60;
    const QLocale c = QLocale::c();
    return QStringLiteral("%1 %2 %3 %4 GMT%5%6%7 %8")
        .arg(c.dayName(t.date().dayOfWeek(), QLocale::ShortFormat),
             c.monthName(t.date().month(), QLocale::ShortFormat))
        .arg(t.date().day())
        .arg(t.time().toString(QStringLiteral("HH:mm:ss")))
        .arg(QString(QChar(offset < 0 ? u'-' : u'+')))
        .arg(std::abs(offset) / 60, 2, 10, QLatin1Char('0'))
        .arg(std::abs(offset) % 60, 2, 10, QLatin1Char('0'))
        .arg(t.date().year());
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
    const QDateTime t = toDateTime(d->time, call.data >= 16);
    switch (call.data % 16) {
    case Year: return t.date().year() - 1900;
    case FullYear: return t.date().year();
    case Month: return t.date().month() - 1;
    case Day: return t.date().day();
    case WeekDay: return t.date().dayOfWeek() % 7;
    case Hours: return t.time().hour();
    case Minutes: return t.time().minute();
    case Seconds: return t.time().second();
    case Milliseconds: return t.time().msec();
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
    const QDateTime t = toDateTime(std::isfinite(d->time) ? d->time : 0, utc);
    double f[7] = {double(t.date().year()), double(t.date().month() - 1), double(t.date().day()),
                   double(t.time().hour()), double(t.time().minute()), double(t.time().second()),
                   double(t.time().msec())};
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
    return -toDateTime(d->time, false).offsetFromUtc() / 60;
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
