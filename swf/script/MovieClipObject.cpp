#include "script/MovieClipObject.h"

#include "display/Clip.h"
#include "script/Conversions.h"
#include "script/Engine.h"
#include "script/ScriptHost.h"

#include <QtMath>
#include <cmath>
#include <limits>

namespace swf::script {

namespace {

const char *const PropertyNames[MovieClipObject::PropertyCount] = {
    "_x", "_y", "_xscale", "_yscale", "_currentframe", "_totalframes", "_alpha", "_visible",
    "_width", "_height", "_rotation", "_target", "_framesloaded", "_name", "_droptarget", "_url",
    "_highquality", "_focusrect", "_soundbuftime", "_quality", "_xmouse", "_ymouse",
};

// Twips are whole numbers: a script's position is kept to the twip.
double toTwips(double pixels)
{
    return std::trunc(pixels * 20);
}

bool isName(const QString &name, const char *literal)
{
    return name.compare(QLatin1String(literal), Qt::CaseInsensitive) == 0;
}

} // namespace

namespace {

DisplayObject::Transform &transformOf(DisplayObject &p)
{
    DisplayObject::Transform &t = p.transform;
    if (!t.valid) {
        const Matrix &m = p.matrix;
        const double det = m.m11() * m.m22() - m.m12() * m.m21();
        t.xscale = std::hypot(m.m11(), m.m12()) * 100;
        t.yscale = std::hypot(m.m21(), m.m22()) * 100 * (det < 0 ? -1 : 1);
        const double rotation = std::atan2(m.m12(), m.m11());
        t.rotation = qRadiansToDegrees(rotation);
        t.skew = std::atan2(-m.m21(), m.m22()) - rotation;
        t.valid = true;
    }
    return t;
}

// The matrix of a transform's scales and rotation, its translation kept;
// unchanged while a value is not a number.
void rebuild(DisplayObject &p)
{
    const DisplayObject::Transform &t = p.transform;
    if (!std::isfinite(t.xscale) || !std::isfinite(t.yscale) || !std::isfinite(t.rotation))
        return;
    Matrix &m = p.matrix;
    const double r = qDegreesToRadians(t.rotation);
    const double xs = t.xscale / 100, ys = t.yscale / 100;
    m.setMatrix(xs * std::cos(r), xs * std::sin(r), m.m13(), -ys * std::sin(r + t.skew),
                ys * std::cos(r + t.skew), m.m23(), m.m31(), m.m32(), m.m33());
}

} // namespace

MovieClipObject::MovieClipObject(Object *prototype, const std::shared_ptr<Clip> &clip)
    : Object(prototype), m_clip(clip), m_raw(clip.get())
{
    rememberPath();
}

Clip *MovieClipObject::clip() const
{
    // The shared pointer may still be held while the clip is off the list.
    return !m_clip.expired() && !m_raw->gone() ? m_raw : nullptr;
}

void MovieClipObject::rememberPath()
{
    Clip *c = m_clip.lock().get();
    if (!c)
        return;
    QStringList path;
    for (Clip *at = c; at && at->parent(); at = at->parent())
        path.prepend(at->name());
    m_path = path;
}

MovieClipObject *MovieClipObject::resolve(Engine &engine)
{
    if (clip())
        return this;
    Clip *at = engine.root();
    for (const QString &name : std::as_const(m_path)) {
        if (!at)
            break;
        at = at->child(name, engine.caseSensitive());
    }
    if (!at || m_path.isEmpty())
        return nullptr;
    return engine.clipObject(at);
}

DisplayObject *MovieClipObject::placement() const
{
    Clip *c = clip();
    return c ? c->placement() : nullptr;
}

QString MovieClipObject::dotPath() const
{
    QString out = QStringLiteral("_level0");
    for (const QString &name : m_path)
        out += u'.' + name;
    return out;
}

QString MovieClipObject::slashPath() const
{
    if (m_path.isEmpty())
        return QStringLiteral("/");
    QString out;
    for (const QString &name : m_path)
        out += u'/' + name;
    return out;
}

int MovieClipObject::propertyIndex(const QString &name)
{
    if (name.isEmpty() || name.at(0) != u'_')
        return -1;
    for (int i = 0; i < PropertyCount; ++i) {
        if (isName(name, PropertyNames[i]))
            return i;
    }
    return -1;
}

MovieClipObject *MovieClipObject::parentObject(Engine &engine)
{
    Clip *c = clip();
    return c && c->parent() ? engine.clipObject(c->parent()) : nullptr;
}

MovieClipObject *MovieClipObject::childObject(Engine &engine, const QString &name)
{
    Clip *c = clip();
    Clip *child = c ? c->child(name, engine.caseSensitive()) : nullptr;
    return child ? engine.clipObject(child) : nullptr;
}

void MovieClipObject::gotoFrame(Engine &engine, const Value &frame, std::optional<bool> play, int bias)
{
    Clip *c = clip();
    if (!c)
        return;
    double number = 0;
    if (frame.isString()) {
        number = stringToNumber(frame.string(), engine.version());
        if (std::isnan(number)) {
            const int labelled = c->labelFrame(frame.string());
            if (labelled < 0)
                return;
            gotoZeroBased(engine, labelled + bias, play);
            return;
        }
    } else {
        number = engine.toNumber(frame);
    }
    if (!(number >= 1) || number > 1e9)
        return;
    gotoZeroBased(engine, int(number) - 1 + bias, play);
}

void MovieClipObject::gotoZeroBased(Engine &engine, int frame, std::optional<bool> play)
{
    Clip *c = clip();
    if (!c || frame < 0)
        return;
    engine.chargeGoto();
    if (frame >= c->frameCount())
        c->gotoFrame(c->frameCount() - 1, false);
    else
        c->gotoFrame(frame);
    if (play)
        c->setPlaying(*play);
}

Value MovieClipObject::property(Engine &engine, int index)
{
    Clip *c = clip();
    if (!c)
        return {};
    DisplayObject *p = c->placement();
    const Matrix m = p ? p->matrix : Matrix();
    switch (index) {
    case X: return m.dx() / 20;
    case Y: return m.dy() / 20;
    case XScale: return p ? transformOf(*p).xscale : 100.0;
    case YScale: return p ? transformOf(*p).yscale : 100.0;
    case CurrentFrame: return c->frame() + 1;
    case TotalFrames:
    case FramesLoaded: return c->frameCount();
    case Alpha: return p ? p->cxform.aMult / 256.0 * 100 : 100.0;
    case Visible: return p ? p->visible : true;
    case Width:
    case Height: {
        // In whole twips, as the players measure.
        const QRectF r = m.mapRect(c->localBounds());
        return std::round(index == Width ? r.width() : r.height()) / 20;
    }
    case Rotation: return p ? transformOf(*p).rotation : 0.0;
    case Target: return slashPath();
    case Name: return p ? p->name : QString();
    case DropTarget: return engine.dropTarget();
    case Url: return QString();
    case HighQuality: return 1;
    case FocusRect: return true;
    case SoundBufTime: return 5;
    case Quality: return QStringLiteral("HIGH");
    case XMouse:
    case YMouse: {
        QPointF mouse = engine.host().mouse() * 20;
        Matrix toStage;
        for (Clip *at = c; at && at->parent(); at = at->parent()) {
            if (DisplayObject *pl = at->placement())
                toStage = toStage * pl->matrix;
        }
        const QPointF local = toStage.inverted().map(mouse);
        return (index == XMouse ? local.x() : local.y()) / 20;
    }
    default: return {};
    }
}

void MovieClipObject::setScale(Engine &, bool x, double percent)
{
    DisplayObject *p = placement();
    if (!p)
        return;
    if (std::isnan(percent))
        return;
    DisplayObject::Transform &t = transformOf(*p);
    (x ? t.xscale : t.yscale) = percent;
    rebuild(*p);
    p->scripted = true;
}

void MovieClipObject::setRotation(double degrees)
{
    DisplayObject *p = placement();
    if (!p)
        return;
    // NaN changes nothing; the rest is kept between -180 and 180, as the
    // players give it back (an infinity reads NaN).
    if (std::isnan(degrees))
        return;
    if (std::isfinite(degrees)) {
        degrees = std::fmod(degrees, 360);
        if (degrees > 180)
            degrees -= 360;
        else if (degrees < -180)
            degrees += 360;
    } else {
        degrees = std::numeric_limits<double>::quiet_NaN();
    }
    transformOf(*p).rotation = degrees;
    rebuild(*p);
    p->scripted = true;
}

void MovieClipObject::setProperty(Engine &engine, int index, const Value &value)
{
    Clip *c = clip();
    if (!c)
        return;
    DisplayObject *p = c->placement();
    switch (index) {
    case X:
    case Y: {
        const double v = engine.toNumber(value);
        if (!p || !std::isfinite(v))
            return;
        Matrix &m = p->matrix;
        const double dx = index == X ? toTwips(v) : m.dx();
        const double dy = index == Y ? toTwips(v) : m.dy();
        m.setMatrix(m.m11(), m.m12(), m.m13(), m.m21(), m.m22(), m.m23(), dx, dy, m.m33());
        p->scripted = true;
        return;
    }
    case XScale: setScale(engine, true, engine.toNumber(value)); return;
    case YScale: setScale(engine, false, engine.toNumber(value)); return;
    case Alpha: {
        const double v = engine.toNumber(value);
        if (!p || !std::isfinite(v))
            return;
        p->cxform.aMult = int(std::clamp(v * 256 / 100, -32768.0, 32767.0));
        p->scripted = true;
        return;
    }
    case Visible:
        if (p)
            p->visible = engine.toBoolean(value);
        return;
    case Width:
    case Height: {
        const double v = engine.toNumber(value);
        const QRectF local = c->localBounds();
        const double extent = index == Width ? local.width() : local.height();
        if (!p || !std::isfinite(v) || extent <= 0)
            return;
        setScale(engine, index == Width, v * 20 / extent * 100);
        return;
    }
    case Rotation: setRotation(engine.toNumber(value)); return;
    case Name:
        if (p) {
            p->name = engine.toString(value);
            rememberPath();
        }
        return;
    default:
        return; // read-only, or a quality setting the engine does not vary
    }
}

bool MovieClipObject::getSpecial(Engine &engine, const QString &name, Value &out)
{
    const int index = propertyIndex(name);
    if (index >= 0) {
        out = property(engine, index);
        return true;
    }
    if (name.isEmpty() || name.at(0) != u'_')
        return false;
    return false;
}

bool MovieClipObject::setSpecial(Engine &engine, const QString &name, const Value &value)
{
    const int index = propertyIndex(name);
    if (index < 0)
        return false;
    setProperty(engine, index, value);
    return true;
}

bool MovieClipObject::hasSpecial(Engine &, const QString &name)
{
    return propertyIndex(name) >= 0;
}

bool MovieClipObject::getLate(Engine &engine, const QString &name, Value &out)
{
    // After the variables (a script may set _level0 or _parent itself),
    // before the children (which may be named so).
    if (!name.isEmpty() && name.at(0) == u'_') {
        if (isName(name, "_parent")) {
            MovieClipObject *parent = parentObject(engine);
            out = parent ? Value(parent) : Value();
            return true;
        }
        if (isName(name, "_root") || isName(name, "_level0")) {
            out = engine.clipObject(engine.root());
            return true;
        }
    }
    if (MovieClipObject *child = childObject(engine, name)) {
        out = child;
        return true;
    }
    return false;
}

void MovieClipObject::specialNames(Engine &, QStringList &names)
{
    Clip *c = clip();
    if (!c)
        return;
    for (auto it = c->objects().rbegin(); it != c->objects().rend(); ++it) {
        if (it->second.clip && !it->second.name.isEmpty())
            names.append(it->second.name);
    }
}

} // namespace swf::script
